#pragma once

#include <QRect>

#include <functional>

// The overlay window as the panel controller drives it: ordered in and out,
// faded, made click-through, placed on a screen. The production window is
// OverviewPanel; tests drive the controller with a recording substitute.
class OverviewPanelSurface {
public:
    virtual ~OverviewPanelSurface() = default;

    // Called when the overlay loses the keyboard or the user turns to
    // another window (the stand-in for a panel resigning key status).
    std::function<void()> onResignKey;

    // Ordered in: on screen, possibly fading or transparent.
    virtual bool isOrderedIn() const = 0;
    virtual qreal alpha() const = 0;
    virtual void setAlpha(qreal alpha) = 0;
    virtual void setIgnoresMouseEvents(bool ignores) = 0;
    virtual void setFrame(const QRect& frame) = 0;
    // Shows the window above everything and takes the keyboard, without
    // activating the application.
    virtual void orderFrontAndTakeKeyboard() = 0;
    virtual void orderOut() = 0;
    // Animates the alpha to `target` over `milliseconds`, then calls
    // `completion` from the event loop.
    virtual void animateAlpha(qreal target, int milliseconds, std::function<void()> completion) = 0;
    // Pays at start-up, out of sight, what the first showing of a process
    // would cost; nothing to do for most windows.
    virtual void warmUp() {}

protected:
    OverviewPanelSurface() = default;
    OverviewPanelSurface(const OverviewPanelSurface&) = default;
    OverviewPanelSurface& operator=(const OverviewPanelSurface&) = default;
};
