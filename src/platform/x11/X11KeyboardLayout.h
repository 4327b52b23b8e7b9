#pragma once

#include "XcbConnection.h"

#include <QString>

#include <memory>
#include <optional>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// What a key types in the current keyboard layout: the symbol at the first
// level of the active group, as text. Kept on a connection of our own and
// followed through XKB's notifications, so layout changes (setxkbmap, group
// switches) show up at the next call.
class X11KeyboardLayout {
public:
    X11KeyboardLayout();
    ~X11KeyboardLayout();
    X11KeyboardLayout(const X11KeyboardLayout&) = delete;
    X11KeyboardLayout& operator=(const X11KeyboardLayout&) = delete;

    // False without a display or without XKB; every answer is none then.
    bool isValid() const { return m_context != nullptr; }

    // None for keys that type nothing printable (Return, Escape, arrows)
    // and for keys a PC keyboard lacks. Space gives " ".
    std::optional<QString> character(qint64 virtualKeyCode);

private:
    struct Unref {
        void operator()(xkb_context* context) const;
        void operator()(xkb_keymap* keymap) const;
        void operator()(xkb_state* state) const;
    };

    void applyNotifications();
    void loadKeymap();

    XcbConnection m_connection;
    uint8_t m_xkbEventBase = 0;
    std::unique_ptr<xkb_context, Unref> m_context;
    std::unique_ptr<xkb_keymap, Unref> m_keymap;
    std::unique_ptr<xkb_state, Unref> m_state;
    bool m_keymapOutdated = true;
};
