#include "RtfDocument.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace {

// WCAG's relative luminance and contrast ratio.
qreal luminance(const QColor& colour) {
    const auto linear = [](qreal channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

qreal contrast(const QColor& one, const QColor& other) {
    const qreal first = luminance(one);
    const qreal second = luminance(other);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// Below this, text is hard to read (WCAG's floor for large text).
constexpr qreal readableContrast = 3.0;

// The colour itself when it reads well on the background. A hue is kept and
// made lighter or darker until it does; grey and black or white give way to
// the reader's text colour, or to black or white where that does not read
// either (on a highlight).
QColor readableColour(const QColor& colour, const QColor& background, const QColor& readerText) {
    if (contrast(colour, background) >= readableContrast)
        return colour;
    constexpr float greyest = 0.15f;
    if (colour.hslSaturationF() >= greyest) {
        const bool lighten = luminance(background) < 0.5;
        QColor adjusted = colour.toHsl();
        for (int step = 0; step < 20; ++step) {
            const float lightness =
                std::clamp(adjusted.lightnessF() + (lighten ? 0.04f : -0.04f), 0.f, 1.f);
            adjusted.setHslF(adjusted.hslHueF(), adjusted.hslSaturationF(), lightness);
            if (contrast(adjusted, background) >= readableContrast)
                return adjusted.toRgb();
        }
    }
    if (contrast(readerText, background) >= readableContrast)
        return readerText;
    return luminance(background) > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
}

Qt::Alignment qtAlignment(RtfAlignment alignment) {
    switch (alignment) {
    case RtfAlignment::Center:
        return Qt::AlignHCenter;
    case RtfAlignment::Right:
        return Qt::AlignRight;
    case RtfAlignment::Justified:
        return Qt::AlignJustify;
    case RtfAlignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

class DocumentBuilder {
public:
    DocumentBuilder(const RtfText& rtf, const RtfDocument::Style& style)
        : m_rtf(rtf), m_style(style), m_document(std::make_unique<QTextDocument>()),
          m_cursor(m_document.get()) {}

    std::unique_ptr<QTextDocument> build();

private:
    QTextCharFormat characterFormat(const RtfCharacterFormat& format) const;
    void insertRun(QStringView text, const QTextCharFormat& format);
    void setAlignment(std::size_t paragraph);
    void addLinks();

    const RtfText& m_rtf;
    const RtfDocument::Style& m_style;
    std::unique_ptr<QTextDocument> m_document;
    QTextCursor m_cursor;
    std::size_t m_paragraph = 0;
};

std::unique_ptr<QTextDocument> DocumentBuilder::build() {
    m_document->setDefaultFont(m_style.font);
    m_document->setUndoRedoEnabled(false);
    // A document's final paragraph mark opens no empty paragraph.
    const qsizetype length = m_rtf.text.endsWith(u'\n') ? m_rtf.text.size() - 1 : m_rtf.text.size();
    m_cursor.beginEditBlock();
    setAlignment(0);
    const auto& runs = m_rtf.runs;
    for (std::size_t i = 0; i < runs.size() && runs[i].start < length; ++i) {
        const qsizetype end = i + 1 < runs.size() ? std::min(runs[i + 1].start, length) : length;
        insertRun(QStringView(m_rtf.text).sliced(runs[i].start, end - runs[i].start),
                  characterFormat(runs[i].format));
    }
    addLinks();
    m_cursor.endEditBlock();
    return std::move(m_document);
}

// Text and document positions are the same: a paragraph mark is one
// position in both.
void DocumentBuilder::addLinks() {
    const int last = m_document->characterCount() - 1;
    for (const RtfText::Link& link : m_rtf.links) {
        if (link.start >= last)
            continue;
        QTextCursor span(m_document.get());
        span.setPosition(int(link.start));
        span.setPosition(int(std::min<qsizetype>(link.end, last)), QTextCursor::KeepAnchor);
        QTextCharFormat anchor;
        anchor.setAnchor(true);
        anchor.setAnchorHref(link.url);
        span.mergeCharFormat(anchor);
    }
}

void DocumentBuilder::insertRun(QStringView text, const QTextCharFormat& format) {
    while (!text.isEmpty()) {
        const qsizetype mark = text.indexOf(u'\n');
        m_cursor.insertText(text.first(mark < 0 ? text.size() : mark).toString(), format);
        if (mark < 0)
            return;
        m_cursor.insertBlock(QTextBlockFormat(), format);
        setAlignment(++m_paragraph);
        text = text.sliced(mark + 1);
    }
}

void DocumentBuilder::setAlignment(std::size_t paragraph) {
    QTextBlockFormat block = m_cursor.blockFormat();
    block.setAlignment(qtAlignment(paragraph < m_rtf.alignments.size() ? m_rtf.alignments[paragraph]
                                                                       : RtfAlignment::Left));
    m_cursor.setBlockFormat(block);
}

QTextCharFormat DocumentBuilder::characterFormat(const RtfCharacterFormat& format) const {
    QTextCharFormat result;
    result.setFontWeight(format.bold ? QFont::Bold : m_style.font.weight());
    result.setFontItalic(format.italic);
    result.setFontUnderline(format.underline);
    result.setFontStrikeOut(format.strikeThrough);
    result.setFontPointSize(m_style.font.pointSizeF() * format.halfPoints /
                            RtfCharacterFormat::defaultHalfPoints);
    QColor background = m_style.background;
    // Background 0 is none, whatever the table's first entry.
    if (const auto colour = m_rtf.colour(format.background); colour && format.background > 0) {
        background = QColor::fromRgb(*colour);
        result.setBackground(background);
    }
    const auto written = m_rtf.colour(format.foreground);
    result.setForeground(readableColour(written ? QColor::fromRgb(*written) : m_style.text,
                                        background, m_style.text));
    return result;
}

} // namespace

std::unique_ptr<QTextDocument> RtfDocument::make(const RtfText& rtf, const Style& style) {
    return DocumentBuilder(rtf, style).build();
}
