#include "DragItem.h"

#include "history/PrivateFiles.h"
#include "launch/InstanceServer.h"
#include "paste/ClipMimeData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

constexpr auto dragFolderName = "drag"_L1;

QString dragFileName(const QUuid& id) {
    return "Clipboard "_L1 + idText(id).left(8) + ".png"_L1;
}

} // namespace

QString dragImagePath(const ClipItem& item) {
    const std::optional<QString> folder = InstanceServer::privateRuntimeFolder(dragFolderName);
    return folder ? *folder + u'/' + dragFileName(item.id) : QString();
}

void removeDragImagesNotIn(const QList<ClipItem>& items) {
    // Called at every change of the history: nothing is made, and only a
    // look taken, until a drag has written a file.
    const QString made =
        QFileInfo(InstanceServer::socketPath()).absolutePath() + u'/' + dragFolderName;
    if (!QFileInfo(made).isDir())
        return;
    const std::optional<QString> folder = InstanceServer::privateRuntimeFolder(dragFolderName);
    if (!folder)
        return;
    QSet<QString> kept;
    for (const ClipItem& item : items)
        if (std::holds_alternative<ImageContent>(item.content))
            kept.insert(dragFileName(item.id));
    const QDir drags(*folder);
    for (const QString& name : drags.entryList({u"Clipboard *.png"_s}, QDir::Files | QDir::System))
        if (!kept.contains(name))
            QFile::remove(drags.filePath(name));
}

QMimeData* dragItem(const ClipItem& item) {
    if (const auto* image = std::get_if<ImageContent>(&item.content)) {
        auto* data = new QMimeData;
        const QString path = dragImagePath(item);
        const QByteArray png = image->png();
        // Always our own bytes, whatever a file of that name holds.
        if (!path.isEmpty() && !png.isEmpty() && writePrivateFileAtomically(path, png))
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
