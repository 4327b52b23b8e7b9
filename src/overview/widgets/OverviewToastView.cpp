#include "OverviewToastView.h"

#include "style/GlassPainter.h"
#include "style/TextStyles.h"

#include <QPainter>

namespace {

constexpr qreal toastHorizontalPadding = 20;
constexpr qreal toastVerticalPadding = 8;

} // namespace

OverviewToastView::OverviewToastView(QWidget* parent) : QWidget(parent) {
    setFont(designFont(14, QFont::Medium));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_presence = value.toReal();
        update();
    });
}

void OverviewToastView::setMessage(const std::optional<QString>& message) {
    if (message == m_message)
        return;
    m_message = message;
    if (message)
        m_shownText = *message;
    m_animation.stop();
    m_animation.setStartValue(m_presence);
    m_animation.setEndValue(message ? 1.0 : 0.0);
    m_animation.setDuration(message ? appearMilliseconds : disappearMilliseconds);
    m_animation.setEasingCurve(message ? QEasingCurve::OutBack : QEasingCurve::OutCubic);
    if (isVisible()) {
        m_animation.start();
    } else {
        m_presence = message ? 1.0 : 0.0;
        update();
    }
    setAccessibleName(m_message.value_or(QString()));
}

QSize OverviewToastView::sizeHint() const {
    const QFontMetricsF metrics(font());
    return QSizeF(metrics.horizontalAdvance(m_shownText) + 2 * toastHorizontalPadding,
                  metrics.height() + 2 * toastVerticalPadding)
        .toSize();
}

void OverviewToastView::paintEvent(QPaintEvent*) {
    if (m_presence <= 0 || m_shownText.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(qBound(0.0, m_presence, 1.0));
    const QSizeF size = sizeHint();
    const qreal scale = 0.9 + 0.1 * m_presence;
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(scale, scale);
    const QRectF capsule(-size.width() / 2.0, -size.height() / 2.0, size.width(), size.height());
    GlassPainter::paint(painter, *this, GlassPainter::capsule(capsule));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(capsule, Qt::AlignCenter, m_shownText);
}
