#pragma once

#include "Shortcut.h"

#include <functional>
#include <optional>

class QKeyEvent;

namespace KeyboardShortcuts {

// Finds the virtual key code of a key event's physical key (from the X key
// code on X11); none for keys it does not know.
using VirtualKeyOfEvent = std::function<std::optional<qint64>(const QKeyEvent&)>;

// Installs the platform's reader for the whole process; without one no key
// event makes a shortcut. Main thread only.
void setVirtualKeyOfEvent(VirtualKeyOfEvent reader);
std::optional<qint64> virtualKeyOfEvent(const QKeyEvent& event);

// The event's modifiers as flag bits (ModifierFlag).
qint64 modifierFlagsOfEvent(const QKeyEvent& event);

// The shortcut a key event stands for: its physical key and modifiers.
std::optional<Shortcut> shortcutFromEvent(const QKeyEvent& event);

} // namespace KeyboardShortcuts
