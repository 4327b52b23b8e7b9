#pragma once

#include "Shortcut.h"

#include <functional>

namespace KeyboardShortcuts {

// System-wide key grabs, as the hot key center uses them. The X11 adapter
// grabs on a connection of its own; tests record the calls and inject
// presses and releases.
class HotKeyRegistering {
public:
    virtual ~HotKeyRegistering() = default;

    // Reserves the combination for this process under `id`. False when it
    // cannot be had: another client holds it, the key has no key code on
    // this keyboard, or the modifiers cannot be grabbed (Fn).
    virtual bool registerHotKey(quint32 id, quint32 carbonKeyCode, quint32 carbonModifiers) = 0;
    virtual void unregisterHotKey(quint32 id) = 0;
    // Whether the desktop or another client holds the combination, so a
    // registration would fail. Combinations this process registered are
    // not taken. Platforms that cannot tell answer false.
    virtual bool isTakenBySystem(quint32 carbonKeyCode, quint32 carbonModifiers) {
        Q_UNUSED(carbonKeyCode);
        Q_UNUSED(carbonModifiers);
        return false;
    }

    // Set by the center: a press or a release of a registered combination.
    // A held combination gives presses while it repeats and one release.
    std::function<void(quint32 id, EventType type)> onHotKeyEvent;
    // Set by the center: a registration was lost after the fact (the grab
    // could not be renewed after the keyboard mapping changed).
    std::function<void(quint32 id)> onRegistrationLost;
    // Set by the center: the name of a registered combination, empty when
    // it has none (see HotKey::name).
    std::function<QString(quint32 id)> nameOfHotKey;

protected:
    HotKeyRegistering() = default;
    HotKeyRegistering(const HotKeyRegistering&) = default;
    HotKeyRegistering& operator=(const HotKeyRegistering&) = default;
};

} // namespace KeyboardShortcuts
