#include "WaylandActiveWindow.h"

#include "KWinWindows.h"
#include "WaylandToplevels.h"

#include <QLoggingCategory>

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
