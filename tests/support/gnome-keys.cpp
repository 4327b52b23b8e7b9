// Types keys into GNOME Shell for tests, through Mutter's remote desktop
// interface on the session bus (the way screen-sharing tools type):
// `velloq-gnome-keys KEY ...` taps each Linux key code; "+KEY" only presses
// it and "-KEY" releases it, for combinations ("+29 +42 47 -42 -29" is
// Control-Shift-V). Exits 1 when Mutter offers no remote desktop session.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

const QString mutter = u"org.gnome.Mutter.RemoteDesktop"_s;
const QString sessionInterface = u"org.gnome.Mutter.RemoteDesktop.Session"_s;

bool succeeded(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage;
}

QDBusMessage callSession(const QString& session, const QString& method,
                         const QVariantList& arguments = {}) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(mutter, session, sessionInterface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QDBusMessage created = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        mutter, u"/org/gnome/Mutter/RemoteDesktop"_s, mutter, u"CreateSession"_s));
    if (!succeeded(created) || created.arguments().isEmpty())
        return 1;
    const QString session = created.arguments().constFirst().value<QDBusObjectPath>().path();
    if (!succeeded(callSession(session, u"Start"_s)))
        return 1;
    for (const QString& key : QCoreApplication::arguments().mid(1)) {
        const bool press = !key.startsWith(u'-');
        const bool release = !key.startsWith(u'+');
        const uint code = key.mid(press && release ? 0 : 1).toUInt();
        if (press && !succeeded(callSession(session, u"NotifyKeyboardKeycode"_s, {code, true})))
            return 1;
        if (release && !succeeded(callSession(session, u"NotifyKeyboardKeycode"_s, {code, false})))
            return 1;
    }
    // The keys reach the focused window before the session ends.
    QThread::msleep(100);
    callSession(session, u"Stop"_s);
    return 0;
}
