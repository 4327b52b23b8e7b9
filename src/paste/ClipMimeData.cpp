#include "ClipMimeData.h"

#include "capture/RtfDocument.h"
#include "capture/RtfReader.h"
#include "history/Overloaded.h"

#include <QMimeData>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

QByteArray gnomeCopiedFiles(const QList<QUrl>& urls) {
    QByteArray list("copy");
    for (const QUrl& url : urls)
        list.append('\n').append(url.toEncoded());
    return list;
}

// Longer rich text is offered as RTF and plain text only: making its HTML
// would hold the pick for a noticeable moment.
constexpr qsizetype longestHtmlText = 200'000;

// Browsers, GTK and Qt editors and LibreOffice paste HTML formatted; RTF
// stays for the programs that prefer it.
void setHtml(QMimeData& data, const RichTextContent& content) {
    if (content.plain.size() > longestHtmlText)
        return;
    const std::optional<RtfText> text = RtfReader::read(content.rtf);
    if (!text)
        return;
    const RtfDocument::Style style{QFont(u"sans-serif"_s, 12), Qt::black, Qt::white};
    data.setHtml(RtfDocument::make(*text, style)->toHtml());
}

} // namespace

QMimeData* mimeDataFor(const ClipContent& content) {
    auto* data = new QMimeData;
    std::visit(Overloaded{
                   [&](const TextContent& c) { data->setText(c.text); },
                   [&](const RichTextContent& c) {
                       setHtml(*data, c);
                       data->setData(u"text/rtf"_s, c.rtf);
                       data->setText(c.plain);
                   },
                   [&](const ImageContent& c) { data->setData(u"image/png"_s, c.png()); },
                   [&](const FilesContent& c) {
                       data->setUrls(c.urls);
                       data->setData(u"x-special/gnome-copied-files"_s, gnomeCopiedFiles(c.urls));
                   },
                   [&](const LinkContent& c) {
                       data->setUrls({c.url});
                       data->setText(absoluteString(c.url));
                   },
               },
               content);
    return data;
}

ClipContent plainForm(const ClipContent& content) {
    return std::visit(
        Overloaded{
            [](const TextContent& c) -> ClipContent { return c; },
            [](const RichTextContent& c) -> ClipContent { return TextContent{c.plain}; },
            [](const ImageContent& c) -> ClipContent { return c; },
            [](const FilesContent& c) -> ClipContent {
                QStringList paths;
                for (const QUrl& url : c.urls)
                    paths.append(url.isLocalFile() ? fileSystemPath(url) : absoluteString(url));
                return TextContent{paths.join(u'\n')};
            },
            [](const LinkContent& c) -> ClipContent { return TextContent{absoluteString(c.url)}; },
        },
        content);
}
