#pragma once

#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <optional>

class QAction;

namespace KeyboardShortcuts {

// Gives the action the user's shortcut for `name` and keeps it current as
// the shortcut changes. The shortcut the action had before the first call
// is its fallback, shown while the name has no shortcut. None stops the
// following and restores the fallback. A bare std::nullopt is ambiguous
// between the overloads: write std::optional<Name>().
//
// The action's shortcut context is left as it is. When the name is also a
// global hot key, the X server hands its presses to the grab rather than to
// our windows, so the action is not triggered a second time.
void setShortcut(QAction* action, const std::optional<Name>& name);

// Gives the action a fixed shortcut (none clears it), ending any following
// of a name; the fallback from that is forgotten, not restored.
void setShortcut(QAction* action, const std::optional<Shortcut>& shortcut);

} // namespace KeyboardShortcuts
