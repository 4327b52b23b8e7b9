#include "WaylandVirtualKeyboard.h"

#include "WaylandRegistry.h"
#include "virtual-keyboard-unstable-v1-client.h"

#include <QByteArray>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

namespace {

// The protocol's key codes are the kernel's (linux/input-event-codes.h).
constexpr uint32_t evdevKeyV = 47;

struct XkbContextDeleter {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct XkbKeymapDeleter {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

// The US layout, so that the key V types a V whatever layout the user has.
std::unique_ptr<xkb_keymap, XkbKeymapDeleter> usKeymap() {
    std::unique_ptr<xkb_context, XkbContextDeleter> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return nullptr;
    const xkb_rule_names names{nullptr, nullptr, "us", nullptr, nullptr};
    return std::unique_ptr<xkb_keymap, XkbKeymapDeleter>(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

// An anonymous file holding `data`, as the protocol hands keymaps over.
int memoryFile(const char* data, size_t size) {
    const int fd = ::memfd_create("velloq-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
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

uint32_t millisecondsNow() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace

std::unique_ptr<WaylandVirtualKeyboard> WaylandVirtualKeyboard::connect() {
    std::unique_ptr<WaylandVirtualKeyboard> keyboard(new WaylandVirtualKeyboard);
    keyboard->m_display = wl_display_connect(nullptr);
    if (!keyboard->m_display || !keyboard->bind() || !keyboard->uploadKeymap())
        return nullptr;
    return keyboard;
}

WaylandVirtualKeyboard::~WaylandVirtualKeyboard() {
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_manager)
        zwp_virtual_keyboard_manager_v1_destroy(m_manager);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_display)
        wl_display_disconnect(m_display);
}

bool WaylandVirtualKeyboard::bind() {
    if (!WaylandRegistry::read(
            m_display,
            {WaylandRegistry::bind(m_seat, wl_seat_interface, 1),
             WaylandRegistry::bind(m_manager, zwp_virtual_keyboard_manager_v1_interface, 1)}) ||
        !m_seat || !m_manager)
        return false;
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_manager, m_seat);
    return m_keyboard != nullptr;
}

// The compositor refuses an untrusted client with a protocol error, which
// the round trip brings back.
bool WaylandVirtualKeyboard::uploadKeymap() {
    const auto keymap = usKeymap();
    if (!keymap)
        return false;
    const xkb_mod_index_t control = xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_CTRL);
    if (control == XKB_MOD_INVALID)
        return false;
    m_controlMask = 1u << control;
    const std::unique_ptr<char, FreeDeleter> text(
        xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1));
    if (!text)
        return false;
    // With its closing NUL, which the compositor's parser needs.
    const size_t size = std::strlen(text.get()) + 1;
    const int fd = memoryFile(text.get(), size);
    if (fd < 0)
        return false;
    zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   uint32_t(size));
    ::close(fd);
    return wl_display_roundtrip(m_display) >= 0;
}

bool WaylandVirtualKeyboard::typeControlV() {
    return typeKey(evdevKeyV, true);
}

bool WaylandVirtualKeyboard::typeKey(uint32_t evdevCode, bool withControl) {
    if (wl_display_get_error(m_display) != 0)
        return false;
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, withControl ? m_controlMask : 0, 0, 0, 0);
    key(evdevCode, WL_KEYBOARD_KEY_STATE_PRESSED);
    key(evdevCode, WL_KEYBOARD_KEY_STATE_RELEASED);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    return wl_display_roundtrip(m_display) >= 0;
}

void WaylandVirtualKeyboard::key(uint32_t evdevCode, uint32_t state) {
    zwp_virtual_keyboard_v1_key(m_keyboard, millisecondsNow(), evdevCode, state);
}
