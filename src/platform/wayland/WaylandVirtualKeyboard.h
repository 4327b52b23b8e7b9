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
// the keyboard focus. The compositor hands the keymap of the keyboard typed
// on last to every client, so this one always carries the user's layout,
// followed as it changes, and finds the key for V in it: after a paste the
// focused application still types the user's letters. Only where the seat
// announces no keymap does it bring a US one.
class WaylandVirtualKeyboard final : public WaylandKeyboard {
public:
    // None without a compositor ($WAYLAND_DISPLAY), the protocol or a seat.
    // Seat keymap changes are followed from the event loop of the calling
    // thread.
    static std::unique_ptr<WaylandVirtualKeyboard> connect();
    ~WaylandVirtualKeyboard() override;

    WaylandVirtualKeyboard(const WaylandVirtualKeyboard&) = delete;
    WaylandVirtualKeyboard& operator=(const WaylandVirtualKeyboard&) = delete;

    bool typeControlV() override;
    bool typeKey(uint32_t evdevCode, bool withControl = false) override;

private:
    WaylandVirtualKeyboard() = default;
    bool bind();
    bool start();
    void announced(const QByteArray& text);
    bool carry(const WaylandKeymap& keymap);
    bool catchUp();
    bool press(uint32_t evdevCode, uint32_t modifiers, uint32_t layout);
    void key(uint32_t evdevCode, uint32_t state);

    wl_display* m_display = nullptr;
    wl_seat* m_seat = nullptr;
    zwp_virtual_keyboard_manager_v1* m_manager = nullptr;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
    std::unique_ptr<WaylandSeatKeymap> m_seatKeymap;
    std::unique_ptr<WaylandEventPump> m_events;
    // The seat's latest keymap, while the keyboard is being made.
    QByteArray m_announcedFirst;
    // Whether announced keymaps are taken up; not while the keyboard is being
    // made, when the compositor announces its own keymap in between.
    bool m_following = false;
    std::optional<WaylandKeymap> m_keymap;
};
