#pragma once

#include "history/ClipItem.h"

#include <QImage>
#include <QList>

// The pictures of image clips at card size, decoded once per clip and kept
// (up to about 100 MB of pixels) for every card that shows the clip.

// The clip's picture; decoded now when it is not kept yet. Null for a clip
// that is not an image or cannot be decoded.
QImage cardImage(const ClipItem& item);

// Decodes the pictures of these clips that are not kept yet, on a worker
// thread, so that showing their cards later costs no decoding.
void prefetchCardImages(const QList<ClipItem>& items);

// Waits for the decoding started by prefetchCardImages (tests, benchmarks).
void waitForCardImagePrefetch();

// Pictures with more pixels than this are never decoded: a small file can
// claim a huge picture and take minutes to unpack. Real photos (64 MP) stay
// well below it.
constexpr qint64 maximumPicturePixels = 150'000'000;

// The picture scaled to fit `longestSide`, or null when it does not decode or
// has more than maximumPicturePixels.
QImage decodedPicture(const QByteArray& png, int longestSide);
