#include "CardTransitions.h"

#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QVariantAnimation>

VanishingCard::VanishingCard(const QPixmap& picture, const QRect& geometry, int milliseconds,
                             QWidget* parent)
    : QWidget(parent), m_picture(picture) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(geometry);
    auto* animation = new QVariantAnimation(this);
    animation->setDuration(milliseconds);
    animation->setEasingCurve(QEasingCurve::InOutCubic);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toReal();
        update();
    });
    connect(animation, &QVariantAnimation::finished, this, &QObject::deleteLater);
    show();
    raise();
    animation->start();
}

void VanishingCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(1.0 - m_progress);
    const qreal scale = 1.0 - 0.2 * m_progress;
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(scale, scale);
    painter.translate(-width() / 2.0, -height() / 2.0);
    painter.drawPixmap(rect(), m_picture);
}

void fadeIn(QWidget* card, int milliseconds) {
    auto* effect = new QGraphicsOpacityEffect(card);
    effect->setOpacity(0);
    card->setGraphicsEffect(effect);
    auto* animation = new QVariantAnimation(effect);
    animation->setDuration(milliseconds);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    QObject::connect(animation, &QVariantAnimation::valueChanged, effect,
                     [effect](const QVariant& value) { effect->setOpacity(value.toReal()); });
    // The effect draws the card offscreen: only keep it while fading.
    QObject::connect(animation, &QVariantAnimation::finished, card,
                     [card] { card->setGraphicsEffect(nullptr); });
    animation->start();
}
