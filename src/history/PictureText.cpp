#include "PictureText.h"

#include "PrivateFiles.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace PictureText {

QString pathFor(const QString& pngPath) {
    QString path = pngPath;
    if (path.endsWith(".png"_L1))
        path.chop(4);
    return path + ".txt"_L1;
}

std::optional<QString> read(const QString& pngPath) {
    if (pngPath.isEmpty())
        return std::nullopt;
    const std::optional<QByteArray> bytes = readRegularFile(pathFor(pngPath), maximumBytes);
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(*bytes);
}

bool write(const QString& pngPath, const QString& text) {
    return writePrivateFileAtomically(pathFor(pngPath), text.toUtf8().left(maximumBytes));
}

void remove(const QString& pngPath) {
    QFile::remove(pathFor(pngPath));
}

} // namespace PictureText
