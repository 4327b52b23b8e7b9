#include "WaylandVirtualKeyboard.h"

#include "WaylandEventPump.h"
#include "WaylandRegistry.h"
#include "WaylandSeatKeymap.h"
#include "virtual-keyboard-unstable-v1-client.h"

#include <chrono>
#include <unistd.h>
#include <wayland-client.h>

namespace {

// wl_keyboard.release came with version 3; 5 is what the listeners know.
constexpr uint32_t seatVersion = 5;

uint32_t millisecondsNow() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace

std::unique_ptr<WaylandVirtualKeyboard> WaylandVirtualKeyboard::connect() {
    std::unique_ptr<WaylandVirtualKeyboard> keyboard(new WaylandVirtualKeyboard);
    keyboard->m_display = wl_display_connect(nullptr);
    if (!keyboard->m_display || !keyboard->bind() || !keyboard->start())
        return nullptr;
    return keyboard;
}

WaylandVirtualKeyboard::~WaylandVirtualKeyboard() {
    m_events.reset();
    m_seatKeymap.reset();
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_manager)
        zwp_virtual_keyboard_manager_v1_destroy(m_manager);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_display)
        wl_display_disconnect(m_display);
}

// The seat first tells whether it has a keyboard, then that keyboard's
// keymap: two round trips.
bool WaylandVirtualKeyboard::bind() {
    if (!WaylandRegistry::read(
            m_display,
            {WaylandRegistry::bind(m_seat, wl_seat_interface, seatVersion),
             WaylandRegistry::bind(m_manager, zwp_virtual_keyboard_manager_v1_interface, 1)}) ||
        !m_seat || !m_manager)
        return false;
    m_seatKeymap = std::make_unique<WaylandSeatKeymap>(
        m_seat, [this](const QByteArray& text) { announced(text); });
    return wl_display_roundtrip(m_display) >= 0 && wl_display_roundtrip(m_display) >= 0;
}

// sway 1.7 gives a new keyboard its configured keymap and announces it
// before the one sent here, so what comes during this round trip is not
// the user's. The compositor refuses an untrusted client with a protocol
// error, which the round trip brings back.
bool WaylandVirtualKeyboard::start() {
    std::optional<WaylandKeymap> keymap;
    if (!m_announcedFirst.isEmpty())
        keymap = WaylandKeymap::fromText(m_announcedFirst);
    if (!keymap)
        keymap = WaylandKeymap::fromLayout("us");
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_manager, m_seat);
    if (!m_keyboard || !keymap || !carry(*keymap) || wl_display_roundtrip(m_display) < 0)
        return false;
    m_following = true;
    // Keymaps come with every change of the seat's keyboard; unread, they
    // would fill the connection until the compositor drops it.
    m_events = std::make_unique<WaylandEventPump>(m_display, nullptr);
    return true;
}

// Our own keymap comes back each time our keyboard types: the same text.
void WaylandVirtualKeyboard::announced(const QByteArray& text) {
    if (!m_following) {
        m_announcedFirst = text;
        return;
    }
    if (m_keymap && m_keymap->text() == text)
        return;
    if (const std::optional<WaylandKeymap> keymap = WaylandKeymap::fromText(text))
        carry(*keymap);
}

bool WaylandVirtualKeyboard::carry(const WaylandKeymap& keymap) {
    const int fd = keymap.file();
    if (fd < 0)
        return false;
    zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   keymap.fileSize());
    ::close(fd);
    m_keymap = keymap;
    return true;
}

// Takes up a keymap the compositor has announced and the event loop has not
// handled yet (the user switched layouts just before).
bool WaylandVirtualKeyboard::catchUp() {
    return wl_display_get_error(m_display) == 0 && wl_display_roundtrip(m_display) >= 0;
}

bool WaylandVirtualKeyboard::typeControlV() {
    return catchUp() && press(m_keymap->keyV(), m_keymap->controlMask(), m_keymap->layoutOfV());
}

bool WaylandVirtualKeyboard::typeKey(uint32_t evdevCode, bool withControl) {
    return catchUp() && press(evdevCode, withControl ? m_keymap->controlMask() : 0, 0);
}

bool WaylandVirtualKeyboard::press(uint32_t evdevCode, uint32_t modifiers, uint32_t layout) {
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, modifiers, 0, 0, layout);
    key(evdevCode, WL_KEYBOARD_KEY_STATE_PRESSED);
    key(evdevCode, WL_KEYBOARD_KEY_STATE_RELEASED);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    return wl_display_roundtrip(m_display) >= 0;
}

void WaylandVirtualKeyboard::key(uint32_t evdevCode, uint32_t state) {
    zwp_virtual_keyboard_v1_key(m_keyboard, millisecondsNow(), evdevCode, state);
}
