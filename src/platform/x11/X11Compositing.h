#pragma once

#include <xcb/xcb.h>

// Whether a compositing manager runs on that screen: it owns the selection
// _NET_WM_CM_S<screen> while it runs (EWMH).
bool compositingManagerRuns(xcb_connection_t* connection, int screenNumber);
