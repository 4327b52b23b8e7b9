#include "GnomeShellMenu.h"

#include "GnomeShellBridge.h"

#include <QEvent>
#include <QMenu>
#include <QTimer>

GnomeShellMenu::GnomeShellMenu(GnomeShellBridge& bridge, QMenu& menu, QObject* parent)
    : QObject(parent), m_bridge(bridge), m_menu(&menu) {
    menu.installEventFilter(this);
    connect(&m_bridge, &GnomeShellBridge::menuItemActivated, this, &GnomeShellMenu::trigger);
    connect(&m_bridge, &GnomeShellBridge::restarted, this, &GnomeShellMenu::send);
    // The menu brings its entries up to date as it opens; the top bar's copy
    // of it follows.
    connect(&m_bridge, &GnomeShellBridge::menuOpened, this, [this] {
        if (m_menu)
            Q_EMIT m_menu->aboutToShow();
    });
    send();
}

bool GnomeShellMenu::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionChanged:
    case QEvent::ActionRemoved:
        scheduleSend();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void GnomeShellMenu::scheduleSend() {
    if (m_sendScheduled)
        return;
    m_sendScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_sendScheduled = false;
        send();
    });
}

// An item's id is its place in the menu; hidden actions are left out.
void GnomeShellMenu::send() {
    if (!m_menu)
        return;
    QList<GnomeShellBridge::MenuItem> items;
    const QList<QAction*> actions = m_menu->actions();
    for (qsizetype index = 0; index < actions.size(); ++index) {
        const QAction* action = actions.at(index);
        if (!action->isVisible())
            continue;
        items.append({QString::number(index), action->isSeparator() ? QString() : action->text(),
                      action->isEnabled()});
    }
    m_bridge.setMenu(items);
}

void GnomeShellMenu::trigger(const QString& id) {
    bool valid = false;
    const qsizetype index = id.toLongLong(&valid);
    if (!m_menu || !valid || index < 0 || index >= m_menu->actions().size())
        return;
    QAction* action = m_menu->actions().at(index);
    if (action->isEnabled() && !action->isSeparator())
        action->trigger();
}
