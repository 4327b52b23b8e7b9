// A plain X11 client window for tests: mapped, managed by the window manager,
// with a chosen WM_CLASS and application-id properties. Prints its window id
// (decimal) once mapped, then stays until terminated.
//
//   velloq-test-window INSTANCE CLASS [--gtk-application-id ID] [--title TITLE]

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

volatile std::sig_atomic_t running = 1;

void stop(int) {
    running = 0;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

void setText(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
             const std::string& text) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 8, uint32_t(text.size()),
                        text.data());
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s INSTANCE CLASS [--gtk-application-id ID] [--title T]\n",
                     argv[0]);
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 100, 100, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string wmClass = std::string(argv[1]) + '\0' + argv[2] + '\0';
    setText(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, wmClass);
    std::string title = argv[2];
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--gtk-application-id") == 0)
            setText(c, w, atom(c, "_GTK_APPLICATION_ID"), utf8, argv[i + 1]);
        else if (std::strcmp(argv[i], "--title") == 0)
            title = argv[i + 1];
    }
    setText(c, w, atom(c, "_NET_WM_NAME"), utf8, title);
    const uint32_t pid = uint32_t(getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32,
                        1, &pid);
    xcb_map_window(c, w);
    xcb_flush(c);
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        std::free(event);
        if (mapped)
            break;
    }
    std::printf("%u\n", w);
    std::fflush(stdout);
    while (running && !xcb_connection_has_error(c)) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(c))
            std::free(event);
        else
            usleep(20000);
    }
    xcb_disconnect(c);
    return 0;
}
