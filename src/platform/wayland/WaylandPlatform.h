#pragma once

#include "WaylandGlobals.h"
#include "platform/AppPlatform.h"

#include <QGuiApplication>

#include <memory>

class DesktopEntries;
class WaylandPasteboard;

// Velloq on a Wayland compositor: the clipboard through the data-control
// protocol on connections of our own, and the overlay as a full-screen
// window. What the compositor does not let a client do is left out, and
// said once.
class WaylandPlatform {
public:
    explicit WaylandPlatform(QGuiApplication& app);
    ~WaylandPlatform();
    WaylandPlatform(const WaylandPlatform&) = delete;
    WaylandPlatform& operator=(const WaylandPlatform&) = delete;

    // What the application needs of the desktop; valid while this lives.
    AppPlatform platform();

    // Why this desktop keeps clipboard managers from watching, for saying
    // once at launch; empty where the clipboard can be watched.
    static QString clipboardLimitation(const std::optional<WaylandGlobals>& globals);

private:
    std::unique_ptr<OverviewPanelSurface> makeOverviewPanel(OverviewModel& model,
                                                            OverviewPanelController& controller);

    QGuiApplication& m_app;
    std::optional<WaylandGlobals> m_globals;
    std::shared_ptr<DesktopEntries> m_desktopEntries;
    std::shared_ptr<WaylandPasteboard> m_pasteboard;
};
