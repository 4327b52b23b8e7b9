#pragma once

#include <QHashFunctions>
#include <Qt>

#include <functional>
#include <optional>

namespace KeyboardShortcuts {

struct Key;

// Modifier bits in the stored (Carbon) form. Stored shortcuts keep these
// exact numbers, so a settings file means the same on every platform.
namespace CarbonModifier {
constexpr qint64 command = 0x100;
constexpr qint64 shift = 0x200;
constexpr qint64 option = 0x800;
constexpr qint64 control = 0x1000;
constexpr qint64 function = 0x20000;
constexpr qint64 all = command | shift | option | control | function;
} // namespace CarbonModifier

// The same modifiers as flag bits of key events, in the numbering the
// stored form was designed against.
namespace ModifierFlag {
constexpr qint64 shift = 0x20000;
constexpr qint64 control = 0x40000;
constexpr qint64 option = 0x80000;
constexpr qint64 command = 0x100000;
constexpr qint64 function = 0x800000;
} // namespace ModifierFlag

qint64 carbonModifiersFromFlags(qint64 flags);
qint64 flagsFromCarbonModifiers(qint64 carbonModifiers);
// Keeps only the five known bits, and drops Fn for keys that always report
// it (function keys, arrows, navigation keys).
qint64 normalizedModifiers(qint64 keyCode, qint64 carbonModifiers);
bool isFunctionTypeKeyCode(qint64 keyCode);

// Qt's modifiers in stored form: Control → control, Alt → option,
// Shift → shift, Meta (Super) → command.
qint64 carbonModifiersFromQt(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiersFromCarbon(qint64 carbonModifiers);

// A key with modifiers: the key's virtual key code and the modifiers in
// stored form.
struct Shortcut {
    qint64 carbonKeyCode = 0;
    qint64 carbonModifiers = 0;

    // Stored values, taken as they are.
    static Shortcut fromStored(qint64 keyCode, qint64 carbonModifiers) {
        return {keyCode, carbonModifiers};
    }
    // Built ones keep only the five known modifier bits.
    static Shortcut fromKeyCode(qint64 keyCode, qint64 carbonModifiers);
    static Shortcut fromKey(const Key& key, qint64 flags);

    qint64 modifierFlags() const { return flagsFromCarbonModifiers(carbonModifiers); }

    friend bool operator==(const Shortcut&, const Shortcut&) = default;
};

inline size_t qHash(const Shortcut& shortcut, size_t seed = 0) {
    return qHashMulti(seed, shortcut.carbonKeyCode, shortcut.carbonModifiers);
}

enum class EventType { keyDown = 0, keyUp = 1 };

} // namespace KeyboardShortcuts

template <>
struct std::hash<KeyboardShortcuts::Shortcut> {
    size_t operator()(const KeyboardShortcuts::Shortcut& shortcut) const { return qHash(shortcut); }
};
