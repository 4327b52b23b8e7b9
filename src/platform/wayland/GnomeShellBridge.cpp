#include "GnomeShellBridge.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

const QString GnomeShellBridge::velloqName = QStringLiteral(VELLOQ_APP_ID);
const QString GnomeShellBridge::bridgeName = QStringLiteral(VELLOQ_APP_ID ".Shell");
const QString GnomeShellBridge::extensionUuid = u"velloq@tarnbrooksoftware.com"_s;

namespace {

const QString bridgePath = u"/com/tarnbrooksoftware/Velloq/Shell"_s;
const QString notVelloqError = GnomeShellBridge::bridgeName + u".Error.NotVelloq"_s;
// The extension learns of this process's name a moment after it is taken.
constexpr int greetingTimeoutMs = 1000;
constexpr int greetingRetryMs = 50;

QDBusMessage bridgeCall(const QString& method) {
    return QDBusMessage::createMethodCall(GnomeShellBridge::bridgeName, bridgePath,
                                          GnomeShellBridge::bridgeName, method);
}

} // namespace

Q_DECLARE_METATYPE(GnomeShellBridge::MenuItem)

// The menu's items as the bus carries them, a(ssb).
QDBusArgument& operator<<(QDBusArgument& argument, const GnomeShellBridge::MenuItem& item) {
    argument.beginStructure();
    argument << item.id << item.label << item.enabled;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, GnomeShellBridge::MenuItem& item) {
    argument.beginStructure();
    argument >> item.id >> item.label >> item.enabled;
    argument.endStructure();
    return argument;
}

namespace {

constexpr int replyPollMs = 5;

// Reads the pipe `fd` until the Shell has answered (it answers once it has
// written everything and closed its end; the end of the data cannot tell,
// since the pending call holds a copy of the writing end), up to one byte
// past `maximumBytes`; none when the deadline passes first, the data is
// larger or the Shell refused.
std::optional<QByteArray> readUntilAnswered(int fd, const QDBusPendingCall& reply,
                                            QDeadlineTimer deadline, qint64 maximumBytes) {
    QByteArray data;
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count > 0) {
            data.append(chunk, count);
            if (data.size() > maximumBytes)
                return std::nullopt;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno != EAGAIN)
            return std::nullopt;
        // Drained: done once the answer is there.
        if (reply.isFinished())
            return reply.isError() ? std::nullopt : std::optional(data);
        if (deadline.hasExpired())
            return std::nullopt;
        pollfd readable{fd, POLLIN, 0};
        ::poll(&readable, 1, int(qMin<qint64>(deadline.remainingTime(), replyPollMs)));
    }
}

} // namespace

std::unique_ptr<GnomeShellBridge> GnomeShellBridge::connect(QDBusConnection bus, QObject* parent) {
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(bridgeName))
        return nullptr;
    const auto owned =
        bus.interface()->registerService(velloqName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!owned.isValid() || owned.value() != QDBusConnectionInterface::ServiceRegistered)
        return nullptr;
    std::unique_ptr<GnomeShellBridge> bridge(new GnomeShellBridge(bus, parent));
    if (!bridge->greet()) {
        bus.interface()->unregisterService(velloqName);
        return nullptr;
    }
    return bridge;
}

GnomeShellBridge::GnomeShellBridge(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    qDBusRegisterMetaType<MenuItem>();
    qDBusRegisterMetaType<QList<MenuItem>>();
    subscribe(u"ClipboardChanged"_s, SLOT(handleClipboardChanged(quint32, QStringList)));
    subscribe(u"FocusChanged"_s, SLOT(handleFocusChanged(QString, qint32)));
    subscribe(u"ShortcutActivated"_s, SLOT(handleShortcutActivated(quint32)));
    subscribe(u"MenuOpened"_s, SLOT(handleMenuOpened()));
    subscribe(u"MenuItemActivated"_s, SLOT(handleMenuItemActivated(QString)));
    auto* watcher =
        new QDBusServiceWatcher(bridgeName, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    QObject::connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (greet())
            Q_EMIT restarted();
    });
}

GnomeShellBridge::~GnomeShellBridge() {
    m_bus.interface()->unregisterService(velloqName);
}

void GnomeShellBridge::subscribe(const QString& signal, const char* slot) {
    m_bus.connect(bridgeName, bridgePath, bridgeName, signal, this, slot);
}

QDBusMessage GnomeShellBridge::call(const QString& method, const QVariantList& arguments) const {
    QDBusMessage message = bridgeCall(method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, callTimeoutMs);
}

// Hello, the clipboard as it is and the focused window: what the bridge
// knows from the start.
bool GnomeShellBridge::greet() {
    const QDeadlineTimer deadline(greetingTimeoutMs);
    QDBusMessage hello = call(u"Hello"_s);
    while (hello.type() == QDBusMessage::ErrorMessage && hello.errorName() == notVelloqError &&
           !deadline.hasExpired()) {
        QThread::msleep(greetingRetryMs);
        hello = call(u"Hello"_s);
    }
    if (hello.type() != QDBusMessage::ReplyMessage || hello.arguments().size() != 2)
        return false;
    m_shellVersion = hello.arguments().at(1).toString();
    const QDBusMessage clipboard = call(u"ClipboardTypes"_s);
    if (clipboard.arguments().size() == 2) {
        m_initialSerial = clipboard.arguments().at(0).toUInt();
        m_initialTypes = clipboard.arguments().at(1).toStringList();
    }
    const QDBusMessage focus = call(u"Focus"_s);
    if (focus.arguments().size() == 2)
        handleFocusChanged(focus.arguments().at(0).toString(), focus.arguments().at(1).toInt());
    return true;
}

std::optional<QByteArray> GnomeShellBridge::read(quint32 serial, const QString& type,
                                                 QDeadlineTimer deadline,
                                                 qint64 maximumBytes) const {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return std::nullopt;
    QDBusMessage message = bridgeCall(u"ReadClipboard"_s);
    message << serial << type << QVariant::fromValue(QDBusUnixFileDescriptor(pipe[1]))
            << quint64(maximumBytes);
    const int timeout = int(qBound<qint64>(1, deadline.remainingTime(), qint64(callTimeoutMs)));
    const QDBusPendingCall reply = m_bus.asyncCall(message, timeout);
    ::close(pipe[1]);
    std::optional<QByteArray> data = readUntilAnswered(pipe[0], reply, deadline, maximumBytes);
    // Closing the reading end ends a transfer still under way.
    ::close(pipe[0]);
    return data;
}

void GnomeShellBridge::write(const QString& type, const QByteArray& data) {
    QDBusMessage message = bridgeCall(u"WriteClipboard"_s);
    message << type << data;
    m_bus.asyncCall(message, callTimeoutMs);
}

std::optional<QString> GnomeShellBridge::focusedAppId() const {
    if (m_focusedAppId.isEmpty())
        return std::nullopt;
    return m_focusedAppId;
}

void GnomeShellBridge::paste() {
    QDBusMessage message = bridgeCall(u"Paste"_s);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, callTimeoutMs), this);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this,
                     [this](QDBusPendingCallWatcher* finished) {
                         const QDBusMessage reply = finished->reply();
                         finished->deleteLater();
                         Q_EMIT pasteFinished(reply.type() == QDBusMessage::ReplyMessage &&
                                              !reply.arguments().isEmpty() &&
                                              reply.arguments().constFirst().toBool());
                     });
}

quint32 GnomeShellBridge::grabShortcut(const QString& accelerator) {
    const QDBusMessage reply = call(u"GrabShortcut"_s, {accelerator});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return reply.arguments().constFirst().toUInt();
}

void GnomeShellBridge::releaseShortcut(quint32 action) {
    QDBusMessage message = bridgeCall(u"ReleaseShortcut"_s);
    message << action;
    m_bus.asyncCall(message, callTimeoutMs);
}

void GnomeShellBridge::setMenu(const QList<MenuItem>& items) {
    QDBusMessage message = bridgeCall(u"SetMenu"_s);
    message << QVariant::fromValue(items);
    m_bus.asyncCall(message, callTimeoutMs);
}

void GnomeShellBridge::handleClipboardChanged(quint32 serial, const QStringList& types) {
    Q_EMIT clipboardChanged(serial, types);
}

void GnomeShellBridge::handleFocusChanged(const QString& appId, qint32 pid) {
    m_focusedAppId = appId;
    m_focusedPid = pid;
    Q_EMIT focusChanged(focusedAppId());
}

void GnomeShellBridge::handleShortcutActivated(quint32 action) {
    Q_EMIT shortcutActivated(action);
}

void GnomeShellBridge::handleMenuOpened() {
    Q_EMIT menuOpened();
}

void GnomeShellBridge::handleMenuItemActivated(const QString& id) {
    Q_EMIT menuItemActivated(id);
}
