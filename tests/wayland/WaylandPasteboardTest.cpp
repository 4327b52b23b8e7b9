#include "platform/wayland/WaylandPasteboard.h"

#include "platform/wayland/WaylandClipboardConnection.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<QProcess> copyWithWlCopy(const QByteArray& text) {
    auto source = std::make_unique<QProcess>();
    source->start(u"wl-copy"_s, {u"--foreground"_s, QString::fromUtf8(text)});
    return source->waitForStarted() ? std::move(source) : nullptr;
}

} // namespace

// The watcher's view of the Wayland clipboard: other clients' copies
// counted and read off the main thread, our own not counted, a silent
// source given up on without holding the application.
class WaylandPasteboardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void countsAndReadsOtherClientsCopies();
    void silentSourceDoesNotHoldTheApplication();
    void aClosedConnectionIsNotSpunOn();
};

void WaylandPasteboardTest::initTestCase() {
    const QByteArray display = qgetenv("VELLOQ_TEST_WAYLAND_DISPLAY");
    QVERIFY2(!display.isEmpty(), "needs the compositor scripts/test starts");
    qputenv("WAYLAND_DISPLAY", display);
}

void WaylandPasteboardTest::countsAndReadsOtherClientsCopies() {
    std::unique_ptr<WaylandPasteboard> pasteboard = WaylandPasteboard::create();
    QVERIFY(pasteboard);
    int told = 0;
    QVERIFY(pasteboard->watchChanges([&told] { ++told; }));
    const qint64 before = pasteboard->changeCount();

    std::unique_ptr<QProcess> source = copyWithWlCopy("copied in another client");
    QVERIFY(source);
    QTRY_COMPARE(pasteboard->changeCount(), before + 1);
    QTRY_COMPARE(told, 1);
    std::optional<std::optional<PasteboardSnapshot>> result;
    pasteboard->readSnapshot([&result](std::optional<PasteboardSnapshot> s) { result = s; });
    QTRY_VERIFY(result);
    QVERIFY(*result);
    QCOMPARE((*result)->string, std::optional(u"copied in another client"_s));

    // Our own copy is not counted; the next copy of another client is,
    // once.
    std::unique_ptr<WaylandClipboardConnection> own = WaylandClipboardConnection::connect();
    own->setSelection({{u"text/plain;charset=utf-8"_s, "put back by Velloq"_ba}});
    QTest::qWait(300);
    std::unique_ptr<QProcess> next = copyWithWlCopy("the next copy");
    QTRY_COMPARE(pasteboard->changeCount(), before + 2);
    QTest::qWait(200);
    QCOMPARE(pasteboard->changeCount(), before + 2);
    source->kill();
    next->kill();
    source->waitForFinished();
    next->waitForFinished();
}

void WaylandPasteboardTest::silentSourceDoesNotHoldTheApplication() {
    std::unique_ptr<WaylandPasteboard> pasteboard = WaylandPasteboard::create();
    QVERIFY(pasteboard);
    const qint64 before = pasteboard->changeCount();
    std::unique_ptr<QProcess> source = copyWithWlCopy("never sent");
    QVERIFY(source);
    QTRY_COMPARE(pasteboard->changeCount(), before + 1);
    ::kill(pid_t(source->processId()), SIGSTOP);
    std::optional<std::optional<PasteboardSnapshot>> result;
    QElapsedTimer waited;
    waited.start();
    pasteboard->readSnapshot([&result](std::optional<PasteboardSnapshot> s) { result = s; });
    QVERIFY(waited.elapsed() < 100); // the read goes on elsewhere
    QTRY_VERIFY_WITH_TIMEOUT(result, 3000);
    QVERIFY(waited.elapsed() >= WaylandPasteboard::readBudgetMs - 50);
    QVERIFY(*result);
    QCOMPARE((*result)->string, std::nullopt); // given up on, nothing made up
    ::kill(pid_t(source->processId()), SIGCONT);
    source->kill();
    source->waitForFinished();
}

namespace {

// CPU time, in clock ticks, of this process's thread called `name`.
qint64 threadTicks(const QByteArray& name) {
    qint64 ticks = 0;
    for (const QFileInfo& task :
         QDir(u"/proc/self/task"_s).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(task.filePath() + u"/comm"_s);
        QFile stat(task.filePath() + u"/stat"_s);
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != name ||
            !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        ticks += fields.value(11).toLongLong() + fields.value(12).toLongLong();
    }
    return ticks;
}

} // namespace

void WaylandPasteboardTest::aClosedConnectionIsNotSpunOn() {
    // The compositor may close the clipboard connection alone; its socket
    // then stays readable, and must not keep the reading thread busy.
    std::unique_ptr<WaylandPasteboard> pasteboard = WaylandPasteboard::create();
    QVERIFY(pasteboard);
    int closed = 0;
    for (const QFileInfo& fd : QDir(u"/proc/self/fd"_s).entryInfoList(QDir::System)) {
        // The pasteboard's connection is this test's only socket.
        if (fd.symLinkTarget().contains(u"socket:"_s))
            closed += ::shutdown(fd.fileName().toInt(), SHUT_RDWR) == 0;
    }
    QVERIFY(closed > 0);
    QTest::qWait(200);
    const qint64 before = threadTicks("Wayland clipboa");
    QTest::qWait(1000);
    const qint64 spent = threadTicks("Wayland clipboa") - before;
    QVERIFY2(spent < 20, QByteArray::number(spent).constData());
}

QTEST_GUILESS_MAIN(WaylandPasteboardTest)
#include "WaylandPasteboardTest.moc"
