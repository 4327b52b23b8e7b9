#pragma once

#include "ScreenCapture.h"
#include "X11ButtonPresses.h"
#include "overview/OverviewPanelSurface.h"

#include <QImage>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>
#include <future>
#include <thread>

class OverviewModel;
class OverviewView;
class QScreen;

// The overlay window: frameless, above everything, override-redirect so the
// window manager neither decorates nor activates it. Input focus stays on
// the user's window; the overlay reads the keyboard through an active grab
// while it is shown. With a compositing manager the window is translucent
// and fades; without one the backdrop is a dimmed capture of the screen and
// fades are instant (their completions still come after the full time).
// Either way the glass blurs a capture taken just before the window shows.
class OverviewPanel : public QWidget, public OverviewPanelSurface {
    Q_OBJECT

public:
    static constexpr qreal dimming = 0.5;
    static constexpr qreal cardSpacing = 24;

    // `isCompositing` tells whether a compositing manager runs right now.
    OverviewPanel(OverviewModel& model, std::function<bool()> isCompositing,
                  QWidget* parent = nullptr);
    ~OverviewPanel() override;

    OverviewView* view() const { return m_view; }
    bool holdsKeyboard() const { return m_holdsKeyboard; }
    // Called after each paint of the window, for measurements.
    std::function<void()> onPainted;

    // Another window became active: the user turned away from the overlay.
    // Also called by the overlay itself for a click outside it (on another
    // screen) and when its keyboard grab ends without it letting go.
    void keyStatusTakenAway();

    bool isOrderedIn() const override { return m_orderedIn; }
    qreal alpha() const override { return m_alpha; }
    void setAlpha(qreal alpha) override;
    void setIgnoresMouseEvents(bool ignores) override;
    void setFrame(const QRect& frame) override;
    void orderFrontAndTakeKeyboard() override;
    void orderOut() override;
    void animateAlpha(qreal target, int milliseconds, std::function<void()> completion) override;
    // The first showing of the window and the first screen captures.
    void warmUp() override;

    // The window's buffer (a screenful of pixels shared with the X server)
    // is given back once the overlay has been out of sight this long: making
    // it again costs the next first frame about 15 ms, which someone opening
    // the overlay again and again should not pay each time.
    static constexpr int bufferReleaseMilliseconds = 10'000;
    // Gives the buffer back now; the next showing makes it again.
    void releaseBuffer();

Q_SIGNALS:
    // The overlay took the keyboard (true) or let it go (false).
    void keyboardHeldChanged(bool holds);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void showUnseen(QScreen* screen);
    void endWarmUp();
    // Makes the window's buffer at the frame's size, if it was given back.
    void prepareBuffer();
    // Waits until the buffer's pages are all there.
    void finishBuffer();
    void captureBackdrop();
    void finishBackdrop();
    void tryKeyboardGrab();
    void releaseKeyboard();
    void placeWindow();
    void pressedOn(xcb_window_t topLevelWindow);

    OverviewView* m_view;
    std::function<bool()> m_isCompositing;
    bool m_composited = false;
    bool m_orderedIn = false;
    bool m_holdsKeyboard = false;
    // The X server told that our grab began: an end of a grab reported
    // before that belongs to an earlier one.
    bool m_grabConfirmed = false;
    bool m_warmingUp = false;
    qreal m_alpha = 1;
    QRect m_frame;
    // The screen under the window, as drawn behind the cards without a
    // compositor, and blurred for the glass.
    struct Backdrop {
        QImage screen;
        QImage blurred;
        // Of which showing; a late one for an earlier showing is dropped.
        int showing = 0;
    };
    ScreenCapture m_capture;
    // Waits for the capture and blurs it while the window is made ready.
    std::future<Backdrop> m_backdropWork;
    int m_showing = 0;
    QImage m_backdrop;
    QTimer m_grabRetry;
    X11ButtonPresses m_presses;
    int m_grabAttempts = 0;
    QVariantAnimation m_fade;
    QTimer m_fadeEnd;
    QTimer m_bufferRelease;
    std::thread m_bufferPages;
    std::function<void()> m_fadeCompletion;
};
