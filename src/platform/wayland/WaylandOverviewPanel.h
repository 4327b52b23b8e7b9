#pragma once

#include "overview/OverviewPanelSurface.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class OverviewModel;
class OverviewView;
class WaylandCompositorBlur;
class WaylandScreenCapture;

// The overlay window on Wayland: a frameless toplevel the size of the
// output, which the compositor stacks above the other windows and gives the
// keyboard focus while it is shown. Clients can neither grab the
// keyboard there, so the overlay takes the focus like any window, gives it
// back by going away, and dims whatever the compositor shows through it.
// Where the compositor lets clients copy the screen, the glass blurs a copy
// taken just before the window maps. The compositor decides how windows
// appear, so fades are instant (their completions still come after the
// full time).
class WaylandOverviewPanel : public QWidget, public OverviewPanelSurface {
    Q_OBJECT

public:
    static constexpr qreal dimming = 0.5;
    static constexpr qreal cardSpacing = 24;

    // How the window covers the output. wlroots compositors draw nothing
    // behind a full-screen window, so there the overlay asks for a fixed
    // size, which they show as a floating window over the others; the rest
    // show what lies under a translucent full-screen window.
    enum class Covering { fullScreen, floating };

    // The window maps once the screen copy has come, or after this long.
    static constexpr int captureWaitMilliseconds = 40;

    explicit WaylandOverviewPanel(OverviewModel& model, Covering covering = Covering::fullScreen,
                                  QWidget* parent = nullptr);
    ~WaylandOverviewPanel() override;

    // Copies of the screen for the glass; without one it is tinted only.
    void setScreenCapture(std::unique_ptr<WaylandScreenCapture> capture);
    // Asked at every showing to blur behind the window, where no copy of
    // the screen makes the glass.
    void setCompositorBlur(std::unique_ptr<WaylandCompositorBlur> blur);

    OverviewView* view() const { return m_view; }
    // Called after each paint of the window, for measurements.
    std::function<void()> onPainted;

    bool isOrderedIn() const override { return m_orderedIn; }
    qreal alpha() const override { return m_alpha; }
    void setAlpha(qreal alpha) override;
    void setIgnoresMouseEvents(bool ignores) override;
    void setFrame(const QRect& frame) override;
    void orderFrontAndTakeKeyboard() override;
    void orderOut() override;
    void animateAlpha(qreal target, int milliseconds, std::function<void()> completion) override;
    // Draws the view once off screen, so that the first showing finds its
    // layout, fonts and pictures ready.
    void warmUp() override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showWindow();
    void screenCaptured(const QImage& picture);

    OverviewView* m_view;
    std::unique_ptr<WaylandScreenCapture> m_capture;
    std::unique_ptr<WaylandCompositorBlur> m_blur;
    QTimer m_captureWait;
    Covering m_covering;
    bool m_orderedIn = false;
    // The compositor gave the window the keyboard during this showing.
    bool m_wasActive = false;
    qreal m_alpha = 1;
    QRect m_frame;
    QTimer m_fadeEnd;
    std::function<void()> m_fadeCompletion;
};
