#include "ShortcutTrigger.h"

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace {

namespace K = KeyboardShortcuts::Keys;
namespace CarbonModifier = KeyboardShortcuts::CarbonModifier;

struct KeyName {
    KeyboardShortcuts::Key key;
    const char* name;
};

// Names of xkbcommon-keysyms.h without the XKB_KEY_ prefix, for the key at
// the same place on a US keyboard (the PC keys where a Mac differs: Insert
// for Help, Num Lock for Clear, the ISO key left of Z for Section).
constexpr std::array keyNames{
    KeyName{K::a, "a"},
    KeyName{K::b, "b"},
    KeyName{K::c, "c"},
    KeyName{K::d, "d"},
    KeyName{K::e, "e"},
    KeyName{K::f, "f"},
    KeyName{K::g, "g"},
    KeyName{K::h, "h"},
    KeyName{K::i, "i"},
    KeyName{K::j, "j"},
    KeyName{K::k, "k"},
    KeyName{K::l, "l"},
    KeyName{K::m, "m"},
    KeyName{K::n, "n"},
    KeyName{K::o, "o"},
    KeyName{K::p, "p"},
    KeyName{K::q, "q"},
    KeyName{K::r, "r"},
    KeyName{K::s, "s"},
    KeyName{K::t, "t"},
    KeyName{K::u, "u"},
    KeyName{K::v, "v"},
    KeyName{K::w, "w"},
    KeyName{K::x, "x"},
    KeyName{K::y, "y"},
    KeyName{K::z, "z"},
    KeyName{K::zero, "0"},
    KeyName{K::one, "1"},
    KeyName{K::two, "2"},
    KeyName{K::three, "3"},
    KeyName{K::four, "4"},
    KeyName{K::five, "5"},
    KeyName{K::six, "6"},
    KeyName{K::seven, "7"},
    KeyName{K::eight, "8"},
    KeyName{K::nine, "9"},
    KeyName{K::minus, "minus"},
    KeyName{K::equal, "equal"},
    KeyName{K::leftBracket, "bracketleft"},
    KeyName{K::rightBracket, "bracketright"},
    KeyName{K::semicolon, "semicolon"},
    KeyName{K::quote, "apostrophe"},
    KeyName{K::backtick, "grave"},
    KeyName{K::backslash, "backslash"},
    KeyName{K::comma, "comma"},
    KeyName{K::period, "period"},
    KeyName{K::slash, "slash"},
    KeyName{K::section, "less"},
    KeyName{K::escape, "Escape"},
    KeyName{K::deleteKey, "BackSpace"},
    KeyName{K::tab, "Tab"},
    KeyName{K::returnKey, "Return"},
    KeyName{K::space, "space"},
    KeyName{K::home, "Home"},
    KeyName{K::end, "End"},
    KeyName{K::pageUp, "Page_Up"},
    KeyName{K::pageDown, "Page_Down"},
    KeyName{K::leftArrow, "Left"},
    KeyName{K::rightArrow, "Right"},
    KeyName{K::upArrow, "Up"},
    KeyName{K::downArrow, "Down"},
    KeyName{K::help, "Insert"},
    KeyName{K::deleteForward, "Delete"},
    KeyName{K::mute, "XF86AudioMute"},
    KeyName{K::volumeDown, "XF86AudioLowerVolume"},
    KeyName{K::volumeUp, "XF86AudioRaiseVolume"},
    KeyName{K::f1, "F1"},
    KeyName{K::f2, "F2"},
    KeyName{K::f3, "F3"},
    KeyName{K::f4, "F4"},
    KeyName{K::f5, "F5"},
    KeyName{K::f6, "F6"},
    KeyName{K::f7, "F7"},
    KeyName{K::f8, "F8"},
    KeyName{K::f9, "F9"},
    KeyName{K::f10, "F10"},
    KeyName{K::f11, "F11"},
    KeyName{K::f12, "F12"},
    KeyName{K::f13, "F13"},
    KeyName{K::f14, "F14"},
    KeyName{K::f15, "F15"},
    KeyName{K::f16, "F16"},
    KeyName{K::f17, "F17"},
    KeyName{K::f18, "F18"},
    KeyName{K::f19, "F19"},
    KeyName{K::f20, "F20"},
    KeyName{K::keypad0, "KP_0"},
    KeyName{K::keypad1, "KP_1"},
    KeyName{K::keypad2, "KP_2"},
    KeyName{K::keypad3, "KP_3"},
    KeyName{K::keypad4, "KP_4"},
    KeyName{K::keypad5, "KP_5"},
    KeyName{K::keypad6, "KP_6"},
    KeyName{K::keypad7, "KP_7"},
    KeyName{K::keypad8, "KP_8"},
    KeyName{K::keypad9, "KP_9"},
    KeyName{K::keypadDecimal, "KP_Decimal"},
    KeyName{K::keypadMultiply, "KP_Multiply"},
    KeyName{K::keypadPlus, "KP_Add"},
    KeyName{K::keypadMinus, "KP_Subtract"},
    KeyName{K::keypadDivide, "KP_Divide"},
    KeyName{K::keypadEnter, "KP_Enter"},
    KeyName{K::keypadEquals, "KP_Equal"},
    KeyName{K::keypadClear, "Num_Lock"},
};

} // namespace

std::optional<QString> shortcutTrigger(quint32 carbonKeyCode, quint32 carbonModifiers) {
    if ((carbonModifiers & ~quint32(CarbonModifier::all)) ||
        (carbonModifiers & CarbonModifier::function))
        return std::nullopt;
    const auto it = std::find_if(keyNames.begin(), keyNames.end(), [&](const KeyName& keyName) {
        return keyName.key.rawValue == carbonKeyCode;
    });
    if (it == keyNames.end())
        return std::nullopt;
    QStringList parts;
    if (carbonModifiers & CarbonModifier::control)
        parts.append(QStringLiteral("CTRL"));
    if (carbonModifiers & CarbonModifier::option)
        parts.append(QStringLiteral("ALT"));
    if (carbonModifiers & CarbonModifier::shift)
        parts.append(QStringLiteral("SHIFT"));
    if (carbonModifiers & CarbonModifier::command)
        parts.append(QStringLiteral("LOGO"));
    parts.append(QString::fromLatin1(it->name));
    return parts.join(u'+');
}
