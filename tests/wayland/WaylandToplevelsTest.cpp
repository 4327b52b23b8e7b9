#include "platform/wayland/WaylandToplevels.h"

#include "support/HelperProcess.h"

#include <QSignalSpy>
#include <QTest>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using AppId = std::optional<QString>;

// Relays one client's connection to the compositor until cut, so that the
// compositor goes away for that client alone. The client takes its end
// through $WAYLAND_SOCKET.
class CompositorRelay {
public:
    bool start(const QByteArray& compositorSocket) {
        int client[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, client) != 0)
            return false;
        m_client = client[1];
        m_upstream = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, compositorSocket.constData(), sizeof address.sun_path);
        if (::connect(m_upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return false;
        qputenv("WAYLAND_SOCKET", QByteArray::number(client[0]));
        m_thread = std::thread([this] { relay(); });
        return true;
    }
    // The client reads the end of its connection, as if the compositor quit.
    void cut() {
        if (!m_thread.joinable())
            return;
        ::shutdown(m_client, SHUT_RDWR);
        m_thread.join();
    }
    ~CompositorRelay() {
        cut();
        ::close(m_client);
        ::close(m_upstream);
    }

private:
    void relay() {
        pollfd ends[2] = {{m_client, POLLIN, 0}, {m_upstream, POLLIN, 0}};
        bool open = true;
        while (open && ::poll(ends, 2, -1) > 0) {
            for (int i = 0; i < 2 && open; ++i)
                open = !ends[i].revents || forward(ends[i].fd, ends[1 - i].fd);
        }
    }
    static bool forward(int from, int to) {
        char buffer[4096];
        const ssize_t count = ::read(from, buffer, sizeof buffer);
        return count > 0 && ::write(to, buffer, size_t(count)) == count;
    }

    std::thread m_thread;
    int m_client = -1;
    int m_upstream = -1;
};

bool startWindow(HelperProcess& window, const QStringList& arguments = {}) {
    return window.start(helperPath("velloq-paste-target"), arguments);
}

} // namespace

// The frontmost application as sway tells it: Qt windows' app ids, the
// activation moving between windows and back when one closes, and a
// compositor that goes away.
class WaylandToplevelsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void followsTheActivatedToplevel();
    void survivesTheCompositorGoingAway();
};

void WaylandToplevelsTest::initTestCase() {
    const QByteArray display = qgetenv("VELLOQ_TEST_WAYLAND_DISPLAY");
    QVERIFY2(!display.isEmpty(), "needs the compositor scripts/test starts");
    qputenv("WAYLAND_DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "wayland");
}

void WaylandToplevelsTest::followsTheActivatedToplevel() {
    std::unique_ptr<WaylandToplevels> toplevels = WaylandToplevels::create();
    QVERIFY(toplevels);
    QSignalSpy activated(toplevels.get(), &WaylandActiveWindow::activated);

    // Qt names the toplevel after the program unless given a desktop file name.
    HelperProcess first;
    QVERIFY(startWindow(first));
    QTRY_COMPARE(toplevels->activatedAppId(), AppId(u"velloq-paste-target"_s));
    QCOMPARE(activated.last().at(0).value<AppId>(), AppId(u"velloq-paste-target"_s));

    HelperProcess second;
    QVERIFY(startWindow(second, {u"--app-id"_s, u"org.example.Second"_s, u"--full-screen"_s}));
    QTRY_COMPARE(toplevels->activatedAppId(), AppId(u"org.example.Second"_s));
    QCOMPARE(activated.last().at(0).value<AppId>(), AppId(u"org.example.Second"_s));

    // A full-screen window closing gives the activation back to the one before.
    second.process().kill();
    QTRY_COMPARE(toplevels->activatedAppId(), AppId(u"velloq-paste-target"_s));
    QCOMPARE(activated.last().at(0).value<AppId>(), AppId(u"velloq-paste-target"_s));

    first.process().kill();
    QTRY_COMPARE(toplevels->activatedAppId(), std::nullopt);
    QCOMPARE(activated.last().at(0).value<AppId>(), std::nullopt);
}

void WaylandToplevelsTest::survivesTheCompositorGoingAway() {
    CompositorRelay relay;
    QVERIFY(relay.start(qgetenv("WAYLAND_DISPLAY")));
    std::unique_ptr<WaylandToplevels> relayed = WaylandToplevels::create();
    QVERIFY(relayed);
    std::unique_ptr<WaylandToplevels> direct = WaylandToplevels::create();
    QVERIFY(direct);
    QSignalSpy activated(relayed.get(), &WaylandActiveWindow::activated);

    HelperProcess first;
    QVERIFY(startWindow(first));
    QTRY_COMPARE(relayed->activatedAppId(), AppId(u"velloq-paste-target"_s));
    const qsizetype told = activated.count();
    relay.cut();
    QTRY_COMPARE(relayed->activatedAppId(), std::nullopt);

    HelperProcess second;
    QVERIFY(startWindow(second, {u"--app-id"_s, u"org.example.Second"_s}));
    QTRY_COMPARE(direct->activatedAppId(), AppId(u"org.example.Second"_s));
    QCOMPARE(activated.count(), told);
    QCOMPARE(relayed->activatedAppId(), std::nullopt);
}

QTEST_GUILESS_MAIN(WaylandToplevelsTest)
#include "WaylandToplevelsTest.moc"
