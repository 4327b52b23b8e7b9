#include "Shortcut.h"

#include "Key.h"

#include <array>

namespace KeyboardShortcuts {

namespace {

struct ModifierBits {
    qint64 flag;
    qint64 carbon;
};

constexpr std::array<ModifierBits, 5> modifierTable{{
    {ModifierFlag::control, CarbonModifier::control},
    {ModifierFlag::option, CarbonModifier::option},
    {ModifierFlag::shift, CarbonModifier::shift},
    {ModifierFlag::command, CarbonModifier::command},
    {ModifierFlag::function, CarbonModifier::function},
}};

// F1–F20, help, forward delete, keypad clear, home, end, page up and down,
// and the arrows: keys that keyboards report together with Fn.
constexpr std::array<qint64, 31> functionTypeKeyCodes{
    122, 120, 99, 118, 96,  97,  98, 100, 101, 109, 103, 111, 105, 107, 113, 106,
    64,  79,  80, 90,  114, 117, 71, 115, 119, 116, 121, 126, 124, 125, 123};

} // namespace

qint64 carbonModifiersFromFlags(qint64 flags) {
    qint64 carbon = 0;
    for (const ModifierBits& bits : modifierTable) {
        if (flags & bits.flag)
            carbon |= bits.carbon;
    }
    return carbon;
}

qint64 flagsFromCarbonModifiers(qint64 carbonModifiers) {
    qint64 flags = 0;
    for (const ModifierBits& bits : modifierTable) {
        if (carbonModifiers & bits.carbon)
            flags |= bits.flag;
    }
    return flags;
}

bool isFunctionTypeKeyCode(qint64 keyCode) {
    for (qint64 code : functionTypeKeyCodes) {
        if (code == keyCode)
            return true;
    }
    return false;
}

qint64 normalizedModifiers(qint64 keyCode, qint64 carbonModifiers) {
    qint64 modifiers = carbonModifiersFromFlags(flagsFromCarbonModifiers(carbonModifiers));
    if (isFunctionTypeKeyCode(keyCode))
        modifiers &= ~CarbonModifier::function;
    return modifiers;
}

qint64 carbonModifiersFromQt(Qt::KeyboardModifiers modifiers) {
    qint64 carbon = 0;
    if (modifiers & Qt::ControlModifier)
        carbon |= CarbonModifier::control;
    if (modifiers & Qt::AltModifier)
        carbon |= CarbonModifier::option;
    if (modifiers & Qt::ShiftModifier)
        carbon |= CarbonModifier::shift;
    if (modifiers & Qt::MetaModifier)
        carbon |= CarbonModifier::command;
    return carbon;
}

Qt::KeyboardModifiers qtModifiersFromCarbon(qint64 carbonModifiers) {
    Qt::KeyboardModifiers modifiers;
    if (carbonModifiers & CarbonModifier::control)
        modifiers |= Qt::ControlModifier;
    if (carbonModifiers & CarbonModifier::option)
        modifiers |= Qt::AltModifier;
    if (carbonModifiers & CarbonModifier::shift)
        modifiers |= Qt::ShiftModifier;
    if (carbonModifiers & CarbonModifier::command)
        modifiers |= Qt::MetaModifier;
    return modifiers;
}

Shortcut Shortcut::fromKeyCode(qint64 keyCode, qint64 carbonModifiers) {
    return {keyCode, carbonModifiersFromFlags(flagsFromCarbonModifiers(carbonModifiers))};
}

Shortcut Shortcut::fromKey(const Key& key, qint64 flags) {
    return {key.rawValue, carbonModifiersFromFlags(flags)};
}

} // namespace KeyboardShortcuts
