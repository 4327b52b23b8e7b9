#pragma once

#include "X11ClipboardWriter.h"
#include "X11HotKeys.h"
#include "X11KeyboardLayout.h"
#include "X11PasteTarget.h"
#include "X11SystemTray.h"
#include "X11Workspace.h"
#include "platform/AppPlatform.h"
#include "platform/xdg/DesktopEntries.h"

#include <QGuiApplication>

#include <memory>

// Velloq on an X server: every X11 adapter, built once on Qt's connection,
// and the global shortcuts' grabs installed for the life of this object.
class X11Platform {
public:
    explicit X11Platform(QGuiApplication& app);
    ~X11Platform();
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    // What the application needs of the desktop; valid while this lives.
    AppPlatform platform();

private:
    std::unique_ptr<OverviewPanelSurface> makeOverviewPanel(OverviewModel& model,
                                                            OverviewPanelController& controller);

    QGuiApplication& m_app;
    xcb_connection_t* m_connection;
    std::shared_ptr<DesktopEntries> m_desktopEntries = std::make_shared<DesktopEntries>();
    X11Workspace m_workspace{m_desktopEntries};
    X11PasteTarget m_pasteTarget{m_workspace};
    X11ClipboardWriter m_writer;
    X11HotKeys m_hotKeys;
    X11KeyboardLayout m_keyboardLayout;
    X11SystemTray m_systemTray;
    std::function<void(QObject*, bool)> m_overlayKeyboardObserver;
};
