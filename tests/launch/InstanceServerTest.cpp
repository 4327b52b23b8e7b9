#include "launch/InstanceServer.h"

#include "launch/InstanceClient.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class InstanceServerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void requestsAndRepliesTravelWhole();
    void onlyOneInstanceListensAndRemovesOnlyItsOwnSocket();
    void foldersOthersCanReachAreRefused();
    void nothingIsSentToAnotherUsersSocket();
    void floodsAndOversizedRequestsLeaveTheServerListening();

private:
    std::optional<InstanceServer::Reply> sendInBackground(const InstanceServer::Request& request);
    QTemporaryDir m_runtime;
};

void InstanceServerTest::init() {
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    QFile::remove(InstanceServer::socketPath());
}

std::optional<InstanceServer::Reply>
InstanceServerTest::sendInBackground(const InstanceServer::Request& request) {
    // The client blocks; the server needs this thread's event loop.
    auto future = QtConcurrent::run([request] { return InstanceClient::send(request, 5000); });
    while (!future.isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return future.result();
}

void InstanceServerTest::requestsAndRepliesTravelWhole() {
    InstanceServer server;
    QVERIFY(server.listen());
    QCOMPARE(QFileInfo(InstanceServer::socketPath()).absolutePath(),
             m_runtime.path() + "/velloq"_L1);
    QCOMPARE(QFile::permissions(QFileInfo(InstanceServer::socketPath()).absolutePath()) & 0x0077,
             QFile::Permissions());
    InstanceServer::Request received;
    server.onRequest = [&](const InstanceServer::Request& request) {
        received = request;
        return InstanceServer::Reply{3, "out\n\xff"_ba, "err ünïcode\n"_ba};
    };
    const QByteArray binary("\x00\x01\n{\"}\xfe", 7);
    const auto reply = sendInBackground(
        {{u"add"_s, u"--plain"_s, u"a \"b\"\nc"_s}, binary, u"/work dir"_s, u"kwin-7"_s});
    QVERIFY(reply);
    QCOMPARE(reply->code, 3);
    QCOMPARE(reply->out, "out\n\xff"_ba);
    QCOMPARE(reply->err, "err ünïcode\n"_ba);
    QCOMPARE(received.arguments, QStringList({u"add"_s, u"--plain"_s, u"a \"b\"\nc"_s}));
    QCOMPARE(received.input, binary);
    QCOMPARE(received.workingDirectory, u"/work dir"_s);
    QCOMPARE(received.activationToken, u"kwin-7"_s);
    // Megabytes both ways take many writes on each side.
    const QByteArray large(3 << 20, 'L');
    server.onRequest = [&](const InstanceServer::Request& request) {
        return InstanceServer::Reply{0, request.input + large, {}};
    };
    const auto largeReply = sendInBackground({{u"add"_s}, large, u"/"_s});
    QVERIFY(largeReply);
    QCOMPARE(largeReply->out, large + large);
    QCOMPARE(InstanceServer::decodeRequest("not json"_ba), std::nullopt);
    QCOMPARE(InstanceServer::decodeReply("{\"code\":\"x\"}"_ba), std::nullopt);
}

void InstanceServerTest::onlyOneInstanceListensAndRemovesOnlyItsOwnSocket() {
    QVERIFY(!InstanceClient::send({{u"list"_s}, {}, {}}, 1000)); // nobody there
    {
        InstanceServer first;
        QVERIFY(first.listen());
        InstanceServer second;
        QVERIFY(!second.listen());
    }
    // A socket file nobody answers (a crashed Velloq) does not block the next.
    QFile stale(InstanceServer::socketPath());
    QVERIFY(!stale.exists() || stale.remove());
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    auto next = std::make_unique<InstanceServer>();
    QVERIFY(next->listen());
    // Its socket file replaced by another's, it leaves that one alone when it ends.
    QVERIFY(QFile::remove(InstanceServer::socketPath()));
    InstanceServer last;
    QVERIFY(last.listen());
    next.reset();
    QVERIFY(QFileInfo::exists(InstanceServer::socketPath()));
    last.onRequest = [](const InstanceServer::Request&) {
        return InstanceServer::Reply{5, {}, {}};
    };
    QCOMPARE(sendInBackground({{u"list"_s}, {}, {}})->code, 5);
}

void InstanceServerTest::foldersOthersCanReachAreRefused() {
    const QString folder = QFileInfo(InstanceServer::socketPath()).absolutePath();
    QDir(folder).removeRecursively();
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7755)));
    InstanceServer server;
    QVERIFY(!server.listen());
    QVERIFY2(server.errorString().contains(u"open to other users"_s),
             qPrintable(server.errorString()));
    QVERIFY(QDir().rmdir(folder));
    QVERIFY(QFile::link(QDir::tempPath(), folder));
    QVERIFY(!server.listen());
    QVERIFY(server.errorString().contains(u"is not a folder"_s));
    QVERIFY(QFile::remove(folder));
    if (::getuid() == 0) {
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
        QVERIFY(!server.listen());
        QVERIFY(server.errorString().contains(u"belongs to another user"_s));
        QVERIFY(QDir().rmdir(folder));
    }
    QVERIFY(server.listen());
}

// Another user's process listens where Velloq's socket would be; the
// client must not hand it a single byte.
void InstanceServerTest::nothingIsSentToAnotherUsersSocket() {
    if (::getuid() != 0)
        QSKIP("needs root to listen as another user");
    QTemporaryDir open;
    QVERIFY(QFile::setPermissions(open.path(), QFile::Permissions(0x7777)));
    const QByteArray path = QFile::encodeName(open.path() + "/instance"_L1);
    int received[2];
    QVERIFY(::pipe(received) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::copy(path.begin(), path.end(), address.sun_path);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener, 1);
        const int connection = ::accept(listener, nullptr, nullptr);
        char buffer[256];
        const ssize_t bytes = ::read(connection, buffer, sizeof buffer);
        const char count = char(bytes > 0 ? 1 : 0);
        (void)!::write(received[1], &count, 1);
        ::_exit(0);
    }
    QTRY_VERIFY(QFileInfo::exists(QFile::decodeName(path)));
    const auto reply =
        InstanceClient::send({{u"add"_s}, "secret"_ba, {}}, 1000, QFile::decodeName(path));
    QCOMPARE(reply, std::nullopt);
    char count = 9;
    QCOMPARE(::read(received[0], &count, 1), 1);
    QCOMPARE(count, char(0));
    ::waitpid(child, nullptr, 0);
    ::close(received[0]);
    ::close(received[1]);
}

void InstanceServerTest::floodsAndOversizedRequestsLeaveTheServerListening() {
    InstanceServer server;
    QVERIFY(server.listen());
    server.onRequest = [](const InstanceServer::Request&) {
        return InstanceServer::Reply{7, {}, {}};
    };
    server.maximumRequestBytes = 4096;
    QLocalSocket oversized;
    oversized.connectToServer(InstanceServer::socketPath());
    QVERIFY(oversized.waitForConnected(1000));
    oversized.write(QByteArray(8192, 'x'));
    QTRY_COMPARE(oversized.state(), QLocalSocket::UnconnectedState);

    // Run out of descriptors with connections that never send anything.
    rlimit original{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &original) == 0);
    rlimit low = original;
    low.rlim_cur = 128;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
    std::vector<std::unique_ptr<QLocalSocket>> flood;
    for (int i = 0; i < 200; ++i) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(InstanceServer::socketPath());
        if (!socket->waitForConnected(100))
            break;
        flood.push_back(std::move(socket));
        QCoreApplication::processEvents();
    }
    flood.clear();
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &original) == 0);
    QTRY_COMPARE(server.connectionCount(), 0);
    QVERIFY(QFileInfo::exists(InstanceServer::socketPath()));
    const auto reply = sendInBackground({{u"list"_s}, {}, {}});
    QVERIFY(reply);
    QCOMPARE(reply->code, 7);
}

QTEST_GUILESS_MAIN(InstanceServerTest)
#include "InstanceServerTest.moc"
