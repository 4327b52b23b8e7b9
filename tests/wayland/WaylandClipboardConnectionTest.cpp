#include "platform/wayland/WaylandClipboardConnection.h"

#include "platform/xdg/ClipboardOffer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <atomic>
#include <csignal>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// A copy made by wl-copy, kept in the foreground so the test can stop it.
std::unique_ptr<QProcess> copyWithWlCopy(const QStringList& arguments, const QByteArray& data) {
    auto source = std::make_unique<QProcess>();
    source->start(u"wl-copy"_s, QStringList{u"--foreground"_s} + arguments);
    if (!source->waitForStarted())
        return nullptr;
    source->write(data);
    // Written now: the test runs no event loop that would do it later.
    source->waitForBytesWritten();
    source->closeWriteChannel();
    return source;
}

// Handles the compositor's events until `done` holds, for up to 5 s.
bool waitUntil(WaylandClipboardConnection& clipboard, const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 5000) {
        if (!clipboard.dispatch(std::chrono::milliseconds(50)))
            return false;
    }
    return done();
}

// Until a selection after `count` arrives.
bool waitForChange(WaylandClipboardConnection& clipboard, quint64 count) {
    return waitUntil(clipboard, [&] { return clipboard.changeCount() > count; });
}

} // namespace

// Another client's copies seen and read over our own connection to a
// headless sway, with wl-copy as that client.
class WaylandClipboardConnectionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void seesAndReadsACopy();
    void silentSourceIsGivenUpOnAtTheDeadline();
    void ownSelectionIsPastedAndKnownAsOwn();
    void snapshotsAsOnX11();
    void slowPastesHoldNothingUp();
    void aFloodOfOfferedTypesIsCut();
};

void WaylandClipboardConnectionTest::initTestCase() {
    const QByteArray display = qgetenv("VELLOQ_TEST_WAYLAND_DISPLAY");
    QVERIFY2(!display.isEmpty(), "needs the compositor scripts/test starts");
    qputenv("WAYLAND_DISPLAY", display);
}

void WaylandClipboardConnectionTest::seesAndReadsACopy() {
    std::unique_ptr<WaylandClipboardConnection> clipboard = WaylandClipboardConnection::connect();
    QVERIFY(clipboard);
    const quint64 before = clipboard->changeCount();
    std::unique_ptr<QProcess> source =
        copyWithWlCopy({u"--type"_s, u"text/plain;charset=utf-8"_s}, "grüße aus Wayland");
    QVERIFY(source);
    QVERIFY(waitForChange(*clipboard, before));
    QVERIFY2(clipboard->offeredTypes().contains(u"text/plain;charset=utf-8"_s),
             qPrintable(clipboard->offeredTypes().join(u", "_s)));
    QVERIFY(!clipboard->isOwnSelection());
    const QDeadlineTimer deadline(1000);
    QCOMPARE(clipboard->read(u"text/plain;charset=utf-8"_s, deadline, 1 << 20),
             std::optional("grüße aus Wayland"_ba));
    // A type the source does not offer is not asked for, nor more than the
    // limit taken.
    QCOMPARE(clipboard->read(u"image/png"_s, QDeadlineTimer(1000), 1 << 20), std::nullopt);
    QCOMPARE(clipboard->read(u"text/plain;charset=utf-8"_s, QDeadlineTimer(1000), 4), std::nullopt);
    source->kill();
    source->waitForFinished();
}

void WaylandClipboardConnectionTest::silentSourceIsGivenUpOnAtTheDeadline() {
    std::unique_ptr<WaylandClipboardConnection> clipboard = WaylandClipboardConnection::connect();
    QVERIFY(clipboard);
    const quint64 before = clipboard->changeCount();
    std::unique_ptr<QProcess> source = copyWithWlCopy({}, "never sent");
    QVERIFY(source);
    QVERIFY(waitForChange(*clipboard, before));
    ::kill(pid_t(source->processId()), SIGSTOP);
    QElapsedTimer waited;
    waited.start();
    QCOMPARE(clipboard->read(clipboard->offeredTypes().value(0), QDeadlineTimer(300), 1 << 20),
             std::nullopt);
    QVERIFY2(waited.elapsed() < 1000, qPrintable(QString::number(waited.elapsed())));
    ::kill(pid_t(source->processId()), SIGCONT);
    source->kill();
    source->waitForFinished();
}

namespace {

// Runs wl-paste while `owner` answers the paste; its output.
QByteArray pasteWithWlPaste(WaylandClipboardConnection& owner, const QStringList& arguments) {
    QProcess paste;
    paste.start(u"wl-paste"_s, arguments);
    QElapsedTimer waited;
    waited.start();
    while (!paste.waitForFinished(10) && waited.elapsed() < 5000)
        owner.dispatch(std::chrono::milliseconds(10));
    return paste.readAllStandardOutput();
}

} // namespace

// Our writes reach other clients, and every connection of ours knows them
// from other clients' copies, so the watcher never counts its own copies.
void WaylandClipboardConnectionTest::ownSelectionIsPastedAndKnownAsOwn() {
    std::unique_ptr<WaylandClipboardConnection> velloq = WaylandClipboardConnection::connect();
    std::unique_ptr<WaylandClipboardConnection> other = WaylandClipboardConnection::connect();
    QVERIFY(velloq && other);
    const quint64 before = velloq->changeCount();
    const QByteArray large(4 << 20, 'x');
    velloq->setSelection(
        {{u"text/plain;charset=utf-8"_s, "from Velloq"_ba}, {u"text/x-large"_s, large}});
    QVERIFY(waitForChange(*velloq, before));
    QVERIFY(velloq->isOwnSelection());
    QVERIFY(waitUntil(*other, [&] { return other->offeredTypes().contains(u"text/x-large"_s); }));
    QVERIFY2(other->isOwnSelection(), qPrintable(other->offeredTypes().join(u", "_s)));
    QVERIFY(other->offeredTypes().contains(u"text/plain;charset=utf-8"_s));
    QCOMPARE(
        pasteWithWlPaste(*velloq, {u"--no-newline"_s, u"--type"_s, u"text/plain;charset=utf-8"_s}),
        "from Velloq"_ba);
    // A paste that stops reading early ends the answer, not Velloq.
    QProcess partial;
    partial.start(u"sh"_s, {u"-c"_s, u"wl-paste --type text/x-large | head -c 10"_s});
    QElapsedTimer waited;
    waited.start();
    while (!partial.waitForFinished(10) && waited.elapsed() < 5000)
        velloq->dispatch(std::chrono::milliseconds(10));
    QCOMPARE(partial.readAllStandardOutput(), "xxxxxxxxxx"_ba);
    QVERIFY(velloq->dispatch(std::chrono::milliseconds(10)));
}

// The same snapshot rules as on X11: the types a clip needs, read in
// order, and nothing at all of a copy its owner marks as secret.
void WaylandClipboardConnectionTest::snapshotsAsOnX11() {
    std::unique_ptr<WaylandClipboardConnection> watcher = WaylandClipboardConnection::connect();
    std::unique_ptr<WaylandClipboardConnection> owner = WaylandClipboardConnection::connect();
    QVERIFY(watcher && owner);
    QStringList asked;
    const auto snapshotNow = [&] {
        const QByteArrayList types = [&] {
            QByteArrayList list;
            for (const QString& type : watcher->offeredTypes())
                list << type.toUtf8();
            return list;
        }();
        return ClipboardOffer::snapshot(types, [&](const QByteArray& type) {
            asked << QString::fromUtf8(type);
            // The owner answers while we wait.
            const QDeadlineTimer deadline(1000);
            std::atomic<bool> done = false;
            std::thread answering([&] {
                while (!deadline.hasExpired() && !done)
                    owner->dispatch(std::chrono::milliseconds(10));
            });
            const std::optional<QByteArray> data =
                watcher->read(QString::fromUtf8(type), deadline, 1 << 20);
            done = true;
            answering.join();
            return data;
        });
    };

    quint64 count = watcher->changeCount();
    owner->setSelection({{u"text/plain;charset=utf-8"_s, "a password"_ba},
                         {u"x-kde-passwordManagerHint"_s, "secret"_ba}});
    QVERIFY(waitForChange(*watcher, count));
    QCOMPARE(snapshotNow(), std::nullopt);
    QVERIFY(asked.isEmpty());

    count = watcher->changeCount();
    owner->setSelection({{u"text/plain;charset=utf-8"_s, "plain words"_ba},
                         {u"text/uri-list"_s, "https://example.org/\r\n"_ba}});
    QVERIFY(waitForChange(*watcher, count));
    const std::optional<PasteboardSnapshot> snapshot = snapshotNow();
    QVERIFY(snapshot);
    QCOMPARE(snapshot->string, std::optional(u"plain words"_s));
    QCOMPARE(snapshot->webURLs, QList<QUrl>{QUrl(u"https://example.org/"_s)});
    QVERIFY(!asked.contains(u"image/png"_s));
}

void WaylandClipboardConnectionTest::slowPastesHoldNothingUp() {
    std::unique_ptr<WaylandClipboardConnection> velloq = WaylandClipboardConnection::connect();
    QVERIFY(velloq);
    const quint64 before = velloq->changeCount();
    velloq->setSelection({{u"text/x-large"_s, QByteArray(4 << 20, 'x')}});
    QVERIFY(waitForChange(*velloq, before));
    // Three pastes whose readers stop reading: each answer waits out its
    // budget elsewhere, and the connection goes on handling events.
    std::vector<std::unique_ptr<QProcess>> stalled;
    for (int i = 0; i < 3; ++i) {
        stalled.push_back(std::make_unique<QProcess>());
        stalled.back()->start(u"sh"_s, {u"-c"_s, u"wl-paste --type text/x-large | sleep 10"_s});
    }
    QElapsedTimer waited;
    waited.start();
    qint64 longest = 0;
    while (waited.elapsed() < 1500) {
        QElapsedTimer one;
        one.start();
        QVERIFY(velloq->dispatch(std::chrono::milliseconds(20)));
        longest = qMax(longest, one.elapsed());
    }
    QVERIFY2(longest < 500, QByteArray::number(longest).constData());

    for (auto& process : stalled) {
        process->kill();
        process->waitForFinished();
    }
}

void WaylandClipboardConnectionTest::aFloodOfOfferedTypesIsCut() {
    // As on X11: the first 4,096 types are kept, and a name longer than any
    // type's is none.
    const QString source = qEnvironmentVariable("VELLOQ_WAYLAND_SOURCE");
    QVERIFY2(!source.isEmpty(), "VELLOQ_WAYLAND_SOURCE is not set: run this test through ctest");
    std::unique_ptr<WaylandClipboardConnection> watcher = WaylandClipboardConnection::connect();
    QVERIFY(watcher);
    QStringList types{u"text/plain=flood"_s, u"text/x-"_s + QString(1100, u'y') + u"=x"_s};
    for (int i = 0; i < 4200; ++i)
        types << u"application/x-%1=x"_s.arg(i);
    const quint64 before = watcher->changeCount();
    QProcess owner;
    owner.start(source, types);
    QVERIFY(owner.waitForStarted());
    QVERIFY(waitForChange(*watcher, before));
    const QStringList offered = watcher->offeredTypes();
    QCOMPARE(offered.size(), 4096);
    QCOMPARE(offered.first(), u"text/plain"_s);
    QVERIFY(std::ranges::none_of(offered, [](const QString& type) { return type.size() > 1024; }));
    owner.kill();
    owner.waitForFinished();
}

QTEST_GUILESS_MAIN(WaylandClipboardConnectionTest)
#include "WaylandClipboardConnectionTest.moc"
