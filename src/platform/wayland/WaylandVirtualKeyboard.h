#pragma once

#include "WaylandKeyboard.h"
#include "WaylandKeymap.h"

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <optional>

class WaylandEventPump;
class WaylandSeatKeymap;
struct wl_display;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

// A keyboard of our own on a wlroots compositor (the virtual-keyboard
// protocol), on a connection of its own, typing into whichever client has
// the keyboard focus. It carries the user's layout (the latest the seat
// announced) and finds the key for V in it: after a paste the focused
// application still types the user's letters. Only where the seat has
// announced none does it bring a US one.
//
// It is kept only while it is the seat's keyboard: let go of as soon as the
// seat announces another one's keymap, made again when the seat has no
// keyboard left. sway does not fall back to another keyboard when the
// seat's goes away (wtype's, once it has typed): it leaves the seat with
// none, and while any keyboard is left, clients started then are told of a
// keyboard without a keymap, on which Chromium crashes. Ours, idle, must not
// be that keyboard left.
class WaylandVirtualKeyboard final : public WaylandKeyboard {
public:
    // None without a compositor ($WAYLAND_DISPLAY), the protocol or a seat,
    // or when the compositor refuses us a keyboard. Seat keymap changes are
    // followed from the event loop of the calling thread.
    static std::unique_ptr<WaylandVirtualKeyboard> connect();
    ~WaylandVirtualKeyboard() override;

    WaylandVirtualKeyboard(const WaylandVirtualKeyboard&) = delete;
    WaylandVirtualKeyboard& operator=(const WaylandVirtualKeyboard&) = delete;

    bool typeControlV() override;
    bool typeKey(uint32_t evdevCode, bool withControl = false) override;

private:
    WaylandVirtualKeyboard() = default;
    bool bind();
    bool make();
    bool ready();
    void keepIfTheSeats();
    void drop();
    void announced(const QByteArray& text);
    void seatLostKeyboard();
    bool carry(const WaylandKeymap& keymap);
    bool ownRoundTrip();
    bool catchUp();
    bool press(uint32_t evdevCode, uint32_t modifiers, uint32_t layout);
    void key(uint32_t evdevCode, uint32_t state);

    wl_display* m_display = nullptr;
    wl_seat* m_seat = nullptr;
    zwp_virtual_keyboard_manager_v1* m_manager = nullptr;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
    std::unique_ptr<WaylandSeatKeymap> m_seatKeymap;
    std::unique_ptr<WaylandEventPump> m_events;
    // The latest layout the seat announced, for the next keyboard we make.
    std::optional<WaylandKeymap> m_userKeymap;
    // What our keyboard carries, while we have one.
    std::optional<WaylandKeymap> m_keymap;
    // Within a round trip of our own requests, in which the seat announces
    // ours (on sway 1.7 after the one it gives a new keyboard first).
    bool m_own = false;
    // Whose keymap the seat announced last in our latest round trip.
    enum class Holder { Unknown, Ours, Another };
    Holder m_seatHolder = Holder::Unknown;
    bool m_makeWhenAlone = true;
};
