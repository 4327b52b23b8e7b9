#include "WaylandToplevels.h"

#include "WaylandRegistry.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client.h"

#include <algorithm>
#include <wayland-client.h>

namespace {

bool hasActivatedState(const wl_array* states) {
    const auto* begin = static_cast<const uint32_t*>(states->data);
    const auto* end = begin + states->size / sizeof(uint32_t);
    return std::find(begin, end, uint32_t(ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)) != end;
}

} // namespace

std::unique_ptr<WaylandToplevels> WaylandToplevels::create(QObject* parent) {
    std::unique_ptr<WaylandToplevels> toplevels(new WaylandToplevels(parent));
    return toplevels->connectToCompositor() ? std::move(toplevels) : nullptr;
}

WaylandToplevels::WaylandToplevels(QObject* parent) : WaylandActiveWindow(parent) {}

WaylandToplevels::~WaylandToplevels() {
    for (zwlr_foreign_toplevel_handle_v1* handle : m_toplevels.keys())
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    if (m_manager)
        zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
}

// The manager, then the toplevels that exist already, each told in full.
bool WaylandToplevels::bind() {
    static const zwlr_foreign_toplevel_manager_v1_listener managerListener{
        &WaylandToplevels::toplevelAdded, &WaylandToplevels::managerFinished};
    if (!WaylandRegistry::read(
            display(),
            {WaylandRegistry::bind(m_manager, zwlr_foreign_toplevel_manager_v1_interface, 3)}))
        return false;
    if (!m_manager)
        return false;
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &managerListener, this);
    return wl_display_roundtrip(display()) >= 0;
}

void WaylandToplevels::disconnected() {
    for (zwlr_foreign_toplevel_handle_v1* handle : m_toplevels.keys())
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    m_toplevels.clear();
    m_activated = nullptr;
    forgetReported();
}

void WaylandToplevels::toplevelAdded(void* data, zwlr_foreign_toplevel_manager_v1*,
                                     zwlr_foreign_toplevel_handle_v1* handle) {
    static const zwlr_foreign_toplevel_handle_v1_listener handleListener{
        &WaylandToplevels::title,       &WaylandToplevels::appId, &WaylandToplevels::outputEnter,
        &WaylandToplevels::outputLeave, &WaylandToplevels::state, &WaylandToplevels::done,
        &WaylandToplevels::closed,      &WaylandToplevels::parent};
    auto* self = static_cast<WaylandToplevels*>(data);
    self->m_toplevels.insert(handle, {});
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &handleListener, self);
}

// The compositor destroys the manager; the toplevels already told of stay.
void WaylandToplevels::managerFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager) {
    auto* self = static_cast<WaylandToplevels*>(data);
    zwlr_foreign_toplevel_manager_v1_destroy(manager);
    self->m_manager = nullptr;
}

void WaylandToplevels::title(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}

void WaylandToplevels::appId(void* data, zwlr_foreign_toplevel_handle_v1* handle,
                             const char* appId) {
    auto* self = static_cast<WaylandToplevels*>(data);
    self->m_toplevels[handle].pendingAppId = QString::fromUtf8(appId);
}

void WaylandToplevels::outputEnter(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}

void WaylandToplevels::outputLeave(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}

void WaylandToplevels::state(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* state) {
    auto* self = static_cast<WaylandToplevels*>(data);
    self->m_toplevels[handle].pendingActivated = hasActivatedState(state);
}

void WaylandToplevels::done(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    static_cast<WaylandToplevels*>(data)->applyDone(handle);
}

void WaylandToplevels::closed(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    static_cast<WaylandToplevels*>(data)->remove(handle);
}

void WaylandToplevels::parent(void*, zwlr_foreign_toplevel_handle_v1*,
                              zwlr_foreign_toplevel_handle_v1*) {}

void WaylandToplevels::applyDone(zwlr_foreign_toplevel_handle_v1* handle) {
    Toplevel& toplevel = m_toplevels[handle];
    const bool newlyActivated = toplevel.pendingActivated && !toplevel.activated;
    toplevel.appId = toplevel.pendingAppId;
    toplevel.activated = toplevel.pendingActivated;
    if (newlyActivated)
        m_activated = handle;
    updateActivated();
}

void WaylandToplevels::remove(zwlr_foreign_toplevel_handle_v1* handle) {
    m_toplevels.remove(handle);
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
    updateActivated();
}

void WaylandToplevels::updateActivated() {
    m_activated = stillActivated(m_toplevels, m_activated);
    report(m_activated,
           m_activated ? std::optional(m_toplevels.value(m_activated).appId) : std::nullopt);
}
