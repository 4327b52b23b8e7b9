#include "WaylandGlobals.h"

#include <wayland-client.h>

using namespace Qt::StringLiterals;

namespace {

const QString extDataControl = u"ext_data_control_manager_v1"_s;
const QString wlrDataControl = u"zwlr_data_control_manager_v1"_s;

void globalAdded(void* data, wl_registry*, uint32_t, const char* interface, uint32_t version) {
    auto* versions = static_cast<QHash<QString, quint32>*>(data);
    const QString name = QString::fromUtf8(interface);
    (*versions)[name] = qMax(versions->value(name), version);
}

void globalRemoved(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{globalAdded, globalRemoved};

} // namespace

std::optional<WaylandGlobals> WaylandGlobals::read(wl_display* display) {
    if (!display)
        return std::nullopt;
    WaylandGlobals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals.m_versions);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    if (!answered)
        return std::nullopt;
    return globals;
}

std::optional<WaylandGlobals> WaylandGlobals::readFromEnvironment() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return std::nullopt;
    std::optional<WaylandGlobals> globals = read(display);
    wl_display_disconnect(display);
    return globals;
}

quint32 WaylandGlobals::version(const QString& interfaceName) const {
    return m_versions.value(interfaceName);
}

bool WaylandGlobals::hasDataControl() const {
    return !dataControlInterface().isEmpty();
}

QString WaylandGlobals::dataControlInterface() const {
    if (offers(extDataControl))
        return extDataControl;
    if (offers(wlrDataControl))
        return wlrDataControl;
    return {};
}
