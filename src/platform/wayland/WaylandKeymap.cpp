#include "WaylandKeymap.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <xkbcommon/xkbcommon.h>

namespace {

// Wayland's key codes are the kernel's (linux/input-event-codes.h); XKB's
// evdev key codes are those plus 8.
constexpr uint32_t evdevKeyV = 47;
constexpr xkb_keycode_t evdevOffset = 8;

struct XkbContextDeleter {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct XkbKeymapDeleter {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};
using Context = std::unique_ptr<xkb_context, XkbContextDeleter>;
using Keymap = std::unique_ptr<xkb_keymap, XkbKeymapDeleter>;

bool givesV(xkb_keymap* keymap, xkb_keycode_t code, xkb_layout_index_t layout) {
    const xkb_keysym_t* symbols = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap, code, layout, 0, &symbols);
    return count > 0 && std::find(symbols, symbols + count, XKB_KEY_v) != symbols + count;
}

struct KeyV {
    xkb_keycode_t code;
    xkb_layout_index_t layout;
};

// The first key that gives v, in the first layout with one. A layout
// without any (Greek or Russian alone) keeps the key where a US keyboard has
// V: toolkits read that as Control-V, as they do when the user presses it.
KeyV keyGivingV(xkb_keymap* keymap) {
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap);
    for (xkb_layout_index_t layout = 0; layout < xkb_keymap_num_layouts(keymap); ++layout) {
        for (xkb_keycode_t code = std::max(xkb_keymap_min_keycode(keymap), evdevOffset);
             code <= last; ++code) {
            if (givesV(keymap, code, layout))
                return {code, layout};
        }
    }
    return {evdevKeyV + evdevOffset, 0};
}

// The kernel's codes of the three rows of letters, Q to P, A to L, Z to M.
bool givesEveryLetter(xkb_keymap* keymap) {
    for (const auto& [first, last] : {std::pair{16u, 25u}, {30u, 38u}, {44u, 50u}}) {
        for (uint32_t code = first; code <= last; ++code) {
            const xkb_keysym_t* symbols = nullptr;
            if (xkb_keymap_key_get_syms_by_level(keymap, code + evdevOffset, 0, 0, &symbols) <= 0)
                return false;
        }
    }
    return true;
}

// The symbols of the keys of a PC keyboard's main block (the kernel's codes
// 1 to 88) in every layout and level, which xkbcommon's versions agree on
// however they write the keymap (newer ones leave out rare keys above).
QByteArray symbolsOfMainKeys(xkb_keymap* keymap) {
    QByteArray all;
    const auto add = [&all](uint32_t value) {
        all.append(reinterpret_cast<const char*>(&value), 4);
    };
    for (xkb_keycode_t code = 1 + evdevOffset; code <= 88 + evdevOffset; ++code) {
        for (xkb_layout_index_t layout = 0; layout < xkb_keymap_num_layouts_for_key(keymap, code);
             ++layout) {
            for (xkb_level_index_t level = 0;
                 level < xkb_keymap_num_levels_for_key(keymap, code, layout); ++level) {
                const xkb_keysym_t* symbols = nullptr;
                const int count =
                    xkb_keymap_key_get_syms_by_level(keymap, code, layout, level, &symbols);
                add(code);
                for (int i = 0; i < count; ++i)
                    add(symbols[i]);
            }
        }
    }
    return all;
}

} // namespace

std::optional<WaylandKeymap> WaylandKeymap::fromText(const QByteArray& text) {
    const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return std::nullopt;
    const Keymap keymap(xkb_keymap_new_from_string(
        context.get(), text.constData(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    const xkb_mod_index_t control =
        keymap ? xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_CTRL) : XKB_MOD_INVALID;
    if (control == XKB_MOD_INVALID)
        return std::nullopt;
    WaylandKeymap result;
    result.m_text = text;
    result.m_symbols = symbolsOfMainKeys(keymap.get());
    result.m_controlMask = 1u << control;
    const KeyV key = keyGivingV(keymap.get());
    result.m_keyV = key.code - evdevOffset;
    result.m_layoutOfV = key.layout;
    result.m_isLayout = givesEveryLetter(keymap.get());
    return result;
}

std::optional<WaylandKeymap> WaylandKeymap::fromLayout(const char* layout, const char* variant) {
    const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return std::nullopt;
    const xkb_rule_names names{nullptr, nullptr, layout, variant, nullptr};
    const Keymap keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return std::nullopt;
    const std::unique_ptr<char, FreeDeleter> text(
        xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1));
    return text ? fromText(QByteArray(text.get())) : std::nullopt;
}

int WaylandKeymap::file() const {
    const int fd = ::memfd_create("velloq-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    const char* data = m_text.constData();
    const size_t size = fileSize();
    size_t written = 0;
    while (written < size) {
        const ssize_t count = ::write(fd, data + written, size - written);
        if (count <= 0) {
            ::close(fd);
            return -1;
        }
        written += size_t(count);
    }
    return fd;
}
