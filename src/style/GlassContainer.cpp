#include "GlassContainer.h"

#include "BackdropBlur.h"

#include <QWidget>

GlassContainer::GlassContainer(QWidget* area) : QObject(area), m_area(area) {}

void GlassContainer::setBackdrop(const QImage& picture, qreal shade) {
    m_blurred = blurredBackdrop(picture, shade);
}

QImage GlassContainer::blurredBackdrop(const QImage& picture, qreal shade) {
    const int factor = std::max(1, qRound(shrinkFactor * picture.devicePixelRatio()));
    return BackdropBlur::blurred(picture, factor, blurRadius, shade);
}

void GlassContainer::releaseBackdrop() {
    m_blurred = QImage();
}

QBrush GlassContainer::backdropBrush(const QWidget& surface,
                                     const QTransform& painterTransform) const {
    if (m_blurred.isNull())
        return {};
    const QPointF offset = surface.mapTo(m_area, QPointF(0, 0));
    const QTransform toSurface = QTransform::fromTranslate(-offset.x(), -offset.y())
                                     .scale(qreal(m_area->width()) / m_blurred.width(),
                                            qreal(m_area->height()) / m_blurred.height());
    QBrush brush(m_blurred);
    // The brush is placed in the painter's coordinates, which a surface may
    // have moved or scaled; undoing that keeps the backdrop in place.
    brush.setTransform(toSurface * painterTransform.inverted());
    return brush;
}

const GlassContainer* GlassContainer::of(const QWidget& widget) {
    for (const QWidget* level = &widget; level; level = level->parentWidget()) {
        if (const auto* container =
                level->findChild<GlassContainer*>(QString(), Qt::FindDirectChildrenOnly))
            return container;
        if (level->isWindow())
            break;
    }
    return nullptr;
}
