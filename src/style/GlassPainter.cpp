#include "GlassPainter.h"

#include "GlassContainer.h"

#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

void GlassPainter::paint(QPainter& painter, const QWidget& surface, const QPainterPath& shape,
                         bool interactive) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const GlassContainer* container = GlassContainer::of(surface);
    const bool overBackdrop = container && container->hasBackdrop();
    if (overBackdrop) {
        // The backdrop is small: smooth scaling is part of the blur.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.fillPath(shape, container->backdropBrush(surface, painter.transform()));
    }
    const bool overBlur = container && container->seesBlurBehind();
    QColor tint = surface.palette().color(QPalette::Window);
    tint.setAlphaF((overBlur ? tintOverBackdrop : tintAlone) +
                   (interactive ? interactiveExtra : 0));
    painter.fillPath(shape, tint);
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
