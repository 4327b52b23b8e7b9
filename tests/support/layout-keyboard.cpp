// The user's own keyboard for tests on a wlroots compositor, which has none
// of its own: `velloq-layout-keyboard LAYOUT [VARIANT]` makes a virtual
// keyboard with that XKB layout (de, or us dvorak), presses and releases
// Shift so that the seat takes it up and announces its keymap, prints
// "ready" and stays until it is ended.

#include "platform/wayland/WaylandKeymap.h"
#include "platform/wayland/WaylandRegistry.h"
#include "virtual-keyboard-unstable-v1-client.h"

#include <cstdio>
#include <unistd.h>
#include <wayland-client.h>

namespace {

constexpr uint32_t evdevKeyLeftShift = 42;

bool makeKeyboard(wl_display* display, const WaylandKeymap& keymap) {
    wl_seat* seat = nullptr;
    zwp_virtual_keyboard_manager_v1* manager = nullptr;
    if (!WaylandRegistry::read(
            display,
            {WaylandRegistry::bind(seat, wl_seat_interface, 1),
             WaylandRegistry::bind(manager, zwp_virtual_keyboard_manager_v1_interface, 1)}) ||
        !seat || !manager)
        return false;
    zwp_virtual_keyboard_v1* keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
    const int fd = keymap.file();
    if (fd < 0)
        return false;
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   keymap.fileSize());
    ::close(fd);
    for (const uint32_t state : {WL_KEYBOARD_KEY_STATE_PRESSED, WL_KEYBOARD_KEY_STATE_RELEASED})
        zwp_virtual_keyboard_v1_key(keyboard, 0, evdevKeyLeftShift, state);
    return wl_display_roundtrip(display) >= 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2)
        return 2;
    const auto keymap = WaylandKeymap::fromLayout(argv[1], argc > 2 ? argv[2] : nullptr);
    wl_display* display = wl_display_connect(nullptr);
    if (!keymap || !display || !makeKeyboard(display, *keymap))
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    // The keyboard lasts as long as the connection.
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
