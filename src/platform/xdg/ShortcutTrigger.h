#pragma once

#include <QString>

#include <optional>

// A stored shortcut in the freedesktop shortcuts format that the desktop
// portal takes: CTRL, ALT, SHIFT and LOGO, then the xkbcommon name of the
// key, joined by "+" (Control-Shift-V is "CTRL+SHIFT+v"). Keys are named
// as the US layout labels them; the desktop shows the trigger to the user,
// who may change it. None for a key without a name and for Fn, which no
// desktop binds.
std::optional<QString> shortcutTrigger(quint32 carbonKeyCode, quint32 carbonModifiers);
