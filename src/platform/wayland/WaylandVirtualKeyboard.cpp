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

// A keyboard is made at once, as the compositor refuses an untrusted client
// only then, and kept only where it took the seat (sway 1.7 gives it to
// every new keyboard; later ones to a new keyboard when the seat has none).
std::unique_ptr<WaylandVirtualKeyboard> WaylandVirtualKeyboard::connect() {
    std::unique_ptr<WaylandVirtualKeyboard> keyboard(new WaylandVirtualKeyboard);
    keyboard->m_display = wl_display_connect(nullptr);
    if (!keyboard->m_display || !keyboard->bind() || !keyboard->make())
        return nullptr;
    keyboard->keepIfTheSeats();
    // Keymaps come with every change of the seat's keyboard; unread, they
    // would fill the connection until the compositor drops it.
    keyboard->m_events = std::make_unique<WaylandEventPump>(keyboard->m_display, nullptr);
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
        m_seat, [this](const QByteArray& text) { announced(text); },
        [this] { seatLostKeyboard(); });
    return wl_display_roundtrip(m_display) >= 0 && wl_display_roundtrip(m_display) >= 0;
}

// The compositor refuses an untrusted client with a protocol error, which
// the round trip brings back.
bool WaylandVirtualKeyboard::make() {
    const std::optional<WaylandKeymap> keymap =
        m_userKeymap ? m_userKeymap : WaylandKeymap::fromLayout("us");
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_manager, m_seat);
    return m_keyboard && keymap && carry(*keymap) && ownRoundTrip();
}

bool WaylandVirtualKeyboard::ready() {
    return m_keyboard || make();
}

void WaylandVirtualKeyboard::keepIfTheSeats() {
    if (m_seatHolder != Holder::Ours)
        drop();
}

void WaylandVirtualKeyboard::drop() {
    if (!m_keyboard)
        return;
    zwp_virtual_keyboard_v1_destroy(m_keyboard);
    m_keyboard = nullptr;
    m_keymap.reset();
    wl_display_flush(m_display);
}

// Outside our own round trips, a keymap announced means another keyboard
// has the seat (or the seat's keyboard has a new keymap): ours is not the
// seat's any more. A typing tool's few keys are no layout to carry.
void WaylandVirtualKeyboard::announced(const QByteArray& text) {
    const std::optional<WaylandKeymap> keymap = WaylandKeymap::fromText(text);
    if (m_own) {
        m_seatHolder =
            keymap && m_keymap && keymap->sameKeys(*m_keymap) ? Holder::Ours : Holder::Another;
        return;
    }
    if (keymap && keymap->isLayout())
        m_userKeymap = keymap;
    drop();
}

// The last keyboard went (wtype's, after ours gave way to it): ours, made
// now, is the seat's, so applications started later get the user's keymap,
// and a paste is not the first key after the seat had no keyboard, which
// clients lose while they ask for a keyboard anew. A compositor that does
// not give the seat to its only keyboard is not asked again.
void WaylandVirtualKeyboard::seatLostKeyboard() {
    if (m_keyboard || m_own || !m_makeWhenAlone || !make())
        return;
    m_makeWhenAlone = m_seatHolder == Holder::Ours;
    keepIfTheSeats();
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

// Two round trips: a keyboard that gives the seat back the keyboard
// capability has our seat listener ask for a keyboard of its own in the
// first, which is told the seat's keymap in the second.
bool WaylandVirtualKeyboard::ownRoundTrip() {
    m_own = true;
    m_seatHolder = Holder::Unknown;
    const bool done = wl_display_roundtrip(m_display) >= 0 && wl_display_roundtrip(m_display) >= 0;
    m_own = false;
    return done;
}

// Takes up what the compositor has announced and the event loop has not
// handled yet (another keyboard typed, the user switched layouts).
bool WaylandVirtualKeyboard::catchUp() {
    return wl_display_get_error(m_display) == 0 && wl_display_roundtrip(m_display) >= 0;
}

bool WaylandVirtualKeyboard::typeControlV() {
    return catchUp() && ready() &&
           press(m_keymap->keyV(), m_keymap->controlMask(), m_keymap->layoutOfV());
}

bool WaylandVirtualKeyboard::typeKey(uint32_t evdevCode, bool withControl) {
    return catchUp() && ready() && press(evdevCode, withControl ? m_keymap->controlMask() : 0, 0);
}

// Typing makes ours the seat's keyboard, unless another typed after it.
bool WaylandVirtualKeyboard::press(uint32_t evdevCode, uint32_t modifiers, uint32_t layout) {
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, modifiers, 0, 0, layout);
    key(evdevCode, WL_KEYBOARD_KEY_STATE_PRESSED);
    key(evdevCode, WL_KEYBOARD_KEY_STATE_RELEASED);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, 0, 0, 0, 0);
    if (!ownRoundTrip())
        return false;
    if (m_seatHolder == Holder::Another)
        drop();
    return true;
}

void WaylandVirtualKeyboard::key(uint32_t evdevCode, uint32_t state) {
    zwp_virtual_keyboard_v1_key(m_keyboard, millisecondsNow(), evdevCode, state);
}
