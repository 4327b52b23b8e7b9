#include "SymbolIconEngine.h"

#include "Symbols.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmapCache>

using namespace Qt::StringLiterals;

SymbolIconEngine::SymbolIconEngine(QString resource, Tint tint)
    : m_resource(std::move(resource)), m_tint(std::move(tint)) {}

std::optional<QColor> SymbolIconEngine::colour(QIcon::Mode mode) const {
    if (const auto* fixed = std::get_if<QColor>(&m_tint))
        return *fixed;
    if (const auto* role = std::get_if<QPalette::ColorRole>(&m_tint)) {
        const QPalette::ColorGroup group =
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active;
        return QGuiApplication::palette().color(group, *role);
    }
    return std::nullopt;
}

// QIcon asks for device pixels and sets the pixel ratio itself.
QPixmap SymbolIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) {
    const int side = qMin(size.width(), size.height());
    const std::optional<QColor> tint = colour(mode);
    const QString key =
        u"symbol-icon:%1:%2:%3"_s.arg(m_resource).arg(side).arg(tint ? tint->rgba() : 0u);
    QPixmap drawn;
    if (QPixmapCache::find(key, &drawn))
        return drawn;
    drawn = Symbols::rendered(m_resource, side);
    if (drawn.isNull())
        return drawn;
    if (tint) {
        QPainter painter(&drawn);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(drawn.rect(), *tint);
    }
    QPixmapCache::insert(key, drawn);
    return drawn;
}

void SymbolIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                             QIcon::State state) {
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
    drawn.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, drawn);
}

QList<QSize> SymbolIconEngine::availableSizes(QIcon::Mode, QIcon::State) {
    QList<QSize> sizes;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256})
        sizes.append(QSize(side, side));
    return sizes;
}

QIconEngine* SymbolIconEngine::clone() const {
    return new SymbolIconEngine(m_resource, m_tint);
}

QString SymbolIconEngine::key() const {
    return u"velloq-symbol"_s;
}
