#pragma once

#include "XcbConnection.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>

// Mouse button presses anywhere on the screen, also those another client
// receives, each reported with the top-level window under the pointer.
// They are read as XInput 2 raw events on a connection of our own, and only
// while watching: the rest of the time nothing arrives and nothing wakes.
class X11ButtonPresses : public QObject {
    Q_OBJECT

public:
    explicit X11ButtonPresses(QObject* parent = nullptr);
    ~X11ButtonPresses() override;

    void setWatching(bool watching);
    bool isWatching() const { return m_watching; }

Q_SIGNALS:
    // A button was pressed over that top-level window (XCB_NONE: over the
    // desktop itself, or another X screen). Wheel turns are no presses.
    void pressed(xcb_window_t topLevelWindow);

private:
    // Connects and checks for XInput 2 at the first watch; false without it.
    bool connect();
    void selectPresses(bool selected);
    void handleEvents();
    xcb_window_t topLevelWindowUnderPointer();

    std::unique_ptr<XcbConnection> m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    uint8_t m_inputOpcode = 0;
    bool m_watching = false;
};
