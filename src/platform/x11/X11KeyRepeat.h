#pragma once

#include <optional>
#include <utility>
#include <xcb/xcb.h>

// The X server's key repeat: the delay before the first repeat and the
// interval between repeats, in milliseconds (XKB controls of the core
// keyboard); none when XKB does not answer.
std::optional<std::pair<int, int>> keyRepeatTiming(xcb_connection_t* connection);
