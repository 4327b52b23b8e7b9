#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;
struct wl_display;

// Handles a Wayland connection's events from the event loop of the thread
// that made it, as they come in, never waiting for more. A connection that
// fails means the compositor is gone: `disconnected` is told once and the
// pump stops, as the socket, at its end for good, would otherwise wake the
// event loop without pause.
class WaylandEventPump {
public:
    WaylandEventPump(wl_display* display, std::function<void()> disconnected);
    ~WaylandEventPump();
    WaylandEventPump(const WaylandEventPump&) = delete;
    WaylandEventPump& operator=(const WaylandEventPump&) = delete;

private:
    void pump();

    wl_display* m_display;
    std::function<void()> m_disconnected;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
