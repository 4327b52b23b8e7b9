#include "WaylandEventPump.h"

#include <QSocketNotifier>

#include <wayland-client.h>

WaylandEventPump::WaylandEventPump(wl_display* display, std::function<void()> disconnected)
    : m_display(display), m_disconnected(std::move(disconnected)),
      m_notifier(
          std::make_unique<QSocketNotifier>(wl_display_get_fd(display), QSocketNotifier::Read)) {
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { pump(); });
}

WaylandEventPump::~WaylandEventPump() = default;

void WaylandEventPump::pump() {
    const bool failed =
        (wl_display_prepare_read(m_display) == 0 && wl_display_read_events(m_display) < 0 &&
         wl_display_get_error(m_display) != 0) ||
        wl_display_dispatch_pending(m_display) < 0;
    if (failed) {
        m_notifier->setEnabled(false);
        if (m_disconnected)
            m_disconnected();
        return;
    }
    wl_display_flush(m_display);
}
