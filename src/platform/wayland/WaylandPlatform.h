#pragma once

#include "WaylandGlobals.h"
#include "platform/AppPlatform.h"

#include <memory>

class DesktopEntries;
class GnomeShellBridge;
class GnomeShellHotKeys;
class GnomeShellMenu;
class GnomeShellPasteboard;
class PortalGlobalShortcuts;
class WaylandPasteboard;
class WaylandPasteTarget;
class WaylandActiveWindow;

// Velloq on a Wayland compositor: the clipboard through the data-control
// protocol, the frontmost application through foreign-toplevel or KWin's
// window management, Control-V through a virtual keyboard or KWin's fake
// input, each on a connection of our own; the overlay
// as a full-screen window; the global shortcut through the desktop portal.
// On GNOME, which offers none of these, Velloq's Shell extension does all
// but the overlay. What the compositor does not let a client do is left
// out, and said once.
class WaylandPlatform {
public:
    WaylandPlatform();
    ~WaylandPlatform();
    WaylandPlatform(const WaylandPlatform&) = delete;
    WaylandPlatform& operator=(const WaylandPlatform&) = delete;

    // What the application needs of the desktop; valid while this lives.
    AppPlatform platform();

    // Said once at launch where the compositor lets no client watch the
    // clipboard.
    static QString clipboardLimitation();
    // Why picking a card cannot paste where the compositor offers no
    // virtual keyboard.
    static QString typingUnavailableReason();
    // Why it cannot on KDE Plasma, whose KWin lends its fake input only to
    // the program its installed desktop entry names; `runningProgram` is
    // where this one runs from.
    static QString plasmaTypingUnavailableReason(const QString& runningProgram);
    // What to do on GNOME while Velloq's Shell extension is off: said at
    // launch, and where the user would allow pasting.
    static QString gnomeExtensionNeeded();
    static QString gnomeTypingNeedsExtension();

private:
    std::unique_ptr<OverviewPanelSurface> makeOverviewPanel(OverviewModel& model,
                                                            OverviewPanelController& controller);

    QString whyTypingIsUnavailable() const;
    void connectToCompositor();
    void connectToGnomeShell();
    void addCompositorServices(AppPlatform& platform);
    void addGnomeShellServices(AppPlatform& platform);

    bool m_canType = false;
    // The compositor's globals, read where it withholds something.
    std::optional<WaylandGlobals> m_globals;
    std::shared_ptr<DesktopEntries> m_desktopEntries;
    std::shared_ptr<WaylandPasteboard> m_pasteboard;
    std::unique_ptr<WaylandActiveWindow> m_activeWindow;
    std::unique_ptr<WaylandPasteTarget> m_pasteTarget;
    std::unique_ptr<PortalGlobalShortcuts> m_shortcuts;
    std::unique_ptr<GnomeShellBridge> m_gnomeShell;
    std::shared_ptr<GnomeShellPasteboard> m_gnomeShellPasteboard;
    std::unique_ptr<GnomeShellHotKeys> m_gnomeShellHotKeys;
    std::unique_ptr<GnomeShellMenu> m_gnomeShellMenu;
};
