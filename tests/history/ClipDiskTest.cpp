#include "history/ClipDisk.h"

#include "history/ClipStore.h"
#include "support/TemporaryHistory.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString idA = u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s;
const QString idB = u"7C9E6679-7425-40DE-944B-E07FC1F90AE7"_s;

QByteArray document(const QString& records) {
    return (u"{\"items\":["_s + records + u"]}"_s).toUtf8();
}

QString textRecord(const QString& id, const QString& extra = {}) {
    return u"{\"id\":\"%1\",\"capturedAt\":12.5,\"isPinned\":false,\"kind\":\"text\",\"text\":\"hi\"%2}"_s
        .arg(id, extra);
}

QList<ClipItem> load(const TemporaryHistory& dir) {
    return ClipStore(dir.path()).items();
}

} // namespace

class ClipDiskTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QStandardPaths::setTestModeEnabled(true); }
    void recordsHaveTheDocumentedShapeAndPlace();
    void documentLevelErrorsMakeTheWholeHistoryUnreadable_data();
    void documentLevelErrorsMakeTheWholeHistoryUnreadable();
    void recordLevelErrorsSkipOnlyThatRecord_data();
    void recordLevelErrorsSkipOnlyThatRecord();
    void lenientReadingOfOptionalMembers();
    void recordsOfNewerKindsAndOtherLetterCaseSurviveSaves();
    void missingOrSpecialFilesAreNeverRead();
    void encodedTextReadsBackExactly_data();
    void encodedTextReadsBackExactly();
    void strictBase64_data();
    void strictBase64();
};

void ClipDiskTest::recordsHaveTheDocumentedShapeAndPlace() {
    const QUuid id = QUuid::fromString(idA);
    const QList<ClipItem> items{
        {id, 1.25, std::nullopt, TextContent{u"a/b"_s}, false},
        {id, 2, u"org.app"_s, RichTextContent{"{\\rtf1 x}"_ba, u"x"_s}, true},
        {id, 3, std::nullopt, ImageContent{"png"_ba}, false},
        {id, 4, std::nullopt, FilesContent{{QUrl::fromLocalFile(u"/tmp/a b"_s)}}, false},
        {id, 5, std::nullopt, FilesContent{}, false},
        {id, 6, std::nullopt, LinkContent{QUrl(u"https://example.com/x y"_s)}, false},
    };
    const QByteArray bytes = ClipDisk::encode(items);
    QVERIFY(bytes.startsWith("{\"items\":[{\"id\":\"" + idA.toLatin1() +
                             "\",\"capturedAt\":1.25,\"isPinned\":false,\"kind\":\"text\","
                             "\"text\":\"a/b\"},{"));
    const QJsonArray records = QJsonDocument::fromJson(bytes).object().value("items"_L1).toArray();
    QCOMPARE(records.size(), 6);
    const QJsonObject text = records[0].toObject();
    QCOMPARE(text.keys(),
             QStringList({u"capturedAt"_s, u"id"_s, u"isPinned"_s, u"kind"_s, u"text"_s}));
    QCOMPARE(text.value("id"_L1).toString(), idA);
    QCOMPARE(text.value("capturedAt"_L1).toDouble(), 1.25);
    const QJsonObject rich = records[1].toObject();
    QCOMPARE(rich.value("kind"_L1).toString(), u"richText"_s);
    QCOMPARE(rich.value("rtf"_L1).toString(), u"e1xydGYxIHh9"_s);
    QCOMPARE(rich.value("plain"_L1).toString(), u"x"_s);
    QCOMPARE(rich.value("sourceBundleID"_L1).toString(), u"org.app"_s);
    QCOMPARE(rich.value("isPinned"_L1).toBool(), true);
    QCOMPARE(records[2].toObject().keys(),
             QStringList({u"capturedAt"_s, u"id"_s, u"isPinned"_s, u"kind"_s}));
    QCOMPARE(records[3].toObject().value("files"_L1).toArray(), QJsonArray({u"/tmp/a b"_s}));
    QCOMPARE(records[4].toObject().value("files"_L1).toArray(), QJsonArray());
    QCOMPARE(records[5].toObject().value("link"_L1).toString(), u"https://example.com/x%20y"_s);
    QCOMPARE(ClipDisk::encode({}), "{\"items\":[]}"_ba);
    // JSON has no NaN: a broken clock must not make the whole file unreadable.
    const QByteArray odd = ClipDisk::encode({{id, qQNaN(), std::nullopt, TextContent{}, false}});
    QVERIFY(ClipDisk::decode(odd).has_value());
    QCOMPARE(ClipDisk::defaultDirectory(),
             QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Velloq"_L1);
}

void ClipDiskTest::documentLevelErrorsMakeTheWholeHistoryUnreadable_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QString good = textRecord(idB);
    QTest::newRow("not JSON") << "{\"items\":["_ba;
    QTest::newRow("array at the top") << "[]"_ba;
    QTest::newRow("no items") << "{}"_ba;
    QTest::newRow("items mistyped") << "{\"items\":{}}"_ba;
    QTest::newRow("record not an object") << document(good + u",3"_s);
    QTest::newRow("isPinned missing") << document(
        good + u",{\"id\":\"%1\",\"capturedAt\":1,\"kind\":\"text\",\"text\":\"x\"}"_s.arg(idA));
    QTest::newRow("capturedAt as text") << document(
        u"{\"id\":\"%1\",\"capturedAt\":\"1\",\"isPinned\":false,\"kind\":\"text\",\"text\":\"x\"}"_s
            .arg(idA));
    QTest::newRow("kind missing") << document(
        u"{\"id\":\"%1\",\"capturedAt\":1,\"isPinned\":false,\"text\":\"x\"}"_s.arg(idA));
    QTest::newRow("id not a UUID") << document(textRecord(u"ABC"_s));
    QTest::newRow("id in braces") << document(textRecord(u"{"_s + idA + u"}"_s));
    QTest::newRow("optional text mistyped") << document(
        u"{\"id\":\"%1\",\"capturedAt\":1,\"isPinned\":false,\"kind\":\"text\",\"text\":5}"_s.arg(
            idA));
    QTest::newRow("sourceBundleID mistyped")
        << document(textRecord(idA, u",\"sourceBundleID\":1"_s));
    QTest::newRow("file path mistyped") << document(textRecord(idA, u",\"files\":[\"/a\",2]"_s));
}

void ClipDiskTest::documentLevelErrorsMakeTheWholeHistoryUnreadable() {
    QFETCH(QByteArray, bytes);
    TemporaryHistory dir;
    dir.writeHistoryFile(bytes);
    ClipStore store(dir.path());
    QVERIFY(store.items().isEmpty());
    QVERIFY(store.startedFromUnreadableHistory());
    QCOMPARE(dir.readHistoryFile(), bytes);
}

void ClipDiskTest::recordLevelErrorsSkipOnlyThatRecord_data() {
    QTest::addColumn<QString>("record");
    const auto withKind = [](const QString& kind, const QString& members) {
        return u"{\"id\":\"%1\",\"capturedAt\":1,\"isPinned\":true,\"kind\":\"%2\"%3}"_s.arg(
            idA, kind, members);
    };
    QTest::newRow("unknown kind") << withKind(u"video"_s, u",\"text\":\"x\""_s);
    QTest::newRow("text without text") << withKind(u"text"_s, u",\"link\":\"https://a.b\""_s);
    QTest::newRow("rtf with a line break")
        << withKind(u"richText"_s, u",\"rtf\":\"e1xydGYx\\nIHh9\",\"plain\":\"x\""_s);
    QTest::newRow("rtf without plain") << withKind(u"richText"_s, u",\"rtf\":\"e1xydGYxIHh9\""_s);
    QTest::newRow("link that is no URL") << withKind(u"link"_s, u",\"link\":\"http://a b\""_s);
    QTest::newRow("files without files") << withKind(u"files"_s, QString());
    QTest::newRow("image without a file") << withKind(u"image"_s, QString());
}

void ClipDiskTest::recordLevelErrorsSkipOnlyThatRecord() {
    QFETCH(QString, record);
    TemporaryHistory dir;
    dir.writeHistoryFile(document(record + u","_s + textRecord(idB)));
    ClipStore store(dir.path());
    QVERIFY(!store.startedFromUnreadableHistory());
    QCOMPARE(store.items().size(), 1);
    QCOMPARE(idText(store.items().first().id), idB);
}

void ClipDiskTest::lenientReadingOfOptionalMembers() {
    TemporaryHistory dir;
    const QString records =
        textRecord(idA.toLower(), u",\"sourceBundleID\":null,\"extra\":{\"ignored\":true}"_s) +
        u",{\"id\":\"%1\",\"capturedAt\":3,\"isPinned\":false,\"kind\":\"link\",\"link\":\"https:\\/\\/example.com\\/p\"}"_s
            .arg(idB) +
        u",{\"id\":\"11111111-2222-3333-4444-555555555555\",\"capturedAt\":4,\"isPinned\":false,\"kind\":\"files\",\"files\":[]}"_s +
        u",{\"id\":\"21111111-2222-3333-4444-555555555555\",\"capturedAt\":5,\"isPinned\":false,\"kind\":\"richText\",\"rtf\":\"\",\"plain\":\"\"}"_s +
        // A repeated id: the first record stands.
        u",{\"id\":\"%1\",\"capturedAt\":9,\"isPinned\":true,\"kind\":\"text\",\"text\":\"second\"}"_s
            .arg(idA) +
        // A URL would read "//Server" as a host, and "///x" as no path at all.
        u",{\"id\":\"31111111-2222-3333-4444-555555555555\",\"capturedAt\":6,\"isPinned\":true,\"kind\":\"files\",\"files\":[\"///x\",\"//Server/a\"]}"_s;
    dir.writeHistoryFile(document(records));
    ClipStore store(dir.path());
    const QList<ClipItem> items = store.items();
    QCOMPARE(items.size(), 5);
    QCOMPARE(idText(items[0].id), idA);
    QCOMPARE(items[0].content, ClipContent(TextContent{u"hi"_s}));
    QVERIFY(!items[0].sourceBundleID);
    QCOMPARE(items[1].content, ClipContent(LinkContent{QUrl(u"https://example.com/p"_s)}));
    QCOMPARE(items[2].content, ClipContent(FilesContent{}));
    QCOMPARE(items[3].content, ClipContent(RichTextContent{}));
    const ClipContent root =
        FilesContent{{QUrl::fromLocalFile(u"/x"_s), QUrl::fromLocalFile(u"/Server/a"_s)}};
    QCOMPARE(items[4].content, root);
    // Neither the repeated record comes back nor do the paths change when saved.
    store.deleteItem(items[0].id);
    const QList<ClipItem> reloaded = load(dir);
    QCOMPARE(reloaded.size(), 4);
    QCOMPARE(reloaded, store.items());
}

void ClipDiskTest::recordsOfNewerKindsAndOtherLetterCaseSurviveSaves() {
    TemporaryHistory dir;
    const QString future =
        u"{\"capturedAt\":3,\"id\":\"%1\",\"isPinned\":true,\"kind\":\"video\",\"x\":[1]}"_s.arg(
            idB);
    const QString lowerImage =
        u"{\"id\":\"%1\",\"capturedAt\":2,\"isPinned\":false,\"kind\":\"image\"}"_s.arg(
            idA.toLower());
    QVERIFY(QDir().mkpath(dir.imagesFolder()));
    QFile png(dir.imagesFolder() + u'/' + idA.toLower() + ".png"_L1);
    QVERIFY(png.open(QIODevice::WriteOnly) && png.write(pngBytes(2)) > 0);
    png.close();
    dir.writeHistoryFile(document(future + u',' + lowerImage));
    {
        ClipStore store(dir.path());
        QCOMPARE(store.items().size(), 1);
        store.add(textClip(u"next"_s), std::nullopt, 4);
    }
    const QJsonArray records =
        QJsonDocument::fromJson(dir.readHistoryFile()).object().value("items"_L1).toArray();
    QCOMPARE(records.size(), 3);
    QVERIFY(records.contains(QJsonDocument::fromJson(future.toUtf8()).object()));
    QCOMPARE(QDir(dir.imagesFolder()).entryList(QDir::Files), QStringList{idA + ".png"_L1});
    QCOMPARE(load(dir).size(), 2);

    // Clearing everything leaves nothing behind, shown or not.
    ClipStore(dir.path()).clearAll();
    QCOMPARE(QJsonDocument::fromJson(dir.readHistoryFile()).object().value("items"_L1).toArray(),
             QJsonArray());
}

void ClipDiskTest::missingOrSpecialFilesAreNeverRead() {
    TemporaryHistory dir;
    const QString imageRecord =
        u"{\"id\":\"%1\",\"capturedAt\":2,\"isPinned\":true,\"kind\":\"image\"}"_s;
    const QString idC = u"11111111-2222-3333-4444-555555555555"_s;
    dir.writeHistoryFile(
        document(imageRecord.arg(idA) + u',' + imageRecord.arg(idB) + u',' + imageRecord.arg(idC)));
    QVERIFY(QDir().mkpath(dir.imagesFolder()));
    QVERIFY(QFile::link(u"/dev/zero"_s, dir.imagesFolder() + u'/' + idA + ".png"_L1));
    QVERIFY(::mkfifo(QFile::encodeName(dir.imagesFolder() + u'/' + idB + ".png"_L1), 0600) == 0);
    {
        // The picture of idC is missing: its record goes at the next save.
        ClipStore store(dir.path());
        QVERIFY(store.items().isEmpty());
        QVERIFY(dir.readHistoryFile().contains(idC.toLatin1()));
        store.add(textClip(u"next"_s), std::nullopt, 3);
        QVERIFY(!dir.readHistoryFile().contains(idC.toLatin1()));
    }
    QVERIFY(QFile::remove(dir.historyFile()));
    QVERIFY(::mkfifo(QFile::encodeName(dir.historyFile()), 0600) == 0);
    ClipStore store(dir.path());
    QVERIFY(store.items().isEmpty());
    QVERIFY(store.startedFromUnreadableHistory());
}

void ClipDiskTest::encodedTextReadsBackExactly_data() {
    QTest::addColumn<QString>("text");
    QString controls;
    for (char16_t c = 0; c < 0x20; ++c)
        controls.append(QChar(c));
    QTest::newRow("control characters") << controls + u"\u007f"_s;
    QTest::newRow("quotes and backslashes") << u"say \"\\n\" and \\\\ / \\u0041"_s;
    QTest::newRow("beyond ASCII") << u"é ü 漢字 🎉 \u2028\u2029"_s;
    QTest::newRow("empty") << QString();
    // Valid JSON escapes, yet no UTF-8 can hold them.
    QTest::newRow("lone surrogates") << u"a"_s + QChar(0xd800) + u"b"_s + QChar(0xdc00);
}

void ClipDiskTest::encodedTextReadsBackExactly() {
    QFETCH(QString, text);
    TemporaryHistory dir;
    QList<ClipItem> saved;
    {
        ClipStore store(dir.path());
        store.add(TextContent{text}, text, 1);
        QString name = text;
        name.remove(QChar(0)).replace(u'/', u'_');
        store.add(FilesContent{{QUrl::fromLocalFile(u"/tmp/"_s + name)}}, std::nullopt, 2);
        saved = store.items();
    }
    QCOMPARE(ClipStore(dir.path()).items(), saved);
}

void ClipDiskTest::strictBase64_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QString() << true << QByteArray();
    QTest::newRow("two fill characters") << u"YQ=="_s << true << "a"_ba;
    QTest::newRow("one fill character") << u"YWI="_s << true << "ab"_ba;
    QTest::newRow("all of the alphabet") << u"+/+/"_s << true << "\xfb\xff\xbf"_ba;
    QTest::newRow("fill left out") << u"YQ"_s << false << QByteArray();
    QTest::newRow("space inside") << u"YW I="_s << false << QByteArray();
    QTest::newRow("trailing line break") << u"YWI=\n"_s << false << QByteArray();
    QTest::newRow("URL alphabet") << u"-_-_"_s << false << QByteArray();
    QTest::newRow("fill in the middle") << u"Y=Ej"_s << false << QByteArray();
    QTest::newRow("three fill characters") << u"Y==="_s << false << QByteArray();
}

void ClipDiskTest::strictBase64() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QByteArray, bytes);
    const auto decoded = decodeStrictBase64(text);
    QCOMPARE(decoded.has_value(), valid);
    if (valid)
        QCOMPARE(*decoded, bytes);
}

QTEST_GUILESS_MAIN(ClipDiskTest)
#include "ClipDiskTest.moc"
