#pragma once

#include <QHash>
#include <QString>

#include <optional>

struct wl_display;

// What a Wayland compositor offers a clipboard manager, read from its
// registry: the protocols Velloq can use and their versions.
class WaylandGlobals {
public:
    // The globals of the compositor `display` is connected to; none when
    // it does not answer.
    static std::optional<WaylandGlobals> read(wl_display* display);
    // The same over a connection of its own to $WAYLAND_DISPLAY.
    static std::optional<WaylandGlobals> readFromEnvironment();

    // 0 when the compositor does not offer `interfaceName`.
    quint32 version(const QString& interfaceName) const;
    bool offers(const QString& interfaceName) const { return version(interfaceName) > 0; }

private:
    QHash<QString, quint32> m_versions;
};
