#include "app/InstanceServer.h"

#include "app/InstanceClient.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

using namespace Qt::StringLiterals;

class InstanceServerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void requestsAndRepliesTravelWhole();
    void onlyOneInstanceListensAndStaleSocketsAreReplaced();
    void garbageGetsAnErrorReply();

private:
    std::optional<InstanceServer::Reply> sendInBackground(const InstanceServer::Request& request);
    QTemporaryDir m_runtime;
};

void InstanceServerTest::init() {
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    QLocalServer::removeServer(InstanceServer::socketPath());
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
    const auto reply =
        sendInBackground({{u"add"_s, u"--plain"_s, u"a \"b\"\nc"_s}, binary, u"/work dir"_s});
    QVERIFY(reply);
    QCOMPARE(reply->code, 3);
    QCOMPARE(reply->out, "out\n\xff"_ba);
    QCOMPARE(reply->err, "err ünïcode\n"_ba);
    QCOMPARE(received.arguments, QStringList({u"add"_s, u"--plain"_s, u"a \"b\"\nc"_s}));
    QCOMPARE(received.input, binary);
    QCOMPARE(received.workingDirectory, u"/work dir"_s);
}

void InstanceServerTest::onlyOneInstanceListensAndStaleSocketsAreReplaced() {
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
    InstanceServer next;
    QVERIFY(next.listen());
}

void InstanceServerTest::garbageGetsAnErrorReply() {
    InstanceServer server;
    QVERIFY(server.listen());
    server.onRequest = [](const InstanceServer::Request&) { return InstanceServer::Reply{}; };
    QCOMPARE(InstanceServer::decodeRequest("not json"_ba), std::nullopt);
    QCOMPARE(InstanceServer::decodeReply("{\"code\":\"x\"}"_ba), std::nullopt);
}

QTEST_GUILESS_MAIN(InstanceServerTest)
#include "InstanceServerTest.moc"
