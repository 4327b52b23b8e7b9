#include "ShortcutDescription.h"

#include <QCoreApplication>
#include <QStringView>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace KeyboardShortcuts {

namespace {

struct SpecialKey {
    qint64 keyCode;
    // Null for Space, whose name is translated at the time it is shown.
    const char16_t* display;
    // Null where menus have no key equivalent for the key (keypad).
    const char16_t* keyEquivalent;
    Qt::Key qtKey;
    bool keypad = false;
};

constexpr std::array<SpecialKey, 53> specialKeys{{
    {36, u"↩", u"↩", Qt::Key_Return},
    {51, u"⌫", u"⌫", Qt::Key_Backspace},
    {117, u"⌦", u"⌦", Qt::Key_Delete},
    {119, u"↘", u"↘", Qt::Key_End},
    {53, u"⎋", u"⎋", Qt::Key_Escape},
    // PC keyboards have Insert where Mac ones have Help, so Insert is recorded
    // under Help's key code.
    {114, u"?\u20DD", u"?\u20DD", Qt::Key_Insert},
    {115, u"↖", u"↖", Qt::Key_Home},
    {49, nullptr, u" ", Qt::Key_Space},
    {48, u"⇥", u"⇥", Qt::Key_Tab},
    {116, u"⇞", u"⇞", Qt::Key_PageUp},
    {121, u"⇟", u"⇟", Qt::Key_PageDown},
    {126, u"↑", u"↑", Qt::Key_Up},
    {124, u"→", u"→", Qt::Key_Right},
    {125, u"↓", u"↓", Qt::Key_Down},
    {123, u"←", u"←", Qt::Key_Left},
    // Menus take F-keys as the private-use characters reserved for them.
    {122, u"F1", u"\uF704", Qt::Key_F1},
    {120, u"F2", u"\uF705", Qt::Key_F2},
    {99, u"F3", u"\uF706", Qt::Key_F3},
    {118, u"F4", u"\uF707", Qt::Key_F4},
    {96, u"F5", u"\uF708", Qt::Key_F5},
    {97, u"F6", u"\uF709", Qt::Key_F6},
    {98, u"F7", u"\uF70A", Qt::Key_F7},
    {100, u"F8", u"\uF70B", Qt::Key_F8},
    {101, u"F9", u"\uF70C", Qt::Key_F9},
    {109, u"F10", u"\uF70D", Qt::Key_F10},
    {103, u"F11", u"\uF70E", Qt::Key_F11},
    {111, u"F12", u"\uF70F", Qt::Key_F12},
    {105, u"F13", u"\uF710", Qt::Key_F13},
    {107, u"F14", u"\uF711", Qt::Key_F14},
    {113, u"F15", u"\uF712", Qt::Key_F15},
    {106, u"F16", u"\uF713", Qt::Key_F16},
    {64, u"F17", u"\uF714", Qt::Key_F17},
    {79, u"F18", u"\uF715", Qt::Key_F18},
    {80, u"F19", u"\uF716", Qt::Key_F19},
    {90, u"F20", u"\uF717", Qt::Key_F20},
    // Keypad keys show in a keycap (U+20E3) to tell them from the main row.
    {82, u"0\u20E3", nullptr, Qt::Key_0, true},
    {83, u"1\u20E3", nullptr, Qt::Key_1, true},
    {84, u"2\u20E3", nullptr, Qt::Key_2, true},
    {85, u"3\u20E3", nullptr, Qt::Key_3, true},
    {86, u"4\u20E3", nullptr, Qt::Key_4, true},
    {87, u"5\u20E3", nullptr, Qt::Key_5, true},
    {88, u"6\u20E3", nullptr, Qt::Key_6, true},
    {89, u"7\u20E3", nullptr, Qt::Key_7, true},
    {91, u"8\u20E3", nullptr, Qt::Key_8, true},
    {92, u"9\u20E3", nullptr, Qt::Key_9, true},
    {71, u"☒\u20E3", nullptr, Qt::Key_Clear, true},
    {65, u".\u20E3", nullptr, Qt::Key_Period, true},
    {75, u"/\u20E3", nullptr, Qt::Key_Slash, true},
    {76, u"↩\u20E3", nullptr, Qt::Key_Enter, true},
    {81, u"=\u20E3", nullptr, Qt::Key_Equal, true},
    {78, u"-\u20E3", nullptr, Qt::Key_Minus, true},
    {67, u"*\u20E3", nullptr, Qt::Key_Asterisk, true},
    {69, u"+\u20E3", nullptr, Qt::Key_Plus, true},
}};

const SpecialKey* findSpecialKey(qint64 keyCode) {
    const auto* found =
        std::find_if(specialKeys.begin(), specialKeys.end(),
                     [keyCode](const SpecialKey& key) { return key.keyCode == keyCode; });
    return found == specialKeys.end() ? nullptr : found;
}

KeyToCharacter& installedKeyToCharacter() {
    static KeyToCharacter installed;
    return installed;
}

std::optional<char32_t> singleCodePoint(QStringView text) {
    if (text.size() == 1 && !text[0].isSurrogate())
        return text[0].unicode();
    if (text.size() == 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[0], text[1]);
    return std::nullopt;
}

// Upper-cases the first character only; simple case mapping keeps a single
// character single (ß stays ß rather than becoming SS).
QString withFirstLetterUpperCased(const QString& text) {
    if (text.isEmpty())
        return text;
    const bool pair = text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate();
    const char32_t first = pair ? QChar::surrogateToUcs4(text[0], text[1]) : text[0].unicode();
    const char32_t upper = QChar::toUpper(first);
    return QString::fromUcs4(&upper, 1) + text.mid(pair ? 2 : 1);
}

QString displayText(const SpecialKey& key) {
    if (key.display)
        return QString::fromUtf16(key.display);
    return withFirstLetterUpperCased(
        QCoreApplication::translate("KeyboardShortcuts", "Space", "space_key"));
}

} // namespace

void setKeyToCharacter(KeyToCharacter keyToCharacter) {
    installedKeyToCharacter() = std::move(keyToCharacter);
}

std::optional<QString> keyToCharacter(qint64 keyCode) {
    if (findSpecialKey(keyCode))
        return std::nullopt;
    const KeyToCharacter& installed = installedKeyToCharacter();
    std::optional<QString> character = installed ? installed(keyCode) : std::nullopt;
    if (!character || !singleCodePoint(*character))
        return std::nullopt;
    return character;
}

QString modifierText(qint64 carbonModifiers) {
    // Through the flag form, so bits other than the five modifiers are ignored.
    const qint64 flags = flagsFromCarbonModifiers(carbonModifiers);
    QString text;
    if (flags & ModifierFlag::control)
        text += u"⌃"_s;
    if (flags & ModifierFlag::option)
        text += u"⌥"_s;
    if (flags & ModifierFlag::shift)
        text += u"⇧"_s;
    if (flags & ModifierFlag::command)
        text += u"⌘"_s;
    if (flags & ModifierFlag::function)
        text += u"\U0001F310\uFE0E"_s; // the globe, as text rather than emoji
    return text;
}

QString description(const Shortcut& shortcut) {
    QString key;
    if (const SpecialKey* special = findSpecialKey(shortcut.carbonKeyCode))
        key = displayText(*special);
    else if (const std::optional<QString> character = keyToCharacter(shortcut.carbonKeyCode))
        key = withFirstLetterUpperCased(*character);
    else
        key = u"�"_s;
    return modifierText(shortcut.carbonModifiers) + key;
}

std::optional<QString> keyEquivalent(const Shortcut& shortcut) {
    if (const SpecialKey* special = findSpecialKey(shortcut.carbonKeyCode)) {
        if (!special->keyEquivalent)
            return std::nullopt;
        return QString::fromUtf16(special->keyEquivalent);
    }
    return keyToCharacter(shortcut.carbonKeyCode);
}

QKeySequence keySequence(const Shortcut& shortcut) {
    Qt::KeyboardModifiers modifiers = qtModifiersFromCarbon(shortcut.carbonModifiers);
    Qt::Key key;
    if (const SpecialKey* special = findSpecialKey(shortcut.carbonKeyCode)) {
        key = special->qtKey;
        // Qt reports keypad presses with KeypadModifier; without it the
        // sequence would match the main-row key instead.
        if (special->keypad)
            modifiers |= Qt::KeypadModifier;
    } else if (const std::optional<QString> character = keyToCharacter(shortcut.carbonKeyCode)) {
        // Qt numbers character keys by their upper-case code point.
        key = Qt::Key(QChar::toUpper(*singleCodePoint(*character)));
    } else {
        return {};
    }
    return QKeySequence(QKeyCombination(modifiers, key));
}

} // namespace KeyboardShortcuts
