#include "DragItem.h"

#include "history/PrivateFiles.h"
#include "paste/ClipMimeData.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>

using namespace Qt::StringLiterals;

QString dragImagePath(const ClipItem& item) {
    return QDir::tempPath() + "/Clipboard "_L1 + idText(item.id).left(8) + ".png"_L1;
}

QMimeData* dragItem(const ClipItem& item) {
    if (const auto* image = std::get_if<ImageContent>(&item.content)) {
        auto* data = new QMimeData;
        const QString path = dragImagePath(item);
        const QByteArray png = image->png();
        if (QFileInfo::exists(path) || writePrivateFileAtomically(path, png))
            data->setUrls({QUrl::fromLocalFile(path)});
        // Targets that take image data rather than files still get the picture.
        data->setData(u"image/png"_s, png);
        return data;
    }
    if (const auto* files = std::get_if<FilesContent>(&item.content)) {
        auto* data = new QMimeData;
        if (!files->urls.isEmpty())
            data->setUrls({files->urls.first()});
        return data;
    }
    return mimeDataFor(item.content);
}
