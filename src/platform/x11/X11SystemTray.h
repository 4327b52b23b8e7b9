#pragma once

#include <QAbstractNativeEventFilter>

#include <functional>
#include <xcb/xcb.h>

// The screen's XEmbed system tray (the owner of _NET_SYSTEM_TRAY_Sn), which
// trays without StatusNotifierItems offer, and many with them. A tray that
// starts announces itself with a MANAGER message to the root window, whose
// structure events Qt selects on its connection.
class X11SystemTray : public QAbstractNativeEventFilter {
public:
    X11SystemTray(xcb_connection_t* connection, int screenNumber);
    ~X11SystemTray() override;
    X11SystemTray(const X11SystemTray&) = delete;
    X11SystemTray& operator=(const X11SystemTray&) = delete;

    bool isRunning() const;
    // Calls `started` whenever a tray takes the selection, from within
    // Qt's event handling.
    void observe(std::function<void()> started);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    xcb_connection_t* m_connection;
    xcb_atom_t m_selection = XCB_NONE;
    xcb_atom_t m_manager = XCB_NONE;
    std::function<void()> m_started;
    bool m_filtering = false;
};
