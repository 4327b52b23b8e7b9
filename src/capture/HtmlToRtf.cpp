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

// What makes text rich: a change of format within it, or structure.
bool isFormatted(const QTextDocument& document) {
    std::optional<QTextCharFormat> first;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.textList() || block.blockFormat().headingLevel() > 0 ||
            QTextCursor(block).currentTable())
            return true;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor())
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
    return names.contains(name.toString().toLower());
}

// How deeply the elements nest, counted from the tags alone in one pass.
int nestingDepth(QStringView html) {
    int depth = 0;
    int deepest = 0;
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
        const qsizetype end = rest.indexOf(u'>');
        if (end > 0 && rest[end - 1] == u'/')
            continue;
        deepest = std::max(deepest, ++depth);
    }
    return deepest;
}

QString decoded(const QByteArray& html) {
    // Firefox offers UTF-16 with a byte order mark; most others UTF-8.
    QStringDecoder decoder(
        QStringConverter::encodingForHtml(html).value_or(QStringConverter::Utf8));
    return decoder.decode(html);
}

} // namespace

std::optional<QByteArray> HtmlToRtf::convert(const QByteArray& html) {
    if (html.size() > maximumBytes)
        return std::nullopt;
    const QString text = decoded(html);
    if (nestingDepth(text) > maximumDepth)
        return std::nullopt;
    UnconnectedDocument document;
    document.setHtml(text);
    if (!isFormatted(document))
        return std::nullopt;
    return RtfWriter::write(document);
}
