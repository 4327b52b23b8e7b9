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

    // The tray icon: a 3×2 grid of rounded cells, drawn rather than shipped
    // so it is sharp at every size the tray asks for.
    static QIcon gridIcon();

private:
    QMenu m_menu;
    QSystemTrayIcon m_icon;
};
