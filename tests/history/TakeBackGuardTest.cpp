#include "history/TakeBackGuard.h"

#include "support/TemporaryHistory.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Copies a password tool takes back stay off the disk and leave the
// history; every other copy is kept as before.
class TakeBackGuardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void copiesTakenBackNeverReachTheDisk();
    void copiesNotTakenBackAreKept();
    void onlyOneShortLineIsHeld();
};

namespace {

struct Fixture {
    TemporaryHistory history;
    std::unique_ptr<ClipStore> store = std::make_unique<ClipStore>(history.path());
    double now = 1'800'000'000;
    TakeBackGuard guard{*store, [this] { return now; }};

    void copy(const ClipContent& content) {
        now += 1;
        guard.add(content, std::nullopt);
    }
    void copy(const QString& text) { copy(textClip(text)); }
    QStringList texts(const ClipStore& from) const {
        QStringList texts;
        for (const ClipItem& item : ClipStore::newestFirst(from.items()))
            texts << searchText(item.content);
        return texts;
    }
    QStringList inMemory() const { return texts(*store); }
    // What a Velloq started now would find.
    QStringList onDisk() const { return texts(ClipStore(history.path())); }
    bool diskMentions(const QString& text) const {
        return history.readHistoryFile().contains(text.toUtf8());
    }
};

} // namespace

void TakeBackGuardTest::copiesTakenBackNeverReachTheDisk() {
    Fixture f;
    f.copy(u"an ordinary copy, long enough\nto span two lines"_s);
    // keepassxc-cli clip: the secret, then empty text ten seconds later.
    f.copy(u"correct horse"_s);
    QCOMPARE(f.inMemory().first(), u"correct horse"_s);
    QVERIFY(!f.diskMentions(u"correct horse"_s));
    f.now += 10;
    f.guard.emptied();
    QCOMPARE(f.inMemory(), QStringList{u"an ordinary copy, long enough\nto span two lines"_s});

    // pass -c: the secret with its newline, then the copy before it again.
    f.copy(u"battery staple\n"_s);
    f.now += 45;
    f.copy(u"an ordinary copy, long enough\nto span two lines"_s);
    QCOMPARE(f.inMemory(), QStringList{u"an ordinary copy, long enough\nto span two lines"_s});
    // A name, then a password, then a pick of another entry: the tools
    // empty the clipboard whatever it holds by then.
    f.copy(u"ann@example.org"_s);
    f.copy(u"tr0ub4dor"_s);
    f.copy(u"tr0ub4dor"_s);
    f.guard.picked(textClip(u"an ordinary copy, long enough\nto span two lines"_s));
    f.guard.emptied();
    QCOMPARE(f.inMemory().size(), 1);
    QVERIFY(!f.diskMentions(u"staple"_s) && !f.diskMentions(u"tr0ub4dor"_s));
    QCOMPARE(f.onDisk(), f.inMemory());

    // Not yet taken back when Velloq quits: not there after a restart.
    f.copy(u"hunter2"_s);
    f.store->flush();
    QCOMPARE(f.onDisk(), QStringList{u"an ordinary copy, long enough\nto span two lines"_s});
}

void TakeBackGuardTest::copiesNotTakenBackAreKept() {
    Fixture f;
    // A user copying, then copying something else: both are written once
    // their time is up, and an emptying after that takes nothing away.
    f.copy(u"first"_s);
    f.copy(u"second"_s);
    QVERIFY(!f.diskMentions(u"first"_s));
    f.now += TakeBackGuard::holdSeconds + 1;
    f.guard.emptied();
    QCOMPARE(f.onDisk(), (QStringList{u"second"_s, u"first"_s}));

    // Picked or pinned, a copy is the user's at once.
    f.copy(u"picked"_s);
    f.guard.picked(textClip(u"picked"_s));
    f.copy(u"pinned"_s);
    f.store->setPinned(true, *f.store->idOfContent(textClip(u"pinned"_s)));
    f.guard.emptied();
    QCOMPARE(f.inMemory(), (QStringList{u"pinned"_s, u"picked"_s, u"second"_s, u"first"_s}));
    QCOMPARE(f.onDisk(), f.inMemory());
    // The timer's turn writes a copy whose time is up.
    f.copy(u"third"_s);
    f.now += TakeBackGuard::holdSeconds;
    f.guard.releaseDue();
    QVERIFY(f.diskMentions(u"third"_s));
}

void TakeBackGuardTest::onlyOneShortLineIsHeld() {
    Fixture f;
    const QString lines = u"one\ntwo"_s;
    const QString long_ = QString(TakeBackGuard::longestHeldText + 1, u'x');
    f.copy(lines);
    f.copy(long_);
    f.copy(LinkContent{QUrl(u"https://example.org/"_s)});
    f.copy(RichTextContent{R"({\rtf1 {\b bold}})"_ba, u"bold"_s});
    f.guard.emptied();
    QCOMPARE(f.onDisk(), (QStringList{u"bold"_s, u"https://example.org/"_s, long_, lines}));
    QVERIFY(TakeBackGuard::isHeldShape(textClip(u"  a passphrase of words \n"_s)));
    QVERIFY(!TakeBackGuard::isHeldShape(textClip(u" \n"_s)));
}

QTEST_MAIN(TakeBackGuardTest)
#include "TakeBackGuardTest.moc"
