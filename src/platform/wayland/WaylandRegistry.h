#pragma once

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>

struct wl_display;
struct wl_interface;

// The globals a compositor offers on one connection, read in one round
// trip, with the ones a class needs bound on the way: each of Velloq's
// Wayland connections wants a few (the seat and a protocol's manager).
class WaylandRegistry {
public:
    // One global to bind: the first the compositor offers of `interface`,
    // at `maximumVersion` or the compositor's own if older.
    struct Binding {
        const wl_interface* interface;
        uint32_t maximumVersion;
        std::function<void(void* proxy)> bound;
        // Binds every offer of the interface, not only the first.
        bool every = false;
    };
    template <typename Proxy>
    static Binding bind(Proxy*& proxy, const wl_interface& interface, uint32_t maximumVersion) {
        return {&interface, maximumVersion,
                [&proxy](void* bound) { proxy = static_cast<Proxy*>(bound); }};
    }
    // Calls `bound` with each offer of the interface (every output, say).
    static Binding bindEvery(const wl_interface& interface, uint32_t maximumVersion,
                             std::function<void(void* proxy)> bound) {
        return {&interface, maximumVersion, std::move(bound), true};
    }

    // The offered interfaces with their highest version, after binding what
    // was asked for that is offered; none when the compositor does not
    // answer.
    static std::optional<QHash<QString, uint32_t>>
    read(wl_display* display, std::initializer_list<Binding> bindings = {});
};
