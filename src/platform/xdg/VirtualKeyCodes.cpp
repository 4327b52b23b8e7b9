#include "VirtualKeyCodes.h"

#include "KeyboardShortcuts/Key.h"

#include <QKeyEvent>

#include <algorithm>
#include <array>

namespace {

namespace K = KeyboardShortcuts::Keys;

struct Pair {
    KeyboardShortcuts::Key key;
    quint32 evdev;
};

// Values of <linux/input-event-codes.h>, written out so the table does not
// depend on kernel headers being installed.
constexpr std::array pairs{
    Pair{K::a, 30},
    Pair{K::b, 48},
    Pair{K::c, 46},
    Pair{K::d, 32},
    Pair{K::e, 18},
    Pair{K::f, 33},
    Pair{K::g, 34},
    Pair{K::h, 35},
    Pair{K::i, 23},
    Pair{K::j, 36},
    Pair{K::k, 37},
    Pair{K::l, 38},
    Pair{K::m, 50},
    Pair{K::n, 49},
    Pair{K::o, 24},
    Pair{K::p, 25},
    Pair{K::q, 16},
    Pair{K::r, 19},
    Pair{K::s, 31},
    Pair{K::t, 20},
    Pair{K::u, 22},
    Pair{K::v, 47},
    Pair{K::w, 17},
    Pair{K::x, 45},
    Pair{K::y, 21},
    Pair{K::z, 44},
    Pair{K::one, 2},
    Pair{K::two, 3},
    Pair{K::three, 4},
    Pair{K::four, 5},
    Pair{K::five, 6},
    Pair{K::six, 7},
    Pair{K::seven, 8},
    Pair{K::eight, 9},
    Pair{K::nine, 10},
    Pair{K::zero, 11},
    Pair{K::minus, 12},
    Pair{K::equal, 13},
    Pair{K::leftBracket, 26},
    Pair{K::rightBracket, 27},
    Pair{K::semicolon, 39},
    Pair{K::quote, 40},
    Pair{K::backtick, 41},
    Pair{K::backslash, 43},
    Pair{K::comma, 51},
    Pair{K::period, 52},
    Pair{K::slash, 53},
    // The extra key of ISO keyboards (KEY_102ND).
    Pair{K::section, 86},

    Pair{K::escape, 1},
    Pair{K::deleteKey, 14},
    Pair{K::tab, 15},
    Pair{K::returnKey, 28},
    Pair{K::space, 57},
    Pair{K::home, 102},
    Pair{K::upArrow, 103},
    Pair{K::pageUp, 104},
    Pair{K::leftArrow, 105},
    Pair{K::rightArrow, 106},
    Pair{K::end, 107},
    Pair{K::downArrow, 108},
    Pair{K::pageDown, 109},
    // KEY_INSERT, not KEY_HELP: PC keyboards put Insert where Mac keyboards
    // have Help, and almost none has a Help key.
    Pair{K::help, 110},
    Pair{K::deleteForward, 111},

    Pair{K::control, 29},
    Pair{K::shift, 42},
    Pair{K::rightShift, 54},
    Pair{K::option, 56},
    Pair{K::capsLock, 58},
    Pair{K::rightControl, 97},
    Pair{K::rightOption, 100},
    Pair{K::command, 125},
    Pair{K::rightCommand, 126},

    Pair{K::mute, 113},
    Pair{K::volumeDown, 114},
    Pair{K::volumeUp, 115},

    Pair{K::f1, 59},
    Pair{K::f2, 60},
    Pair{K::f3, 61},
    Pair{K::f4, 62},
    Pair{K::f5, 63},
    Pair{K::f6, 64},
    Pair{K::f7, 65},
    Pair{K::f8, 66},
    Pair{K::f9, 67},
    Pair{K::f10, 68},
    Pair{K::f11, 87},
    Pair{K::f12, 88},
    Pair{K::f13, 183},
    Pair{K::f14, 184},
    Pair{K::f15, 185},
    Pair{K::f16, 186},
    Pair{K::f17, 187},
    Pair{K::f18, 188},
    Pair{K::f19, 189},
    Pair{K::f20, 190},

    Pair{K::keypadMultiply, 55},
    // Mac keypads have Clear where PC keypads have Num Lock.
    Pair{K::keypadClear, 69},
    Pair{K::keypad7, 71},
    Pair{K::keypad8, 72},
    Pair{K::keypad9, 73},
    Pair{K::keypadMinus, 74},
    Pair{K::keypad4, 75},
    Pair{K::keypad5, 76},
    Pair{K::keypad6, 77},
    Pair{K::keypadPlus, 78},
    Pair{K::keypad1, 79},
    Pair{K::keypad2, 80},
    Pair{K::keypad3, 81},
    Pair{K::keypad0, 82},
    Pair{K::keypadDecimal, 83},
    Pair{K::keypadEnter, 96},
    Pair{K::keypadDivide, 98},
    Pair{K::keypadEquals, 117},
};

} // namespace

std::optional<quint32> evdevCodeForVirtualKey(qint64 virtualKeyCode) {
    const auto it = std::find_if(pairs.begin(), pairs.end(), [&](const Pair& pair) {
        return pair.key.rawValue == virtualKeyCode;
    });
    return it == pairs.end() ? std::nullopt : std::optional(it->evdev);
}

std::optional<qint64> virtualKeyForEvdevCode(quint32 evdevCode) {
    const auto it = std::find_if(pairs.begin(), pairs.end(),
                                 [&](const Pair& pair) { return pair.evdev == evdevCode; });
    return it == pairs.end() ? std::nullopt : std::optional(it->key.rawValue);
}

std::optional<qint64> virtualKeyOfEvent(const QKeyEvent& event) {
    const quint32 keyCode = event.nativeScanCode();
    if (keyCode < xKeycodeOffset)
        return std::nullopt;
    return virtualKeyForEvdevCode(keyCode - xKeycodeOffset);
}
