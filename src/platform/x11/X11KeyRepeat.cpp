#include "X11KeyRepeat.h"

// xcb/xkb.h names a member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

std::optional<std::pair<int, int>> keyRepeatTiming(xcb_connection_t* connection) {
    if (!connection)
        return std::nullopt;
    xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr);
    const bool supported = use && use->supported;
    std::free(use);
    if (!supported)
        return std::nullopt;
    xcb_xkb_get_controls_reply_t* controls = xcb_xkb_get_controls_reply(
        connection, xcb_xkb_get_controls(connection, XCB_XKB_ID_USE_CORE_KBD), nullptr);
    if (!controls)
        return std::nullopt;
    const std::pair<int, int> timing{controls->repeatDelay, controls->repeatInterval};
    std::free(controls);
    if (timing.first <= 0 || timing.second <= 0)
        return std::nullopt;
    return timing;
}
