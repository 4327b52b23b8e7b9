#pragma once

#include "history/ClipItem.h"

#include <QIcon>
#include <QWidget>

#include <functional>
#include <optional>

class ClipPreviewView;
class GlassContainer;
class OverviewModel;
class QVariantAnimation;

// The enlarged clip over a darkened grid. A click beside it closes it; a
// click on it pastes the clip.
class OverviewPreviewLayer : public QWidget {
    Q_OBJECT

public:
    static constexpr int fadeMilliseconds = 180;

    explicit OverviewPreviewLayer(OverviewModel& model, QWidget* parent = nullptr);

    void setApplicationLookup(std::function<QIcon(const QString&)> icon,
                              std::function<QString(const QString&)> name);
    ClipPreviewView* preview() const { return m_preview; }
    // Where the preview sits in a layer of that size.
    static QRect previewFrame(const QSize& layer);
    // Drops the picture of the overlay the preview's glass blurs.
    void releaseBackdrop();
    GlassContainer* glass() const { return m_glass; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void previewItemChanged();
    // Gives the preview's glass a picture of the overlay under it.
    void captureUnderneath();

    OverviewModel& m_model;
    ClipPreviewView* m_preview;
    QVariantAnimation* m_fade;
    GlassContainer* m_glass;
    qreal m_opacity = 0;
    bool m_pressedOnPreview = false;
};
