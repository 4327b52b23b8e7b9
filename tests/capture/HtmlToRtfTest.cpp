#include "capture/HtmlToRtf.h"

#include "capture/RtfReader.h"

#include <QElapsedTimer>
#include <QStringEncoder>
#include <QTest>

using namespace Qt::StringLiterals;

// HTML copied from browsers and editors becomes RTF when it is formatted,
// and stays plain text when it is one run of words.
class HtmlToRtfTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formattedHtmlBecomesRtf();
    void unformattedHtmlStaysText();
};

namespace {

std::optional<QByteArray> rtfOf(const QByteArray& html) {
    const std::optional<HtmlText> read = HtmlToRtf::read(html);
    return read ? read->rtf : std::nullopt;
}

bool hasRun(const RtfText& text, const QString& word, bool RtfCharacterFormat::*property) {
    const qsizetype at = text.text.indexOf(word);
    if (at < 0)
        return false;
    const RtfText::Run* current = nullptr;
    for (const RtfText::Run& run : text.runs) {
        if (run.start <= at)
            current = &run;
    }
    return current && current->format.*property;
}

} // namespace

void HtmlToRtfTest::formattedHtmlBecomesRtf() {
    // As Chromium offers a selection: a meta tag, inline styles everywhere.
    const QByteArray browser =
        R"(<meta charset='utf-8'><h1 style="color: rgb(32, 33, 36);">Title</h1><p )"
        R"(style="font-size: 16px;">Some <b>bold</b> and <i>italic</i> words, )"
        R"(<a href="https://example.org/page">a link</a>.</p>)";
    const std::optional<QByteArray> rtf = rtfOf(browser);
    QVERIFY(rtf);
    const std::optional<RtfText> text = RtfReader::read(*rtf);
    QVERIFY(text);
    QCOMPARE(text->plainText(), u"Title\nSome bold and italic words, a link.\n"_s);
    QVERIFY(hasRun(*text, u"bold"_s, &RtfCharacterFormat::bold));
    QVERIFY(hasRun(*text, u"italic"_s, &RtfCharacterFormat::italic));
    QVERIFY(!hasRun(*text, u"Some"_s, &RtfCharacterFormat::italic));
    QCOMPARE(text->links.size(), std::size_t(1));
    QCOMPARE(text->links.front().url, u"https://example.org/page"_s);
    QVERIFY(hasRun(*text, u"a link"_s, &RtfCharacterFormat::underline));
    QVERIFY(!hasRun(*text, u"Title"_s, &RtfCharacterFormat::underline));

    // Ids and names mark places to link to; only links are underlined.
    const QByteArray anchors = R"(<h1 id="t">Rich <b>bold</b></h1><p name="p">Para</p>)"
                               R"(<p><a name="n">Named</a> and <a id="i">ided</a></p>)";
    const std::optional<RtfText> marked = RtfReader::read(rtfOf(anchors).value_or(""));
    QVERIFY(marked);
    for (const QString& word : {u"Rich"_s, u"bold"_s, u"Para"_s, u"Named"_s, u"ided"_s})
        QVERIFY2(!hasRun(*marked, word, &RtfCharacterFormat::underline), qPrintable(word));
    QVERIFY(marked->links.empty());
    // A name anchor alone is not formatting.
    QCOMPARE(rtfOf(R"(<a name="top">just words</a>)"), std::nullopt);

    // Firefox offers UTF-16 with a byte order mark.
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    const QByteArray wide = utf16.encode(u"<b>Grüße</b> aus Köln"_s);
    const std::optional<QByteArray> fromWide = rtfOf(wide);
    QVERIFY(fromWide);
    QCOMPARE(RtfReader::plainText(*fromWide), std::optional(u"Grüße aus Köln\n"_s));
}

void HtmlToRtfTest::unformattedHtmlStaysText() {
    QCOMPARE(rtfOf(R"(<meta charset='utf-8'><span style="color: rgb(32, 33, 36); )"
                   R"(font-size: 16px;">just some words</span>)"),
             std::nullopt);
    QCOMPARE(rtfOf("plain"), std::nullopt);
    QCOMPARE(rtfOf(""), std::nullopt);
    // Too large or too deep to parse while the user waits, however it looks.
    const QByteArray huge = "<b>bold</b>" + QByteArray(HtmlToRtf::maximumBytes, 'x');
    QCOMPARE(rtfOf(huge), std::nullopt);
    const QByteArray deep = QByteArray("<b>").repeated(20'000) + "deep" + "<i>slanted</i>";
    QCOMPARE(rtfOf(deep), std::nullopt);
    const QByteArray shallow = QByteArray("<div>").repeated(HtmlToRtf::maximumDepth - 1) +
                               "<br><img src=x><hr/>deep <b>enough</b>";
    QVERIFY(rtfOf(shallow));
    // A page's worth of tags that never close is turned down at once: the
    // scan is linear and stops at its verdict. Looking for each tag's end
    // from every '<' took 26 s here; the bound leaves room for slow builds.
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(rtfOf(QByteArray("<a").repeated(HtmlToRtf::maximumBytes / 2)), std::nullopt);
    QVERIFY2(clock.elapsed() < 3000, QByteArray::number(clock.elapsed()).constData());
    // Self-closing and void tags, in any case, do not nest.
    const QByteArray flat = QByteArray("<IMG src=x><span/>").repeated(HtmlToRtf::maximumDepth * 2) +
                            "flat <b>enough</b>";
    QVERIFY(rtfOf(flat));
}

QTEST_MAIN(HtmlToRtfTest)
#include "HtmlToRtfTest.moc"
