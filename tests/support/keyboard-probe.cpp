// Tells whether another client holds the keyboard: tries an active grab on
// the root window, releases it at once, and prints "free" or "grabbed".
#include <cstdio>
#include <cstdlib>
#include <xcb/xcb.h>

int main() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 2;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_grab_keyboard_reply_t* reply =
        xcb_grab_keyboard_reply(connection,
                                xcb_grab_keyboard(connection, 0, screen->root, XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr);
    const bool free = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    if (free)
        xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
    xcb_flush(connection);
    xcb_disconnect(connection);
    std::puts(free ? "free" : "grabbed");
    return 0;
}
