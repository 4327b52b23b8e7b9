#include "Symbols.h"

#include "SymbolIconEngine.h"

#include <QFile>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

namespace {

QString resourcePath(const QString& name) {
    return ":/symbols/"_L1 + name + ".svg"_L1;
}

} // namespace

// Resources compiled into a static library have to be registered by hand.
static void registerSymbolResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(symbols);
        return true;
    }();
    Q_UNUSED(registered);
}

bool Symbols::exists(const QString& name) {
    registerSymbolResources();
    return QFile::exists(resourcePath(name));
}

QPixmap Symbols::pixmap(const QString& name, int side, const QColor& colour,
                        qreal devicePixelRatio) {
    // Cards draw the same few symbols on every paint; reading and drawing
    // the SVG each time would cost more than the rest of the card.
    const QString key =
        u"symbol:%1:%2:%3:%4"_s.arg(name).arg(side).arg(colour.rgba()).arg(devicePixelRatio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = drawn(name, side, colour, devicePixelRatio);
    if (!pixmap.isNull())
        QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QIcon Symbols::icon(const QString& name, QPalette::ColorRole role) {
    registerSymbolResources();
    return QIcon(new SymbolIconEngine(resourcePath(name), role));
}

QIcon Symbols::icon(const QString& name, const QColor& colour) {
    registerSymbolResources();
    return QIcon(new SymbolIconEngine(resourcePath(name), colour));
}

QPixmap Symbols::drawn(const QString& name, int side, const QColor& colour,
                       qreal devicePixelRatio) {
    QPixmap pixmap = rendered(resourcePath(name), side, devicePixelRatio);
    if (pixmap.isNull())
        return pixmap;
    // The drawings are black; keep their shape, take the colour.
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(), pixmap.deviceIndependentSize()), colour);
    return pixmap;
}

QPixmap Symbols::rendered(const QString& resource, int side, qreal devicePixelRatio) {
    registerSymbolResources();
    QSvgRenderer renderer(resource);
    if (!renderer.isValid() || side <= 0)
        return {};
    const int pixels = qCeil(side * devicePixelRatio);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}
