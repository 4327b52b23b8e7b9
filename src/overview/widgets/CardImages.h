#pragma once

#include "history/ClipItem.h"
#include "history/PictureLimits.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QThreadPool>

#include <functional>
#include <optional>

class QObject;

// The pictures of image clips at the size their cards draw them, decoded on
// a worker thread from the picture's file and kept in one cache with a
// byte budget, for every card that shows the clip. The main thread never
// decodes: a picture can take seconds.

// The clip's picture fitted into `box` (device pixels), when it is decoded
// already (null for a clip that is not an image, cannot be decoded or is too
// large); nullopt while it is being decoded, and then `whenDecoded` runs on
// the main thread once it is, unless `receiver` is gone by then. Call on the
// main thread.
std::optional<QImage> cardImage(const ClipItem& item, QSize box, QObject* receiver = nullptr,
                                std::function<void()> whenDecoded = {});

// Drops the pictures of clips other than these (gone from the history).
void forgetCardImagesExcept(const QList<ClipItem>& items);

// Decodes the pictures of these clips that are not kept yet, at the size
// cards were last drawn, so that showing them costs no waiting.
void prefetchCardImages(const QList<ClipItem>& items);

// Drops every picture kept: for when no card has been shown for a while.
void releaseCardImages();

// The bytes of the pictures kept (tests, benchmarks).
qint64 cardImageBytes();

// The threads that decode pictures and read thumbnails. Not Qt's global
// pool: Qt scales and converts images there (the overlay's blur among them)
// and waits for it, which a long decode would hold up.
QThreadPool* pictureDecodingPool();

// Waits for the decoding started so far and delivers its notices (tests,
// benchmarks).
void waitForCardImagePrefetch();

// The size a picture of `pixels` is decoded at to fill `box`: fitted into
// it, never enlarged.
QSize fittedPictureSize(QSize pixels, QSize box);

// The picture fitted into `box`, or null when it does not decode or has more
// than maximumPicturePixels.
QImage decodedPicture(const QByteArray& png, QSize box);

// Reads and decodes `image` like decodedPicture on a worker thread, and
// hands the picture to `done` on the main thread unless `receiver` is gone
// by then.
void decodePictureLater(const ImageContent& image, QSize box, QObject* receiver,
                        std::function<void(const QImage&)> done);
