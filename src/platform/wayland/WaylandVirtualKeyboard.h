#pragma once

#include "WaylandKeyboard.h"

#include <cstdint>
#include <memory>

struct wl_display;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

// A keyboard of our own on a wlroots compositor (the virtual-keyboard
// protocol), on a connection of its own, typing into whichever client has
// the keyboard focus. It brings its own US keymap, so the keys it sends
// mean the same whatever layout the user types with.
class WaylandVirtualKeyboard final : public WaylandKeyboard {
public:
    // None without a compositor ($WAYLAND_DISPLAY), the protocol or a seat.
    static std::unique_ptr<WaylandVirtualKeyboard> connect();
    ~WaylandVirtualKeyboard() override;

    WaylandVirtualKeyboard(const WaylandVirtualKeyboard&) = delete;
    WaylandVirtualKeyboard& operator=(const WaylandVirtualKeyboard&) = delete;

    bool typeControlV() override;
    bool typeKey(uint32_t evdevCode, bool withControl = false) override;

private:
    WaylandVirtualKeyboard() = default;
    bool bind();
    bool uploadKeymap();
    void key(uint32_t evdevCode, uint32_t state);

    wl_display* m_display = nullptr;
    wl_seat* m_seat = nullptr;
    zwp_virtual_keyboard_manager_v1* m_manager = nullptr;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
    // Control's bit in the modifier masks of our keymap.
    uint32_t m_controlMask = 0;
};
