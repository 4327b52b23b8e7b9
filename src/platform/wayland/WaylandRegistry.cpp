#include "WaylandRegistry.h"

#include <wayland-client.h>

namespace {

struct Offer {
    uint32_t name;
    uint32_t version;
};

struct Reading {
    QHash<QString, uint32_t> versions;
    QHash<QByteArray, QList<Offer>> offers;
};

void globalAdded(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
    auto* reading = static_cast<Reading*>(data);
    const QString key = QString::fromUtf8(interface);
    reading->versions[key] = qMax(reading->versions.value(key), version);
    reading->offers[interface].append({name, version});
}

void globalRemoved(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{globalAdded, globalRemoved};

} // namespace

std::optional<QHash<QString, uint32_t>>
WaylandRegistry::read(wl_display* display, std::initializer_list<Binding> bindings) {
    if (!display)
        return std::nullopt;
    Reading reading;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &reading);
    const bool answered = wl_display_roundtrip(display) >= 0;
    if (answered) {
        for (const Binding& binding : bindings) {
            const QList<Offer> offers = reading.offers.value(binding.interface->name);
            for (const Offer& offer : offers.mid(0, binding.every ? offers.size() : 1))
                binding.bound(wl_registry_bind(registry, offer.name, binding.interface,
                                               qMin(offer.version, binding.maximumVersion)));
        }
    }
    // What is bound lives on without the registry; globals that come later
    // are not needed.
    wl_registry_destroy(registry);
    if (!answered)
        return std::nullopt;
    return reading.versions;
}
