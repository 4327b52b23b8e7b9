#include "WaylandPlatform.h"

#include "GnomeShellBridge.h"
#include "GnomeShellHotKeys.h"
#include "GnomeShellMenu.h"
#include "GnomeShellPasteboard.h"
#include "KeyboardShortcuts/Library.h"
#include "UnwatchablePasteboard.h"
#include "WaylandActiveWindow.h"
#include "WaylandCompositorBlur.h"
#include "WaylandGlobals.h"
#include "WaylandOverviewPanel.h"
#include "WaylandPasteTarget.h"
#include "WaylandPasteboard.h"
#include "WaylandScreenCapture.h"
#include "WaylandToplevels.h"
#include "overview/OverviewPanelController.h"
#include "overview/widgets/OverviewView.h"
#include "overview/widgets/OverviewViewWiring.h"
#include "paste/ClipMimeData.h"
#include "platform/xdg/DesktopEntries.h"
#include "platform/xdg/PortalGlobalShortcuts.h"
#include "platform/xdg/ScreenUnderPointer.h"
#include "platform/xdg/VirtualKeyCodes.h"
#include "preferences/Defaults.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <wayland-client.h>

namespace {

void reportAbandonedPaste() {
    QTextStream(stderr) << "velloq: the picked entry is on the clipboard, but the "
                           "application to paste into did not get the keyboard back\n";
}

// Mutter offers GTK's shell protocol to every client.
bool isGnome(const std::optional<WaylandGlobals>& globals) {
    return globals && globals->offers(QStringLiteral("gtk_shell1"));
}

} // namespace

WaylandPlatform::WaylandPlatform()
    : m_desktopEntries(std::make_shared<DesktopEntries>()),
      m_pasteboard(WaylandPasteboard::create()) {
    // GNOME offers no data-control; its Shell does the clipboard for us.
    if (!m_pasteboard)
        m_gnomeShell = GnomeShellBridge::connect(QDBusConnection::sessionBus());
    if (m_gnomeShell)
        connectToGnomeShell();
    else
        connectToCompositor();
}

void WaylandPlatform::connectToCompositor() {
    m_activeWindow = WaylandActiveWindow::create();
    m_pasteTarget = std::make_unique<WaylandPasteTarget>(m_activeWindow.get());
    // A connection of its own: the desktop learns the application's id
    // only from the first portal call on a connection.
    m_shortcuts = PortalGlobalShortcuts::create(QDBusConnection::connectToBus(
        QDBusConnection::SessionBus, QStringLiteral("velloq-portal")));
    if (m_shortcuts)
        KeyboardShortcuts::setHotKeyPlatform(m_shortcuts.get());
    // The keyboard is made now: on sway the first keys of a keyboard made a
    // moment before are lost.
    m_canType = m_pasteTarget->hasAccess();
    if (m_pasteboard)
        QTextStream(stderr) << "velloq: reading the clipboard through "
                            << m_pasteboard->protocolName() << '\n';
    QObject::connect(m_pasteTarget.get(), &WaylandPasteTarget::commandVAbandoned,
                     [] { reportAbandonedPaste(); });
    // What the compositor offers tells what to say of what it withholds.
    if (!m_pasteboard || !m_canType)
        m_globals = WaylandGlobals::readFromEnvironment();
}

void WaylandPlatform::connectToGnomeShell() {
    m_gnomeShellPasteboard = std::make_shared<GnomeShellPasteboard>(*m_gnomeShell);
    m_gnomeShellHotKeys = std::make_unique<GnomeShellHotKeys>(*m_gnomeShell);
    KeyboardShortcuts::setHotKeyPlatform(m_gnomeShellHotKeys.get());
    m_canType = true;
    QTextStream(stderr) << "velloq: reading the clipboard through GNOME Shell "
                        << m_gnomeShell->shellVersion() << " and Velloq's extension\n";
    QObject::connect(m_gnomeShell.get(), &GnomeShellBridge::pasteFinished, [](bool typed) {
        if (!typed)
            reportAbandonedPaste();
    });
}

WaylandPlatform::~WaylandPlatform() {
    // The shortcut library must not reach the portal or the Shell once they
    // are gone.
    if (m_shortcuts || m_gnomeShellHotKeys)
        KeyboardShortcuts::setHotKeyPlatform(nullptr);
}

QString WaylandPlatform::clipboardLimitation() {
    return QCoreApplication::translate(
        "WaylandPlatform",
        "This desktop does not let clipboard managers watch the clipboard, so Velloq "
        "cannot record new copies here. Your history and the velloq commands still work; "
        "in an X11 session Velloq records every copy.");
}

QString WaylandPlatform::gnomeExtensionNeeded() {
    return QCoreApplication::translate(
               "WaylandPlatform",
               "On GNOME, Velloq sees your copies through its GNOME Shell extension, which is "
               "not turned on. Turn it on with \u201cgnome-extensions enable %1\u201d (GNOME loads "
               "a newly installed extension at your next log-in), then start Velloq again. Until "
               "then Velloq records no new copies; your history and the velloq commands still "
               "work.")
        .arg(GnomeShellBridge::extensionUuid);
}

QString WaylandPlatform::gnomeTypingNeedsExtension() {
    return QCoreApplication::translate(
               "WaylandPlatform",
               "On GNOME, Velloq types into other windows through its GNOME Shell extension, "
               "which is not turned on: run \u201cgnome-extensions enable %1\u201d (GNOME loads a "
               "newly installed extension at your next log-in). Until then a picked card is "
               "copied and you press \u2303V yourself.")
        .arg(GnomeShellBridge::extensionUuid);
}

QString WaylandPlatform::typingUnavailableReason() {
    return QCoreApplication::translate("WaylandPlatform",
                                       "This desktop does not let applications type into other "
                                       "windows, so a picked card is copied and you press ⌃V "
                                       "yourself.");
}

QString WaylandPlatform::plasmaTypingUnavailableReason(const QString& runningProgram) {
    return QCoreApplication::translate(
               "WaylandPlatform",
               "KDE Plasma lets only the installed Velloq (/usr/bin/velloq, as the application "
               "menu starts it) type into other windows, and this one runs from %1. Until then "
               "a picked card is copied and you press ⌃V yourself.")
        .arg(runningProgram);
}

// KWin offers its own shell protocol to every client, Mutter its GTK one.
QString WaylandPlatform::whyTypingIsUnavailable() const {
    if (isGnome(m_globals))
        return gnomeTypingNeedsExtension();
    if (m_globals && m_globals->offers(QStringLiteral("org_kde_plasma_shell")))
        return plasmaTypingUnavailableReason(QCoreApplication::applicationFilePath());
    return typingUnavailableReason();
}

AppPlatform WaylandPlatform::platform() {
    AppPlatform platform;
    if (m_gnomeShell)
        addGnomeShellServices(platform);
    else
        addCompositorServices(platform);
    platform.desktopEntries = m_desktopEntries;
    // Whether Velloq can type is the compositor's to say, once: there is
    // nobody to ask for it.
    platform.hasAccess = [canType = m_canType] { return canType; };
    platform.requestAccess = [] {};
    if (!m_canType)
        platform.pastingUnavailableReason = whyTypingIsUnavailable();
    platform.virtualKeyOfEvent = virtualKeyOfEvent;
    platform.shortcutsFireAnywhere = true;
    platform.makeOverviewPanel = [this](OverviewModel& model, OverviewPanelController& controller) {
        return makeOverviewPanel(model, controller);
    };
    platform.screenFrameUnderPointer = screenFrameUnderPointer;
    return platform;
}

void WaylandPlatform::addCompositorServices(AppPlatform& platform) {
    if (m_pasteboard) {
        platform.pasteboard = m_pasteboard;
        platform.write = [pasteboard = m_pasteboard](const ClipContent& content) {
            pasteboard->write(content);
        };
    } else {
        platform.pasteboard = std::make_shared<UnwatchablePasteboard>();
        // Qt's own clipboard writes only while one of Velloq's windows has
        // the keyboard, as the overlay does when a card is picked.
        platform.write = [](const ClipContent& content) {
            QGuiApplication::clipboard()->setMimeData(mimeDataFor(content));
        };
        platform.startupNotice =
            isGnome(m_globals) ? gnomeExtensionNeeded() : clipboardLimitation();
    }
    platform.frontmostBundleID = [this] {
        return m_activeWindow ? m_activeWindow->activatedAppId() : std::nullopt;
    };
    // Only KWin tells which process a window belongs to, and the paste does
    // not need it: the compositor gives the keyboard back to the user's
    // window by itself. 0 stands for "another application".
    platform.frontmostPID = [this] {
        const std::optional<qint32> pid =
            m_activeWindow ? m_activeWindow->activatedPid() : std::nullopt;
        return std::optional<qint32>(pid.value_or(0));
    };
    platform.observeActivations = [this](auto handler) {
        if (m_activeWindow)
            QObject::connect(m_activeWindow.get(), &WaylandActiveWindow::activated,
                             m_activeWindow.get(), handler);
    };
    platform.sendCommandV = [this](qint32) { m_pasteTarget->sendCommandV(); };
}

void WaylandPlatform::addGnomeShellServices(AppPlatform& platform) {
    platform.pasteboard = m_gnomeShellPasteboard;
    platform.write = [pasteboard = m_gnomeShellPasteboard](const ClipContent& content) {
        pasteboard->write(content);
    };
    GnomeShellBridge* shell = m_gnomeShell.get();
    platform.frontmostBundleID = [shell] { return shell->focusedAppId(); };
    platform.frontmostPID = [shell] { return std::optional<qint32>(shell->focusedPid()); };
    platform.observeActivations = [shell](auto handler) {
        QObject::connect(shell, &GnomeShellBridge::focusChanged, shell, handler);
    };
    platform.sendCommandV = [shell](qint32) { shell->paste(); };
    platform.publishMenu = [this](QMenu& menu) {
        m_gnomeShellMenu = std::make_unique<GnomeShellMenu>(*m_gnomeShell, menu);
    };
}

std::unique_ptr<OverviewPanelSurface>
WaylandPlatform::makeOverviewPanel(OverviewModel& model, OverviewPanelController& controller) {
    // The wlroots family, which alone offers foreign-toplevel, lets a
    // floating window cover the screen.
    const bool wlroots = dynamic_cast<WaylandToplevels*>(m_activeWindow.get()) != nullptr;
    auto panel = std::make_unique<WaylandOverviewPanel>(
        model, wlroots ? WaylandOverviewPanel::Covering::floating
                       : WaylandOverviewPanel::Covering::fullScreen);
    panel->setScreenCapture(WaylandScreenCapture::create());
    // Where the screen cannot be copied, the compositor may blur it itself
    // (KWin).
    panel->setCompositorBlur(WaylandCompositorBlur::create());
    wireOverviewView(*panel->view(), controller, m_desktopEntries, Defaults::standard());
    return panel;
}
