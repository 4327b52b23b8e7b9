#pragma once

#include <QtGlobal>

#include <optional>

// Stored shortcuts name keys by macOS virtual key code; key grabs and key
// events name the physical key. The bridge is the Linux input event code
// (KEY_* of <linux/input-event-codes.h>) of the key in the same place on a
// PC keyboard.

class QKeyEvent;

// None for keys a PC keyboard does not have (Fn).
std::optional<quint32> evdevCodeForVirtualKey(qint64 virtualKeyCode);
std::optional<qint64> virtualKeyForEvdevCode(quint32 evdevCode);

// On servers with the evdev keymap (every current Xorg and Xvfb), the X key
// code is the kernel's code plus 8, because X reserves key codes below 8.
// XKB keymaps on Wayland number keys the same way.
constexpr quint32 xKeycodeOffset = 8;

// The physical key of a key event as a virtual key code; Qt gives the XKB
// key code as the event's native scan code on X11 and on Wayland.
std::optional<qint64> virtualKeyOfEvent(const QKeyEvent& event);
