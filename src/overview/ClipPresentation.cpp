#include "ClipPresentation.h"

#include "history/Overloaded.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

ClipPresentation::KindLabel ClipPresentation::kindLabel(const ClipContent& content) {
    return std::visit(
        Overloaded{
            [](const TextContent&) {
                return KindLabel{QCoreApplication::translate("ClipPresentation", "Text"),
                                 u"text.alignleft"_s};
            },
            [](const RichTextContent&) {
                return KindLabel{QCoreApplication::translate("ClipPresentation", "Text"),
                                 u"text.alignleft"_s};
            },
            [](const ImageContent&) {
                return KindLabel{QCoreApplication::translate("ClipPresentation", "Image"),
                                 u"photo"_s};
            },
            [](const FilesContent& c) {
                return KindLabel{c.urls.size() == 1
                                     ? QCoreApplication::translate("ClipPresentation", "File")
                                     : QCoreApplication::translate("ClipPresentation", "Files"),
                                 u"doc"_s};
            },
            [](const LinkContent&) {
                return KindLabel{QCoreApplication::translate("ClipPresentation", "Link"),
                                 u"link"_s};
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
    return QCoreApplication::translate("ClipPresentation", "and %n more", nullptr,
                                       int(fileCount - shown));
}

QString ClipPresentation::numberBadgeAccessibleText(qint64 number) {
    return QCoreApplication::translate("ClipPresentation", "Press %1 to paste").arg(number);
}
