#pragma once

#include <QPainterPath>

class QPainter;
class QWidget;

// The frosted look of cards, bars and fields: the blurred backdrop of the
// surface's glass container, a tint of the window colour and a light
// outline that fades from top to bottom. Without a backdrop the tint is
// denser, so that whatever shows through stays quiet.
class GlassPainter {
public:
    GlassPainter() = delete;

    // Dense enough that secondary text keeps a contrast of 4.5:1 whatever
    // the screen under the window shows: over black, light glass stays
    // light, and over white, dark glass stays dark.
    static constexpr qreal tintOverBackdrop = 0.8;
    static constexpr qreal tintAlone = 0.9;
    // Interactive surfaces are a little more solid, to read as controls.
    static constexpr qreal interactiveExtra = 0.1;

    // Paints `shape`, in `surface`'s painter coordinates, as glass.
    static void paint(QPainter& painter, const QWidget& surface, const QPainterPath& shape,
                      bool interactive = false);
    static QPainterPath roundedRect(const QRectF& rect, qreal radius);
    static QPainterPath capsule(const QRectF& rect);
};
