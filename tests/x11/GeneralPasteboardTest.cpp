#include "platform/x11/GeneralPasteboard.h"

#include "capture/ClipClassification.h"
#include "capture/PasteboardWatcher.h"
#include "support/HelperProcess.h"
#include "support/TemporaryHistory.h"

#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <qguiapplication_platform.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

xcb_connection_t* qtConnection() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

QByteArray imageBytes(const char* format, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class GeneralPasteboardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup() { m_owner.stop(); }
    void copiesByOtherClientsMoveTheCounter();
    void passwordManagerHintsAreSeenFromTargetsAlone_data();
    void passwordManagerHintsAreSeenFromTargetsAlone();
    void representationsAreReadAndClassified();
    void largeTransfersArriveWhole();
    void silentOwnerCostsAtMostTheBudget();
    void ownerStoppedMidTransferCostsAtMostTheBudget();
    void thousandsOfTargetsCostNoMoreThanTheBudget();
    void representationsOverTheLimitAreNotRead();
    void ownWritesCountOnceAndAtOnce();
    void aNewCopyEndsTheReadOfTheOneItReplaces();
    void anOwnerThatNeverAnswersNeverStallsTheCaller();

private:
    // Reads the current copy the way the watcher does; `m_callMs` is how long
    // the call itself took, `m_readMs` how long until the answer came.
    std::optional<PasteboardSnapshot> read();
    PasteboardSnapshot snapshot() { return read().value_or(PasteboardSnapshot()); }

    // Offers the given targets from the helper owner and waits until the
    // pasteboard has seen the change.
    void offer(const QStringList& arguments);
    QString file(const QString& name, const QByteArray& bytes);

    std::unique_ptr<GeneralPasteboard> m_pasteboard;
    HelperProcess m_owner;
    QTemporaryDir m_dir;
    qint64 m_callMs = 0;
    qint64 m_readMs = 0;
};

namespace {

// The longest the event loop went without running a 5 ms timer while `work`
// was being waited for.
qint64 longestStall(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    ticker.start();
    (void)QTest::qWaitFor(done, timeoutMs);
    return std::max(longest, clock.elapsed() - last);
}

} // namespace

void GeneralPasteboardTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !qtConnection())
        QFAIL("needs the X server that scripts/test starts (DISPLAY is not set)");
}

void GeneralPasteboardTest::init() {
    m_pasteboard =
        std::make_unique<GeneralPasteboard>(QGuiApplication::clipboard(), qtConnection());
}

QString GeneralPasteboardTest::file(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
    return path;
}

std::optional<PasteboardSnapshot> GeneralPasteboardTest::read() {
    std::optional<std::optional<PasteboardSnapshot>> answer;
    QElapsedTimer timer;
    timer.start();
    m_pasteboard->readSnapshot(
        [&](std::optional<PasteboardSnapshot> snapshot) { answer = std::move(snapshot); });
    m_callMs = timer.elapsed();
    if (!QTest::qWaitFor([&] { return answer.has_value(); }, 10000))
        qWarning("no answer to a clipboard read in 10 s");
    m_readMs = timer.elapsed();
    return answer.value_or(std::nullopt);
}

void GeneralPasteboardTest::offer(const QStringList& arguments) {
    const qint64 before = m_pasteboard->changeCount();
    QVERIFY(m_owner.start(helperPath("velloq-clipboard-owner"), arguments));
    QCOMPARE(m_owner.firstLine(), "ready"_ba);
    QTRY_VERIFY_WITH_TIMEOUT(m_pasteboard->changeCount() > before, 5000);
}

void GeneralPasteboardTest::copiesByOtherClientsMoveTheCounter() {
    const qint64 start = m_pasteboard->changeCount();
    QProcess xclip;
    xclip.start(u"xclip"_s, {u"-selection"_s, u"clipboard"_s});
    xclip.write("from xclip");
    xclip.closeWriteChannel();
    QVERIFY(xclip.waitForFinished(5000));
    QTRY_VERIFY_WITH_TIMEOUT(m_pasteboard->changeCount() > start, 5000);
    const qint64 seen = m_pasteboard->changeCount();
    QCOMPARE(snapshot().string, u"from xclip"_s);
    // Reading does not move the counter.
    QCOMPARE(m_pasteboard->changeCount(), seen);
}

void GeneralPasteboardTest::passwordManagerHintsAreSeenFromTargetsAlone_data() {
    QTest::addColumn<QString>("marker");
    QTest::newRow("KDE hint") << u"x-kde-passwordManagerHint=secret"_s;
    QTest::newRow("KDE hint, any value") << u"x-kde-passwordManagerHint=public"_s;
    QTest::newRow("concealed") << u"org.nspasteboard.ConcealedType="_s;
    QTest::newRow("transient") << u"org.nspasteboard.TransientType=1"_s;
}

void GeneralPasteboardTest::passwordManagerHintsAreSeenFromTargetsAlone() {
    QFETCH(QString, marker);
    offer({u"UTF8_STRING=hunter2"_s, marker, u"--exit-after-requests"_s, u"1"_s});
    QVERIFY(!read());
}

void GeneralPasteboardTest::representationsAreReadAndClassified() {
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Sans;}}\\f0 Hello \\b world\\b0\\par}"_ba;
    offer({u"text/rtf=@"_s + file(u"a.rtf"_s, rtf)});
    auto found = snapshot();
    QCOMPARE(found.rtf, rtf);
    QCOMPARE(found.string, std::nullopt);
    auto content = clipContent(found);
    QVERIFY(content && std::get<RichTextContent>(*content).plain.startsWith(u"Hello world"_s));
    m_owner.stop();

    const QByteArray png = imageBytes("PNG", 8, 8);
    offer({u"image/png=@"_s + file(u"a.png"_s, png),
           u"image/tiff=@"_s + file(u"a.tiff"_s, imageBytes("TIFF", 8, 8))});
    found = snapshot();
    QCOMPARE(found.png, png);
    QCOMPARE(clipContent(found), std::optional<ClipContent>(ImageContent{png}));
    m_owner.stop();

    offer({u"image/bmp=@"_s + file(u"a.bmp"_s, imageBytes("BMP", 5, 4))});
    content = clipContent(snapshot());
    QVERIFY(content && std::holds_alternative<ImageContent>(*content));
    QCOMPARE(QImage::fromData(std::get<ImageContent>(*content).png(), "PNG").size(), QSize(5, 4));
    m_owner.stop();

    offer({u"text/uri-list=file:///tmp/a%20b.txt\r\nfile:///etc/hosts\r\n"_s,
           u"x-special/gnome-copied-files=copy\nfile:///ignored"_s,
           u"UTF8_STRING=/tmp/a b.txt\n/etc/hosts"_s});
    content = clipContent(snapshot());
    QCOMPARE(content,
             std::optional<ClipContent>(FilesContent{
                 {QUrl::fromLocalFile(u"/tmp/a b.txt"_s), QUrl::fromLocalFile(u"/etc/hosts"_s)}}));
    m_owner.stop();

    offer({u"x-special/gnome-copied-files=cut\nfile:///srv/one"_s});
    QCOMPARE(snapshot().fileURLs, QList<QUrl>{QUrl(u"file:///srv/one"_s)});
    m_owner.stop();

    offer({u"text/uri-list=https://example.com/page\r\n"_s,
           u"UTF8_STRING=https://example.com/page"_s});
    QCOMPARE(clipContent(snapshot()),
             std::optional<ClipContent>(LinkContent{QUrl(u"https://example.com/page"_s)}));
}

void GeneralPasteboardTest::largeTransfersArriveWhole() {
    QByteArray text(5 * 1024 * 1024, 'x');
    for (qsizetype i = 0; i < text.size(); i += 1000)
        text[i] = char('a' + (i / 1000) % 26);
    offer({u"--incr-above"_s, u"65536"_s, u"UTF8_STRING=@"_s + file(u"big.txt"_s, text)});
    QCOMPARE(snapshot().string, QString::fromLatin1(text));
}

void GeneralPasteboardTest::silentOwnerCostsAtMostTheBudget() {
    offer({u"--silent"_s, u"UTF8_STRING=never sent"_s});
    QCOMPARE(snapshot(), PasteboardSnapshot());
    QVERIFY2(m_readMs < GeneralPasteboard::readBudgetMs + 300,
             qPrintable(QString::number(m_readMs)));
}

void GeneralPasteboardTest::ownerStoppedMidTransferCostsAtMostTheBudget() {
    const QByteArray text(3 * 1024 * 1024, 'y');
    offer({u"--incr-above"_s, u"65536"_s, u"--stop-after"_s, u"200000"_s,
           u"UTF8_STRING=@"_s + file(u"big.txt"_s, text)});
    const PasteboardSnapshot found = snapshot();
    QVERIFY2(m_readMs < GeneralPasteboard::readBudgetMs + 300,
             qPrintable(QString::number(m_readMs)));
    QCOMPARE(found.string, std::nullopt);
    // The next copy is read normally.
    m_owner.stop();
    offer({u"UTF8_STRING=after the stall"_s});
    QCOMPARE(snapshot().string, u"after the stall"_s);
}

void GeneralPasteboardTest::thousandsOfTargetsCostNoMoreThanTheBudget() {
    // Named one by one, 50,000 unknown targets took seconds of round trips.
    offer({u"--extra-targets"_s, u"50000"_s, u"UTF8_STRING=among many"_s});
    const PasteboardSnapshot found = snapshot();
    QVERIFY2(m_readMs < GeneralPasteboard::readBudgetMs + 300,
             qPrintable(QString::number(m_readMs)));
    QCOMPARE(found.string, u"among many"_s);
}

void GeneralPasteboardTest::representationsOverTheLimitAreNotRead() {
    const QByteArray text(300 * 1024, 'z');
    offer({u"--incr-above"_s, u"65536"_s, u"UTF8_STRING=@"_s + file(u"big.txt"_s, text),
           u"text/uri-list=https://example.com/"_s});
    m_pasteboard->setMaximumBytes(200 * 1024);
    const PasteboardSnapshot found = snapshot();
    QCOMPARE(found.string, std::nullopt);
    QCOMPARE(found.webURLs, QList<QUrl>{QUrl(u"https://example.com/"_s)});
    m_pasteboard->setMaximumBytes(400 * 1024);
    m_owner.stop();
    offer({u"--incr-above"_s, u"65536"_s, u"UTF8_STRING=@"_s + file(u"big.txt"_s, text)});
    QCOMPARE(snapshot().string, QString::fromLatin1(text));
}

void GeneralPasteboardTest::ownWritesCountOnceAndAtOnce() {
    offer({u"UTF8_STRING=someone else"_s});
    // Qt takes the clipboard with the time of the last event it saw, which
    // must be later than the current owner's; a root property change is one.
    QProcess::execute(u"xprop"_s, {u"-root"_s, u"-f"_s, u"VELLOQ_TEST_TIME"_s, u"8s"_s, u"-set"_s,
                                   u"VELLOQ_TEST_TIME"_s, u"now"_s});
    QTest::qWait(100);
    const qint64 before = m_pasteboard->changeCount();
    QGuiApplication::clipboard()->setText(u"written by us"_s);
    QCOMPARE(m_pasteboard->changeCount(), before + 1);
    // The X server's notice of our ownership arrives later and is not counted.
    QTest::qWait(300);
    QCOMPARE(m_pasteboard->changeCount(), before + 1);
    QVERIFY(QGuiApplication::clipboard()->ownsClipboard());
    QVERIFY(!read());
}

void GeneralPasteboardTest::aNewCopyEndsTheReadOfTheOneItReplaces() {
    offer({u"--silent"_s, u"UTF8_STRING=never sent"_s});
    std::optional<std::optional<PasteboardSnapshot>> overtaken;
    QElapsedTimer timer;
    timer.start();
    m_pasteboard->readSnapshot(
        [&](std::optional<PasteboardSnapshot> snapshot) { overtaken = std::move(snapshot); });
    QTest::qWait(100);
    QVERIFY(!overtaken);
    HelperProcess next;
    QVERIFY(next.start(helperPath("velloq-clipboard-owner"), {u"UTF8_STRING=the new copy"_s}));
    QCOMPARE(next.firstLine(), "ready"_ba);
    QTRY_VERIFY_WITH_TIMEOUT(overtaken.has_value(), 5000);
    QCOMPARE(*overtaken, std::nullopt);
    QVERIFY2(timer.elapsed() < GeneralPasteboard::readBudgetMs / 2,
             qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(snapshot().string, u"the new copy"_s);
}

void GeneralPasteboardTest::anOwnerThatNeverAnswersNeverStallsTheCaller() {
    // Each new ownership starts a read that can only time out or be replaced.
    offer({u"--silent"_s, u"--retake-every"_s, u"300"_s, u"UTF8_STRING=never sent"_s});
    PasteboardWatcher watcher(
        std::shared_ptr<PasteboardReading>(m_pasteboard.get(), [](PasteboardReading*) {}),
        [] { return std::nullopt; }, [] { return std::nullopt; }, 0.02);
    int captures = 0;
    watcher.onCapture = [&](const ClipContent&, const std::optional<QString>&) { ++captures; };
    watcher.start();
    const qint64 start = m_pasteboard->changeCount();
    const qint64 stall =
        longestStall([&] { return m_pasteboard->changeCount() >= start + 6; }, 10000);
    QVERIFY2(m_pasteboard->changeCount() >= start + 6, "the owner did not take the clipboard anew");
    QVERIFY2(stall < 100, qPrintable(QString::number(stall)));
    QCOMPARE(captures, 0);

    // A read that waits for a silent owner leaves the caller free as well.
    m_owner.stop();
    offer({u"--silent"_s, u"UTF8_STRING=never sent"_s});
    bool answered = false;
    m_pasteboard->readSnapshot([&](std::optional<PasteboardSnapshot>) { answered = true; });
    QVERIFY(!answered);
    QVERIFY(longestStall([&] { return answered; }, 5000) < 100);
    QVERIFY(answered);
}

QTEST_MAIN(GeneralPasteboardTest)
#include "GeneralPasteboardTest.moc"
