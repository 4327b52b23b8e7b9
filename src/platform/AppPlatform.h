#pragma once

#include "capture/PasteboardReading.h"
#include "capture/PasteboardWatcher.h"
#include "history/ClipContent.h"
#include "overview/OverviewPanelSurface.h"

#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class DesktopEntries;
class OverviewModel;
class OverviewPanelController;
class QKeyEvent;
class QMenu;
class QObject;

// What the application needs of the desktop it runs on. Each platform
// adapter fills it in (X11, Wayland); tests fill it with substitutes.
struct AppPlatform {
    std::shared_ptr<PasteboardReading> pasteboard;
    PasteboardWatcher::BundleIDFunction frontmostBundleID;
    PasteboardWatcher::PIDFunction frontmostPID;
    // Calls the given function at every activation of another application.
    std::function<void(std::function<void(const std::optional<QString>&)>)> observeActivations;
    // Paste-back: writing a clip, key-event permission, Control-V.
    std::function<void(const ClipContent&)> write;
    std::function<bool()> hasAccess;
    std::function<void()> requestAccess;
    std::function<void(qint32)> sendCommandV;
    // Why this desktop cannot let Velloq paste at all, for the places that
    // would otherwise send the user to allow it; empty where it can.
    QString pastingUnavailableReason;
    // The installed applications' desktop entries, for names and icons;
    // optional.
    std::shared_ptr<DesktopEntries> desktopEntries;
    // What this desktop keeps Velloq from doing, said once at launch;
    // empty where everything works.
    QString startupNotice;
    // Shows the application's menu where the desktop keeps such menus
    // instead of a tray (GNOME's top bar); optional.
    std::function<void(QMenu& menu)> publishMenu;
    // A tray besides the D-Bus one that the icon can go to (X11's XEmbed
    // tray): whether one runs, and a call whenever one starts; optional.
    std::function<bool()> hasOtherTray;
    std::function<void(std::function<void()>)> observeOtherTray;
    // Applies the "appearance" preference; optional.
    std::function<void()> applyAppearance;
    // The overlay window, built at its first showing; without it the
    // overlay has a model and no window.
    std::function<std::unique_ptr<OverviewPanelSurface>(OverviewModel&, OverviewPanelController&)>
        makeOverviewPanel;
    std::function<std::optional<QRect>()> screenFrameUnderPointer;
    // The virtual key code of a key event's physical key, for matching the
    // application's own key events against global shortcuts; optional.
    std::function<std::optional<qint64>(const QKeyEvent&)> virtualKeyOfEvent;
    // The desktop fires global shortcuts itself, also while a menu or a
    // window of the application has the keyboard (Wayland): nothing needs
    // to match the application's own key events against them then.
    bool shortcutsFireAnywhere = false;
    // Calls the given function whenever the overlay window takes the
    // keyboard or lets it go: global shortcuts cannot fire meanwhile.
    std::function<void(std::function<void(QObject* window, bool holds)>)> observeOverlayKeyboard;
};
