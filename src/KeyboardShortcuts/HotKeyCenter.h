#pragma once

#include "HotKeyRegistering.h"
#include "Shortcut.h"

#include <QHash>

#include <memory>

namespace KeyboardShortcuts {

class HotKey;

// Turns the shortcuts the library makes live into system-wide grabs and
// calls their actions on press and release. While one of the
// application's menus (or the overlay, which holds the keyboard) is open,
// grabs cannot fire: the center withdraws them and matches the
// application's own key events instead.
class HotKeyCenter {
public:
    enum class Mode { disabled, normal, menuOpen };

    // The one center of the process, on the given system grabs; it lives
    // until replaced. Without a platform there is no center.
    static HotKeyCenter* install(HotKeyRegistering* platform);
    // The center, once installed; none before.
    static HotKeyCenter* existing();

    explicit HotKeyCenter(HotKeyRegistering* platform);
    ~HotKeyCenter();
    HotKeyCenter(const HotKeyCenter&) = delete;
    HotKeyCenter& operator=(const HotKeyCenter&) = delete;

    qint64 lastHotKeyId = 0;

    // Grabs the hot key's combination now; false when it cannot be had.
    bool registerHotKey(const std::shared_ptr<HotKey>& hotKey);
    void hotKeyReleased(HotKey& hotKey);

    bool isEnabled() const { return m_isEnabled; }
    void setEnabled(bool enabled);
    bool isMenuOpen() const { return m_isMenuOpen; }
    void setMenuOpen(bool open);
    Mode mode() const { return m_mode; }
    bool isRawKeyHandlingEnabled() const { return m_rawKeyHandling; }

    // A key event of the application itself while a menu is open: runs the
    // matching hot key and answers true (the event is swallowed), else
    // false. Repeats of a held key-down are let through.
    bool handleRawKey(qint64 keyCode, qint64 carbonModifiers, bool isAutoRepeat, EventType type);

private:
    void hotKeyEvent(quint32 id, EventType type);
    void registrationLost(quint32 id);
    bool grab(HotKey& hotKey);
    void registerAll();
    void unregisterAll();
    void applyMode();
    void reevaluateMode();
    std::shared_ptr<HotKey> live(qint64 id) const;

    HotKeyRegistering* m_platform;
    QHash<qint64, std::weak_ptr<HotKey>> m_hotKeys;
    bool m_handlerInstalled = false;
    bool m_isEnabled = true;
    bool m_isMenuOpen = false;
    Mode m_mode = Mode::normal;
    bool m_hotKeyEventHandling = false;
    bool m_rawKeyHandling = false;
    // Keys whose press matched a hot key while a menu was open, by key code.
    QHash<qint64, qint64> m_rawKeysDown;
};

} // namespace KeyboardShortcuts
