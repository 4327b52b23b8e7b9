#include "platform/wayland/GnomeShellBridge.h"

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/Shortcut.h"
#include "platform/wayland/GnomeShellHotKeys.h"
#include "platform/wayland/GnomeShellMenu.h"
#include "platform/wayland/GnomeShellPasteboard.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusUnixFileDescriptor>
#include <QElapsedTimer>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

struct FakeMenuItem {
    QString id;
    QString label;
    bool enabled = true;
};
Q_DECLARE_METATYPE(FakeMenuItem)

const QDBusArgument& operator>>(const QDBusArgument& argument, FakeMenuItem& item) {
    argument.beginStructure();
    argument >> item.id >> item.label >> item.enabled;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const FakeMenuItem& item) {
    argument.beginStructure();
    argument << item.id << item.label << item.enabled;
    argument.endStructure();
    return argument;
}

// The Shell's side as the extension plays it, on a private bus: the copy
// it serves, how it answers reads (in full, never, or refused), and what
// Velloq sent it.
class FakeExtension : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.tarnbrooksoftware.Velloq.Shell")

public:
    enum class Answer { inFull, never, refused };
    QByteArray copy;
    Answer answer = Answer::inFull;
    int helloRefusals = 0;
    QList<FakeMenuItem> menu;
    QStringList grabbed;

public Q_SLOTS:
    uint Hello(const QDBusMessage& message, QString& shellVersion) {
        if (helloRefusals-- > 0) {
            QDBusConnection(busName).send(message.createErrorReply(
                u"com.tarnbrooksoftware.Velloq.Shell.Error.NotVelloq"_s, u"not yet"_s));
            return 0;
        }
        shellVersion = u"50.5"_s;
        return 1;
    }
    uint ClipboardTypes(QStringList& types) {
        types = {u"text/plain;charset=utf-8"_s};
        return 7;
    }
    QString Focus(int& pid) {
        pid = 42;
        return u"org.example.Editor"_s;
    }
    void ReadClipboard(uint serial, const QString& type, const QDBusUnixFileDescriptor& fd,
                       qulonglong maxBytes, const QDBusMessage& message) {
        Q_UNUSED(type);
        message.setDelayedReply(true);
        if (answer == Answer::never)
            return;
        if (answer == Answer::refused || serial != 7) {
            QDBusConnection(busName).send(message.createErrorReply(
                u"com.tarnbrooksoftware.Velloq.Shell.Error.Secret"_s, u"marked secret"_s));
            return;
        }
        const QByteArray sent = copy.left(qsizetype(maxBytes) + 1);
        // Written by a thread of its own, as the Shell writes while the
        // reader drains the pipe.
        const int out = ::dup(fd.fileDescriptor());
        std::thread([out, sent, message] {
            for (qsizetype at = 0; at < sent.size();) {
                const ssize_t written = ::write(out, sent.constData() + at, sent.size() - at);
                if (written > 0) {
                    at += written;
                } else if (errno == EAGAIN) {
                    pollfd writable{out, POLLOUT, 0};
                    ::poll(&writable, 1, 1000);
                } else {
                    break;
                }
            }
            ::close(out);
            QDBusConnection(busName).send(message.createReply());
        }).detach();
    }
    uint GrabShortcut(const QString& accelerator) {
        grabbed << accelerator;
        return accelerator.contains(u"<Alt>"_s) ? 0 : uint(grabbed.size());
    }
    void SetMenu(const QList<FakeMenuItem>& items) { menu = items; }

public:
    static inline QString busName = u"fake-session"_s;
};

// Velloq's side of the GNOME Shell bridge against a stand-in for the
// extension: reads through the pipe (whole, too large, refused, never
// answered), the greeting that waits for the extension to see Velloq's
// name, the shortcut's accelerator, and the top bar's menu following the
// tray menu both ways.
class GnomeShellBridgeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void isNoneWithoutTheExtension();
    void readsThroughThePipe();
    void shortcutsBecomeAccelerators();
    void menuFollowsTheTrayMenu();

private:
    QDBusConnection extensionBus() const { return QDBusConnection(FakeExtension::busName); }
    std::unique_ptr<GnomeShellBridge> connectBridge();

    QProcess m_daemon;
    QString m_address;
    // Velloq's calls block: the stand-in answers from a thread of its own.
    QThread m_extensionThread;
    FakeExtension m_extension;
};

void GnomeShellBridgeTest::initTestCase() {
    qDBusRegisterMetaType<FakeMenuItem>();
    qDBusRegisterMetaType<QList<FakeMenuItem>>();
    m_daemon.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
    QVERIFY2(m_daemon.waitForReadyRead(5000), "needs dbus-daemon (package dbus-daemon)");
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    m_extension.moveToThread(&m_extensionThread);
    m_extensionThread.start();
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, FakeExtension::busName);
    QVERIFY(bus.isConnected());
    QVERIFY(bus.registerObject(u"/com/tarnbrooksoftware/Velloq/Shell"_s, &m_extension,
                               QDBusConnection::ExportAllSlots));
}

void GnomeShellBridgeTest::cleanupTestCase() {
    QDBusConnection::disconnectFromBus(FakeExtension::busName);
    m_extensionThread.quit();
    m_extensionThread.wait();
    m_daemon.kill();
    m_daemon.waitForFinished();
}

void GnomeShellBridgeTest::init() {
    m_extension.copy.clear();
    m_extension.answer = FakeExtension::Answer::inFull;
    m_extension.menu.clear();
    m_extension.grabbed.clear();
}

void GnomeShellBridgeTest::cleanup() {
    extensionBus().unregisterService(GnomeShellBridge::bridgeName);
    QDBusConnection::disconnectFromBus(u"velloq"_s);
}

std::unique_ptr<GnomeShellBridge> GnomeShellBridgeTest::connectBridge() {
    extensionBus().registerService(GnomeShellBridge::bridgeName);
    return GnomeShellBridge::connect(QDBusConnection::connectToBus(m_address, u"velloq"_s));
}

void GnomeShellBridgeTest::isNoneWithoutTheExtension() {
    QVERIFY(!GnomeShellBridge::connect(QDBusConnection::connectToBus(m_address, u"velloq"_s)));
    // The extension sees Velloq's name a moment after it is taken.
    m_extension.helloRefusals = 3;
    const auto bridge = connectBridge();
    QVERIFY(bridge);
    QCOMPARE(bridge->shellVersion(), u"50.5"_s);
    QCOMPARE(bridge->initialSerial(), 7u);
    QCOMPARE(bridge->focusedAppId(), u"org.example.Editor"_s);
    QCOMPARE(bridge->focusedPid(), 42);
    QVERIFY(extensionBus().interface()->isServiceRegistered(GnomeShellBridge::velloqName));
}

void GnomeShellBridgeTest::readsThroughThePipe() {
    const auto bridge = connectBridge();
    QVERIFY(bridge);
    // Larger than a pipe holds: the reader drains while the Shell writes.
    m_extension.copy = QByteArray(3 << 20, 'x');
    const QString type = u"text/plain;charset=utf-8"_s;
    QCOMPARE(bridge->read(7, type, QDeadlineTimer(5000), 4 << 20), m_extension.copy);
    QVERIFY(!bridge->read(7, type, QDeadlineTimer(5000), 1 << 20));
    QVERIFY(!bridge->read(6, type, QDeadlineTimer(5000), 4 << 20));
    m_extension.answer = FakeExtension::Answer::never;
    QElapsedTimer waited;
    waited.start();
    QVERIFY(!bridge->read(7, type, QDeadlineTimer(300), 4 << 20));
    QVERIFY(waited.elapsed() < 1000);

    // The pasteboard builds its snapshot from the same reads.
    m_extension.answer = FakeExtension::Answer::inFull;
    m_extension.copy = "copied on GNOME";
    GnomeShellPasteboard pasteboard(*bridge);
    std::optional<PasteboardSnapshot> snapshot;
    bool done = false;
    pasteboard.readSnapshot([&](std::optional<PasteboardSnapshot> read) {
        snapshot = std::move(read);
        done = true;
    });
    QTRY_VERIFY(done);
    QVERIFY(snapshot);
    QCOMPARE(snapshot->string, u"copied on GNOME"_s);
}

void GnomeShellBridgeTest::shortcutsBecomeAccelerators() {
    using namespace KeyboardShortcuts;
    const auto shiftSuperV =
        Shortcut::fromKey(Keys::v, ModifierFlag::shift | ModifierFlag::command);
    QCOMPARE(GnomeShellHotKeys::accelerator(quint32(shiftSuperV.carbonKeyCode),
                                            quint32(shiftSuperV.carbonModifiers)),
             u"<Shift><Super>v"_s);
    const auto bridge = connectBridge();
    QVERIFY(bridge);
    GnomeShellHotKeys hotKeys(*bridge);
    QList<std::pair<quint32, EventType>> events;
    hotKeys.onHotKeyEvent = [&](quint32 id, EventType type) { events.append({id, type}); };
    QVERIFY(hotKeys.registerHotKey(5, quint32(shiftSuperV.carbonKeyCode),
                                   quint32(shiftSuperV.carbonModifiers)));
    // The same combination twice, or one the Shell holds, is refused.
    QVERIFY(!hotKeys.registerHotKey(6, quint32(shiftSuperV.carbonKeyCode),
                                    quint32(shiftSuperV.carbonModifiers)));
    const auto altV = Shortcut::fromKey(Keys::v, ModifierFlag::option);
    QVERIFY(!hotKeys.registerHotKey(7, quint32(altV.carbonKeyCode), quint32(altV.carbonModifiers)));
    // A press comes as a press and its release, for the grab's action only.
    QMetaObject::invokeMethod(bridge.get(), "handleShortcutActivated", Q_ARG(quint32, 2u));
    QMetaObject::invokeMethod(bridge.get(), "handleShortcutActivated", Q_ARG(quint32, 1u));
    const QList<std::pair<quint32, EventType>> expected{{5, EventType::keyDown},
                                                        {5, EventType::keyUp}};
    QCOMPARE(events, expected);
}

void GnomeShellBridgeTest::menuFollowsTheTrayMenu() {
    const auto bridge = connectBridge();
    QVERIFY(bridge);
    QMenu tray;
    bool opened = false;
    tray.addAction(u"Show &Clipboard"_s, [&] { opened = true; });
    tray.addSeparator();
    QAction* updates = tray.addAction(u"Check for Updates…"_s);
    updates->setEnabled(false);
    GnomeShellMenu menu(*bridge, tray);
    QTRY_COMPARE(m_extension.menu.size(), 3);
    QCOMPARE(m_extension.menu.at(0).label, u"Show &Clipboard"_s);
    QCOMPARE(m_extension.menu.at(1).label, QString());
    QVERIFY(!m_extension.menu.at(2).enabled);
    tray.addAction(u"Quit"_s)->setVisible(false);
    updates->setEnabled(true);
    QTRY_VERIFY(m_extension.menu.at(2).enabled);
    QCOMPARE(m_extension.menu.size(), 3);

    // Picks come back by id; a separator's or a made-up one does nothing.
    QMetaObject::invokeMethod(bridge.get(), "handleMenuItemActivated", Q_ARG(QString, u"1"_s));
    QMetaObject::invokeMethod(bridge.get(), "handleMenuItemActivated", Q_ARG(QString, u"99"_s));
    QVERIFY(!opened);
    QMetaObject::invokeMethod(bridge.get(), "handleMenuItemActivated",
                              Q_ARG(QString, m_extension.menu.at(0).id));
    QVERIFY(opened);
}

QTEST_MAIN(GnomeShellBridgeTest)
#include "GnomeShellBridgeTest.moc"
