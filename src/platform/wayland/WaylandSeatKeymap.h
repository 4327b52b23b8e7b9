#pragma once

#include <QByteArray>

#include <functional>

struct wl_keyboard;
struct wl_seat;

// The keymap a seat announces to its clients: that of the keyboard the user
// typed on last, told again whenever it changes (another layout, another
// keyboard). Heard through a wl_keyboard of our own, which needs no surface
// of ours, since the compositor sends keymaps to every client.
class WaylandSeatKeymap {
public:
    using Announced = std::function<void(const QByteArray& text)>;
    using KeyboardGone = std::function<void()>;

    // `seat` must have no listener yet; it stays the caller's. `gone` is
    // told when the seat's last keyboard goes away.
    WaylandSeatKeymap(wl_seat* seat, Announced announced, KeyboardGone gone = {});
    ~WaylandSeatKeymap();
    WaylandSeatKeymap(const WaylandSeatKeymap&) = delete;
    WaylandSeatKeymap& operator=(const WaylandSeatKeymap&) = delete;

private:
    static void capabilities(void* data, wl_seat* seat, uint32_t offered);
    static void keymap(void* data, wl_keyboard* keyboard, uint32_t format, int32_t fd,
                       uint32_t size);
    void releaseKeyboard();

    wl_seat* m_seat;
    Announced m_announced;
    KeyboardGone m_gone;
    wl_keyboard* m_keyboard = nullptr;
};
