#include "capture/RtfReader.h"

#include "capture/RtfDocument.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

class RtfReaderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void extractsVisibleText_data();
    void extractsVisibleText();
    void decodesCodePages_data();
    void decodesCodePages();
    void rejectsNonRtf_data();
    void rejectsNonRtf();
    void everyTruncationYieldsAPrefix();
    void hostileInputGivesValidText();
    void nestingPastTheLimitCostsNothing();
    void largeDocumentInLinearTime();
    void formatsCharactersAndParagraphs();
    void coloursStayReadable();
    void readsLinks();
};

namespace {

const RtfDocument::Style lightStyle{QFont(u"Sans"_s, 20), Qt::black, QColor(0xf2f2f2)};
const RtfDocument::Style darkStyle{QFont(u"Sans"_s, 20), QColor(0xf0f0f0), QColor(0x262626)};

std::unique_ptr<QTextDocument> documentOf(const QByteArray& rtf,
                                          const RtfDocument::Style& style = lightStyle) {
    const std::optional<RtfText> text = RtfReader::read(rtf);
    return text ? RtfDocument::make(*text, style) : nullptr;
}

// The format of the last character of the first occurrence of `text`.
QTextCharFormat formatOf(const QTextDocument& document, const QString& text) {
    const QTextCursor found = document.find(text);
    return found.isNull() ? QTextCharFormat() : found.charFormat();
}

} // namespace

void RtfReaderTest::extractsVisibleText_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("TextEdit document") << R"({\rtf1\ansi\ansicpg1252\cocoartf2761
\cocoatextscaling0\cocoaplatform0{\fonttbl\f0\fswiss\fcharset0 Helvetica;}
{\colortbl;\red255\green255\blue255;\red0\green0\blue0;}
{\*\expandedcolortbl;;\cssrgb\c0\c0\c0;}
\pard\tx566\tx1133\pardirnatural\partightenfactor0

\f0\fs24 \cf0 Caf\'e9 au lait\
second line\par
})"_ba << u"Café au lait\nsecond line\n"_s;
    QTest::newRow("words, parameters, delimiters")
        << R"({\rtf1\fi-360\li720 a \b bold\b0  b\tab c\line d\cell e\row})"_ba
        << u"a bold b\tc\nd\te\n"_s;
    QTest::newRow("control symbols")
        << R"({\rtf1 a\\b\{c\}d\~e\-f\_g})"_ba << u"a\\b{c}d\u00a0ef\u2011g"_s;
    QTest::newRow("named characters")
        << R"({\rtf1\ldblquote x\rdblquote\lquote y\rquote\emdash\endash\bullet})"_ba
        << u"“x”‘y’—–•"_s;
    QTest::newRow("raw line breaks, NUL") << "{\\rtf1 ab\r\ncd\nef\\'00}"_ba << u"abcdef"_s;
    QTest::newRow("\\u with fallback") << R"({\rtf1 caf\u233e \u8364\'80})"_ba << u"café €"_s;
    QTest::newRow("\\uc0") << R"({\rtf1\uc0 \u8364 5})"_ba << u"€5"_s;
    QTest::newRow("\\uc2, words count as fallback")
        << R"({\rtf1\uc2\u8364 EUx\u8364\'80\i y})"_ba << u"€x€y"_s;
    QTest::newRow("\\uc scoped, fallback ends with group")
        << R"({\rtf1{\uc0 a}\u233 eb{\u233}c\u233{d}})"_ba << u"aébécéd"_s;
    QTest::newRow("surrogate pair") << R"({\rtf1 \u-10179?\u-8704?!})"_ba << u"\U0001F600!"_s;
    QTest::newRow("lone surrogates")
        << R"({\rtf1 a\u-10179?b\u-8704?c\u-10179?\u233?})"_ba << u"a\ufffdb\ufffdc\ufffdé"_s;
    QTest::newRow("destinations")
        << R"({\rtf1{\stylesheet{\s0 Normal;}}{\info{\author Ann}{\title T}}{\*\generator W;})"
           R"({\header h}{\footer f}{\*\unknown{\nested x}}{\listtable{\list l}}body})"_ba
        << u"body"_s;
    QTest::newRow("\\pict with hex data")
        << R"({\rtf1 a{\*\shppict{\pict\pngblip 89504e470d0a}}{\nonshppict{\pict 0100}}b})"_ba
        << u"ab"_s;
    QTest::newRow("\\bin holding braces")
        << "{\\rtf1 a{\\pict\\bin4 }}}x}b\\bin3 {x}c\\bin-5 d}"_ba << u"abcd"_s;
    QTest::newRow("fields")
        << R"({\rtf1 see {\field{\*\fldinst{HYPERLINK "https://x.org"}}{\fldrslt{\ul x.org}}})"
           R"(, {\field{\fldinst PAGE}{\fldrslt 3}}})"_ba
        << u"see x.org, 3"_s;
    QTest::newRow("nested groups") << R"({\rtf1 a{b{\i c{\b d}}e}f})"_ba << u"abcdef"_s;
    QTest::newRow("empty document") << R"({\rtf1})"_ba << QString();
    QTest::newRow("leading white space, trailing bytes") << " \r\n{\\rtf1 x}y"_ba << u"x"_s;
    QTest::newRow("truncated \\u") << R"({\rtf1 a\u)"_ba << u"a"_s;
    QTest::newRow("truncated pair") << R"({\rtf1 a\u-10179)"_ba << u"a\ufffd"_s;
    QTest::newRow("truncated \\bin") << R"({\rtf1 a\bin99 xy)"_ba << u"a"_s;
    QTest::newRow("unbalanced close") << R"({\rtf1 a}}b)"_ba << u"a"_s;
}

void RtfReaderTest::extractsVisibleText() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(RtfReader::plainText(rtf), std::optional(text));
}

void RtfReaderTest::decodesCodePages_data() {
    QTest::addColumn<QByteArray>("decoder");
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("Windows-1252 by default") << "windows-1252"_ba
                                             << R"({\rtf1\ansi \'93\'80\'e9\'94})"_ba << u"“€é”"_s;
    QTest::newRow("1251") << "windows-1251"_ba
                          << R"({\rtf1\ansi \'e9\ansicpg1251 \'cf\'f0\'e8\'e2\'e5\'f2})"_ba
                          << u"éПривет"_s;
    QTest::newRow("932, escaped pairs and a literal trail byte")
        << "cp932"_ba
        << R"({\rtf1\ansi\ansicpg932 \'82\'a0\'82\'a2\'83e})"_ba << u"あいテ"_s;
    QTest::newRow("UTF-16 ignored") << "cp1200"_ba
                                    << R"({\rtf1\ansicpg1200 Caf\'e9})"_ba << u"Café"_s;
    QTest::newRow("65001") << "UTF-8"_ba
                           << R"({\rtf1\ansicpg65001 \'c3\'a9})"_ba << u"é"_s;
}

void RtfReaderTest::decodesCodePages() {
    QFETCH(QByteArray, decoder);
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    if (!QStringDecoder(decoder.constData()).isValid())
        QSKIP("This Qt has no decoder for the code page");
    QCOMPARE(RtfReader::plainText(rtf), std::optional(text));
}

void RtfReaderTest::rejectsNonRtf_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("white space") << " \n"_ba;
    QTest::newRow("plain text") << "hello"_ba;
    QTest::newRow("cut header") << "{\\rt"_ba;
    QTest::newRow("no brace") << "\\rtf1 x}"_ba;
    QTest::newRow("space inside header") << "{ \\rtf1 x}"_ba;
}

void RtfReaderTest::rejectsNonRtf() {
    QFETCH(QByteArray, input);
    QCOMPARE(RtfReader::plainText(input), std::nullopt);
}

void RtfReaderTest::everyTruncationYieldsAPrefix() {
    const QByteArray rtf =
        R"({\rtf1\ansi\ansicpg1252{\fonttbl\f0\fswiss Helvetica;}{\colortbl;\red0\green0\blue0;})"
        R"({\*\generator G;}\ql\f0 Caf\'e9 {\b bold} \{x\}\par)"
        R"({\field{\*\fldinst HYPERLINK "a"}{\fldrslt link}}\tab end\par})"_ba;
    const QString full = u"Café bold {x}\nlink\tend\n"_s;
    QCOMPARE(RtfReader::plainText(rtf), std::optional(full));
    for (qsizetype length = 5; length < rtf.size(); ++length) {
        const std::optional<QString> text = RtfReader::plainText(rtf.first(length));
        QVERIFY2(text && full.startsWith(*text), rtf.first(length).constData());
    }
}

// Random token soup must neither crash (run under the sanitizers), nor yield
// broken UTF-16 from unpaired surrogates, nor lose track of paragraphs.
void RtfReaderTest::hostileInputGivesValidText() {
    const QByteArrayList tokens = {
        "{"_ba,          "}"_ba,    "\\"_ba,       "\\u-10179"_ba, "\\u-8704"_ba, "\\uc2"_ba,
        "\\'e9"_ba,      "\\'8"_ba, "\\bin3 "_ba,  "\\*"_ba,       "\\pict"_ba,   "\\par"_ba,
        "x"_ba,          " "_ba,    "-"_ba,        "7"_ba,         "\\u"_ba,      "\\ansicpg932"_ba,
        "\\colortbl"_ba, ";"_ba,    "\\red300"_ba, "\\cf2"_ba,     "\\cb1"_ba,    "\\fs-5"_ba,
        "\\qc"_ba,       "\\b"_ba,  "\\line"_ba};
    QRandomGenerator random(42);
    for (int round = 0; round < 3000; ++round) {
        QByteArray rtf = "{\\rtf1"_ba;
        for (int i = 0; i < 40; ++i)
            rtf += tokens.at(random.bounded(tokens.size()));
        const std::optional<RtfText> read = RtfReader::read(rtf);
        QVERIFY2(read && QStringView(read->text).isValidUtf16(), rtf.constData());
        // Every paragraph has its alignment, and the document holds them all.
        QCOMPARE(qsizetype(read->alignments.size()), read->text.count(u'\n') + 1);
        const auto document = RtfDocument::make(*read, lightStyle);
        const bool endsWithMark = read->text.endsWith(u'\n');
        QCOMPARE(document->blockCount(), int(read->alignments.size()) - (endsWithMark ? 1 : 0));
    }
    const int depth = 200'000;
    const QByteArray deep = "{\\rtf1"_ba + QByteArray(depth, '{') + "x" + QByteArray(depth, '}');
    QCOMPARE(RtfReader::plainText(deep), std::optional(u"x"_s));
}

void RtfReaderTest::nestingPastTheLimitCostsNothing() {
    // Groups past the deepest one kept are read as its text; it keeps its
    // format, and what follows the nest is read as before it.
    const auto past = [](const QByteArray& inner) {
        return "{\\rtf1 a {\\b b"_ba + QByteArray(RtfReader::maximumGroupDepth, '{') + inner +
               QByteArray(RtfReader::maximumGroupDepth, '}') + " c} d}";
    };
    const std::optional<RtfText> read = RtfReader::read(past("{{{x}}}"));
    QVERIFY(read);
    QCOMPARE(read->text, u"a bx c d"_s);
    QVERIFY(std::ranges::any_of(read->runs, [](const auto& run) { return run.format.bold; }));
    QCOMPARE(read->runs.back().format.bold, false);
    // Eight million of them: each took a group's state of its own (850 MB
    // for 30 MB of them), now nothing beyond the input.
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const QByteArray flood = "{\\rtf1 x"_ba + QByteArray(8'000'000, '{') + "y";
    QCOMPARE(RtfReader::plainText(flood), std::optional(u"xy"_s));
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    QVERIFY2(after.ru_maxrss - before.ru_maxrss < 100 * 1024,
             QByteArray::number(qint64(after.ru_maxrss - before.ru_maxrss)).constData());
}

void RtfReaderTest::largeDocumentInLinearTime() {
    const QByteArray paragraph = R"(\pard\f0\fs24 Caf\'e9 {\b bold} \u8212\'97 text\par)"
                                 "\n"_ba;
    const QByteArray picture = "{\\pict\\pngblip " + QByteArray(4000, 'a') + "}";
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}"_ba;
    int paragraphs = 0;
    for (; rtf.size() < 5'000'000; ++paragraphs)
        rtf += paragraphs % 100 == 0 ? picture + paragraph : paragraph;
    rtf += "}";
    QElapsedTimer timer;
    timer.start();
    const std::optional<QString> text = RtfReader::plainText(rtf);
    const qint64 elapsed = timer.elapsed();
    QVERIFY(text);
    QCOMPARE(text->count(u'\n'), paragraphs);
    QVERIFY(text->startsWith(u"Café bold — text\n"_s));
    // Generous enough for sanitizer builds; a quadratic pass takes minutes.
    QVERIFY2(elapsed < 3000, QByteArray::number(elapsed).constData());
}

void RtfReaderTest::formatsCharactersAndParagraphs() {
    const auto document = documentOf(
        R"({\rtf1\ansi{\fonttbl\f0\fswiss Helvetica;}{\colortbl;\red200\green0\blue0;})"
        R"(\pard\qc\f0\fs48 Title\par)"
        R"(\pard\qj\fs24 plain {\b bold} {\i italic} {\ul under}{\ulnone  none} )"
        R"({\strike gone\strike0  back} \cf1 red\cf0  {\plain\b\plain reset}\tab end\line next\par)"
        R"(\qr right \u8364?})"_ba);
    QVERIFY(document);
    QCOMPARE(document->blockCount(), 3);
    const QTextBlock title = document->firstBlock();
    QCOMPARE(title.text(), u"Title"_s);
    QCOMPARE(title.blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(formatOf(*document, u"Title"_s).fontPointSize(), 40.0);
    const QTextBlock body = title.next();
    QCOMPARE(body.text(), u"plain bold italic under none gone back red reset\tend\u2028next"_s);
    QCOMPARE(body.blockFormat().alignment(), Qt::AlignJustify);
    QCOMPARE(body.next().text(), u"right €"_s);
    QCOMPARE(body.next().blockFormat().alignment(), Qt::AlignRight);

    QCOMPARE(formatOf(*document, u"plain"_s).fontPointSize(), 20.0);
    QVERIFY(formatOf(*document, u"bold"_s).fontWeight() == QFont::Bold);
    QVERIFY(formatOf(*document, u"italic"_s).fontItalic());
    QVERIFY(formatOf(*document, u"under"_s).fontUnderline());
    QVERIFY(!formatOf(*document, u"none"_s).fontUnderline());
    QVERIFY(formatOf(*document, u"gone"_s).fontStrikeOut());
    QVERIFY(!formatOf(*document, u"back"_s).fontStrikeOut());
    QCOMPARE(formatOf(*document, u"red"_s).foreground().color(), QColor(200, 0, 0));
    QCOMPARE(formatOf(*document, u"end"_s).foreground().color(), QColor(Qt::black));
    const QTextCharFormat reset = formatOf(*document, u"reset"_s);
    QVERIFY(reset.fontWeight() != QFont::Bold && !reset.fontItalic());
    QVERIFY(formatOf(*document, u"next"_s).fontWeight() != QFont::Bold);

    // A hostile size is held to what a screen can show; a colour the
    // table lacks is no colour.
    const auto hostile = documentOf(R"({\rtf1\fs99999\cf7 big\fs0 small})"_ba);
    QCOMPARE(formatOf(*hostile, u"big"_s).fontPointSize(), 20.0 * 144 / 24);
    QCOMPARE(formatOf(*hostile, u"small"_s).fontPointSize(), 20.0 * 8 / 24);
    QCOMPARE(formatOf(*hostile, u"big"_s).foreground().color(), QColor(Qt::black));
}

// Text written black for a white page stays readable on a dark preview, and
// so does text on a highlight.
void RtfReaderTest::coloursStayReadable() {
    const QByteArray rtf =
        R"({\rtf1{\colortbl\red0\green0\blue0;\red255\green255\blue0;\red0\green150\blue0;)"
        R"(\red200\green40\blue40;}black {\cf2 green} {\cf3 red} {\highlight1 marked}})"_ba;
    const auto light = documentOf(rtf);
    QCOMPARE(formatOf(*light, u"black"_s).foreground().color(), QColor(Qt::black));
    QCOMPARE(formatOf(*light, u"green"_s).foreground().color(), QColor(0, 150, 0));
    const auto dark = documentOf(rtf, darkStyle);
    QCOMPARE(formatOf(*dark, u"black"_s).foreground().color(), darkStyle.text);
    QCOMPARE(formatOf(*dark, u"green"_s).foreground().color(), QColor(0, 150, 0));
    // Too dark for a dark preview: the same red, lighter.
    const QColor red(200, 40, 40);
    QCOMPARE(formatOf(*light, u"red"_s).foreground().color(), red);
    const QColor lighterRed = formatOf(*dark, u"red"_s).foreground().color();
    QCOMPARE(lighterRed.hslHue(), red.hslHue());
    QVERIFY(lighterRed.lightness() > red.lightness() && lighterRed.lightness() < 200);
    const QTextCharFormat marked = formatOf(*dark, u"marked"_s);
    QCOMPARE(marked.background().color(), QColor(255, 255, 0));
    QCOMPARE(marked.foreground().color(), QColor(Qt::black));
}

// Links as word processors write them; other fields and links within the
// document are plain text.
void RtfReaderTest::readsLinks() {
    const QByteArray rtf =
        R"({\rtf1\ansi see {\field{\*\fldinst {HYPERLINK "https://example.org/x" }}{\fldrslt )"
        R"({\ul\cf1 the site}}} and {\field{\*\fldinst PAGE}{\fldrslt 3}} and )"
        R"({\field{\*\fldinst HYPERLINK \l "top"}{\fldrslt up}}\par})";
    const std::optional<RtfText> text = RtfReader::read(rtf);
    QVERIFY(text);
    QCOMPARE(text->plainText(), u"see the site and 3 and up\n"_s);
    QCOMPARE(text->links.size(), std::size_t(1));
    QCOMPARE(text->links.front(), (RtfText::Link{4, 12, u"https://example.org/x"_s}));
    const std::unique_ptr<QTextDocument> document = RtfDocument::make(*text, lightStyle);
    QTextCursor at(document.get());
    at.setPosition(6);
    QCOMPARE(at.charFormat().anchorHref(), u"https://example.org/x"_s);
    at.setPosition(14);
    QVERIFY(!at.charFormat().isAnchor());
}

QTEST_MAIN(RtfReaderTest)
#include "RtfReaderTest.moc"
