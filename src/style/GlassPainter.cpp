#include "GlassPainter.h"

#include <QLinearGradient>
#include <QPainter>

void GlassPainter::paint(QPainter& painter, const QPainterPath& shape, const QPalette& palette,
                         bool interactive) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette.color(QPalette::Window);
    fill.setAlphaF(interactive ? 0.82 : 0.72);
    painter.fillPath(shape, fill);
    // Stroke inside the border: clip to the shape and draw twice the width.
    const QRectF bounds = shape.boundingRect();
    QLinearGradient outline(bounds.topLeft(), bounds.bottomLeft());
    outline.setColorAt(0, QColor(255, 255, 255, int(0.45 * 255)));
    outline.setColorAt(1, QColor(255, 255, 255, int(0.10 * 255)));
    painter.setClipPath(shape, Qt::IntersectClip);
    painter.strokePath(shape, QPen(QBrush(outline), 2.0));
    painter.restore();
}

QPainterPath GlassPainter::roundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath GlassPainter::capsule(const QRectF& rect) {
    const qreal radius = qMin(rect.width(), rect.height()) / 2.0;
    return roundedRect(rect, radius);
}
