#include "capture/PasteboardWatcher.h"

#include "support/FakePasteboard.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Capture {
    ClipContent content;
    std::optional<QString> bundleID;
};

// A watcher over a fake clipboard, with a frontmost application tests set.
struct Fixture {
    Fixture() : pasteboard(std::make_shared<FakePasteboard>()) {
        pasteboard->copy(textSnapshot(u"there at launch"_s));
        watcher = std::make_unique<PasteboardWatcher>(
            pasteboard, [this] { return frontBundle; }, [this] { return frontPID; }, 0.05);
        watcher->onCapture = [this](const ClipContent& content,
                                    const std::optional<QString>& bundleID) {
            captures.append({content, bundleID});
        };
    }

    std::shared_ptr<FakePasteboard> pasteboard;
    std::optional<QString> frontBundle = u"org.gnome.TextEditor"_s;
    std::optional<qint32> frontPID = 4242;
    std::unique_ptr<PasteboardWatcher> watcher;
    QList<Capture> captures;
};

} // namespace

class PasteboardWatcherTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launchContentIsNotCapturedButTheNextCopyIs();
    void copiesWithinOneTickGiveOneCapture();
    void markedCopiesAreConsumedUnread();
    void ownWritesReportedBackAreNotCaptured();
    void copiesDuringASlowReadAreReadAfterIt();
    void emptyCopiesAndMissingHandlerConsumeTheChange();
    void lastOtherPIDSurvivesOurOwnTurnInFront();
    void timerPollsOnceStarted();
    void announcedChangesAreReadAtOnceWithoutPolling();
};

void PasteboardWatcherTest::launchContentIsNotCapturedButTheNextCopyIs() {
    Fixture f;
    f.watcher->handleTick();
    QCOMPARE(f.captures.size(), 0);
    QCOMPARE(f.pasteboard->snapshotCalls, 0);
    f.pasteboard->copy(textSnapshot(u"first"_s));
    f.watcher->handleTick();
    QCOMPARE(f.captures.size(), 1);
    QCOMPARE(f.captures[0].content, ClipContent(TextContent{u"first"_s}));
    QCOMPARE(f.captures[0].bundleID, u"org.gnome.TextEditor"_s);
}

void PasteboardWatcherTest::copiesWithinOneTickGiveOneCapture() {
    Fixture f;
    f.pasteboard->copy(textSnapshot(u"one"_s));
    f.pasteboard->copy(textSnapshot(u"two"_s));
    f.frontBundle.reset();
    f.watcher->handleTick();
    f.watcher->handleTick();
    QCOMPARE(f.captures.size(), 1);
    QCOMPARE(f.captures[0].content, ClipContent(TextContent{u"two"_s}));
    QCOMPARE(f.captures[0].bundleID, std::nullopt);
}

void PasteboardWatcherTest::markedCopiesAreConsumedUnread() {
    Fixture f;
    f.pasteboard->copy(textSnapshot(u"hunter2"_s), true);
    f.watcher->handleTick();
    QCOMPARE(f.pasteboard->snapshotCalls, 0);
    // The marker going away without a new copy does not bring the secret back.
    f.pasteboard->concealed = false;
    f.watcher->handleTick();
    QCOMPARE(f.captures.size(), 0);
    QCOMPARE(f.watcher->lastChangeCount(), f.pasteboard->count);
}

void PasteboardWatcherTest::ownWritesReportedBackAreNotCaptured() {
    Fixture f;
    f.pasteboard->copy(textSnapshot(u"pasted by us"_s));
    f.watcher->setLastChangeCount(f.pasteboard->changeCount());
    f.watcher->handleTick();
    QCOMPARE(f.captures.size(), 0);
    QCOMPARE(f.pasteboard->snapshotCalls, 0);
}

void PasteboardWatcherTest::copiesDuringASlowReadAreReadAfterIt() {
    Fixture f;
    f.pasteboard->holdReads = true;
    f.pasteboard->copy(textSnapshot(u"slow"_s));
    f.watcher->handleTick();
    QVERIFY(f.watcher->isReading());
    f.frontBundle = u"org.kde.kate"_s;
    f.pasteboard->copy(textSnapshot(u"newer"_s));
    f.watcher->handleTick();
    f.watcher->handleTick();
    QCOMPARE(f.pasteboard->heldReads.size(), 1); // one read at a time

    // The overtaken read is dropped and the newest copy read next.
    f.pasteboard->finishRead();
    QCOMPARE(f.captures.size(), 0);
    QCOMPARE(f.pasteboard->heldReads.size(), 1);
    f.pasteboard->finishRead();
    QCOMPARE(f.captures.size(), 1);
    QCOMPARE(f.captures[0].content, ClipContent(TextContent{u"newer"_s}));
    QCOMPARE(f.captures[0].bundleID, u"org.kde.kate"_s);
    QVERIFY(!f.watcher->isReading());

    // A write of ours during a read replaces the copy not read yet.
    f.pasteboard->copy(textSnapshot(u"theirs"_s));
    f.watcher->handleTick();
    f.pasteboard->copy(textSnapshot(u"unread"_s));
    f.watcher->handleTick();
    f.pasteboard->copy(textSnapshot(u"pasted by us"_s));
    f.watcher->setLastChangeCount(f.pasteboard->changeCount());
    f.pasteboard->finishRead();
    QCOMPARE(f.captures.size(), 1);
    QVERIFY(f.pasteboard->heldReads.isEmpty());
    QVERIFY(!f.watcher->isReading());
}

void PasteboardWatcherTest::emptyCopiesAndMissingHandlerConsumeTheChange() {
    Fixture f;
    int emptied = 0;
    f.watcher->onEmptied = [&] { ++emptied; };
    f.pasteboard->copy(textSnapshot(u"  \n"_s));
    f.watcher->handleTick();
    f.watcher->handleTick();
    QCOMPARE(f.pasteboard->snapshotCalls, 1);
    QCOMPARE(f.captures.size(), 0);
    QCOMPARE(emptied, 1);
    // An owner that went away leaves no text: not emptied by anyone.
    f.pasteboard->copy(PasteboardSnapshot{});
    f.watcher->handleTick();
    PasteboardSnapshot emptyBesidePicture = textSnapshot(QString());
    emptyBesidePicture.png = "not decodable"_ba;
    f.pasteboard->copy(emptyBesidePicture);
    f.watcher->handleTick();
    QCOMPARE(emptied, 1);

    f.watcher->onCapture = nullptr;
    f.pasteboard->copy(textSnapshot(u"dropped"_s));
    f.watcher->handleTick();
    QCOMPARE(f.watcher->lastChangeCount(), f.pasteboard->count);
}

void PasteboardWatcherTest::lastOtherPIDSurvivesOurOwnTurnInFront() {
    Fixture f;
    QCOMPARE(f.watcher->lastOtherPID(), std::nullopt);
    f.watcher->handleTick();
    QCOMPARE(f.watcher->lastOtherPID(), 4242);
    f.frontPID.reset(); // Velloq itself, or nobody, in front
    f.watcher->handleTick();
    QCOMPARE(f.watcher->lastOtherPID(), 4242);
    f.frontPID = 7;
    f.watcher->handleTick();
    QCOMPARE(f.watcher->lastOtherPID(), 7);
}

void PasteboardWatcherTest::timerPollsOnceStarted() {
    Fixture f;
    f.watcher->start();
    f.watcher->start();
    QCOMPARE(f.watcher->findChildren<QTimer*>().size(), 1);
    f.pasteboard->copy(textSnapshot(u"polled"_s));
    QTRY_COMPARE_WITH_TIMEOUT(f.captures.size(), 1, 2000);
}

void PasteboardWatcherTest::announcedChangesAreReadAtOnceWithoutPolling() {
    Fixture f;
    f.pasteboard->announcesChanges = true;
    f.watcher->start();
    QVERIFY(f.watcher->findChildren<QTimer*>().isEmpty());
    // Copies in quick succession are each captured, not merged by a poll.
    f.pasteboard->copy(textSnapshot(u"one"_s));
    f.pasteboard->copy(textSnapshot(u"two"_s));
    QCOMPARE(f.captures.size(), 2);
    QCOMPARE(f.captures[1].content, ClipContent(TextContent{u"two"_s}));
}

QTEST_GUILESS_MAIN(PasteboardWatcherTest)
#include "PasteboardWatcherTest.moc"
