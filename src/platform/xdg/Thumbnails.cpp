#include "Thumbnails.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// Folders of the cache by the size they hold, largest first.
const std::pair<const char*, int> cacheSizes[] = {
    {"xx-large", 1024}, {"x-large", 512}, {"large", 256}, {"normal", 128}};

QImage fitted(QImage image, int pixelSide) {
    if (image.width() > pixelSide || image.height() > pixelSide)
        image = image.scaled(pixelSide, pixelSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
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
        // Thumbnails are small; the text chunks are checked after reading.
        const QImage image(cacheFolder() + u'/' + QLatin1StringView(it->first) + u'/' + name);
        if (!image.isNull() && image.text(u"Thumb::URI"_s).toUtf8() == uri &&
            image.text(u"Thumb::MTime"_s) == mtime)
            return fitted(image, pixelSide);
    }
    return {};
}

QImage Thumbnails::decoded(const QUrl& url, int pixelSide) {
    QImageReader reader(url.toLocalFile());
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid())
        return {};
    // Decode at the size shown, never a huge photo at full size.
    if (size.width() > pixelSide || size.height() > pixelSide)
        reader.setScaledSize(size.scaled(pixelSide, pixelSide, Qt::KeepAspectRatio));
    return reader.read();
}
