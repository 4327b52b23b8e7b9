#include "WaylandSeatKeymap.h"

#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace {

// wl_keyboard.release came with version 3 of the seat.
constexpr uint32_t releaseVersion = 3;

void seatName(void*, wl_seat*, const char*) {}
void keyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void keyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void keyboardKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void keyboardModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void keyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}

// The keymap's text without the closing NUL; empty when it cannot be read.
QByteArray readKeymap(int fd, uint32_t size) {
    // Since version 7 of the seat the file must be mapped privately.
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED)
        return {};
    const auto* text = static_cast<const char*>(data);
    QByteArray keymap(text, qsizetype(::strnlen(text, size)));
    ::munmap(data, size);
    return keymap;
}

} // namespace

WaylandSeatKeymap::WaylandSeatKeymap(wl_seat* seat, Announced announced, KeyboardGone gone)
    : m_seat(seat), m_announced(std::move(announced)), m_gone(std::move(gone)) {
    static const wl_seat_listener listener{&WaylandSeatKeymap::capabilities, seatName};
    wl_seat_add_listener(m_seat, &listener, this);
}

WaylandSeatKeymap::~WaylandSeatKeymap() {
    releaseKeyboard();
}

// A keyboard asked for while the seat has none stays mute for good, so a
// new one is asked for each time the seat gains a keyboard.
void WaylandSeatKeymap::capabilities(void* data, wl_seat* seat, uint32_t offered) {
    auto* self = static_cast<WaylandSeatKeymap*>(data);
    const bool hasKeyboard = (offered & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (!hasKeyboard) {
        const bool had = self->m_keyboard != nullptr;
        self->releaseKeyboard();
        if (had && self->m_gone)
            self->m_gone();
        return;
    }
    if (self->m_keyboard)
        return;
    static const wl_keyboard_listener listener{.keymap = &WaylandSeatKeymap::keymap,
                                               .enter = keyboardEnter,
                                               .leave = keyboardLeave,
                                               .key = keyboardKey,
                                               .modifiers = keyboardModifiers,
                                               .repeat_info = keyboardRepeat};
    self->m_keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(self->m_keyboard, &listener, self);
}

// A keymap of another format (none: a keyboard without a keymap of its own
// is the seat's for the moment) says nothing of the user's layout.
void WaylandSeatKeymap::keymap(void* data, wl_keyboard*, uint32_t format, int32_t fd,
                               uint32_t size) {
    auto* self = static_cast<WaylandSeatKeymap*>(data);
    const QByteArray text =
        format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 ? readKeymap(fd, size) : QByteArray();
    ::close(fd);
    if (!text.isEmpty() && self->m_announced)
        self->m_announced(text);
}

void WaylandSeatKeymap::releaseKeyboard() {
    if (!m_keyboard)
        return;
    if (wl_keyboard_get_version(m_keyboard) >= releaseVersion)
        wl_keyboard_release(m_keyboard);
    else
        wl_keyboard_destroy(m_keyboard);
    m_keyboard = nullptr;
}
