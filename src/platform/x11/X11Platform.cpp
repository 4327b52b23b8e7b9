#include "X11Platform.h"

#include "GeneralPasteboard.h"
#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/ShortcutDescription.h"
#include "OverviewPanel.h"
#include "X11Compositing.h"
#include "X11KeyRepeat.h"
#include "overview/OverviewPanelController.h"
#include "overview/widgets/OverviewView.h"
#include "overview/widgets/OverviewViewWiring.h"
#include "platform/xdg/ScreenUnderPointer.h"
#include "platform/xdg/VirtualKeyCodes.h"
#include "preferences/Defaults.h"

#include <QKeyEvent>
#include <QTextStream>
#include <qguiapplication_platform.h>

namespace {

xcb_connection_t* qtConnection(QGuiApplication& app) {
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

int defaultScreenNumber() {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    const bool parsed = xcb_parse_display(nullptr, &host, &display, &screen);
    std::free(host);
    return parsed ? screen : 0;
}

} // namespace

X11Platform::X11Platform(QGuiApplication& app)
    : m_app(app), m_connection(qtConnection(app)),
      m_systemTray(m_connection, defaultScreenNumber()) {
    KeyboardShortcuts::setHotKeyPlatform(&m_hotKeys);
    KeyboardShortcuts::setKeyToCharacter(
        [this](qint64 keyCode) { return m_keyboardLayout.character(keyCode); });
    const auto timing = keyRepeatTiming(m_connection);
    if (timing)
        KeyboardShortcuts::setKeyRepeatTiming([timing] { return *timing; });
    // A pick that was not typed into its application should not pass in
    // silence; the entry is on the clipboard either way.
    QObject::connect(&m_pasteTarget, &X11PasteTarget::commandVAbandoned, [] {
        QTextStream(stderr) << "velloq: the picked entry is on the clipboard, but the "
                               "application to paste into did not come forward (or is gone)\n";
    });
}

X11Platform::~X11Platform() {
    // The shortcut library must not reach the grabs once they are gone.
    KeyboardShortcuts::setHotKeyPlatform(nullptr);
    KeyboardShortcuts::setKeyToCharacter({});
}

AppPlatform X11Platform::platform() {
    AppPlatform platform;
    platform.pasteboard = std::make_shared<GeneralPasteboard>(m_app.clipboard(), m_connection);
    platform.frontmostBundleID = [this] { return m_workspace.frontmostBundleID(); };
    platform.frontmostPID = [this] { return m_workspace.frontmostPID(); };
    platform.observeActivations = [this](auto handler) {
        QObject::connect(&m_workspace, &X11Workspace::applicationActivated, &m_workspace, handler);
    };
    platform.write = [this](const ClipContent& content) { m_writer.write(content); };
    platform.desktopEntries = m_desktopEntries;
    platform.hasAccess = [this] { return m_pasteTarget.hasAccess(); };
    platform.requestAccess = [] {}; // nothing to ask for on X11
    platform.sendCommandV = [this](qint32 pid) { m_pasteTarget.sendCommandV(pid); };
    platform.makeOverviewPanel = [this](OverviewModel& model, OverviewPanelController& controller) {
        return makeOverviewPanel(model, controller);
    };
    platform.screenFrameUnderPointer = screenFrameUnderPointer;
    platform.virtualKeyOfEvent = virtualKeyOfEvent;
    platform.hasOtherTray = [this] { return m_systemTray.isRunning(); };
    platform.observeOtherTray = [this](auto started) { m_systemTray.observe(std::move(started)); };
    platform.observeOverlayKeyboard = [this](auto observer) {
        m_overlayKeyboardObserver = std::move(observer);
    };
    return platform;
}

std::unique_ptr<OverviewPanelSurface>
X11Platform::makeOverviewPanel(OverviewModel& model, OverviewPanelController& controller) {
    auto panel = std::make_unique<OverviewPanel>(
        model, [connection = m_connection, screen = defaultScreenNumber()] {
            return compositingManagerRuns(connection, screen);
        });
    wireOverviewView(*panel->view(), controller, m_desktopEntries, Defaults::standard());
    // Any window taking key status closes the overlay, also another window
    // of the application the user was in.
    QObject::connect(&m_workspace, &X11Workspace::activeWindowChanged, panel.get(),
                     [window = panel.get()] { window->keyStatusTakenAway(); });
    QObject::connect(panel.get(), &OverviewPanel::keyboardHeldChanged, panel.get(),
                     [this, window = panel.get()](bool holds) {
                         if (m_overlayKeyboardObserver)
                             m_overlayKeyboardObserver(window, holds);
                     });
    return panel;
}
