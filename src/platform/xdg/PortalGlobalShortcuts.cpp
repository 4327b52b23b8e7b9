#include "PortalGlobalShortcuts.h"

#include "DesktopPortal.h"
#include "ShortcutTrigger.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QLoggingCategory>
#include <QTimer>
#include <QXmlStreamReader>

#include <algorithm>
#include <atomic>

using namespace Qt::StringLiterals;
using KeyboardShortcuts::EventType;

namespace {

Q_LOGGING_CATEGORY(lcPortal, "velloq.xdg.globalshortcuts")

// Signals are heard from the portal alone: its object paths can be guessed,
// and anyone on the bus may send a signal in its name's place.
const QString shortcutsInterface = u"org.freedesktop.portal.GlobalShortcuts"_s;
const QString requestInterface = u"org.freedesktop.portal.Request"_s;
const QString sessionInterface = u"org.freedesktop.portal.Session"_s;
const QString registryInterface = u"org.freedesktop.host.portal.Registry"_s;
const QString shortcutIdPrefix = u"velloq-"_s;

// The Request interface's code for "the interaction was ended some other way".
constexpr uint otherError = 2;

// One element of BindShortcuts' a(sa{sv}) and of the bound set it answers:
// the shortcut's id and its properties.
using PortalShortcut = std::pair<QString, QVariantMap>;

void registerTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        return true;
    }();
    Q_UNUSED(registered);
}

// Whether the introspection of the portal's object (see askForThePortal)
// lists GlobalShortcuts.
bool offersShortcuts(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    QXmlStreamReader xml(reply.arguments().constFirst().toString());
    while (xml.readNextStartElement()) {
        if (xml.name() == u"interface" && xml.attributes().value(u"name"_s) == shortcutsInterface)
            return true;
        if (xml.name() != u"node")
            xml.skipCurrentElement();
    }
    return false;
}

// Session handles came as strings from early portals, as object paths since.
QString objectPathText(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

// Letters, digits, '-' and '_' only, as every desktop stores them.
QString portalIdOfName(const QString& name) {
    QString id;
    for (const QChar c : name)
        id += c.isLetterOrNumber() && c.unicode() < 128 ? c : u'_';
    return id;
}

} // namespace

std::unique_ptr<PortalGlobalShortcuts> PortalGlobalShortcuts::create(QDBusConnection bus,
                                                                     QObject* parent) {
    if (!bus.isConnected())
        return nullptr;
    std::unique_ptr<PortalGlobalShortcuts> shortcuts(new PortalGlobalShortcuts(bus, parent));
    shortcuts->askForThePortal();
    return shortcuts;
}

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    registerTypes();
    describe = [](quint32) { return tr("Show the clipboard history"); };
    m_bus.connect(DesktopPortal::service, DesktopPortal::path, shortcutsInterface, u"Activated"_s,
                  this, SLOT(handleActivated(QDBusMessage)));
    m_bus.connect(DesktopPortal::service, DesktopPortal::path, shortcutsInterface, u"Deactivated"_s,
                  this, SLOT(handleDeactivated(QDBusMessage)));
}

PortalGlobalShortcuts::~PortalGlobalShortcuts() {
    closeSession();
}

bool PortalGlobalShortcuts::registerHotKey(quint32 id, quint32 carbonKeyCode,
                                           quint32 carbonModifiers) {
    unregisterHotKey(id);
    const std::optional<QString> trigger = shortcutTrigger(carbonKeyCode, carbonModifiers);
    if (!trigger || !m_bus.isConnected() || m_portalMissing ||
        std::find(m_wanted.cbegin(), m_wanted.cend(), *trigger) != m_wanted.cend())
        return false;
    m_wanted.insert(id, *trigger);
    scheduleSync();
    return true;
}

void PortalGlobalShortcuts::unregisterHotKey(quint32 id) {
    if (m_wanted.remove(id) > 0)
        scheduleSync();
}

// Introspection, answered by the bus library itself, rather than the
// version property: a property read may count as the application's first
// portal call, after which it can no longer register its id. The bus may
// have to start the portal first, which takes seconds: the answer comes
// back later, under the bus's own deadline (25 s), and until then
// registrations wait as they do for any session request.
void PortalGlobalShortcuts::askForThePortal() {
    m_busy = true;
    const QDBusMessage introspect =
        QDBusMessage::createMethodCall(DesktopPortal::service, DesktopPortal::path,
                                       u"org.freedesktop.DBus.Introspectable"_s, u"Introspect"_s);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(introspect), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const bool offered = offersShortcuts(watcher->reply());
        qCDebug(lcPortal) << "GlobalShortcuts portal offered:" << offered;
        if (offered) {
            registerApplication();
            return;
        }
        m_busy = false;
        m_portalMissing = true;
        loseRegistrations(m_wanted);
    });
}

// Without a sandbox, the portal learns the application's id from this call,
// which must come before any other; a portal without it, or one that knows
// the id already (Flatpak), answers with an error that changes nothing.
void PortalGlobalShortcuts::registerApplication() {
    m_busy = true;
    QDBusMessage call = QDBusMessage::createMethodCall(DesktopPortal::service, DesktopPortal::path,
                                                       registryInterface, u"Register"_s);
    call << QStringLiteral(VELLOQ_APP_ID) << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        createSession();
    });
}

void PortalGlobalShortcuts::createSession() {
    m_busy = true;
    request(u"CreateSession"_s, {}, {{u"session_handle_token"_s, nextToken()}},
            [this](uint code, const QVariantMap& results) { sessionCreated(code, results); });
}

void PortalGlobalShortcuts::sessionCreated(uint code, const QVariantMap& results) {
    m_busy = false;
    const QString session = objectPathText(results.value(u"session_handle"_s));
    if (code != 0 || session.isEmpty()) {
        qCDebug(lcPortal) << "the portal refused a session, response" << code;
        loseRegistrations(m_wanted);
        return;
    }
    m_session = session;
    m_sessionBound = false;
    m_bus.connect(DesktopPortal::service, m_session, sessionInterface, u"Closed"_s, this,
                  SLOT(handleSessionClosed(QDBusMessage)));
    sync();
}

void PortalGlobalShortcuts::closeSession() {
    if (m_session.isEmpty())
        return;
    m_bus.disconnect(DesktopPortal::service, m_session, sessionInterface, u"Closed"_s, this,
                     SLOT(handleSessionClosed(QDBusMessage)));
    m_bus.send(QDBusMessage::createMethodCall(DesktopPortal::service, m_session, sessionInterface,
                                              u"Close"_s));
    m_session.clear();
    m_sessionBound = false;
    m_bound.clear();
}

// Registrations come in bursts (the center registers every hot key at once),
// so they are bound together on the next turn of the event loop.
void PortalGlobalShortcuts::scheduleSync() {
    if (m_syncScheduled)
        return;
    m_syncScheduled = true;
    QTimer::singleShot(0, this, [this] { sync(); });
}

void PortalGlobalShortcuts::sync() {
    m_syncScheduled = false;
    if (m_busy || m_wanted == m_bound)
        return;
    // The portal lets a session bind only once: a changed set replaces the
    // session, and an empty set needs none.
    if (m_sessionBound)
        closeSession();
    if (m_wanted.isEmpty())
        return;
    if (m_session.isEmpty())
        createSession();
    else
        bind();
}

// A shortcut keeps its id on the desktop when its combination changes: the
// desktop would otherwise keep the old binding beside the new one.
QString PortalGlobalShortcuts::shortcutId(quint32 id) const {
    const QString name = nameOfHotKey ? nameOfHotKey(id) : QString();
    return shortcutIdPrefix + (name.isEmpty() ? QString::number(id) : portalIdOfName(name));
}

void PortalGlobalShortcuts::bind() {
    QList<PortalShortcut> shortcuts;
    m_idsOnTheDesktop.clear();
    for (auto it = m_wanted.cbegin(); it != m_wanted.cend(); ++it) {
        const QString id = shortcutId(it.key());
        m_idsOnTheDesktop.insert(id, it.key());
        shortcuts.append({id,
                          {{u"description"_s, describe ? describe(it.key()) : QString()},
                           {u"preferred_trigger"_s, it.value()}}});
    }
    m_busy = true;
    m_bound = m_wanted;
    m_sessionBound = true;
    request(u"BindShortcuts"_s,
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts),
             QString()},
            {}, [this, sent = m_wanted](uint code, const QVariantMap& results) {
                bound(sent, code, results);
            });
}

// The answer lists the shortcuts the desktop bound; the others were
// declined, and a failed answer declines them all.
void PortalGlobalShortcuts::bound(const Shortcuts& sent, uint code, const QVariantMap& results) {
    m_busy = false;
    Shortcuts refused = sent;
    if (code == 0 && !results.contains(u"shortcuts"_s)) {
        refused.clear();
    } else if (code == 0) {
        const auto granted = qdbus_cast<QList<PortalShortcut>>(results.value(u"shortcuts"_s));
        for (const PortalShortcut& shortcut : granted) {
            if (const auto id = m_idsOnTheDesktop.constFind(shortcut.first);
                id != m_idsOnTheDesktop.cend())
                refused.remove(*id);
        }
    }
    for (auto it = refused.cbegin(); it != refused.cend(); ++it)
        m_bound.remove(it.key());
    scheduleSync();
    loseRegistrations(refused);
}

// Only registrations still as they were sent are lost: one the center has
// changed meanwhile is bound anew.
void PortalGlobalShortcuts::loseRegistrations(Shortcuts refused) {
    QList<quint32> lost;
    for (auto it = refused.cbegin(); it != refused.cend(); ++it) {
        if (m_wanted.value(it.key()) == it.value() && m_wanted.remove(it.key()) > 0)
            lost.append(it.key());
    }
    for (quint32 id : lost) {
        if (onRegistrationLost)
            onRegistrationLost(id);
    }
}

// A portal request answers through a Response signal on its own object,
// whose path is known in advance; listening starts before the call so that
// no answer can come first.
void PortalGlobalShortcuts::request(const QString& method, QVariantList arguments,
                                    QVariantMap options, ResponseHandler handler) {
    const QString token = nextToken();
    options.insert(u"handle_token"_s, token);
    arguments.append(options);
    const QString sender = m_bus.baseService().mid(1).replace(u'.', u'_');
    const QString path = DesktopPortal::path + u"/request/"_s + sender + u'/' + token;
    m_requests.insert(path, std::move(handler));
    m_bus.connect(DesktopPortal::service, path, requestInterface, u"Response"_s, this,
                  SLOT(handleResponse(QDBusMessage)));
    QDBusMessage call = QDBusMessage::createMethodCall(DesktopPortal::service, DesktopPortal::path,
                                                       shortcutsInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, path] { requestSent(watcher, path); });
}

// Portals before version 0.9 chose the request path themselves.
void PortalGlobalShortcuts::requestSent(QDBusPendingCallWatcher* watcher, const QString& path) {
    watcher->deleteLater();
    const QDBusMessage reply = watcher->reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        finishRequest(path, otherError, {});
        return;
    }
    const QString handle = objectPathText(reply.arguments().constFirst());
    if (handle.isEmpty() || handle == path || !m_requests.contains(path))
        return;
    m_requests.insert(handle, m_requests.take(path));
    m_bus.disconnect(DesktopPortal::service, path, requestInterface, u"Response"_s, this,
                     SLOT(handleResponse(QDBusMessage)));
    m_bus.connect(DesktopPortal::service, handle, requestInterface, u"Response"_s, this,
                  SLOT(handleResponse(QDBusMessage)));
}

void PortalGlobalShortcuts::finishRequest(const QString& path, uint code,
                                          const QVariantMap& results) {
    const ResponseHandler handler = m_requests.take(path);
    if (!handler)
        return;
    m_bus.disconnect(DesktopPortal::service, path, requestInterface, u"Response"_s, this,
                     SLOT(handleResponse(QDBusMessage)));
    handler(code, results);
}

void PortalGlobalShortcuts::handleResponse(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    finishRequest(message.path(), arguments.at(0).toUInt(),
                  qdbus_cast<QVariantMap>(arguments.at(1)));
}

void PortalGlobalShortcuts::handleActivated(const QDBusMessage& message) {
    deliver(message, EventType::keyDown);
}

void PortalGlobalShortcuts::handleDeactivated(const QDBusMessage& message) {
    deliver(message, EventType::keyUp);
}

// Other sessions' shortcuts (an earlier session of ours, another client's
// when a portal broadcasts) are not ours to report.
void PortalGlobalShortcuts::deliver(const QDBusMessage& message, EventType type) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || m_session.isEmpty() || objectPathText(arguments.at(0)) != m_session)
        return;
    const auto id = m_idsOnTheDesktop.constFind(arguments.at(1).toString());
    if (id != m_idsOnTheDesktop.cend() && m_bound.contains(*id) && m_wanted.contains(*id) &&
        onHotKeyEvent)
        onHotKeyEvent(*id, type);
}

// The desktop ended the session (the user revoked it, the portal restarted):
// its shortcuts are gone.
void PortalGlobalShortcuts::handleSessionClosed(const QDBusMessage& message) {
    if (message.path() != m_session)
        return;
    const Shortcuts bound = m_bound;
    m_bus.disconnect(DesktopPortal::service, m_session, sessionInterface, u"Closed"_s, this,
                     SLOT(handleSessionClosed(QDBusMessage)));
    m_session.clear();
    m_sessionBound = false;
    m_bound.clear();
    scheduleSync();
    loseRegistrations(bound);
}

// Tokens name request and session objects under our bus name, so they stay
// unique across every instance in the process.
QString PortalGlobalShortcuts::nextToken() {
    static std::atomic<quint64> counter = 0;
    return u"velloq_"_s + QString::number(++counter);
}
