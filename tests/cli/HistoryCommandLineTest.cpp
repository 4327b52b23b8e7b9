#include "cli/HistoryCommandLine.h"

#include "history/ClipStore.h"
#include "support/TemporaryHistory.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

struct Outcome {
    int code;
    QString out;
    QString err;
};

// Runs one command against the history in `dir`, with `input` as standard input.
Outcome run(const TemporaryHistory& dir, QStringList arguments, const QByteArray& input = {}) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    HistoryCommandLine commandLine(outStream, errStream);
    commandLine.readStandardInput = [input] { return input; };
    commandLine.now = [] {
        static double clock = 1000;
        return clock += 1;
    };
    commandLine.lockTimeoutMs = 200;
    arguments << u"--data-dir"_s << dir.path();
    const int code = commandLine.run(arguments);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}

QString writeFile(const TemporaryHistory& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.path() + u'/' + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

} // namespace

class HistoryCommandLineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QStandardPaths::setTestModeEnabled(true); }
    void addListAndSearch();
    void listingNeverPassesTerminalControls();
    void addsEveryKind();
    void largePhotosAreAddedAndPictureBombsRefused();
    void refusedInputWritesNothing_data();
    void refusedInputWritesNothing();
    void changesByIdOrPrefix();
    void busyHistoryFailsAfterWaiting();
    void unreadableHistoryIsReportedAndKept();
    void failedSavesPrintNoIdAndLeaveNoFile();
    void pastePlainHandsOverTheTextOnly();
};

void HistoryCommandLineTest::addListAndSearch() {
    TemporaryHistory dir;
    const Outcome added = run(dir, {u"add"_s}, "first line\nsecond line"_ba);
    QCOMPARE(added.code, 0);
    QVERIFY(!QUuid::fromString(added.out.trimmed()).isNull());
    QCOMPARE(run(dir, {u"add"_s}, "Crème brûlée"_ba).code, 0);
    const Outcome listed = run(dir, {u"list"_s});
    QCOMPARE(listed.code, 0);
    const QStringList lines = listed.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].startsWith(u"  1  "_s));
    QVERIFY(lines[0].endsWith(u"text         Crème brûlée"_s));
    QVERIFY(lines[1].endsWith(u"first line second line"_s)); // one line per entry
    QVERIFY(lines[1].contains(added.out.left(8)));
    QCOMPARE(run(dir, {u"list"_s, u"--limit"_s, u"1"_s}).out.count(u'\n'), 1);
    const Outcome found = run(dir, {u"search"_s, u"  CRÈME "_s});
    QCOMPARE(found.code, 0);
    QVERIFY(found.out.contains(u"Crème brûlée"_s));
    QVERIFY(!found.out.contains(u"first line"_s));
    QCOMPARE(run(dir, {u"search"_s, u"nothing like this"_s}).out, QString());

    // JSON output is the stored record form, newest first.
    const QJsonArray stored =
        QJsonDocument::fromJson(dir.readHistoryFile()).object().value("items"_L1).toArray();
    const QString json = run(dir, {u"list"_s, u"--json"_s}).out;
    QCOMPARE(QJsonDocument::fromJson(json.toUtf8()).array(), QJsonArray({stored[1], stored[0]}));
    const QString foundJson = run(dir, {u"search"_s, u"brûlée"_s, u"--json"_s}).out;
    QVERIFY(foundJson.endsWith(u"}]\n"_s));
    QCOMPARE(QJsonDocument::fromJson(foundJson.toUtf8()).array(), QJsonArray{stored[1]});
}

void HistoryCommandLineTest::listingNeverPassesTerminalControls() {
    TemporaryHistory dir;
    const QByteArray hostile = "innocent\x1b[2J\x1b]0;PWNED\x07\x00\x7f\u202e\xc2\x9b"_ba;
    QCOMPARE(run(dir, {u"add"_s}, hostile).code, 0);
    const QString listed = run(dir, {u"list"_s}).out;
    QVERIFY2(listed.endsWith(u"innocent\\e[2J\\e]0;PWNED␇␀␡\\u202e\\u009b\n"_s),
             qPrintable(listed));
    const QJsonArray json =
        QJsonDocument::fromJson(run(dir, {u"list"_s, u"--json"_s}).out.toUtf8()).array();
    QCOMPARE(json[0].toObject().value("text"_L1).toString(), QString::fromUtf8(hostile));
}

void HistoryCommandLineTest::addsEveryKind() {
    TemporaryHistory dir;
    const QString png = writeFile(dir, u"picture.png"_s, pngBytes(4));
    QImage bitmap(3, 3, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    const QString bmp = dir.path() + "/picture.bmp"_L1;
    QVERIFY(bitmap.save(bmp, "BMP"));
    const QString rtf = writeFile(dir, u"doc.rtf"_s, "{\\rtf1\\ansi Hello}"_ba);
    QCOMPARE(run(dir, {u"add"_s, u"--image"_s, png}).code, 0);
    QCOMPARE(run(dir, {u"add"_s, u"--image"_s, bmp}).code, 0);
    QCOMPARE(run(dir, {u"add"_s, u"--rtf"_s, rtf, u"--plain"_s, u"Hello"_s}).code, 0);
    QCOMPARE(run(dir, {u"add"_s, u"--file"_s, png, dir.path() + "/./doc.rtf"_L1}).code, 0);
    const QList<ClipItem> items = ClipStore(dir.path()).items();
    QCOMPARE(items.size(), 4);
    QCOMPARE(items[0].content, ClipContent(ImageContent{pngBytes(4)}));
    const QByteArray converted = std::get<ImageContent>(items[1].content).png();
    QVERIFY(converted.startsWith("\x89PNG"));
    QCOMPARE(QImage::fromData(converted).pixelColor(1, 1), QColor(Qt::red));
    QCOMPARE(items[2].content, ClipContent(RichTextContent{"{\\rtf1\\ansi Hello}"_ba, u"Hello"_s}));
    QCOMPARE(items[3].content,
             ClipContent(FilesContent{
                 {QUrl::fromLocalFile(png), QUrl::fromLocalFile(dir.path() + "/doc.rtf"_L1)}}));
}

void HistoryCommandLineTest::largePhotosAreAddedAndPictureBombsRefused() {
    // A PNG is judged by its header and kept as it is, as the running Velloq
    // keeps a copied one: a 64 MP photo is added without unpacking it, a
    // header claiming 400 MP is refused.
    TemporaryHistory dir;
    const QString photo = writeFile(dir, u"photo.png"_s, pngClaiming(8000, 8000));
    const Outcome added = run(dir, {u"add"_s, u"--image"_s, photo});
    QVERIFY2(added.code == 0, qPrintable(added.err));
    QCOMPARE(std::get<ImageContent>(ClipStore(dir.path()).items().first().content).pixelSize(),
             QSize(8000, 8000));
    const QString bomb = writeFile(dir, u"bomb.png"_s, pngClaiming(20000, 20000));
    const Outcome refused = run(dir, {u"add"_s, u"--image"_s, bomb});
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.err.contains(u"not an image this system can read"_s), qPrintable(refused.err));
    QCOMPARE(ClipStore(dir.path()).items().size(), 1);
}

void HistoryCommandLineTest::refusedInputWritesNothing_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    const QByteArray none;
    QTest::newRow("empty input") << u"add"_s << none << 1;
    QTest::newRow("input not UTF-8") << u"add"_s << "\xff\xfe bad"_ba << 1;
    QTest::newRow("relative link") << u"add --link example"_s << none << 1;
    QTest::newRow("file link") << u"add --link file:///etc/hosts"_s << none << 1;
    QTest::newRow("missing file") << u"add --file /no/such/file"_s << none << 1;
    QTest::newRow("no file given") << u"add --file"_s << none << 2;
    QTest::newRow("not an image") << u"add --image /etc/hostname"_s << none << 1;
    QTest::newRow("missing image") << u"add --image /no/such.png"_s << none << 1;
    QTest::newRow("rtf without plain") << u"add --rtf /etc/hostname"_s << none << 2;
    QTest::newRow("rtf that is not RTF") << u"add --rtf /etc/hostname --plain x"_s << none << 1;
    QTest::newRow("two kinds") << u"add --link https://a.b --image x.png"_s << none << 2;
    QTest::newRow("stray argument") << u"add words"_s << "text"_ba << 2;
    QTest::newRow("unknown option") << u"add --verbose"_s << "text"_ba << 2;
    QTest::newRow("unknown command") << u"frobnicate"_s << none << 2;
    QTest::newRow("bad limit") << u"list --limit -1"_s << none << 2;
    QTest::newRow("unknown id") << u"pin 00000000-0000-0000-0000-000000000000"_s << none << 1;
    QTest::newRow("short id") << u"delete 0F8F"_s << none << 2;
    QTest::newRow("id missing") << u"unpin"_s << none << 2;
    QTest::newRow("copy without a running Velloq") << u"copy 00000000"_s << none << 2;
    QTest::newRow("show without a running Velloq") << u"show"_s << none << 2;
    QTest::newRow("toggle with an argument") << u"toggle now"_s << none << 2;
    QTest::newRow("settings without a running Velloq") << u"settings"_s << none << 2;
    QTest::newRow("menu with an argument") << u"menu now"_s << none << 2;
}

void HistoryCommandLineTest::refusedInputWritesNothing() {
    QFETCH(QString, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    TemporaryHistory dir;
    QCOMPARE(run(dir, {u"add"_s}, "existing"_ba).code, 0);
    const QByteArray before = dir.readHistoryFile();
    const Outcome outcome = run(dir, arguments.split(u' '), input);
    QCOMPARE(outcome.code, code);
    QVERIFY(outcome.err.startsWith(u"velloq: "_s));
    QCOMPARE(dir.readHistoryFile(), before);
}

void HistoryCommandLineTest::changesByIdOrPrefix() {
    TemporaryHistory dir;
    const QString first = run(dir, {u"add"_s}, "one"_ba).out.trimmed();
    const QString second = run(dir, {u"add"_s}, "two"_ba).out.trimmed();
    QCOMPARE(run(dir, {u"pin"_s, first.left(8).toLower()}).code, 0);
    QVERIFY(ClipStore(dir.path()).items().first().isPinned);
    QCOMPARE(run(dir, {u"unpin"_s, first}).code, 0);
    QVERIFY(!ClipStore(dir.path()).items().first().isPinned);
    QCOMPARE(run(dir, {u"delete"_s, second.left(13)}).code, 0);
    QCOMPARE(ClipStore(dir.path()).items().size(), 1);
    QCOMPARE(run(dir, {u"clear"_s}).code, 0);
    QVERIFY(ClipStore(dir.path()).items().isEmpty());

    // Two ids sharing a prefix: the prefix alone names neither.
    dir.writeHistoryFile(
        "{\"items\":[{\"id\":\"ABCDEF01-0000-4000-8000-000000000001\",\"capturedAt\":1,"
        "\"isPinned\":false,\"kind\":\"text\",\"text\":\"a\"},"
        "{\"id\":\"ABCDEF01-0000-4000-8000-000000000002\",\"capturedAt\":2,"
        "\"isPinned\":false,\"kind\":\"text\",\"text\":\"b\"}]}"_ba);
    const Outcome ambiguous = run(dir, {u"delete"_s, u"abcdef01"_s});
    QCOMPARE(ambiguous.code, 1);
    QVERIFY(ambiguous.err.contains(u"matches 2 entries"_s));
    QCOMPARE(run(dir, {u"delete"_s, u"ABCDEF01-0000-4000-8000-000000000002"_s}).code, 0);
    QCOMPARE(ClipStore(dir.path()).items().size(), 1);
}

void HistoryCommandLineTest::busyHistoryFailsAfterWaiting() {
    TemporaryHistory dir;
    QLockFile holder(dir.path() + "/.lock"_L1);
    QVERIFY(holder.tryLock(0));
    const Outcome outcome = run(dir, {u"add"_s}, "blocked"_ba);
    QCOMPARE(outcome.code, 3);
    QVERIFY(outcome.err.contains(u"in use"_s));
    QVERIFY(!QFile::exists(dir.historyFile()));
    // Readers do not wait for writers: every save replaces the file whole.
    QCOMPARE(run(dir, {u"list"_s}).code, 0);
    holder.unlock();
    QCOMPARE(run(dir, {u"add"_s}, "now"_ba).code, 0);
}

void HistoryCommandLineTest::unreadableHistoryIsReportedAndKept() {
    TemporaryHistory dir;
    dir.writeHistoryFile("{broken"_ba);
    const Outcome listed = run(dir, {u"list"_s});
    QCOMPARE(listed.code, 0);
    QVERIFY(listed.err.contains(u"could not be read"_s));
    QCOMPARE(run(dir, {u"add"_s}, "fresh"_ba).code, 0);
    QCOMPARE(QDir(dir.path()).entryList({u"items.json.unreadable-*"_s}).size(), 1);
    QCOMPARE(ClipStore(dir.path()).items().size(), 1);
}

void HistoryCommandLineTest::failedSavesPrintNoIdAndLeaveNoFile() {
    TemporaryHistory dir;
    QCOMPARE(run(dir, {u"add"_s}, QByteArray(100000, 'a')).code, 0);
    const QString png = writeFile(dir, u"picture.png"_s, pngBytes(4));
    // A file size limit below the history file's size stands in for a full
    // disk: the picture fits, the history file does not.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    ::getrlimit(RLIMIT_FSIZE, &original);
    rlimit full = original;
    full.rlim_cur = 50000;
    ::setrlimit(RLIMIT_FSIZE, &full);
    QList<Outcome> outcomes;
    for (const QStringList& arguments : {QStringList{u"add"_s}, {u"add"_s, u"--image"_s, png}})
        outcomes.append(run(dir, arguments, "second"_ba));
    ::setrlimit(RLIMIT_FSIZE, &original);
    for (const Outcome& added : outcomes) {
        QCOMPARE(added.code, 1);
        QCOMPARE(added.out, QString());
        QVERIFY2(added.err.contains(u"nothing was added"_s), qPrintable(added.err));
    }
    QCOMPARE(QDir(dir.imagesFolder()).entryList(QDir::Files), QStringList());
    QCOMPARE(ClipStore(dir.path()).items().size(), 1);
    // A lock file that cannot be made is said plainly, not taken for a running Velloq.
    QVERIFY(QDir().mkdir(dir.path() + "/.lock"_L1));
    const Outcome locked = run(dir, {u"add"_s}, "third"_ba);
    QCOMPARE(locked.code, 1);
    QVERIFY2(locked.err.contains(u"is the folder writable?"_s), qPrintable(locked.err));
}

QTEST_GUILESS_MAIN(HistoryCommandLineTest)
#include "HistoryCommandLineTest.moc"

// `paste --plain` (and `copy --plain`) hand the running Velloq the plain
// form; without the flag the entry goes as it is, and `--plain` wants no value.
void HistoryCommandLineTest::pastePlainHandsOverTheTextOnly() {
    TemporaryHistory dir;
    ClipStore store(dir.path());
    store.add(RichTextContent{"{\\rtf1 {\\b bold} words}"_ba, u"bold words"_s}, std::nullopt, 1);
    const QString id = store.items().first().id.toString(QUuid::WithoutBraces);
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    HistoryCommandLine commandLine(outStream, errStream);
    commandLine.runningStore = &store;
    QList<std::pair<QString, ClipContent>> handed;
    commandLine.pasteItem = [&](const ClipItem& item) {
        handed.append({u"paste"_s, item.content});
    };
    commandLine.copyItem = [&](const ClipItem& item) { handed.append({u"copy"_s, item.content}); };
    const auto run = [&](QStringList arguments) {
        return commandLine.run(arguments << u"--data-dir"_s << dir.path());
    };
    QCOMPARE(run({u"paste"_s, u"--plain"_s, id}), 0);
    QCOMPARE(run({u"copy"_s, id, u"--plain"_s}), 0);
    QCOMPARE(run({u"paste"_s, id}), 0);
    QCOMPARE(run({u"paste"_s, u"--plain"_s}), 2);
    QCOMPARE(run({u"paste"_s, u"--plain=yes"_s, id}), 2);
    QCOMPARE(handed.size(), 3);
    QCOMPARE(handed[0], std::pair(u"paste"_s, ClipContent(TextContent{u"bold words"_s})));
    QCOMPARE(handed[1], std::pair(u"copy"_s, ClipContent(TextContent{u"bold words"_s})));
    QCOMPARE(handed[2].second.index(), ClipContent(RichTextContent{}).index());
}
