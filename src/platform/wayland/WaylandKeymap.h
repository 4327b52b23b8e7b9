#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// A keyboard layout as Wayland hands it around (xkbcommon's text form),
// with what typing Control-V in it takes: the key that gives v there, the
// layout (group) it gives it in, and Control's bit in the modifier masks.
class WaylandKeymap {
public:
    // None when xkbcommon cannot compile the text.
    static std::optional<WaylandKeymap> fromText(const QByteArray& text);
    // The keymap of an XKB layout such as "us" or "de", with a variant
    // ("dvorak") when asked.
    static std::optional<WaylandKeymap> fromLayout(const char* layout,
                                                   const char* variant = nullptr);

    const QByteArray& text() const { return m_text; }
    uint32_t controlMask() const { return m_controlMask; }
    // A Linux input event code, as the virtual-keyboard protocol wants.
    uint32_t keyV() const { return m_keyV; }
    uint32_t layoutOfV() const { return m_layoutOfV; }
    // Whether every letter key of a keyboard gives something: a layout, not
    // the few keys a typing tool (wtype) makes up for the text it types.
    bool isLayout() const { return m_isLayout; }
    // Whether the two give the same symbols on the keys of a keyboard's main
    // block, however they were written: a compositor hands ours on as its
    // own xkbcommon writes it, which may be another version.
    bool sameKeys(const WaylandKeymap& other) const { return m_symbols == other.m_symbols; }

    // An anonymous file holding the text with its closing NUL, which the
    // compositor's parser needs, as the protocol hands keymaps over; -1
    // when none could be made. The caller closes it.
    int file() const;
    uint32_t fileSize() const { return uint32_t(m_text.size()) + 1; }

    bool operator==(const WaylandKeymap&) const = default;

private:
    WaylandKeymap() = default;

    QByteArray m_text;
    QByteArray m_symbols;
    uint32_t m_controlMask = 0;
    uint32_t m_keyV = 0;
    uint32_t m_layoutOfV = 0;
    bool m_isLayout = false;
};
