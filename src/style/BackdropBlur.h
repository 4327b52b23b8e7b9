#pragma once

#include <QImage>

// Turns a picture of what lies behind a glass surface into the soft wash the
// surface shows: shrunk, so the blur is cheap and the result small, then
// blurred with three box passes each way, which is close to a Gaussian.
class BackdropBlur {
public:
    BackdropBlur() = delete;

    // Shrinks `picture` by `factor` in each direction (averaging each
    // factor×factor block), blurs it over `radius` shrunk pixels and
    // darkens it by `shade` (0 leaves it, 1 makes it black). Returns a
    // 32-bit picture (premultiplied, or opaque for an opaque picture), or a
    // null one for a null picture.
    static QImage blurred(const QImage& picture, int factor, int radius, qreal shade = 0);
};
