#include "capture/RtfWriter.h"

#include "capture/RtfDocument.h"
#include "capture/RtfReader.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::StringLiterals;

// Formatted text written as RTF and read back keeps what a reader sees:
// the documents before and after are compared by their formatting, not as
// strings.
class RtfWriterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void htmlKeepsItsFormattingThroughRtf();
    void textSurvivesEscaping();
    void listsAndTablesBecomeParagraphs();
};

namespace {

// 12-point text, as RTF's sizes are counted from.
const RtfDocument::Style plainStyle{QFont(u"Sans"_s, 12), Qt::black, Qt::white};

std::unique_ptr<QTextDocument> roundTrip(const QTextDocument& document) {
    const QByteArray rtf = RtfWriter::write(document);
    const std::optional<RtfText> read = RtfReader::read(rtf);
    return read ? RtfDocument::make(*read, plainStyle) : nullptr;
}

std::unique_ptr<QTextDocument> fromHtml(const QString& html) {
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(plainStyle.font);
    document->setHtml(html);
    return document;
}

// The format of the first character of `word`.
QTextCharFormat formatOf(const QTextDocument& document, const QString& word) {
    const QTextCursor found = document.find(word);
    if (found.isNull())
        return {};
    QTextCursor at(found);
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

qreal pointsOf(const QTextCharFormat& format) {
    return format.font().pointSizeF();
}

} // namespace

void RtfWriterTest::htmlKeepsItsFormattingThroughRtf() {
    const auto original = fromHtml(
        u"<h1>Heading</h1><p>plain <b>bold</b> <i>italic</i> <u>under</u> <s>struck</s> "
        "<span style=\"color:#c00000\">red</span> <a href=\"https://example.org/a?b=1\">link</a>"
        "</p><p align=\"center\">centred</p>"_s);
    const auto copy = roundTrip(*original);
    QVERIFY(copy);
    QCOMPARE(copy->toPlainText(), original->toPlainText());
    QVERIFY(formatOf(*copy, u"bold"_s).fontWeight() >= QFont::Bold);
    QVERIFY(formatOf(*copy, u"italic"_s).fontItalic());
    QVERIFY(formatOf(*copy, u"under"_s).fontUnderline());
    QVERIFY(formatOf(*copy, u"struck"_s).fontStrikeOut());
    QCOMPARE(formatOf(*copy, u"red"_s).foreground().color(), QColor(0xc00000));
    QVERIFY(!formatOf(*copy, u"plain"_s).fontItalic());
    QVERIFY(formatOf(*copy, u"plain"_s).fontWeight() < QFont::DemiBold);
    const QTextCharFormat link = formatOf(*copy, u"link"_s);
    QVERIFY(link.isAnchor());
    QCOMPARE(link.anchorHref(), u"https://example.org/a?b=1"_s);
    QVERIFY(!formatOf(*copy, u"red"_s).isAnchor());
    // A heading stays larger and bold.
    QVERIFY(pointsOf(formatOf(*copy, u"Heading"_s)) > pointsOf(formatOf(*copy, u"plain"_s)) * 1.5);
    QVERIFY(formatOf(*copy, u"Heading"_s).fontWeight() >= QFont::Bold);
    QCOMPARE(copy->findBlock(copy->find(u"centred"_s).position()).blockFormat().alignment() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
}

void RtfWriterTest::textSurvivesEscaping() {
    QTextDocument original;
    original.setPlainText(u"braces {} and \\backslashes\\, Grüße, 😀, tab\there"_s);
    const std::optional<RtfText> read = RtfReader::read(RtfWriter::write(original));
    QVERIFY(read);
    QCOMPARE(read->plainText(), original.toPlainText() + u'\n');
    const QByteArray rtf = RtfWriter::write(original);
    QVERIFY(std::all_of(rtf.cbegin(), rtf.cend(), [](char c) { return uchar(c) < 0x80; }));
}

void RtfWriterTest::listsAndTablesBecomeParagraphs() {
    const auto original =
        fromHtml(u"<ul><li>apples</li><li>pears</li></ul><ol><li>first</li><li>second</li></ol>"
                 "<table><tr><td>a1</td><td>b1</td></tr><tr><td>a2</td><td>b2</td></tr></table>"_s);
    const std::optional<RtfText> read = RtfReader::read(RtfWriter::write(*original));
    QVERIFY(read);
    const QStringList lines = read->plainText().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, QStringList({u"\u2022 apples"_s, u"\u2022 pears"_s, u"1. first"_s,
                                 u"2. second"_s, u"a1\tb1"_s, u"a2\tb2"_s}));
}

QTEST_MAIN(RtfWriterTest)
#include "RtfWriterTest.moc"
