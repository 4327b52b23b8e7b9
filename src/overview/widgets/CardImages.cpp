#include "CardImages.h"

#include <QBuffer>
#include <QCache>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

// Image bodies are decoded at about the size a card shows them.
constexpr int imageDecodeLimit = 900;

QImage decodeForCard(const QByteArray& png) {
    return decodedPicture(png, imageDecodeLimit);
}

struct DecodedImages {
    QMutex mutex;
    QCache<QString, QImage> images{100 * 1024 * 1024};
};

DecodedImages& decoded() {
    static DecodedImages shared;
    return shared;
}

QString keyOf(const ClipItem& item, const QByteArray& png) {
    return idText(item.id) + u':' + QString::number(png.size());
}

std::optional<QImage> kept(const QString& key) {
    QMutexLocker lock(&decoded().mutex);
    if (const QImage* image = decoded().images.object(key))
        return *image;
    return std::nullopt;
}

void keep(const QString& key, const QImage& image) {
    QMutexLocker lock(&decoded().mutex);
    decoded().images.insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes()));
}

} // namespace

QImage decodedPicture(const QByteArray& png, int longestSide) {
    // Decoding a large photo scaled down still needs the whole picture in
    // memory once; Qt's default limit (256 MB) would refuse a 64 MP one.
    static std::once_flag raised;
    std::call_once(raised, [] { QImageReader::setAllocationLimit(1024); });
    QByteArray bytes = png;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > maximumPicturePixels)
        return {};
    if (size.width() > longestSide || size.height() > longestSide)
        reader.setScaledSize(size.scaled(longestSide, longestSide, Qt::KeepAspectRatio));
    return reader.read();
}

QImage cardImage(const ClipItem& item) {
    const auto* image = std::get_if<ImageContent>(&item.content);
    if (!image)
        return {};
    const QString key = keyOf(item, image->png);
    if (auto found = kept(key))
        return *found;
    const QImage picture = decodeForCard(image->png);
    keep(key, picture);
    return picture;
}

void prefetchCardImages(const QList<ClipItem>& items) {
    QList<std::pair<QString, QByteArray>> missing;
    for (const ClipItem& item : items) {
        const auto* image = std::get_if<ImageContent>(&item.content);
        if (!image)
            continue;
        const QString key = keyOf(item, image->png);
        if (!kept(key))
            missing.append({key, image->png});
    }
    if (missing.isEmpty())
        return;
    QThreadPool::globalInstance()->start([missing] {
        for (const auto& [key, png] : missing) {
            if (!kept(key))
                keep(key, decodeForCard(png));
        }
    });
}

void waitForCardImagePrefetch() {
    QThreadPool::globalInstance()->waitForDone();
}
