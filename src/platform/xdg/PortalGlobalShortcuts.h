#pragma once

#include "KeyboardShortcuts/HotKeyRegistering.h"

#include <QDBusConnection>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <memory>

class QDBusMessage;
class QDBusPendingCallWatcher;

// Global shortcuts through the desktop portal's GlobalShortcuts interface,
// where a Wayland desktop offers it. The desktop owns the binding: Velloq
// proposes each shortcut with its combination, the desktop may ask the user
// to confirm or change it, then reports presses and releases. Nothing waits
// on the bus: a registration is accepted once it can be sent, and a later
// refusal comes back through onRegistrationLost.
class PortalGlobalShortcuts : public QObject, public KeyboardShortcuts::HotKeyRegistering {
    Q_OBJECT

public:
    // None only without a bus. Returns at once: whether the portal offers
    // GlobalShortcuts is asked in the background (the bus may have to start
    // it). Until it answers, registrations are accepted and wait, as they
    // wait for any session request; then they are bound, or, where nothing
    // offers GlobalShortcuts, all lost through onRegistrationLost, and later
    // ones refused at once.
    static std::unique_ptr<PortalGlobalShortcuts>
    create(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~PortalGlobalShortcuts() override;

    // The desktop knows a shortcut as "velloq-" + its name (see
    // HotKey::name), or "velloq-N" for one with id N that has none. Refused
    // at once for Fn, for a key without a name and for a combination
    // already here.
    bool registerHotKey(quint32 id, quint32 carbonKeyCode, quint32 carbonModifiers) override;
    void unregisterHotKey(quint32 id) override;

    // The text the desktop shows for a shortcut.
    std::function<QString(quint32 id)> describe;

private Q_SLOTS:
    // Slots, as QDBusConnection::connect requires.
    void handleResponse(const QDBusMessage& message);
    void handleActivated(const QDBusMessage& message);
    void handleDeactivated(const QDBusMessage& message);
    void handleSessionClosed(const QDBusMessage& message);

private:
    // Triggers by shortcut id.
    using Shortcuts = QMap<quint32, QString>;
    using ResponseHandler = std::function<void(uint code, const QVariantMap& results)>;

    PortalGlobalShortcuts(QDBusConnection bus, QObject* parent);

    void askForThePortal();
    void registerApplication();
    void createSession();
    void sessionCreated(uint code, const QVariantMap& results);
    void closeSession();
    void scheduleSync();
    void sync();
    QString shortcutId(quint32 id) const;
    void bind();
    void bound(const Shortcuts& sent, uint code, const QVariantMap& results);
    // By value: callers pass m_wanted, which this changes.
    void loseRegistrations(Shortcuts refused);

    void request(const QString& method, QVariantList arguments, QVariantMap options,
                 ResponseHandler handler);
    void requestSent(QDBusPendingCallWatcher* watcher, const QString& path);
    void finishRequest(const QString& path, uint code, const QVariantMap& results);
    void deliver(const QDBusMessage& message, KeyboardShortcuts::EventType type);
    QString nextToken();

    QDBusConnection m_bus;
    // What the center registered, and what the current session was asked to
    // bind: a session binds once, so any difference takes a new session.
    Shortcuts m_wanted;
    Shortcuts m_bound;
    // The ids of the last set bound, as the desktop knows them.
    QHash<QString, quint32> m_idsOnTheDesktop;
    QString m_session;
    bool m_sessionBound = false;
    // The portal's presence, a session or a binding is being asked;
    // changes wait for the answer.
    bool m_busy = false;
    // Nothing on the bus offers GlobalShortcuts.
    bool m_portalMissing = false;
    bool m_syncScheduled = false;
    // Answers still awaited, by request object path.
    QHash<QString, ResponseHandler> m_requests;
};
