#include "HtmlToRtf.h"

#include "RtfWriter.h"

#include <QStringDecoder>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Resources are whatever the HTML names: file: URLs would read local files.
class UnconnectedDocument final : public QTextDocument {
protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

// Qt marks an element's id or name on its first letter alone, which is no
// change of format a reader sees.
QTextCharFormat withoutPlaceMarks(QTextCharFormat format) {
    if (!RtfWriter::isLink(format)) {
        format.clearProperty(QTextFormat::IsAnchor);
        format.clearProperty(QTextFormat::AnchorName);
        format.clearProperty(QTextFormat::AnchorHref);
    }
    return format;
}

// What makes text rich: a change of format within it, or structure.
bool isFormatted(const QTextDocument& document) {
    std::optional<QTextCharFormat> first;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.textList() || block.blockFormat().headingLevel() > 0 ||
            QTextCursor(block).currentTable())
            return true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = withoutPlaceMarks(it.fragment().charFormat());
            if (RtfWriter::isLink(format))
                return true;
            if (!first)
                first = format;
            else if (format != *first)
                return true;
        }
    }
    return false;
}

bool isVoidElement(QStringView name) {
    static const QStringList names{u"area"_s,   u"base"_s,  u"br"_s,    u"col"_s,  u"embed"_s,
                                   u"hr"_s,     u"img"_s,   u"input"_s, u"link"_s, u"meta"_s,
                                   u"source"_s, u"track"_s, u"wbr"_s};
    return name.size() <= 6 && names.contains(name, Qt::CaseInsensitive);
}

// Whether the elements nest deeper than `limit`, told from the tags alone in
// one pass that stops at the answer. Each tag's end is looked for once, not
// again from every '<' before it: a page of unclosed tags stays linear.
bool nestsDeeperThan(QStringView html, int limit) {
    int depth = 0;
    // The first '>' after the tag being read, once looked for; -1 for none.
    qsizetype close = -1;
    bool noneLeft = false;
    for (qsizetype at = html.indexOf(u'<'); at >= 0; at = html.indexOf(u'<', at + 1)) {
        const QStringView rest = html.sliced(at + 1);
        if (rest.startsWith(u'/')) {
            depth = std::max(depth - 1, 0);
            continue;
        }
        qsizetype length = 0;
        while (length < rest.size() && rest[length].isLetterOrNumber())
            ++length;
        if (length == 0 || isVoidElement(rest.first(length)))
            continue;
        if (!noneLeft && close <= at) {
            close = html.indexOf(u'>', at + 1);
            noneLeft = close < 0;
        }
        if (!noneLeft && close > at + 1 && html[close - 1] == u'/')
            continue;
        if (++depth > limit)
            return true;
    }
    return false;
}

QString decoded(const QByteArray& html) {
    // Firefox offers UTF-16 with a byte order mark; most others UTF-8.
    QStringDecoder decoder(
        QStringConverter::encodingForHtml(html).value_or(QStringConverter::Utf8));
    return decoder.decode(html);
}

} // namespace

std::optional<HtmlText> HtmlToRtf::read(const QByteArray& html) {
    if (html.size() > maximumBytes)
        return std::nullopt;
    const QString text = decoded(html);
    if (nestsDeeperThan(text, maximumDepth))
        return std::nullopt;
    UnconnectedDocument document;
    document.setHtml(text);
    // Pictures stand in the text as object characters; they are left out.
    HtmlText read{document.toPlainText().remove(QChar::ObjectReplacementCharacter), std::nullopt};
    if (isFormatted(document))
        read.rtf = RtfWriter::write(document);
    return read;
}
