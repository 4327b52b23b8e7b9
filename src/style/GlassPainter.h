#pragma once

#include <QPainterPath>
#include <QPalette>

class QPainter;

// The translucent look of cards, bars and fields: a see-through fill of the
// window colour and a light outline that fades from top to bottom.
class GlassPainter {
public:
    GlassPainter() = delete;

    static void paint(QPainter& painter, const QPainterPath& shape, const QPalette& palette,
                      bool interactive = false);
    static QPainterPath roundedRect(const QRectF& rect, qreal radius);
    static QPainterPath capsule(const QRectF& rect);
};
