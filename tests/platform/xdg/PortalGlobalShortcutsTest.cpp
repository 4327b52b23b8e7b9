#include "platform/xdg/PortalGlobalShortcuts.h"

#include "KeyboardShortcuts/Key.h"
#include "support/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QMutex>
#include <QSemaphore>
#include <QSet>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;
using KeyboardShortcuts::EventType;
namespace Keys = KeyboardShortcuts::Keys;
namespace CarbonModifier = KeyboardShortcuts::CarbonModifier;

// An id and its properties, as BindShortcuts takes them and answers. A
// named type outside any namespace: exported slots find types by name.
struct FakeShortcut : std::pair<QString, QVariantMap> {};
Q_DECLARE_METATYPE(FakeShortcut)

namespace {

const QString portalPath = u"/org/freedesktop/portal/desktop"_s;
const QString shortcutsInterface = u"org.freedesktop.portal.GlobalShortcuts"_s;

// What the portal was asked: for BindShortcuts, the bindings as "id=trigger".
struct PortalCall {
    QString method;
    QString session;
    QStringList bindings;
};

QString senderElement(const QDBusMessage& message) {
    return message.service().mid(1).replace(u'.', u'_');
}

} // namespace

// The portal's side of GlobalShortcuts, answering through Response signals
// after the method's reply as xdg-desktop-portal does. Like GNOME's, it
// refuses a second binding on one session. It runs on a thread of its own,
// which a test can hold up like a portal the bus is still starting.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")

public:
    explicit FakePortal(const QDBusConnection& bus) : m_bus(bus) {}

    QList<PortalCall> calls() const {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    // The next bindings answer with this code and leave out these ids.
    void setBindAnswer(uint code, const QStringList& declined) {
        QMutexLocker lock(&m_mutex);
        m_bindCode = code;
        m_declined = declined;
    }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        const QString session = portalPath + u"/session/"_s + senderElement(message) + u'/' +
                                options.value(u"session_handle_token"_s).toString();
        QMutexLocker lock(&m_mutex);
        m_calls.append({u"CreateSession"_s, session, {}});
        return answerLater(message, options, 0, {{u"session_handle"_s, session}});
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session,
                                  const QList<FakeShortcut>& shortcuts, const QString&,
                                  const QVariantMap& options, const QDBusMessage& message) {
        QMutexLocker lock(&m_mutex);
        PortalCall call{u"BindShortcuts"_s, session.path(), {}};
        QList<FakeShortcut> granted;
        for (const FakeShortcut& shortcut : shortcuts) {
            call.bindings.append(shortcut.first + u'=' +
                                 shortcut.second.value(u"preferred_trigger"_s).toString());
            if (!m_declined.contains(shortcut.first))
                granted.append(shortcut);
        }
        m_calls.append(call);
        const bool again = m_boundSessions.contains(session.path());
        m_boundSessions.insert(session.path());
        return answerLater(message, options, again ? 2 : m_bindCode,
                           {{u"shortcuts"_s, QVariant::fromValue(granted)}});
    }

private:
    QDBusObjectPath answerLater(const QDBusMessage& message, const QVariantMap& options, uint code,
                                const QVariantMap& results) {
        const QString request = portalPath + u"/request/"_s + senderElement(message) + u'/' +
                                options.value(u"handle_token"_s).toString();
        QMetaObject::invokeMethod(
            this,
            [bus = m_bus, request, code, results] {
                QDBusMessage response = QDBusMessage::createSignal(
                    request, u"org.freedesktop.portal.Request"_s, u"Response"_s);
                response << code << results;
                bus.send(response);
            },
            Qt::QueuedConnection);
        return QDBusObjectPath(request);
    }

    QDBusConnection m_bus;
    mutable QMutex m_mutex;
    QList<PortalCall> m_calls;
    QSet<QString> m_boundSessions;
    uint m_bindCode = 0;
    QStringList m_declined;
};

// The portal client on a private bus: it never waits for the portal, binds
// the whole set on a fresh session after every change, reports only its own
// session's shortcuts, and loses the registrations the desktop declines.
class PortalGlobalShortcutsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void bindsTheFullSetOnEveryChange();
    void aPortalStillStartingHoldsNothingUp();
    void reportsOnlyItsOwnSessionsShortcuts();
    void declinedBindingsAreLost();
    void aNamedShortcutKeepsItsIdWhenRecordedAgain();

private:
    bool startPortal();
    // Keeps the portal from answering until released.
    void holdPortal();
    void releasePortal();
    QStringList lastBindings() const;
    // From the portal, or from another `connection` to the bus.
    void emitShortcutSignal(const QString& name, const QString& session, const QString& id,
                            const QString& connection = {});

    PrivateBus m_bus;
    QString m_address;
    QDBusConnection m_client{QString()};
    QThread m_portalThread;
    FakePortal* m_portal = nullptr;
    QString m_portalConnection;
    int m_portals = 0;
    QSemaphore m_portalGate;
    bool m_portalHeld = false;
};

void PortalGlobalShortcutsTest::initTestCase() {
    qDBusRegisterMetaType<FakeShortcut>();
    qDBusRegisterMetaType<QList<FakeShortcut>>();
    QVERIFY2(m_bus.start(), qPrintable(m_bus.error()));
    m_address = m_bus.address();
    m_client = QDBusConnection::connectToBus(m_address, u"velloq-client"_s);
    QVERIFY(m_client.isConnected());
    m_portalThread.start();
}

void PortalGlobalShortcutsTest::cleanup() {
    releasePortal();
    if (!m_portal)
        return;
    QDBusConnection bus(m_portalConnection);
    bus.unregisterService(u"org.freedesktop.portal.Desktop"_s);
    bus.unregisterObject(portalPath);
    QDBusConnection::disconnectFromBus(m_portalConnection);
    m_portal->deleteLater();
    m_portal = nullptr;
}

void PortalGlobalShortcutsTest::cleanupTestCase() {
    m_portalThread.quit();
    m_portalThread.wait();
    QDBusConnection::disconnectFromBus(u"velloq-client"_s);
}

bool PortalGlobalShortcutsTest::startPortal() {
    m_portalConnection = u"fake-portal-"_s + QString::number(++m_portals);
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, m_portalConnection);
    m_portal = new FakePortal(bus);
    m_portal->moveToThread(&m_portalThread);
    return bus.registerObject(portalPath, m_portal, QDBusConnection::ExportAllSlots) &&
           bus.registerService(u"org.freedesktop.portal.Desktop"_s);
}

void PortalGlobalShortcutsTest::holdPortal() {
    m_portalHeld = true;
    QMetaObject::invokeMethod(m_portal, [this] { m_portalGate.acquire(); });
}

void PortalGlobalShortcutsTest::releasePortal() {
    if (std::exchange(m_portalHeld, false))
        m_portalGate.release();
}

QStringList PortalGlobalShortcutsTest::lastBindings() const {
    const QList<PortalCall> calls = m_portal->calls();
    for (auto it = calls.crbegin(); it != calls.crend(); ++it) {
        if (it->method == u"BindShortcuts")
            return it->bindings;
    }
    return {};
}

void PortalGlobalShortcutsTest::emitShortcutSignal(const QString& name, const QString& session,
                                                   const QString& id, const QString& connection) {
    QDBusMessage signal = QDBusMessage::createSignal(portalPath, shortcutsInterface, name);
    signal << QVariant::fromValue(QDBusObjectPath(session)) << id << quint64(0) << QVariantMap();
    QVERIFY(QDBusConnection(connection.isEmpty() ? m_portalConnection : connection).send(signal));
}

void PortalGlobalShortcutsTest::bindsTheFullSetOnEveryChange() {
    // Without a portal, a registration is lost once the bus says so.
    QList<quint32> lost;
    auto shortcuts = PortalGlobalShortcuts::create(m_client);
    QVERIFY(shortcuts);
    shortcuts->onRegistrationLost = [&](quint32 id) { lost.append(id); };
    QVERIFY(shortcuts->registerHotKey(1, Keys::v.rawValue, CarbonModifier::control));
    QTRY_COMPARE(lost, QList<quint32>{1});
    QVERIFY(!shortcuts->registerHotKey(1, Keys::v.rawValue, CarbonModifier::control));

    QVERIFY(startPortal());
    shortcuts = PortalGlobalShortcuts::create(m_client);
    QVERIFY(shortcuts);
    QTRY_COMPARE(m_portal->calls().size(), 1); // a session from the start
    const qint64 controlShift = CarbonModifier::control | CarbonModifier::shift;
    QVERIFY(shortcuts->registerHotKey(1, Keys::v.rawValue, controlShift));
    QTRY_COMPARE(lastBindings(), QStringList{u"velloq-1=CTRL+SHIFT+v"_s});
    QVERIFY(shortcuts->registerHotKey(2, Keys::f5.rawValue,
                                      CarbonModifier::command | CarbonModifier::option));
    QTRY_COMPARE(lastBindings(),
                 (QStringList{u"velloq-1=CTRL+SHIFT+v"_s, u"velloq-2=ALT+LOGO+F5"_s}));
    // Fn has no place in a trigger, and a combination is bound once.
    QVERIFY(!shortcuts->registerHotKey(3, Keys::a.rawValue, CarbonModifier::function));
    QVERIFY(!shortcuts->registerHotKey(4, Keys::v.rawValue, controlShift));
    shortcuts->unregisterHotKey(1);
    QTRY_COMPARE(lastBindings(), QStringList{u"velloq-2=ALT+LOGO+F5"_s});

    // Each binding went to a session of its own, just made.
    const QList<PortalCall> calls = m_portal->calls();
    QCOMPARE(calls.size(), 6);
    for (qsizetype i = 0; i < calls.size(); i += 2) {
        QCOMPARE(calls.at(i).method, u"CreateSession"_s);
        QCOMPARE(calls.at(i + 1).method, u"BindShortcuts"_s);
        QCOMPARE(calls.at(i + 1).session, calls.at(i).session);
    }
}

// The bus may have to start the portal; the application goes on meanwhile,
// and what it registered is bound once the portal is there.
void PortalGlobalShortcutsTest::aPortalStillStartingHoldsNothingUp() {
    QVERIFY(startPortal());
    holdPortal();
    QTimer::singleShot(0, this, [this] { releasePortal(); });
    const auto shortcuts = PortalGlobalShortcuts::create(m_client);
    QVERIFY2(shortcuts && m_portalHeld, "the creation waited for the portal");
    QVERIFY(shortcuts->registerHotKey(1, Keys::v.rawValue, CarbonModifier::control));
    QVERIFY(m_portal->calls().isEmpty());
    QTRY_COMPARE(lastBindings(), QStringList{u"velloq-1=CTRL+v"_s});
    QCOMPARE(m_portal->calls().constFirst().method, u"CreateSession"_s);
}

void PortalGlobalShortcutsTest::reportsOnlyItsOwnSessionsShortcuts() {
    QVERIFY(startPortal());
    QList<std::pair<quint32, EventType>> events;
    const auto shortcuts = PortalGlobalShortcuts::create(m_client);
    QVERIFY(shortcuts);
    shortcuts->onHotKeyEvent = [&](quint32 id, EventType type) { events.append({id, type}); };
    QVERIFY(shortcuts->registerHotKey(1, Keys::v.rawValue, CarbonModifier::control));
    QVERIFY(shortcuts->registerHotKey(2, Keys::space.rawValue, CarbonModifier::command));
    QTRY_COMPARE(lastBindings(), (QStringList{u"velloq-1=CTRL+v"_s, u"velloq-2=LOGO+space"_s}));
    const QString session = m_portal->calls().constLast().session;
    const QString otherSession = portalPath + u"/session/1_99/other"_s;

    // Anyone else on the bus can guess the paths; only the portal is heard.
    const QString impostor = u"velloq-impostor"_s;
    QVERIFY(QDBusConnection::connectToBus(m_address, impostor).isConnected());
    emitShortcutSignal(u"Activated"_s, session, u"velloq-1"_s, impostor);
    QDBusConnection(impostor).send(
        QDBusMessage::createSignal(session, u"org.freedesktop.portal.Session"_s, u"Closed"_s)
        << QVariantMap());
    emitShortcutSignal(u"Activated"_s, otherSession, u"velloq-1"_s);
    emitShortcutSignal(u"Activated"_s, session, u"velloq-9"_s);
    emitShortcutSignal(u"Deactivated"_s, otherSession, u"velloq-2"_s);
    emitShortcutSignal(u"Activated"_s, session, u"velloq-2"_s);
    emitShortcutSignal(u"Deactivated"_s, session, u"velloq-2"_s);
    QTRY_COMPARE(events.size(), 2);
    QCOMPARE(events, (QList<std::pair<quint32, EventType>>{{2, EventType::keyDown},
                                                           {2, EventType::keyUp}}));
    // The impostor's Closed did not end the session: its shortcuts still work.
    emitShortcutSignal(u"Activated"_s, session, u"velloq-1"_s);
    QTRY_COMPARE(events.size(), 3);
    QCOMPARE(events.last(), std::pair(quint32(1), EventType::keyDown));
    QDBusConnection::disconnectFromBus(impostor);
}

// Recording a shortcut again makes a new registration; the desktop must
// still see the same shortcut, or it keeps the old binding beside the new.
void PortalGlobalShortcutsTest::aNamedShortcutKeepsItsIdWhenRecordedAgain() {
    QVERIFY(startPortal());
    QList<quint32> pressed;
    const auto shortcuts = PortalGlobalShortcuts::create(m_client);
    QVERIFY(shortcuts);
    shortcuts->onHotKeyEvent = [&](quint32 id, EventType type) {
        if (type == EventType::keyDown)
            pressed.append(id);
    };
    shortcuts->nameOfHotKey = [](quint32 id) { return id == 2 ? QString() : u"show overview"_s; };
    QVERIFY(shortcuts->registerHotKey(1, Keys::v.rawValue, CarbonModifier::control));
    QTRY_COMPARE(lastBindings(), QStringList{u"velloq-show_overview=CTRL+v"_s});
    shortcuts->unregisterHotKey(1);
    QVERIFY(shortcuts->registerHotKey(3, Keys::b.rawValue, CarbonModifier::control));
    QVERIFY(shortcuts->registerHotKey(2, Keys::f5.rawValue, 0));
    QTRY_COMPARE(lastBindings(), (QStringList{u"velloq-2=F5"_s, u"velloq-show_overview=CTRL+b"_s}));
    emitShortcutSignal(u"Activated"_s, m_portal->calls().constLast().session,
                       u"velloq-show_overview"_s);
    QTRY_COMPARE(pressed, QList<quint32>{3});
}

void PortalGlobalShortcutsTest::declinedBindingsAreLost() {
    QVERIFY(startPortal());
    m_portal->setBindAnswer(0, {u"velloq-2"_s});
    QList<quint32> lost;
    const auto shortcuts = PortalGlobalShortcuts::create(m_client);
    QVERIFY(shortcuts);
    shortcuts->onRegistrationLost = [&](quint32 id) { lost.append(id); };
    QVERIFY(shortcuts->registerHotKey(1, Keys::v.rawValue, CarbonModifier::control));
    QVERIFY(shortcuts->registerHotKey(2, Keys::f5.rawValue, 0));
    QTRY_COMPARE(lost, QList<quint32>{2});
    QCOMPARE(lastBindings(), (QStringList{u"velloq-1=CTRL+v"_s, u"velloq-2=F5"_s}));

    // The user dismisses the desktop's dialog: the whole set is refused.
    m_portal->setBindAnswer(1, {});
    QVERIFY(shortcuts->registerHotKey(3, Keys::a.rawValue, CarbonModifier::option));
    QTRY_COMPARE(lost, (QList<quint32>{2, 1, 3}));
    QCOMPARE(lastBindings(), (QStringList{u"velloq-1=CTRL+v"_s, u"velloq-3=ALT+a"_s}));

    // Lost registrations are not offered again.
    m_portal->setBindAnswer(0, {});
    QVERIFY(shortcuts->registerHotKey(4, Keys::z.rawValue, CarbonModifier::control));
    QTRY_COMPARE(lastBindings(), QStringList{u"velloq-4=CTRL+z"_s});
}

QTEST_GUILESS_MAIN(PortalGlobalShortcutsTest)
#include "PortalGlobalShortcutsTest.moc"
