#include "Thumbnails.h"

#include "history/PictureLimits.h"
#include "history/PrivateFiles.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QStandardPaths>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Folders of the cache by the size they hold, largest first.
const std::pair<const char*, int> cacheSizes[] = {
    {"xx-large", 1024}, {"x-large", 512}, {"large", 256}, {"normal", 128}};

// Thumbnails are at most 1024 pixels a side and rarely a megabyte; files
// of pictures larger than this get none of their own.
constexpr int largestThumbnailSide = 1024;
constexpr qint64 largestThumbnailBytes = 8 * 1024 * 1024;
constexpr qint64 largestPictureFileBytes = 64 * 1024 * 1024;

QImage fitted(QImage image, int pixelSide) {
    if (image.width() > pixelSide || image.height() > pixelSide)
        image = image.scaled(pixelSide, pixelSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// The picture in the regular file at `path` (read without waiting, at most
// `maxBytes`), decoded at most `pixelSide` a side; null unless the size its
// header gives is `acceptable`. A FIFO, a device or a picture bomb is never
// waited on or unpacked.
QImage readPicture(const QString& path, qint64 maxBytes, int pixelSide, const QByteArray& format,
                   const std::function<bool(QSize)>& acceptable) {
    const std::optional<QByteArray> bytes = readRegularFile(path, maxBytes);
    if (!bytes)
        return {};
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!acceptable(size))
        return {};
    if (size.width() > pixelSide || size.height() > pixelSide)
        reader.setScaledSize(size.scaled(pixelSide, pixelSide, Qt::KeepAspectRatio));
    allowDecodablePictures();
    return reader.read();
}

} // namespace

QString Thumbnails::cacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           "/thumbnails"_L1;
}

QImage Thumbnails::load(const QUrl& url, int pixelSide) {
    QImage image = cached(url, pixelSide);
    return image.isNull() ? decoded(url, pixelSide) : image;
}

QImage Thumbnails::cached(const QUrl& url, int pixelSide) {
    const QFileInfo file(url.toLocalFile());
    if (!file.exists())
        return {};
    const QByteArray uri = url.toEncoded();
    const QString name = QString::fromLatin1(
        QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png");
    const QString mtime = QString::number(file.lastModified().toSecsSinceEpoch());
    // The smallest cached size that is still sharp enough, else the largest.
    for (auto it = std::rbegin(cacheSizes); it != std::rend(cacheSizes); ++it) {
        if (it->second < pixelSide && it != std::rend(cacheSizes) - 1)
            continue;
        // The text chunks are checked after reading.
        const QImage image =
            readPicture(cacheFolder() + u'/' + QLatin1StringView(it->first) + u'/' + name,
                        largestThumbnailBytes, largestThumbnailSide, "png", [](QSize size) {
                            return size.isValid() && size.width() <= largestThumbnailSide &&
                                   size.height() <= largestThumbnailSide;
                        });
        if (!image.isNull() && image.text(u"Thumb::URI"_s).toUtf8() == uri &&
            image.text(u"Thumb::MTime"_s) == mtime)
            return fitted(image, pixelSide);
    }
    return {};
}

QImage Thumbnails::decoded(const QUrl& url, int pixelSide) {
    // Decoded at the size shown, never a huge photo at full size. The
    // name's suffix says which reader to try first.
    const QString path = url.toLocalFile();
    return readPicture(path, largestPictureFileBytes, pixelSide,
                       QFileInfo(path).suffix().toLower().toLatin1(), &isDecodablePictureSize);
}
