#include "ClipMimeData.h"

#include "history/Overloaded.h"

#include <QMimeData>

using namespace Qt::StringLiterals;

namespace {

QByteArray gnomeCopiedFiles(const QList<QUrl>& urls) {
    QByteArray list("copy");
    for (const QUrl& url : urls)
        list.append('\n').append(url.toEncoded());
    return list;
}

} // namespace

QMimeData* mimeDataFor(const ClipContent& content) {
    auto* data = new QMimeData;
    std::visit(Overloaded{
                   [&](const TextContent& c) { data->setText(c.text); },
                   [&](const RichTextContent& c) {
                       data->setData(u"text/rtf"_s, c.rtf);
                       data->setText(c.plain);
                   },
                   [&](const ImageContent& c) { data->setData(u"image/png"_s, c.png); },
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
