#include "history/ClipStore.h"

#include "history/SearchIndex.h"
#include "history/SubstringFinder.h"
#include "support/TemporaryHistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Counts the store's change notifications.
struct ChangeCounter {
    explicit ChangeCounter(ClipStore& store) {
        store.onChange = [this] { ++count; };
    }
    int count = 0;
};

QStringList texts(const QList<ClipItem>& items) {
    QStringList result;
    for (const ClipItem& item : items)
        result.append(searchText(item.content));
    return result;
}

const ClipItem* find(const ClipStore& store, const QString& text) {
    for (const ClipItem& item : store.items()) {
        if (searchText(item.content) == text)
            return &item;
    }
    return nullptr;
}

// Adds "t0" … "t<n-1>" at times start, start+1, …
void addTexts(ClipStore& store, int count, double start = 100, const QString& prefix = u"t"_s) {
    for (int i = 0; i < count; ++i)
        store.add(textClip(prefix + QString::number(i)), std::nullopt, start + i);
}

// Rows for tests that hold for both ways of saving.
void savingModes() {
    QTest::addColumn<bool>("inBackground");
    QTest::newRow("written before the change is announced") << false;
    QTest::newRow("written on a thread of its own") << true;
}

// Makes `store` save the way the current row says.
void setSavingMode(ClipStore& store) {
    QFETCH(bool, inBackground);
    if (inBackground)
        store.saveInBackground();
}

qsizetype unpinnedCount(const ClipStore& store) {
    return std::count_if(store.items().cbegin(), store.items().cend(),
                         [](const ClipItem& item) { return !item.isPinned; });
}

} // namespace

class ClipStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QStandardPaths::setTestModeEnabled(true); }
    void repeatedCopyRefreshesTheFirstEntry();
    void limitRemovesOnlyTheOldestUnpinned();
    void restoreKeepsTheRestoredEntryOnly();
    void loweringTheLimitTrimsTheOldestOnceAndRaisingRestoresNothing();
    void imageFilesFollowTheirEntries_data() { savingModes(); }
    void imageFilesFollowTheirEntries();
    void picturesStayWhileAHistoryBeingWrittenNamesThem();
    void historySurvivesReopening();
    void failedImageWriteDropsTheCapture();
    void failedSavesLoseNothingAndLeaveNoPartialFile_data() { savingModes(); }
    void failedSavesLoseNothingAndLeaveNoPartialFile();
    void historyIsPrivateWhateverTheUmask();
    void unreadableHistoryIsMovedAsideNotDestroyed_data() { savingModes(); }
    void unreadableHistoryIsMovedAsideNotDestroyed();
    void queriesOrderNewestFirstAndStable();
    void searchTrimsAndIgnoresCase();
    void substringsAreFoundWhereverTheyLie();
    void textsOfMegabytesAreSearchedWindowByWindow();
};

void ClipStoreTest::repeatedCopyRefreshesTheFirstEntry() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    ChangeCounter changes(store);
    store.add(textClip(u"hello"_s), u"org.one"_s, 10);
    const QUuid firstId = store.items().first().id;
    store.add(textClip(u"hello"_s), u"org.two"_s, 20);
    QCOMPARE(store.items().size(), 1);
    QCOMPARE(store.items().first().id, firstId);
    QCOMPARE(store.items().first().capturedAt, 20.0);
    QCOMPARE(store.items().first().sourceBundleID, u"org.two"_s);
    store.add(textClip(u"hello"_s), std::nullopt, 30);
    QCOMPARE(store.items().first().sourceBundleID, u"org.two"_s);
    QCOMPARE(store.items().first().capturedAt, 30.0);
    QCOMPARE(changes.count, 3);
    // A trailing space makes it another clip.
    store.add(textClip(u"hello "_s), std::nullopt, 40);
    QCOMPARE(store.items().size(), 2);

    // A copy equal to a pinned entry refreshes it and trims nothing, even at the limit.
    store.setPinned(true, firstId);
    store.setLimit(3);
    addTexts(store, 2, 100);
    store.add(textClip(u"hello"_s), u"org.app"_s, 500);
    QCOMPARE(store.items().size(), 4);
    QVERIFY(find(store, u"hello "_s)); // the oldest unpinned entry stayed
    QCOMPARE(find(store, u"hello"_s)->capturedAt, 500.0);
    QVERIFY(find(store, u"hello"_s)->isPinned);
}

void ClipStoreTest::limitRemovesOnlyTheOldestUnpinned() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    store.setLimit(9);
    addTexts(store, 5, 1, u"p"_s);
    for (const ClipItem& item : QList<ClipItem>(store.items()))
        store.setPinned(true, item.id);
    addTexts(store, 9, 100);
    QCOMPARE(store.items().size(), 14);
    store.add(textClip(u"new"_s), std::nullopt, 200);
    QCOMPARE(store.items().size(), 14);
    QVERIFY(!find(store, u"t0"_s));
    QVERIFY(find(store, u"t1"_s) && find(store, u"new"_s));
    QCOMPARE(unpinnedCount(store), 9);
    QCOMPARE(ClipStore::pinnedItems(store.items()).size(), 5);

    // Unpinning at the limit trims at once: the entry itself when it is the oldest.
    ChangeCounter changes(store);
    store.setPinned(false, find(store, u"p0"_s)->id);
    QVERIFY(!find(store, u"p0"_s));
    QCOMPARE(unpinnedCount(store), 9);
    QCOMPARE(changes.count, 1);
    store.add(textClip(u"newer pinned"_s), std::nullopt, 300);
    store.setPinned(true, find(store, u"newer pinned"_s)->id);
    store.add(textClip(u"t9"_s), std::nullopt, 301);
    store.setPinned(false, find(store, u"newer pinned"_s)->id);
    QVERIFY(find(store, u"newer pinned"_s));
    QVERIFY(!find(store, u"t2"_s));
    QCOMPARE(unpinnedCount(store), 9);
}

void ClipStoreTest::restoreKeepsTheRestoredEntryOnly() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    store.setLimit(3);
    addTexts(store, 3, 10);
    const ClipItem oldest = *find(store, u"t0"_s);
    store.deleteItem(oldest.id);
    store.add(textClip(u"fresh"_s), std::nullopt, 100);
    ChangeCounter changes(store);
    store.restore(oldest);
    QCOMPARE(changes.count, 1);
    const ClipItem* restored = find(store, u"t0"_s);
    QVERIFY(restored);
    QCOMPARE(*restored, oldest);
    QVERIFY(!find(store, u"t1"_s)); // the oldest other unpinned entry went
    QCOMPARE(unpinnedCount(store), 3);

    // A pinned entry does not count against the limit.
    store.setPinned(true, find(store, u"fresh"_s)->id);
    store.add(textClip(u"t8"_s), std::nullopt, 101);
    QCOMPARE(unpinnedCount(store), 3);
    const ClipItem pinned = *find(store, u"fresh"_s);
    store.deleteItem(pinned.id);
    store.restore(pinned);
    QCOMPARE(store.items().size(), 4);
    QVERIFY(find(store, u"fresh"_s)->isPinned);

    // Restoring a clip that came back meanwhile, or one that is still there,
    // does nothing, and neither do unknown ids.
    const ClipItem gone = *find(store, u"t8"_s);
    store.deleteItem(gone.id);
    store.add(textClip(u"t8"_s), std::nullopt, 102);
    const QList<ClipItem> before = store.items();
    const QByteArray saved = dir.readHistoryFile();
    ChangeCounter noChanges(store);
    store.restore(gone);
    store.restore(store.items().first());
    store.setPinned(true, QUuid::createUuid());
    store.deleteItem(QUuid::createUuid());
    QCOMPARE(store.items(), before);
    QCOMPARE(noChanges.count, 0);
    QCOMPARE(dir.readHistoryFile(), saved);
}

void ClipStoreTest::loweringTheLimitTrimsTheOldestOnceAndRaisingRestoresNothing() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    store.setLimit(100000);
    for (int i = 0; i < 50; ++i)
        store.add(textClip(QString::number(i)), std::nullopt, i % 2 ? 100 : i);
    store.setPinned(true, store.items()[4].id);
    ChangeCounter changes(store);
    store.setLimit(200000);
    QCOMPARE(changes.count, 0);
    store.setLimit(3);
    QCOMPARE(changes.count, 1);
    // By time, not by place; among equal times the earlier entries go first.
    const QStringList kept{u"4"_s, u"45"_s, u"47"_s, u"49"_s};
    QCOMPARE(texts(store.items()), kept);
    store.setLimit(27);
    QCOMPARE(texts(store.items()), kept);
    QCOMPARE(changes.count, 1);
    QCOMPARE(texts(ClipStore(dir.path()).items()), kept);
}

void ClipStoreTest::imageFilesFollowTheirEntries() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    setSavingMode(store);
    store.add(ImageContent{pngBytes(1)}, std::nullopt, 1);
    store.add(ImageContent{pngBytes(2)}, std::nullopt, 2);
    store.add(ImageContent{pngBytes(3)}, std::nullopt, 3);
    const QDir images(dir.imagesFolder());
    QCOMPARE(images.entryList(QDir::Files).size(), 3);
    const ClipItem first = store.items().first();
    const QString firstFile = images.filePath(idText(first.id) + ".png"_L1);
    QFile file(firstFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), pngBytes(1));
    file.close();

    // In memory a stored picture is its file: once the file is gone, only
    // an entry that kept its bytes comes back, and whole.
    const auto& picture = std::get<ImageContent>(first.content);
    QVERIFY(!picture.holdsBytes());
    QCOMPARE(picture.pixelSize(), QSize(2, 2));
    ClipItem kept = first;
    kept.content = picture.withBytes();
    store.flush();
    store.deleteItem(first.id);
    store.flush();
    QVERIFY(!QFileInfo::exists(firstFile));
    int failures = 0;
    store.onWriteFailure = [&failures](ClipStore::WriteFailure) { ++failures; };
    store.restore(first);
    QCOMPARE(failures, 1);
    QVERIFY(!QFileInfo::exists(firstFile));
    store.restore(kept);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), pngBytes(1));
    file.close();
    store.onWriteFailure = nullptr;

    store.setPinned(true, store.items().first().id);
    store.clearAll();
    store.flush();
    QVERIFY(store.items().isEmpty());
    QCOMPARE(images.entryList(QDir::Files).size(), 0);
    QCOMPARE(dir.readHistoryFile(), "{\"items\":[]}"_ba);

    // Trimming an image entry removes its file as well.
    store.setLimit(1);
    store.add(ImageContent{pngBytes(4)}, std::nullopt, 4);
    store.add(textClip(u"text"_s), std::nullopt, 5);
    store.flush();
    QCOMPARE(images.entryList(QDir::Files).size(), 0);
}

void ClipStoreTest::picturesStayWhileAHistoryBeingWrittenNamesThem() {
    TemporaryHistory dir;
    const QDir images(dir.imagesFolder());
    {
        ClipStore store(dir.path());
        store.saveInBackground();
        store.add(ImageContent{pngBytes(1)}, std::nullopt, 1);
        const QString picture = idText(store.items().first().id) + ".png"_L1;
        // The history naming it may be on disk any moment now.
        store.deleteItem(store.items().first().id);
        QVERIFY(images.exists(picture));
        store.add(ImageContent{pngBytes(2)}, std::nullopt, 2);
        store.flush();
        QVERIFY(!images.exists(picture));
        store.add(textClip(u"last"_s), std::nullopt, 3);
    }
    // Closing the store writes what was waiting; no picture is orphaned.
    const ClipStore reopened(dir.path());
    QCOMPARE(reopened.items().size(), 2);
    QCOMPARE(images.entryList(QDir::Files),
             QStringList{idText(reopened.items().first().id) + ".png"_L1});
}

void ClipStoreTest::historySurvivesReopening() {
    TemporaryHistory dir;
    QList<ClipItem> before;
    {
        ClipStore store(dir.path());
        store.add(textClip(u"text"_s), u"org.gnome.TextEditor"_s, 1700000000.123456);
        store.add(RichTextContent{"{\\rtf1 bold}"_ba, u"bold"_s}, std::nullopt, 2);
        store.add(ImageContent{pngBytes(9)}, std::nullopt, 3);
        store.add(FilesContent{{QUrl::fromLocalFile(u"/tmp/ä b.txt"_s)}}, std::nullopt, 4);
        store.add(LinkContent{QUrl(u"https://example.com/?q=a%20b#f"_s)}, std::nullopt, 5);
        store.setPinned(true, store.items().first().id);
        before = store.items();
    }
    ClipStore reopened(dir.path());
    QCOMPARE(reopened.items(), before);
    // Hashes are rebuilt on load: a repeated copy still de-duplicates.
    reopened.add(ImageContent{pngBytes(9)}, std::nullopt, 10);
    QCOMPARE(reopened.items().size(), before.size());
}

void ClipStoreTest::failedImageWriteDropsTheCapture() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    store.add(textClip(u"kept"_s), std::nullopt, 1);
    const QByteArray saved = dir.readHistoryFile();
    // A plain file where the images folder should be makes every image write fail.
    QVERIFY(QDir(dir.imagesFolder()).removeRecursively());
    QFile blocker(dir.imagesFolder());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ChangeCounter changes(store);
    store.add(ImageContent{pngBytes(5)}, std::nullopt, 2);
    QCOMPARE(store.items().size(), 1);
    QCOMPARE(changes.count, 0);
    QCOMPARE(dir.readHistoryFile(), saved);
}

void ClipStoreTest::failedSavesLoseNothingAndLeaveNoPartialFile() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    setSavingMode(store);
    store.setLimit(1);
    store.add(ImageContent{pngBytes(1)}, std::nullopt, 1);
    store.flush();
    const QUuid saved = store.items().first().id;
    const QDir images(dir.imagesFolder());
    QVERIFY(QFile::rename(dir.historyFile(), dir.historyFile() + ".good"_L1));
    // A folder in the history file's place makes the final rename fail.
    QVERIFY(QDir().mkdir(dir.historyFile()));
    ChangeCounter changes(store);
    // Trimmed while saving fails: the saved history still names its picture.
    store.add(ImageContent{pngBytes(2)}, std::nullopt, 2);
    store.flush();
    QCOMPARE(changes.count, 1);
    QVERIFY(!store.lastSaveSucceeded());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"items.json.good"_s});
    const QUuid unsaved = store.items().first().id;
    QVERIFY(images.exists(idText(saved) + ".png"_L1));
    QVERIFY(images.exists(idText(unsaved) + ".png"_L1));
    // A picture no saved history names goes with its entry.
    store.deleteItem(unsaved);
    QVERIFY(!images.exists(idText(unsaved) + ".png"_L1));
    // What only memory holds is saved with the next change that succeeds.
    store.setLimit(9);
    store.add(textClip(u"in memory"_s), std::nullopt, 3);
    store.flush();
    QVERIFY(QDir().rmdir(dir.historyFile()));
    QVERIFY(QFile::rename(dir.historyFile() + ".good"_L1, dir.historyFile()));
    QCOMPARE(ClipStore(dir.path()).items().first().id, saved);
    store.add(textClip(u"saved again"_s), std::nullopt, 4);
    store.flush();
    QVERIFY(store.lastSaveSucceeded());
    QCOMPARE(images.entryList(QDir::Files), QStringList());
    QCOMPARE(texts(ClipStore(dir.path()).items()), QStringList({u"in memory"_s, u"saved again"_s}));
}

void ClipStoreTest::historyIsPrivateWhateverTheUmask() {
    TemporaryHistory dir;
    const QString folder = dir.path() + "/nested/Velloq"_L1;
    const mode_t previous = umask(0);
    {
        ClipStore store(folder);
        store.add(textClip(u"secret"_s), std::nullopt, 1);
        store.add(ImageContent{pngBytes(1)}, std::nullopt, 2);
    }
    umask(previous);
    const auto mode = [](const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777
                                                                       : 0xffffu;
    };
    QCOMPARE(mode(folder), 0700u);
    QCOMPARE(mode(folder + "/images"_L1), 0700u);
    QCOMPARE(mode(folder + "/items.json"_L1), 0600u);
    const QStringList images = QDir(folder + "/images"_L1).entryList(QDir::Files);
    QCOMPARE(images.size(), 1);
    QCOMPARE(mode(folder + "/images/"_L1 + images.first()), 0600u);
}

void ClipStoreTest::unreadableHistoryIsMovedAsideNotDestroyed() {
    TemporaryHistory dir;
    const QByteArray garbage = "{\"items\":[{\"id\":\"not a uuid\"}]}"_ba;
    dir.writeHistoryFile(garbage);
    ClipStore store(dir.path());
    setSavingMode(store);
    store.add(textClip(u"new"_s), std::nullopt, 1);
    store.add(textClip(u"newer"_s), std::nullopt, 2);
    store.flush();
    const QStringList kept =
        QDir(dir.path()).entryList({u"items.json.unreadable-*"_s}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QVERIFY(QRegularExpression(u"^items\\.json\\.unreadable-\\d{8}T\\d{6}Z$"_s)
                .match(kept.first())
                .hasMatch());
    QFile keptFile(dir.path() + u'/' + kept.first());
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(), garbage);
    QCOMPARE(ClipStore(dir.path()).items().size(), 2);

    // A second unreadable file later gets a name of its own.
    dir.writeHistoryFile("not json"_ba);
    ClipStore again(dir.path());
    again.add(textClip(u"x"_s), std::nullopt, 3);
    QCOMPARE(QDir(dir.path()).entryList({u"items.json.unreadable-*"_s}, QDir::Files).size(), 2);
}

void ClipStoreTest::queriesOrderNewestFirstAndStable() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    store.add(textClip(u"a"_s), std::nullopt, 5);
    store.add(textClip(u"b"_s), std::nullopt, 7);
    store.add(textClip(u"c"_s), std::nullopt, 5);
    store.add(textClip(u"d"_s), std::nullopt, 9);
    store.setPinned(true, find(store, u"d"_s)->id);
    store.setPinned(true, find(store, u"a"_s)->id);
    const QList<ClipItem> items = store.items();
    QCOMPARE(texts(ClipStore::recent(items, 9)), QStringList({u"b"_s, u"c"_s}));
    QCOMPARE(texts(ClipStore::recent(items, 1)), QStringList({u"b"_s}));
    QCOMPARE(texts(ClipStore::recent(items, 0)), QStringList());
    QCOMPARE(texts(ClipStore::pinnedItems(items)), QStringList({u"d"_s, u"a"_s}));
    QCOMPARE(texts(ClipStore::newestFirst(items)), QStringList({u"d"_s, u"b"_s, u"a"_s, u"c"_s}));
}

void ClipStoreTest::searchTrimsAndIgnoresCase() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    store.add(textClip(u"Meet at the école"_s), std::nullopt, 1);
    store.add(textClip(u"decomposed: e\u0301cole"_s), std::nullopt, 2);
    store.add(ImageContent{pngBytes(1)}, std::nullopt, 3);
    store.add(FilesContent{{QUrl::fromLocalFile(u"/home/ann/Budget/plan.ods"_s)}}, std::nullopt, 4);
    store.add(RichTextContent{"{\\rtf1 ignored}"_ba, u"Styled Words"_s}, std::nullopt, 5);
    store.setPinned(true, store.items().first().id);
    const QList<ClipItem> items = store.items();
    QCOMPARE(texts(ClipStore::search(items, u"ÉCOLE"_s)),
             QStringList({u"decomposed: e\u0301cole"_s, u"Meet at the école"_s}));
    QCOMPARE(ClipStore::search(items, u"   "_s).size(), 0);
    QCOMPARE(ClipStore::search(items, u"\n\t"_s).size(), 0);
    QCOMPARE(texts(ClipStore::search(items, u"  styled words \n"_s)),
             QStringList({u"Styled Words"_s}));
    QCOMPARE(ClipStore::search(items, u"budget"_s).size(), 0);
    QCOMPARE(ClipStore::search(items, u"PLAN.ODS"_s).size(), 1);
    QCOMPARE(ClipStore::search(items, u"png"_s).size(), 0);

    // An index kept between searches follows the history it is given.
    SearchIndex index;
    QCOMPARE(index.search(items, u"école"_s).size(), 2);
    store.deleteItem(ClipStore::search(items, u"meet at"_s).first().id);
    store.add(textClip(u"ÉCOLE again"_s), std::nullopt, 6);
    QCOMPARE(texts(index.search(store.items(), u"école"_s)),
             QStringList({u"ÉCOLE again"_s, u"decomposed: e\u0301cole"_s}));
}

void ClipStoreTest::substringsAreFoundWhereverTheyLie() {
    // Every place in texts longer and shorter than a block of sixteen, and
    // near misses that share the needle's first and last bytes.
    const QList<QByteArray> needles{"a"_ba, "ab"_ba, "abc"_ba,
                                    "\xc3\xa9"
                                    "cole"_ba,
                                    "abcdefghijklmnopqrstu"_ba};
    for (const QByteArray& needle : needles) {
        const SubstringFinder finder(needle);
        for (int size : {0, 1, 15, 16, 17, 31, 33, 64, 100}) {
            const QByteArray base(size, '.');
            QVERIFY(!finder.isFoundIn(base));
            for (int at = 0; at + needle.size() <= size; ++at) {
                QByteArray text = base;
                text.replace(at, needle.size(), needle);
                QVERIFY2(finder.isFoundIn(text), needle + " at " + QByteArray::number(at));
                if (needle.size() > 2) {
                    text[at + 1] = '#';
                    QVERIFY2(!finder.isFoundIn(text), needle + " near " + QByteArray::number(at));
                }
            }
        }
    }
}

void ClipStoreTest::textsOfMegabytesAreSearchedWindowByWindow() {
    // Long texts are folded a piece at a time: a match is found wherever it
    // lies against a piece's edge, in any case, accented or beyond the
    // basic plane, and a near miss is not.
    const qsizetype edge = SearchIndex::windowLength;
    const QString needle = u"Ünïcode 𝄞 Straße"_s;
    const qsizetype length = SearchIndex::keptTextLimit + 3 * edge;
    for (qsizetype at : {qsizetype(0), edge - 1, edge - 7, 2 * edge - 16, length - needle.size()}) {
        QString text(length, u'.');
        text.replace(at, needle.size(), needle.toUpper());
        const QList<ClipItem> items{{QUuid::createUuid(), 1, std::nullopt, TextContent{text}}};
        SearchIndex index;
        QVERIFY2(index.search(items, u"ünïcode 𝄞 strasse"_s).size() == 1,
                 QByteArray::number(at).constData());
        QVERIFY2(index.search(items, u"ünïcode 𝄞 strasse!"_s).isEmpty(),
                 QByteArray::number(at).constData());
        QCOMPARE(index.search(items, u"ü"_s).size(), 1);
    }
}

QTEST_GUILESS_MAIN(ClipStoreTest)
#include "ClipStoreTest.moc"
