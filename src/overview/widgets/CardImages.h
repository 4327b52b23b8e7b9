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
