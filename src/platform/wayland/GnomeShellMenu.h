#pragma once

#include <QObject>
#include <QPointer>

class GnomeShellBridge;
class QMenu;

// Velloq's menu in GNOME's top bar, which shows no tray icons: the Shell
// extension draws the items this sends and tells which one is picked. The
// items follow the menu's actions as they change.
class GnomeShellMenu : public QObject {
    Q_OBJECT

public:
    // `bridge` must outlive this.
    GnomeShellMenu(GnomeShellBridge& bridge, QMenu& menu, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scheduleSend();
    void send();
    void trigger(const QString& id);

    GnomeShellBridge& m_bridge;
    QPointer<QMenu> m_menu;
    bool m_sendScheduled = false;
};
