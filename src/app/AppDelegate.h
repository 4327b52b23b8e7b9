#pragma once

#include "AppServices.h"
#include "KeyboardShortcuts/widgets/MenuTracker.h"
#include "TrayMenu.h"
#include "UpdateManager.h"
#include "launch/InstanceServer.h"
#include "onboarding/widgets/OnboardingWindowController.h"
#include "platform/AppPlatform.h"
#include "platform/xdg/DesktopColorScheme.h"
#include "style/Appearance.h"

#include <QApplication>
#include <QObject>
#include <QPointer>

#include <memory>

// The running application: its services on the given desktop, the tray
// icon, and the door for later `velloq` invocations.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    static const QString showOverviewArgument;

    // Names the application and its version, for every window and message.
    static void nameApplication();

    // Runs Velloq on that desktop, on the history its launch has claimed,
    // until it quits; returns the exit code.
    static int run(QApplication& app, AppPlatform platform, const QString& historyDirectory);

    AppDelegate(const QString& historyDirectory, AppPlatform platform, InstanceServer& server);
    ~AppDelegate() override;

private:
    void trackMenus(AppPlatform& platform);
    void applicationDidFinishLaunching();
    void openOnboardingIfNeeded();
    void prepareOverlay();
    void followDesktopColorScheme();
    void fillTrayMenu();
    void showAbout();
    void checkForUpdates();
    void showUpdateResult(const UpdateManager::Result& result);

    Appearance m_appearance;
    DesktopColorScheme m_desktopColorScheme;
    // Declared before the services: the overlay reports to it until it goes.
    std::unique_ptr<KeyboardShortcuts::MenuTracker> m_menuTracker;
    std::unique_ptr<AppServices> m_services;
    TrayMenu m_tray;
    QPointer<QDialog> m_about;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<OnboardingWindowController> m_onboarding;
    QPointer<QWidget> m_updateProgress;
    QString m_startupNotice;
    bool m_pastingUnavailable;
    // The menu shows in the desktop's top bar, where there is no tray.
    bool m_menuPublished = false;
};
