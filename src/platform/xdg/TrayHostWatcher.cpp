#include "TrayHostWatcher.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

using namespace Qt::StringLiterals;

namespace {

const QString watcherService = u"org.kde.StatusNotifierWatcher"_s;
const QString watcherPath = u"/StatusNotifierWatcher"_s;

// The property Qt itself reads before it makes a D-Bus tray icon.
QDBusMessage hostQuestion() {
    QDBusMessage question = QDBusMessage::createMethodCall(
        watcherService, watcherPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    question << watcherService << u"IsStatusNotifierHostRegistered"_s;
    return question;
}

bool saysYes(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage &&
           reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

} // namespace

TrayHostWatcher::TrayHostWatcher(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus) {
    if (!m_bus.isConnected())
        return;
    auto* services = new QDBusServiceWatcher(watcherService, m_bus,
                                             QDBusServiceWatcher::WatchForRegistration, this);
    connect(services, &QDBusServiceWatcher::serviceRegistered, this, &TrayHostWatcher::ask);
    // KDE's watcher runs in kded, which starts before the panel: the host
    // registers with it later and the watcher announces that.
    m_bus.connect(watcherService, watcherPath, watcherService, u"StatusNotifierHostRegistered"_s,
                  this, SLOT(ask()));
    if (m_bus.interface() && m_bus.interface()->isServiceRegistered(watcherService))
        m_hasHost = saysYes(m_bus.call(hostQuestion(), QDBus::Block, 1000));
}

void TrayHostWatcher::ask() {
    if (!m_hasHost)
        m_bus.callWithCallback(hostQuestion(), this, SLOT(answered(QDBusMessage)));
}

void TrayHostWatcher::answered(const QDBusMessage& reply) {
    if (m_hasHost || !saysYes(reply))
        return;
    m_hasHost = true;
    Q_EMIT hostAppeared();
}
