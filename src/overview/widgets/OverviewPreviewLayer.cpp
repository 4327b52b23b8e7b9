#include "OverviewPreviewLayer.h"

#include "ClipPreviewView.h"
#include "overview/OverviewModel.h"
#include "style/GlassContainer.h"
#include "style/GlassPainter.h"

#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>

namespace {

constexpr qreal previewCornerRadius = 28;
// How far the grid darkens behind the preview.
constexpr qreal dimming = 0.35;

} // namespace

OverviewPreviewLayer::OverviewPreviewLayer(OverviewModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_preview(new ClipPreviewView(this)),
      m_fade(new QVariantAnimation(this)), m_glass(new GlassContainer(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* effect = new QGraphicsOpacityEffect(this);
    effect->setEnabled(false);
    setGraphicsEffect(effect);
    m_fade->setDuration(fadeMilliseconds);
    m_fade->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this, effect](const QVariant& value) {
        m_opacity = value.toReal();
        effect->setOpacity(m_opacity);
    });
    connect(m_fade, &QVariantAnimation::finished, this, [this, effect] {
        // The effect renders offscreen; only keep it while fading.
        effect->setEnabled(false);
        if (m_opacity == 0) {
            hide();
            releaseBackdrop();
        }
    });
    connect(&m_model, &OverviewModel::previewItemChanged, this,
            &OverviewPreviewLayer::previewItemChanged);
    hide();
}

void OverviewPreviewLayer::setApplicationLookup(std::function<QIcon(const QString&)> icon,
                                                std::function<QString(const QString&)> name) {
    m_preview->applicationIcon = std::move(icon);
    m_preview->applicationName = std::move(name);
}

QRect OverviewPreviewLayer::previewFrame(const QSize& layer) {
    const int width = int(std::min(layer.width() * 0.6, 1000.0));
    const int height = int(layer.height() * 0.6);
    return {(layer.width() - width) / 2, (layer.height() - height) / 2, width, height};
}

void OverviewPreviewLayer::previewItemChanged() {
    const std::optional<ClipItem> item = m_model.previewItem();
    if (item)
        m_preview->setItem(*item);
    const bool showing = item.has_value();
    auto* effect = static_cast<QGraphicsOpacityEffect*>(graphicsEffect());
    m_fade->stop();
    if (!window()->isVisible()) {
        // Nothing to animate on a hidden overlay.
        m_opacity = showing ? 1 : 0;
        effect->setEnabled(false);
        setVisible(showing);
        if (!showing)
            releaseBackdrop();
        return;
    }
    effect->setEnabled(true);
    effect->setOpacity(m_opacity);
    m_fade->setStartValue(m_opacity);
    m_fade->setEndValue(showing ? 1.0 : 0.0);
    if (showing) {
        if (!isVisible())
            captureUnderneath();
        show();
        raise();
    }
    m_fade->start();
}

void OverviewPreviewLayer::captureUnderneath() {
    QWidget* view = parentWidget();
    const GlassContainer* under = view ? GlassContainer::of(*view) : nullptr;
    // Without a picture of the screen, the cards alone would leave the
    // preview's glass see-through between them: it keeps its solid ground.
    if (!under || !under->hasBackdrop() || view->size().isEmpty())
        return;
    // At one pixel per point whatever the screen: it is blurred anyway.
    QImage picture(view->size(), QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&picture);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(view->rect(), under->backdropBrush(*view, painter.transform()));
    }
    for (QWidget* part : view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (part != this && part->isVisible())
            part->render(&picture, part->pos(), QRegion(), QWidget::DrawChildren);
    }
    m_glass->setBackdrop(picture, dimming);
}

void OverviewPreviewLayer::releaseBackdrop() {
    m_glass->releaseBackdrop();
}

void OverviewPreviewLayer::resizeEvent(QResizeEvent*) {
    m_preview->setGeometry(previewFrame(size()));
}

void OverviewPreviewLayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, int(dimming * 255)));
    if (m_glass->hasBackdrop())
        return;
    // Glass without a blur lets the cards show through; a nearly opaque
    // ground under the preview keeps its text readable.
    QColor ground = palette().color(QPalette::Window);
    ground.setAlphaF(0.85);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(GlassPainter::roundedRect(QRectF(m_preview->geometry()).adjusted(1, 1, -1, -1),
                                               previewCornerRadius),
                     ground);
}

void OverviewPreviewLayer::mousePressEvent(QMouseEvent* event) {
    m_pressedOnPreview = m_preview->geometry().contains(event->position().toPoint());
    event->accept();
}

void OverviewPreviewLayer::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool onPreview = m_preview->geometry().contains(event->position().toPoint());
    if (onPreview && m_pressedOnPreview) {
        if (const auto item = m_model.previewItem())
            m_model.pick(*item, event->modifiers() & Qt::ShiftModifier
                                    ? OverviewModel::PasteForm::plain
                                    : OverviewModel::PasteForm::asIs);
    } else if (!onPreview && !m_pressedOnPreview) {
        m_model.setPreviewItem(std::nullopt);
    }
}
