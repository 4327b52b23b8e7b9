#pragma once

#include "history/ClipItem.h"

#include <QImage>
#include <QList>
#include <QSize>

#include <functional>
#include <optional>

class QObject;

// The pictures of image clips at card size, decoded once per clip on a
// worker thread and kept (up to 32 MB of pixels) for every card that shows
// the clip. The main thread never decodes: a picture can take seconds.

// The clip's picture when it is decoded already (null for a clip that is not
// an image, cannot be decoded or is too large); nullopt while it is being
// decoded, and then `whenDecoded` runs on the main thread once it is, unless
// `receiver` is gone by then. Call on the main thread.
std::optional<QImage> cardImage(const ClipItem& item, QObject* receiver = nullptr,
                                std::function<void()> whenDecoded = {});

// Drops the pictures of clips other than these (gone from the history).
void forgetCardImagesExcept(const QList<ClipItem>& items);

// Decodes the pictures of these clips that are not kept yet, so that showing
// their cards later costs no waiting.
void prefetchCardImages(const QList<ClipItem>& items);

// Waits for the decoding started so far and delivers its notices (tests,
// benchmarks).
void waitForCardImagePrefetch();

// The size the picture's header claims, without decoding it; invalid when
// it has none.
QSize pictureSize(const QByteArray& png);

// Pictures with more pixels than this are never decoded: a small file can
// claim a huge picture and take minutes to unpack. Real photos (64 MP) stay
// well below it.
constexpr qint64 maximumPicturePixels = 150'000'000;

// The picture scaled to fit `longestSide`, or null when it does not decode or
// has more than maximumPicturePixels.
QImage decodedPicture(const QByteArray& png, int longestSide);

// Decodes `png` like decodedPicture on a worker thread, and hands the picture
// to `done` on the main thread unless `receiver` is gone by then.
void decodePictureLater(const QByteArray& png, int longestSide, QObject* receiver,
                        std::function<void(const QImage&)> done);
