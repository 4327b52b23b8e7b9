#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QUrl>

#include <functional>

class QAction;

// Velloq's item in the system tray and its menu. Where the desktop has no
// tray, the same menu pops up at the pointer (`velloq menu`).
class TrayMenu : public QObject {
    Q_OBJECT

public:
    // What the entries do. An entry whose action is not given is left out
    // of the menu.
    struct Actions {
        std::function<void()> showClipboard;
        std::function<void()> checkForUpdates;
        std::function<void()> showAbout;
        std::function<void()> showSettings;
        std::function<void()> showHowToUse;
        std::function<void()> quit;
        // Opens a web page in the default browser.
        std::function<void(const QUrl&)> openPage;
    };

    // The maker's site; the documentation and contact pages are below it.
    static const QString makerSite;
    static QUrl documentationPage();
    static QUrl feedbackPage();

    explicit TrayMenu(QObject* parent = nullptr);

    // Fills the menu; called once the services exist.
    void setActions(Actions actions);
    // The update entry is disabled while a check runs.
    void setCanCheckForUpdates(bool canCheck);

    QMenu& menu() { return m_menu; }
    // False when the desktop has no system tray; Velloq runs on without it.
    bool isShown() const { return m_icon.isVisible(); }
    // Opens the menu at the pointer.
    void popUp();
    // A warning balloon from the tray icon, where there is one.
    void showWarning(const QString& message);

    // The tray icon: the 3×2 grid symbol, rendered at every size the tray
    // may ask for.
    static QIcon gridIcon();

private:
    QAction* addEntry(const QString& title, const std::function<void()>& action,
                      const QKeySequence& shortcut = {});

    QMenu m_menu;
    QSystemTrayIcon m_icon;
    QAction* m_updates = nullptr;
};
