#include "WaylandActiveWindow.h"

#include "KWinWindows.h"
#include "WaylandEventPump.h"
#include "WaylandToplevels.h"

#include <QLoggingCategory>

#include <wayland-client.h>

namespace {

Q_LOGGING_CATEGORY(lcActiveWindow, "velloq.wayland.toplevels")

} // namespace

std::unique_ptr<WaylandActiveWindow> WaylandActiveWindow::create(QObject* parent) {
    if (auto toplevels = WaylandToplevels::create(parent))
        return toplevels;
    if (auto windows = KWinWindows::create(parent))
        return windows;
    qCDebug(lcActiveWindow) << "the compositor does not tell which application is frontmost";
    return nullptr;
}

WaylandActiveWindow::WaylandActiveWindow(QObject* parent) : QObject(parent) {}

// The derived class has let go of its objects by now; the connection goes
// last.
WaylandActiveWindow::~WaylandActiveWindow() {
    m_events.reset();
    if (m_display)
        wl_display_disconnect(m_display);
}

bool WaylandActiveWindow::connectToCompositor() {
    m_display = wl_display_connect(nullptr);
    if (!m_display || !bind())
        return false;
    m_events = std::make_unique<WaylandEventPump>(m_display, [this] { disconnected(); });
    return true;
}

void WaylandActiveWindow::report(const void* window, const std::optional<QString>& appId) {
    if (window == m_reported && appId == m_reportedAppId)
        return;
    m_reported = window;
    m_reportedAppId = appId;
    Q_EMIT activated(activatedAppId());
}

void WaylandActiveWindow::forgetReported() {
    m_reported = nullptr;
    m_reportedAppId.reset();
}

std::optional<QString> WaylandActiveWindow::activatedAppId() const {
    if (!m_reportedAppId || m_reportedAppId->isEmpty())
        return std::nullopt;
    return m_reportedAppId;
}
