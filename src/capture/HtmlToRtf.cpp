#include "HtmlToRtf.h"

#include "RtfWriter.h"

#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

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
    UnconnectedDocument document;
    document.setHtml(decoded(html));
    if (!isFormatted(document))
        return std::nullopt;
    return RtfWriter::write(document);
}
