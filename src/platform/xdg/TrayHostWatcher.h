#pragma once

#include <QDBusConnection>
#include <QObject>

class QDBusMessage;

// Whether a tray that shows StatusNotifierItems (KDE Plasma, GNOME's
// AppIndicator extension, waybar and most panels today) is on the session
// bus, and when one arrives. Qt 6.4 chooses this kind of tray only if one
// was there the first time the process made a tray icon, and never asks
// again; so the icon waits for this watcher to say there is one.
class TrayHostWatcher : public QObject {
    Q_OBJECT

public:
    // Asks the bus once, waiting up to a second for the answer, as Qt does
    // when it makes its icon: the launch says whether there is a tray.
    explicit TrayHostWatcher(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                             QObject* parent = nullptr);

    bool hasHost() const { return m_hasHost; }

Q_SIGNALS:
    // Once, when a host is first there (never while hasHost() is true).
    void hostAppeared();

private Q_SLOTS:
    void ask();
    void answered(const QDBusMessage& reply);

private:
    QDBusConnection m_bus;
    bool m_hasHost = false;
};
