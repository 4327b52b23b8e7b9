#include "capture/ClipClassification.h"

#include "support/TemporaryHistory.h"

#include <QBuffer>
#include <QImage>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray encoded(const char* format, QColor colour) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

PasteboardSnapshot withString(const QString& text) {
    PasteboardSnapshot snapshot;
    snapshot.string = text;
    return snapshot;
}

QUrl file(const QString& path) {
    return QUrl::fromLocalFile(path);
}

// An optional clip as a test column (QMetaType cannot take std::optional of a
// variant directly).
struct Expected {
    Expected() = default;
    Expected(ClipContent value) : content(std::move(value)) {}
    std::optional<ClipContent> content;
};

} // namespace

class ClipClassificationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void priorityAndFallThrough_data();
    void priorityAndFallThrough();
    void otherImageFormatsBecomePng();
    void richTextWithoutPlainTextUsesTheRtfText();
};

void ClipClassificationTest::priorityAndFallThrough_data() {
    QTest::addColumn<PasteboardSnapshot>("snapshot");
    QTest::addColumn<Expected>("expected");
    const QByteArray png = pngBytes(7);
    const QUrl web(u"https://example.com/page"_s);
    using Result = Expected;

    PasteboardSnapshot s;
    QTest::newRow("nothing offered") << s << Result();

    s = {};
    s.fileURLs = {file(u"/a"_s), file(u"/b"_s)};
    s.png = png;
    s.string = u"a\nb"_s;
    QTest::newRow("files beat an image")
        << s << Result(FilesContent{{file(u"/a"_s), file(u"/b"_s)}});

    s = {};
    s.png = png;
    s.tiff = encoded("TIFF", Qt::blue);
    s.rtf = "{\\rtf1 x}"_ba;
    QTest::newRow("PNG beats TIFF and RTF") << s << Result(ImageContent{png});

    s = {};
    s.png = QByteArray();
    s.string = u"caption"_s;
    QTest::newRow("empty PNG is ignored") << s << Result(TextContent{u"caption"_s});

    s = {};
    s.tiff = "not a tiff"_ba;
    s.string = u"caption"_s;
    QTest::newRow("undecodable TIFF falls through") << s << Result(TextContent{u"caption"_s});

    s = {};
    s.rtf = "{\\rtf1 bold}"_ba;
    s.string = u" bold "_s;
    QTest::newRow("RTF with the offered plain text, untrimmed")
        << s << Result(RichTextContent{"{\\rtf1 bold}"_ba, u" bold "_s});

    s = {};
    s.rtf = "{\\rtf1 x}"_ba;
    s.string = QString(u""_s);
    QTest::newRow("RTF with empty plain text")
        << s << Result(RichTextContent{"{\\rtf1 x}"_ba, QString()});

    s = {};
    s.rtf = QByteArray();
    s.string = u"plain"_s;
    QTest::newRow("empty RTF is skipped") << s << Result(TextContent{u"plain"_s});

    s = {};
    s.webURLs = {web};
    QTest::newRow("URL object alone") << s << Result(LinkContent{web});

    s = withString(u"  https://example.com/page\n"_s);
    s.webURLs = {web};
    QTest::newRow("URL object agreeing with the text") << s << Result(LinkContent{web});

    s = withString(u" \t"_s);
    s.webURLs = {web};
    QTest::newRow("URL object with blank text") << s << Result(LinkContent{web});

    s = withString(u"Example page"_s);
    s.webURLs = {web};
    QTest::newRow("link title wins as text") << s << Result(TextContent{u"Example page"_s});

    QTest::newRow("typed https address")
        << withString(u"  https://example.com/a?b=c \n"_s)
        << Result(LinkContent{QUrl(u"https://example.com/a?b=c"_s)});
    QTest::newRow("typed address, scheme in capitals")
        << withString(u"HTTPS://Example.com/Path"_s)
        << Result(LinkContent{QUrl(u"https://example.com/Path"_s)});
    QTest::newRow("typed address whose escapes QUrl rewrites")
        << withString(u"https://example.com/a%2fb"_s)
        << Result(TextContent{u"https://example.com/a%2fb"_s});
    QTest::newRow("mail address") << withString(u"mailto:ann@example.com"_s)
                                  << Result(TextContent{u"mailto:ann@example.com"_s});
    QTest::newRow("ftp address") << withString(u"ftp://example.com/f"_s)
                                 << Result(TextContent{u"ftp://example.com/f"_s});
    QTest::newRow("words before an address") << withString(u"see https://example.com"_s)
                                             << Result(TextContent{u"see https://example.com"_s});
    QTest::newRow("address with a space") << withString(u"https://example.com/a b"_s)
                                          << Result(TextContent{u"https://example.com/a b"_s});
    QTest::newRow("white space only") << withString(u" \t\n\r\u00a0\u2003"_s) << Result();
    QTest::newRow("text kept exactly")
        << withString(u"\n  indented\t\n"_s) << Result(TextContent{u"\n  indented\t\n"_s});
}

void ClipClassificationTest::priorityAndFallThrough() {
    QFETCH(PasteboardSnapshot, snapshot);
    QFETCH(Expected, expected);
    QCOMPARE(clipContent(snapshot), expected.content);
}

void ClipClassificationTest::otherImageFormatsBecomePng() {
    for (const char* format : {"TIFF", "BMP", "JPEG"}) {
        PasteboardSnapshot snapshot;
        snapshot.tiff = encoded(format, Qt::green);
        snapshot.string = u"ignored"_s;
        const auto content = clipContent(snapshot);
        QVERIFY2(content && std::holds_alternative<ImageContent>(*content), format);
        const QByteArray png = std::get<ImageContent>(*content).png();
        QVERIFY(png.startsWith("\x89PNG\r\n"));
        const QImage decoded = QImage::fromData(png, "PNG");
        QCOMPARE(decoded.size(), QSize(4, 3));
        QVERIFY(qAbs(decoded.pixelColor(1, 1).green() - 255) < 8);
    }
    // An empty image buffer fails to decode rather than being refused early.
    PasteboardSnapshot empty;
    empty.tiff = QByteArray();
    QCOMPARE(clipContent(empty), std::optional<ClipContent>());
}

void ClipClassificationTest::richTextWithoutPlainTextUsesTheRtfText() {
    PasteboardSnapshot snapshot;
    snapshot.rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Helvetica;}}\\f0 Caf\\'e9 \\b au lait\\b0\\par}"_ba;
    const auto content = clipContent(snapshot);
    QVERIFY(content);
    const auto& rich = std::get<RichTextContent>(*content);
    QCOMPARE(rich.rtf, *snapshot.rtf);
    QVERIFY(rich.plain.startsWith(u"Café au lait"_s));

    snapshot.rtf = "not rtf at all"_ba;
    QCOMPARE(std::get<RichTextContent>(*clipContent(snapshot)).plain, QString());
}

QTEST_GUILESS_MAIN(ClipClassificationTest)
#include "ClipClassificationTest.moc"
