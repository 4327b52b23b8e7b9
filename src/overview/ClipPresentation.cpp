#include "ClipPresentation.h"

#include "history/Overloaded.h"

using namespace Qt::StringLiterals;

ClipPresentation::KindLabel ClipPresentation::kindLabel(const ClipContent& content) {
    return std::visit(
        Overloaded{
            [](const TextContent&) {
                return KindLabel{u"Text"_s, u"text.alignleft"_s};
            },
            [](const RichTextContent&) {
                return KindLabel{u"Text"_s, u"text.alignleft"_s};
            },
            [](const ImageContent&) {
                return KindLabel{u"Image"_s, u"photo"_s};
            },
            [](const FilesContent& c) {
                return KindLabel{c.urls.size() == 1 ? u"File"_s : u"Files"_s, u"doc"_s};
            },
            [](const LinkContent&) {
                return KindLabel{u"Link"_s, u"link"_s};
            },
        },
        content);
}

QString ClipPresentation::linkTitle(const QUrl& url) {
    const QString host = url.host(QUrl::FullyEncoded);
    return host.isEmpty() ? absoluteString(url) : host;
}

QString ClipPresentation::moreFilesLine(qsizetype fileCount, qsizetype shown) {
    if (fileCount <= shown)
        return {};
    return u"and %1 more"_s.arg(fileCount - shown);
}

QString ClipPresentation::numberBadgeAccessibleText(qint64 number) {
    return u"Press %1 to paste"_s.arg(number);
}
