#include "KWinWindows.h"

#include "WaylandRegistry.h"
#include "kde-plasma-window-management-client.h"

#include <wayland-client.h>

namespace {

// window_with_uuid came with version 13; events of later versions are not
// needed.
constexpr uint32_t managementVersion = 16;

// For the events that say nothing Velloq needs.
constexpr auto ignore = [](auto...) {};

} // namespace

std::unique_ptr<KWinWindows> KWinWindows::create(QObject* parent) {
    std::unique_ptr<KWinWindows> windows(new KWinWindows(parent));
    return windows->connectToCompositor() ? std::move(windows) : nullptr;
}

KWinWindows::KWinWindows(QObject* parent) : WaylandActiveWindow(parent) {}

KWinWindows::~KWinWindows() {
    for (org_kde_plasma_window* window : m_windows.keys())
        org_kde_plasma_window_destroy(window);
    if (m_management)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_management));
}

// The management object announces every window that exists, then each new
// one; two round trips bring the existing windows' states.
bool KWinWindows::bind() {
    static const org_kde_plasma_window_management_listener managementListener{
        .show_desktop_changed = ignore,
        .window = ignore,
        .stacking_order_changed = ignore,
        .stacking_order_uuid_changed = ignore,
        .window_with_uuid = &KWinWindows::windowAnnounced,
        .stacking_order_changed_2 = ignore,
    };
    if (!WaylandRegistry::read(
            display(),
            {WaylandRegistry::bind(m_management, org_kde_plasma_window_management_interface,
                                   managementVersion)}) ||
        !m_management || org_kde_plasma_window_management_get_version(m_management) < 13)
        return false;
    org_kde_plasma_window_management_add_listener(m_management, &managementListener, this);
    return wl_display_roundtrip(display()) >= 0 && wl_display_roundtrip(display()) >= 0;
}

void KWinWindows::disconnected() {
    for (org_kde_plasma_window* window : m_windows.keys())
        org_kde_plasma_window_destroy(window);
    m_windows.clear();
    m_active = nullptr;
    forgetReported();
}

void KWinWindows::windowAnnounced(void* data, org_kde_plasma_window_management* management,
                                  uint32_t, const char* uuid) {
    static const org_kde_plasma_window_listener windowListener{
        .title_changed = ignore,
        .app_id_changed = &KWinWindows::appIdChanged,
        .state_changed = &KWinWindows::stateChanged,
        .virtual_desktop_changed = ignore,
        .themed_icon_name_changed = ignore,
        .unmapped = &KWinWindows::unmapped,
        .initial_state = ignore,
        .parent_window = ignore,
        .geometry = ignore,
        .icon_changed = ignore,
        .pid_changed = &KWinWindows::pidChanged,
        .virtual_desktop_entered = ignore,
        .virtual_desktop_left = ignore,
        .application_menu = ignore,
        .activity_entered = ignore,
        .activity_left = ignore,
        .resource_name_changed = ignore,
        .client_geometry = ignore,
        .mapped = ignore,
    };
    auto* self = static_cast<KWinWindows*>(data);
    org_kde_plasma_window* window =
        org_kde_plasma_window_management_get_window_by_uuid(management, uuid);
    self->m_windows.insert(window, {});
    org_kde_plasma_window_add_listener(window, &windowListener, self);
}

void KWinWindows::appIdChanged(void* data, org_kde_plasma_window* window, const char* appId) {
    auto* self = static_cast<KWinWindows*>(data);
    self->m_windows[window].appId = QString::fromUtf8(appId);
    self->updateActive();
}

void KWinWindows::stateChanged(void* data, org_kde_plasma_window* window, uint32_t flags) {
    auto* self = static_cast<KWinWindows*>(data);
    Window& state = self->m_windows[window];
    const bool active = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE;
    if (active && !state.activated)
        self->m_active = window;
    state.activated = active;
    self->updateActive();
}

void KWinWindows::pidChanged(void* data, org_kde_plasma_window* window, uint32_t pid) {
    static_cast<KWinWindows*>(data)->m_windows[window].pid = qint32(pid);
}

void KWinWindows::unmapped(void* data, org_kde_plasma_window* window) {
    static_cast<KWinWindows*>(data)->remove(window);
}

void KWinWindows::remove(org_kde_plasma_window* window) {
    m_windows.remove(window);
    org_kde_plasma_window_destroy(window);
    updateActive();
}

void KWinWindows::updateActive() {
    m_active = stillActivated(m_windows, m_active);
    report(m_active, m_active ? std::optional(m_windows.value(m_active).appId) : std::nullopt);
}

std::optional<qint32> KWinWindows::activatedPid() const {
    const auto active = m_windows.constFind(m_active);
    if (active == m_windows.cend() || active->pid == 0)
        return std::nullopt;
    return active->pid;
}
