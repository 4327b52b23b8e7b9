#include "KeyEvents.h"

#include "Key.h"

#include <QKeyEvent>

namespace KeyboardShortcuts {

namespace {

VirtualKeyOfEvent& reader() {
    static VirtualKeyOfEvent installed;
    return installed;
}

} // namespace

void setVirtualKeyOfEvent(VirtualKeyOfEvent reader) {
    KeyboardShortcuts::reader() = std::move(reader);
}

std::optional<qint64> virtualKeyOfEvent(const QKeyEvent& event) {
    return reader() ? reader()(event) : std::nullopt;
}

qint64 modifierFlagsOfEvent(const QKeyEvent& event) {
    return flagsFromCarbonModifiers(carbonModifiersFromQt(event.modifiers()));
}

std::optional<Shortcut> shortcutFromEvent(const QKeyEvent& event) {
    const std::optional<qint64> keyCode = virtualKeyOfEvent(event);
    if (!keyCode)
        return std::nullopt;
    return Shortcut::fromKey(Key{*keyCode}, modifierFlagsOfEvent(event) & ~ModifierFlag::function);
}

} // namespace KeyboardShortcuts
