#include "WaylandPlatform.h"

#include "UnwatchablePasteboard.h"
#include "WaylandOverviewPanel.h"
#include "WaylandPasteboard.h"
#include "overview/OverviewPanelController.h"
#include "overview/widgets/OverviewView.h"
#include "overview/widgets/OverviewViewWiring.h"
#include "paste/ClipMimeData.h"
#include "platform/xdg/DesktopEntries.h"
#include "preferences/Defaults.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QScreen>

#include <wayland-client.h>

namespace {

std::optional<QRect> screenFrameUnderPointer() {
    // Clients learn where the pointer is only while it is over one of their
    // windows; elsewhere the full-screen window goes where the compositor
    // puts new windows, the output in use.
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? std::optional(screen->geometry()) : std::nullopt;
}

} // namespace

WaylandPlatform::WaylandPlatform(QGuiApplication& app)
    : m_app(app), m_globals(WaylandGlobals::readFromEnvironment()),
      m_desktopEntries(std::make_shared<DesktopEntries>()),
      m_pasteboard(WaylandPasteboard::create()) {}

WaylandPlatform::~WaylandPlatform() = default;

QString WaylandPlatform::clipboardLimitation(const std::optional<WaylandGlobals>& globals) {
    if (globals && globals->hasDataControl())
        return {};
    return QCoreApplication::translate(
        "WaylandPlatform",
        "This desktop does not let clipboard managers watch the clipboard, so Velloq "
        "cannot record new copies here. Your history and the velloq commands still work; "
        "in an X11 session Velloq records every copy.");
}

AppPlatform WaylandPlatform::platform() {
    AppPlatform platform;
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
    }
    platform.startupNotice = clipboardLimitation(m_globals);
    platform.frontmostBundleID = [] { return std::optional<QString>(); };
    platform.frontmostPID = [] { return std::optional<qint32>(); };
    platform.observeActivations = [](auto) {};
    platform.desktopEntries = m_desktopEntries;
    platform.hasAccess = [] { return false; };
    platform.requestAccess = [] {};
    platform.sendCommandV = [](qint32) {};
    platform.makeOverviewPanel = [this](OverviewModel& model, OverviewPanelController& controller) {
        return makeOverviewPanel(model, controller);
    };
    platform.screenFrameUnderPointer = screenFrameUnderPointer;
    return platform;
}

std::unique_ptr<OverviewPanelSurface>
WaylandPlatform::makeOverviewPanel(OverviewModel& model, OverviewPanelController& controller) {
    auto panel = std::make_unique<WaylandOverviewPanel>(model);
    wireOverviewView(*panel->view(), controller, m_desktopEntries, Defaults::standard());
    return panel;
}
