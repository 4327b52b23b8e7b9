#pragma once

#include "KeyboardShortcuts/HotKeyRegistering.h"
#include "XcbConnection.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSocketNotifier>

#include <memory>
#include <optional>

// Global shortcuts on X11: passive key grabs on the root window, made on a
// connection of our own so that Qt's connection keeps its ordinary
// auto-repeat (this one asks XKB for detectable auto-repeat, which turns a
// held combination into repeated presses and a single release).
class X11HotKeys : public QObject, public KeyboardShortcuts::HotKeyRegistering {
    Q_OBJECT

public:
    explicit X11HotKeys(QObject* parent = nullptr);
    ~X11HotKeys() override;

    // False without a display; every registration is refused then.
    bool isValid() const { return m_connection.isValid(); }

    bool registerHotKey(quint32 id, quint32 carbonKeyCode, quint32 carbonModifiers) override;
    void unregisterHotKey(quint32 id) override;
    // Tries the grab and lets go at once: refused means someone holds it.
    bool isTakenBySystem(quint32 carbonKeyCode, quint32 carbonModifiers) override;

private:
    struct Registration {
        xcb_keycode_t keyCode = 0;
        uint16_t modifiers = 0;
    };

    void setUpXkb();
    void readLockMasks();
    std::optional<Registration> translate(quint32 carbonKeyCode, quint32 carbonModifiers) const;
    bool grab(const Registration& registration);
    void ungrab(const Registration& registration);
    QList<uint16_t> lockCombinations() const;
    void regrabAll();

    void handleEvents();
    void handleKey(bool press, xcb_keycode_t keyCode, uint16_t state);
    std::optional<quint32> registrationFor(xcb_keycode_t keyCode, uint16_t state) const;
    void scheduleEventCheck();
    void logOnce(const char* message);

    XcbConnection m_connection;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QHash<quint32, Registration> m_registrations;
    // The registrations whose key is held, by key code: the key's repeats
    // and its one release belong to them, whatever the modifiers do meanwhile.
    QHash<xcb_keycode_t, quint32> m_down;
    uint16_t m_lockMasks = 0;
    uint8_t m_xkbEventBase = 0;
    bool m_logged = false;
};
