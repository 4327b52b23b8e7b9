#pragma once

#include <QHashFunctions>
#include <QtGlobal>

namespace KeyboardShortcuts {

// A key by its macOS virtual key code: stored shortcuts keep these numbers,
// so the platform adapters translate them to their own key codes.
struct Key {
    qint64 rawValue = 0;

    friend bool operator==(Key, Key) = default;
};

inline size_t qHash(Key key, size_t seed = 0) {
    return ::qHash(key.rawValue, seed);
}

// The virtual key codes of Apple's published table (kVK_*). Keys named by
// the character they carry are the ANSI layout's positions.
namespace Keys {

inline constexpr Key a{0x00};
inline constexpr Key s{0x01};
inline constexpr Key d{0x02};
inline constexpr Key f{0x03};
inline constexpr Key h{0x04};
inline constexpr Key g{0x05};
inline constexpr Key z{0x06};
inline constexpr Key x{0x07};
inline constexpr Key c{0x08};
inline constexpr Key v{0x09};
inline constexpr Key section{0x0A};
inline constexpr Key b{0x0B};
inline constexpr Key q{0x0C};
inline constexpr Key w{0x0D};
inline constexpr Key e{0x0E};
inline constexpr Key r{0x0F};
inline constexpr Key y{0x10};
inline constexpr Key t{0x11};
inline constexpr Key one{0x12};
inline constexpr Key two{0x13};
inline constexpr Key three{0x14};
inline constexpr Key four{0x15};
inline constexpr Key six{0x16};
inline constexpr Key five{0x17};
inline constexpr Key equal{0x18};
inline constexpr Key nine{0x19};
inline constexpr Key seven{0x1A};
inline constexpr Key minus{0x1B};
inline constexpr Key eight{0x1C};
inline constexpr Key zero{0x1D};
inline constexpr Key rightBracket{0x1E};
inline constexpr Key o{0x1F};
inline constexpr Key u{0x20};
inline constexpr Key leftBracket{0x21};
inline constexpr Key i{0x22};
inline constexpr Key p{0x23};
inline constexpr Key l{0x25};
inline constexpr Key j{0x26};
inline constexpr Key quote{0x27};
inline constexpr Key k{0x28};
inline constexpr Key semicolon{0x29};
inline constexpr Key backslash{0x2A};
inline constexpr Key comma{0x2B};
inline constexpr Key slash{0x2C};
inline constexpr Key n{0x2D};
inline constexpr Key m{0x2E};
inline constexpr Key period{0x2F};
inline constexpr Key backtick{0x32};

// "return" and "delete" are C++ keywords.
inline constexpr Key returnKey{0x24};
inline constexpr Key tab{0x30};
inline constexpr Key space{0x31};
inline constexpr Key deleteKey{0x33};
inline constexpr Key escape{0x35};
inline constexpr Key deleteForward{0x75};
inline constexpr Key help{0x72};
inline constexpr Key home{0x73};
inline constexpr Key pageUp{0x74};
inline constexpr Key end{0x77};
inline constexpr Key pageDown{0x79};
inline constexpr Key leftArrow{0x7B};
inline constexpr Key rightArrow{0x7C};
inline constexpr Key downArrow{0x7D};
inline constexpr Key upArrow{0x7E};

inline constexpr Key rightCommand{0x36};
inline constexpr Key command{0x37};
inline constexpr Key shift{0x38};
inline constexpr Key capsLock{0x39};
inline constexpr Key option{0x3A};
inline constexpr Key control{0x3B};
inline constexpr Key rightShift{0x3C};
inline constexpr Key rightOption{0x3D};
inline constexpr Key rightControl{0x3E};
inline constexpr Key function{0x3F};

inline constexpr Key volumeUp{0x48};
inline constexpr Key volumeDown{0x49};
inline constexpr Key mute{0x4A};

inline constexpr Key f1{0x7A};
inline constexpr Key f2{0x78};
inline constexpr Key f3{0x63};
inline constexpr Key f4{0x76};
inline constexpr Key f5{0x60};
inline constexpr Key f6{0x61};
inline constexpr Key f7{0x62};
inline constexpr Key f8{0x64};
inline constexpr Key f9{0x65};
inline constexpr Key f10{0x6D};
inline constexpr Key f11{0x67};
inline constexpr Key f12{0x6F};
inline constexpr Key f13{0x69};
inline constexpr Key f14{0x6B};
inline constexpr Key f15{0x71};
inline constexpr Key f16{0x6A};
inline constexpr Key f17{0x40};
inline constexpr Key f18{0x4F};
inline constexpr Key f19{0x50};
inline constexpr Key f20{0x5A};

inline constexpr Key keypad0{0x52};
inline constexpr Key keypad1{0x53};
inline constexpr Key keypad2{0x54};
inline constexpr Key keypad3{0x55};
inline constexpr Key keypad4{0x56};
inline constexpr Key keypad5{0x57};
inline constexpr Key keypad6{0x58};
inline constexpr Key keypad7{0x59};
inline constexpr Key keypad8{0x5B};
inline constexpr Key keypad9{0x5C};
inline constexpr Key keypadDecimal{0x41};
inline constexpr Key keypadMultiply{0x43};
inline constexpr Key keypadPlus{0x45};
inline constexpr Key keypadClear{0x47};
inline constexpr Key keypadDivide{0x4B};
inline constexpr Key keypadEnter{0x4C};
inline constexpr Key keypadMinus{0x4E};
inline constexpr Key keypadEquals{0x51};

} // namespace Keys

} // namespace KeyboardShortcuts
