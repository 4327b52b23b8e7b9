#include "WaylandGlobals.h"

#include "WaylandRegistry.h"

#include <wayland-client.h>

std::optional<WaylandGlobals> WaylandGlobals::read(wl_display* display) {
    std::optional<QHash<QString, uint32_t>> versions = WaylandRegistry::read(display);
    if (!versions)
        return std::nullopt;
    WaylandGlobals globals;
    globals.m_versions = std::move(*versions);
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
