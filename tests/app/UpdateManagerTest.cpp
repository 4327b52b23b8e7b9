#include "app/UpdateManager.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Answers every request with the status and body of its path's entry.
class FeedServer : public QTcpServer {
public:
    QHash<QByteArray, std::pair<QByteArray, QByteArray>> pages;

    FeedServer() {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray request = socket->readAll();
                    const QByteArray path = request.split(' ').value(1);
                    if (path == "/trickle.json") {
                        trickle(socket);
                        return;
                    }
                    const auto [status, body] =
                        pages.value(path, {"404 Not Found"_ba, "no such page"_ba});
                    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\n" +
                                  "Content-Length: " + QByteArray::number(body.size()) +
                                  "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    // A server that never finishes: a byte every half second.
    static void trickle(QTcpSocket* socket) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n{");
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
        timer->start(500);
    }
    QString address(const char* path) const {
        return u"http://127.0.0.1:%1%2"_s.arg(serverPort()).arg(QLatin1StringView(path));
    }
};

// The check's result; none when it never came.
std::optional<UpdateManager::Result> check(UpdateManager& manager) {
    QSignalSpy finished(&manager, &UpdateManager::checkFinished);
    manager.checkForUpdates();
    if (finished.isEmpty() && !finished.wait(20'000))
        return std::nullopt;
    return finished.first().first().value<UpdateManager::Result>();
}

UpdateManager::Result::Kind kindOf(const std::optional<UpdateManager::Result>& result) {
    return result ? result->kind : UpdateManager::Result::Kind(-1);
}

} // namespace

Q_DECLARE_METATYPE(UpdateManager::Result)

// The update check against a feed served by the test: a newer version, the
// same one, a broken document, a missing page, nobody listening, and an
// address that is not secure.
class UpdateManagerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void versionsAndDocuments();
    void checksTheFeed();
    void redirectsStayOnTheFeedsSite();
    void aTricklingServerMeetsTheDeadlineOrACancel();

private:
    FeedServer m_server;
};

void UpdateManagerTest::initTestCase() {
    qRegisterMetaType<UpdateManager::Result>();
    QVERIFY(m_server.listen(QHostAddress::LocalHost));
    const QByteArray newer = "{\"version\": \"0.10.0\", \"notes\": \"https://example.com/notes\", "
                             "\"download\": \"javascript:alert(1)\"}";
    m_server.pages.insert("/newer.json", {"200 OK"_ba, newer});
    m_server.pages.insert("/same.json", {"200 OK"_ba, R"({"version": "0.9"})"_ba});
    m_server.pages.insert("/broken.json", {"200 OK"_ba, R"({"version": )"_ba});
}

void UpdateManagerTest::versionsAndDocuments() {
    QVERIFY(UpdateFeed::compareVersions(u"0.10"_s, u"0.9.5"_s) > 0);
    QCOMPARE(UpdateFeed::compareVersions(u"1.0"_s, u"1"_s), 0);
    QVERIFY(UpdateFeed::compareVersions(u"1.2.3"_s, u"1.2.4"_s) < 0);
    QString problem;
    QVERIFY(!UpdateFeed::parse(R"({"version": "1.0; rm -rf"})"_ba, &problem));
    QVERIFY(!problem.isEmpty());
    QVERIFY(!UpdateFeed::parse("[]"_ba));
    QVERIFY(UpdateFeed::isAllowedAddress(QUrl(u"https://example.com/feed"_s)));
    QVERIFY(UpdateFeed::isAllowedAddress(QUrl(u"http://127.0.0.1:8080/feed"_s)));
    QVERIFY(UpdateFeed::isAllowedAddress(QUrl(u"http://127.1.2.3/feed"_s)));
    QVERIFY(UpdateFeed::isAllowedAddress(QUrl(u"http://[::1]:8080/feed"_s)));
    QVERIFY(UpdateFeed::isAllowedAddress(QUrl(u"http://localhost/feed"_s)));
    // Names that only begin like this machine's are somebody else's.
    for (const char* other : {"http://127.0.0.1.example.invalid/feed", "http://127.example/feed",
                              "http://127.0.0.256/feed", "http://1270.0.0.1/feed"})
        QVERIFY2(!UpdateFeed::isAllowedAddress(QUrl(QString::fromLatin1(other))), other);
    QVERIFY(!UpdateFeed::isAllowedAddress(QUrl(u"http://example.com/feed"_s)));
    QVERIFY(!UpdateFeed::isAllowedAddress(QUrl(u"file:///etc/passwd"_s)));
}

void UpdateManagerTest::checksTheFeed() {
    // CTest names the helper; see tests/CMakeLists.txt.
    const QString updateCheck = qEnvironmentVariable("VELLOQ_UPDATE_CHECK");
    QVERIFY2(!updateCheck.isEmpty(), "VELLOQ_UPDATE_CHECK is not set: run this test through ctest");
    UpdateManager manager(u"0.9.0"_s, updateCheck);
    using Kind = UpdateManager::Result::Kind;

    qputenv(UpdateFeed::addressVariable, m_server.address("/newer.json").toUtf8());
    QSignalSpy canCheck(&manager, &UpdateManager::canCheckChanged);
    QSignalSpy finished(&manager, &UpdateManager::checkFinished);
    manager.checkForUpdates();
    QVERIFY(!manager.canCheck());
    manager.checkForUpdates(); // ignored while one runs
    QVERIFY(finished.wait(20'000));
    QCOMPARE(finished.size(), 1);
    QVERIFY(manager.canCheck());
    QCOMPARE(canCheck.size(), 2);
    const auto newer = finished.first().first().value<UpdateManager::Result>();
    QCOMPARE(newer.kind, Kind::available);
    QCOMPARE(newer.release.version, u"0.10.0"_s);
    QCOMPARE(newer.release.notes, QUrl(u"https://example.com/notes"_s));
    QVERIFY(newer.release.download.isEmpty()); // not a web page

    qputenv(UpdateFeed::addressVariable, m_server.address("/same.json").toUtf8());
    QCOMPARE(kindOf(check(manager)), Kind::upToDate);
    qputenv(UpdateFeed::addressVariable, m_server.address("/broken.json").toUtf8());
    const auto broken = check(manager);
    QCOMPARE(kindOf(broken), Kind::failed);
    QVERIFY(!broken->problem.isEmpty());
    qputenv(UpdateFeed::addressVariable, m_server.address("/gone.json").toUtf8());
    const auto missing = check(manager);
    QCOMPARE(kindOf(missing), Kind::failed);
    QVERIFY2(missing->problem.contains(u"Not Found"_s), qPrintable(missing->problem));

    FeedServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString nobody = closed.address("/feed.json");
    closed.close();
    qputenv(UpdateFeed::addressVariable, nobody.toUtf8());
    QCOMPARE(kindOf(check(manager)), Kind::failed);
    qputenv(UpdateFeed::addressVariable, "http://example.com/feed.json");
    QCOMPARE(kindOf(check(manager)), Kind::failed);
    qunsetenv(UpdateFeed::addressVariable);
    QVERIFY(manager.canCheck());
}

void UpdateManagerTest::redirectsStayOnTheFeedsSite() {
    UpdateManager manager(u"0.9.0"_s, qEnvironmentVariable("VELLOQ_UPDATE_CHECK"));
    using Kind = UpdateManager::Result::Kind;
    m_server.pages.insert("/moved.json", {"302 Found\r\nLocation: /newer.json"_ba, {}});
    // The same server under another name is another site.
    m_server.pages.insert("/away.json",
                          {"302 Found\r\nLocation: http://localhost:" +
                               QByteArray::number(m_server.serverPort()) + "/newer.json",
                           {}});
    qputenv(UpdateFeed::addressVariable, m_server.address("/moved.json").toUtf8());
    QCOMPARE(kindOf(check(manager)), Kind::available);
    qputenv(UpdateFeed::addressVariable, m_server.address("/away.json").toUtf8());
    const auto away = check(manager);
    QCOMPARE(kindOf(away), Kind::failed);
    QVERIFY2(away->problem.contains(u"another site"_s), qPrintable(away->problem));
    qunsetenv(UpdateFeed::addressVariable);
}

void UpdateManagerTest::aTricklingServerMeetsTheDeadlineOrACancel() {
    UpdateManager manager(u"0.9.0"_s, qEnvironmentVariable("VELLOQ_UPDATE_CHECK"));
    manager.deadlineMilliseconds = 1500;
    qputenv(UpdateFeed::addressVariable, m_server.address("/trickle.json").toUtf8());
    const auto slow = check(manager);
    QCOMPARE(kindOf(slow), UpdateManager::Result::Kind::failed);
    QVERIFY2(slow->problem.contains(u"too long"_s), qPrintable(slow->problem));

    // Cancelled, a check ends at once and reports nothing.
    manager.deadlineMilliseconds = 60'000;
    QSignalSpy finished(&manager, &UpdateManager::checkFinished);
    manager.checkForUpdates();
    QTest::qWait(300);
    QVERIFY(!manager.canCheck());
    manager.cancel();
    QVERIFY(manager.canCheck());
    QTest::qWait(300);
    QVERIFY(finished.isEmpty());
    qunsetenv(UpdateFeed::addressVariable);
}

QTEST_GUILESS_MAIN(UpdateManagerTest)
#include "UpdateManagerTest.moc"
