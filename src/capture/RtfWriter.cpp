#include "RtfWriter.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <vector>

namespace {

// Twips per list level: a quarter of an inch.
constexpr int listIndentTwips = 360;

// The colour table, gathered while the body is written; index 0 is the
// automatic colour.
class ColourTable {
public:
    int index(const QColor& colour) {
        const QRgb rgb = colour.rgb();
        for (std::size_t i = 0; i < m_colours.size(); ++i) {
            if (m_colours[i] == rgb)
                return int(i) + 1;
        }
        m_colours.push_back(rgb);
        return int(m_colours.size());
    }

    QByteArray rtf() const {
        QByteArray table("{\\colortbl;");
        for (const QRgb rgb : m_colours)
            table += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" +
                     QByteArray::number(qGreen(rgb)) + "\\blue" + QByteArray::number(qBlue(rgb)) +
                     ';';
        return table + '}';
    }

private:
    std::vector<QRgb> m_colours;
};

void appendEscaped(QByteArray& out, const QString& text) {
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == u'\\' || unit == u'{' || unit == u'}') {
            out += '\\';
            out += char(unit);
        } else if (unit == u'\t') {
            out += "\\tab ";
        } else if (unit == 0x2028 || unit == u'\n') {
            out += "\\line ";
        } else if (unit >= 0x20 && unit < 0x80) {
            out += char(unit);
        } else if (unit >= 0x80) {
            // RTF's \u takes a signed 16-bit number, then a fallback
            // character for readers without Unicode.
            out += "\\u" + QByteArray::number(qint16(unit)) + '?';
        }
    }
}

// The size in points: set, or as HTML's relative sizes (headings, <big>,
// <small>) scale the 12 points of RTF's default, as Qt draws them.
qreal pointSize(const QTextCharFormat& format) {
    if (format.fontPointSize() > 0)
        return format.fontPointSize();
    if (!format.hasProperty(QTextFormat::FontSizeAdjustment))
        return 0;
    static constexpr qreal scales[] = {0.7, 0.8, 1.0, 1.2, 1.5, 2.0, 2.4};
    const int step = std::clamp(format.intProperty(QTextFormat::FontSizeAdjustment) + 2, 0, 6);
    return 12 * scales[step];
}

// The character formatting as control words, after a \plain that resets
// it, so that each run stands alone.
QByteArray formatWords(const QTextCharFormat& format, ColourTable& colours) {
    QByteArray words("\\plain");
    const qreal points = pointSize(format);
    if (points > 0)
        words += "\\fs" + QByteArray::number(qRound(points * 2));
    if (format.fontWeight() >= QFont::DemiBold)
        words += "\\b";
    if (format.fontItalic())
        words += "\\i";
    if (format.fontUnderline() || RtfWriter::isLink(format))
        words += "\\ul";
    if (format.fontStrikeOut())
        words += "\\strike";
    if (format.hasProperty(QTextFormat::ForegroundBrush) &&
        format.foreground().style() != Qt::NoBrush)
        words += "\\cf" + QByteArray::number(colours.index(format.foreground().color()));
    if (format.hasProperty(QTextFormat::BackgroundBrush) &&
        format.background().style() != Qt::NoBrush)
        words += "\\highlight" + QByteArray::number(colours.index(format.background().color()));
    return words + ' ';
}

QByteArray alignmentWord(Qt::Alignment alignment) {
    if (alignment & Qt::AlignHCenter)
        return "\\qc";
    if (alignment & Qt::AlignRight)
        return "\\qr";
    if (alignment & Qt::AlignJustify)
        return "\\qj";
    return "\\ql";
}

// What a list item starts with: its bullet or its number.
QString listMarker(const QTextBlock& block) {
    QTextList* list = block.textList();
    if (!list)
        return {};
    switch (list->format().style()) {
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        return QStringLiteral("\u2022 ");
    default:
        return list->itemText(block) + u' ';
    }
}

void appendFragment(QByteArray& body, const QTextFragment& fragment, ColourTable& colours) {
    const QTextCharFormat format = fragment.charFormat();
    QByteArray text;
    appendEscaped(text, fragment.text().remove(QChar::ObjectReplacementCharacter));
    if (text.isEmpty())
        return;
    const QByteArray run = '{' + formatWords(format, colours) + text + '}';
    if (RtfWriter::isLink(format)) {
        QByteArray target;
        appendEscaped(target, format.anchorHref().remove(u'"'));
        body += "{\\field{\\*\\fldinst HYPERLINK \"" + target + "\"}{\\fldrslt " + run + "}}";
    } else {
        body += run;
    }
}

bool continuesTableRow(const QTextBlock& block) {
    QTextCursor cursor(block);
    QTextTable* table = cursor.currentTable();
    if (!table)
        return false;
    const QTextTableCell cell = table->cellAt(cursor);
    return cell.column() > 0 && cell.firstCursorPosition().block() == block;
}

} // namespace

QByteArray RtfWriter::write(const QTextDocument& document) {
    ColourTable colours;
    QByteArray body;
    bool first = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // A table's next cell on the same row continues its paragraph.
        if (continuesTableRow(block)) {
            body += "\\tab ";
        } else {
            if (!first)
                body += "\\par\n";
            const int level = block.textList() ? block.textList()->format().indent() : 0;
            body += "\\pard" + alignmentWord(block.blockFormat().alignment());
            if (level > 0)
                body += "\\li" + QByteArray::number(level * listIndentTwips);
            body += ' ';
            appendEscaped(body, listMarker(block));
        }
        first = false;
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            appendFragment(body, fragment.fragment(), colours);
    }
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}}" + colours.rtf() +
           '\n' + body + "\\par\n}";
}

bool RtfWriter::isLink(const QTextCharFormat& format) {
    return format.isAnchor() && !format.anchorHref().isEmpty();
}
