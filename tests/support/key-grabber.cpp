// Holds a key combination the way another application's global shortcut
// would: `velloq-key-grabber shift+super v` grabs Shift+Super+V on the root
// window, prints "ready" (or "refused" and exits 1 when someone else holds
// it) and keeps the grab until it is killed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

namespace {

bool parseModifiers(const char* text, uint16_t& mask) {
    static const struct {
        const char* name;
        uint16_t mask;
    } names[] = {{"shift", XCB_MOD_MASK_SHIFT},     {"lock", XCB_MOD_MASK_LOCK},
                 {"control", XCB_MOD_MASK_CONTROL}, {"ctrl", XCB_MOD_MASK_CONTROL},
                 {"alt", XCB_MOD_MASK_1},           {"mod1", XCB_MOD_MASK_1},
                 {"mod2", XCB_MOD_MASK_2},          {"mod3", XCB_MOD_MASK_3},
                 {"super", XCB_MOD_MASK_4},         {"mod4", XCB_MOD_MASK_4},
                 {"mod5", XCB_MOD_MASK_5},          {"none", 0}};
    const std::string all(text);
    size_t start = 0;
    while (start <= all.size()) {
        const size_t end = std::min(all.find('+', start), all.size());
        const std::string part = all.substr(start, end - start);
        bool known = false;
        for (const auto& name : names) {
            if (part == name.name) {
                mask |= name.mask;
                known = true;
            }
        }
        if (!known)
            return false;
        start = end + 1;
    }
    return true;
}

xcb_keycode_t keyCodeOf(xcb_connection_t* connection, xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const uint8_t count = uint8_t(setup->max_keycode - setup->min_keycode + 1);
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
    if (!reply)
        return 0;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply);
    const int length = xcb_get_keyboard_mapping_keysyms_length(reply);
    xcb_keycode_t found = 0;
    for (int i = 0; i < length && !found; ++i) {
        if (keysyms[i] == keysym)
            found = xcb_keycode_t(setup->min_keycode + i / reply->keysyms_per_keycode);
    }
    std::free(reply);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    uint16_t modifiers = 0;
    if (argc != 3 || !parseModifiers(argv[1], modifiers)) {
        std::fprintf(stderr, "usage: velloq-key-grabber shift+super v\n");
        return 2;
    }
    const xkb_keysym_t keysym = xkb_keysym_from_name(argv[2], XKB_KEYSYM_NO_FLAGS);
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return 2;
    }
    const xcb_keycode_t keyCode = keysym == XKB_KEY_NoSymbol ? 0 : keyCodeOf(connection, keysym);
    if (!keyCode) {
        std::fprintf(stderr, "no key for %s\n", argv[2]);
        xcb_disconnect(connection);
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_generic_error_t* error = xcb_request_check(
        connection, xcb_grab_key_checked(connection, 0, screen->root, modifiers, keyCode,
                                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    if (error) {
        std::free(error);
        std::puts("refused");
        std::fflush(stdout);
        xcb_disconnect(connection);
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection))
        std::free(event);
    xcb_disconnect(connection);
    return 0;
}
