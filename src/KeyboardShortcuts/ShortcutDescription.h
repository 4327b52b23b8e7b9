#pragma once

#include "Shortcut.h"

#include <QKeySequence>
#include <QString>

#include <functional>
#include <optional>

namespace KeyboardShortcuts {

// What a key types on the current keyboard layout, as one character; none
// when it types nothing.
using KeyToCharacter = std::function<std::optional<QString>(qint64 keyCode)>;

// Replaces the layout reader for the whole process; without one no key types
// a character (shortcuts show "�" for it). Install and call from the main
// thread.
void setKeyToCharacter(KeyToCharacter keyToCharacter);

// The character the key types, uncapitalized: none for the keys with a
// symbol of their own (Return, arrows, F-keys, keypad, …) and none unless
// the layout gives exactly one character.
std::optional<QString> keyToCharacter(qint64 keyCode);

// "⌃⌥⇧⌘" and the Fn globe, in that order, for the modifiers present.
QString modifierText(qint64 carbonModifiers);

// The shortcut as menus and the recorder show it, e.g. "⇧⌘V"; "�" stands in
// for a key the layout cannot name.
QString description(const Shortcut& shortcut);

// The character a menu item's key equivalent uses: the key's own symbol,
// the private-use character of an F-key, or the uncapitalized layout
// character. None for keypad keys and keys the layout cannot name.
std::optional<QString> keyEquivalent(const Shortcut& shortcut);

// The shortcut for Qt's shortcut map and menus; empty when the key has no
// Qt counterpart. Command is Meta (Super); Fn has no Qt modifier and is
// dropped.
QKeySequence keySequence(const Shortcut& shortcut);

} // namespace KeyboardShortcuts
