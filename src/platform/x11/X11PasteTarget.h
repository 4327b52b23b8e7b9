#pragma once

#include "XcbConnection.h"

#include <QDeadlineTimer>
#include <QObject>

#include <optional>

class X11Workspace;

// Sends Control-V to another application on X11: brings its last active
// window forward through the window manager, waits (without blocking the
// event loop) until it is active and the user has let go of every modifier,
// then types Control-V through XTest.
class X11PasteTarget : public QObject {
    Q_OBJECT

public:
    static constexpr int activationDeadlineMs = 500;
    static constexpr int activationPollMs = 20;
    static constexpr int modifierReleaseDeadlineMs = 2000;

    explicit X11PasteTarget(X11Workspace& workspace, QObject* parent = nullptr);

    // Whether key events can be sent at all (the XTest extension).
    bool hasAccess();
    void sendCommandV(qint32 pid);

Q_SIGNALS:
    // The paste gave up: the process is gone, its window did not come
    // forward, or keys cannot be sent.
    void commandVAbandoned(qint32 pid);

private:
    void requestActivation(xcb_window_t window);
    void waitForActivation(xcb_window_t window, qint32 pid, QDeadlineTimer deadline);
    void waitForModifierRelease(qint32 pid, QDeadlineTimer deadline);
    bool modifiersHeld();
    void typeControlV();
    std::optional<xcb_keycode_t> keycodeOf(uint32_t keysym);
    xcb_timestamp_t serverTime();

    XcbConnection m_connection;
    X11Workspace& m_workspace;
    xcb_window_t m_timeWindow = XCB_NONE;
};
