#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

// Velloq's item in the system tray and its menu.
class TrayMenu : public QObject {
    Q_OBJECT

public:
    explicit TrayMenu(QObject* parent = nullptr);

    // False when the desktop has no system tray; Velloq runs on without it.
    bool isShown() const { return m_icon.isVisible(); }
    // A warning balloon from the tray icon, where there is one.
    void showWarning(const QString& message);

    // The tray icon: the 3×2 grid symbol, rendered at every size the tray
    // may ask for.
    static QIcon gridIcon();

private:
    QMenu m_menu;
    QSystemTrayIcon m_icon;
};
