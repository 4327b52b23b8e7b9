#pragma once

#include "platform/xdg/TrayHostWatcher.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QUrl>

#include <functional>
#include <memory>

class QAction;

// Velloq's item in the system tray and its menu, which a click of either
// button opens. The item appears once a tray is there, also one that starts
// after Velloq; until then the same menu pops up at the pointer
// (`velloq menu`).
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
    // The symbolic icon installed in the hicolor theme, which trays recolour
    // to suit their panel.
    static const QString iconName;

    // Watches the session bus for a tray.
    explicit TrayMenu(QObject* parent = nullptr);

    // Also places the item in a tray that is not on the bus (X11's XEmbed
    // tray): `running` says whether one is there, `observe` reports each
    // one that starts.
    void watchOtherTray(const std::function<bool()>& running,
                        const std::function<void(std::function<void()>)>& observe);

    // Fills the menu; called once the services exist.
    void setActions(Actions actions);
    // The update entry is disabled while a check runs.
    void setCanCheckForUpdates(bool canCheck);

    QMenu& menu() { return m_menu; }
    // False while the desktop has no system tray; Velloq runs on without it.
    bool isShown() const { return m_icon != nullptr; }
    // Opens the menu at the pointer.
    void popUp();
    // A warning balloon from the tray icon, where there is one.
    void showWarning(const QString& message);

    // The tray icon: by its name from the icon theme, for trays that draw
    // it themselves; otherwise, or where it is not installed, the 3×2 grid
    // drawn in the palette's text colour at every size a tray may ask for.
    static QIcon trayIcon(bool byName);

protected:
    // Redraws the icon in the new colours when the palette changes.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeIcon();

    QAction* addEntry(const QString& title, const std::function<void()>& action,
                      const QKeySequence& shortcut = {});

    QMenu m_menu;
    TrayHostWatcher m_hosts;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    // Whether the tray shows the icon by its name (the D-Bus tray).
    bool m_byName = false;
    QAction* m_updates = nullptr;
};
