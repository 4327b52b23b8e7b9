#include "CardImages.h"

#include "history/PngReader.h"

#include <QCache>
#include <QCoreApplication>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QSet>
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
    // Two screenfuls of cards of full-screen pictures.
    QCache<QString, QImage> images{32 * 1024 * 1024};
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

// Who waits for which picture, and which are being decoded: touched on the
// main thread only.
struct Waiter {
    QPointer<QObject> receiver;
    std::function<void()> notify;
};

QHash<QString, QList<Waiter>>& waiting() {
    static QHash<QString, QList<Waiter>> waiters;
    return waiters;
}

QSet<QString>& decoding() {
    static QSet<QString> keys;
    return keys;
}

// Lives on the main thread (first used there), where decoders report back.
QObject& mainThreadContext() {
    static QObject context;
    return context;
}

void finishDecoding(const QString& key) {
    decoding().remove(key);
    for (const Waiter& waiter : waiting().take(key)) {
        if (waiter.receiver)
            waiter.notify();
    }
}

void startDecoding(const QString& key, const QByteArray& png) {
    if (decoding().contains(key))
        return;
    decoding().insert(key);
    QObject* context = &mainThreadContext();
    QThreadPool::globalInstance()->start([key, png, context] {
        if (!kept(key))
            keep(key, decodeForCard(png));
        QMetaObject::invokeMethod(context, [key] { finishDecoding(key); });
    });
}

} // namespace

QImage decodedPicture(const QByteArray& png, int longestSide) {
    // Decoding a large photo scaled down still needs the whole picture in
    // memory once; Qt's default limit (256 MB) would refuse a 64 MP one.
    static std::once_flag raised;
    std::call_once(raised, [] { QImageReader::setAllocationLimit(1024); });
    PngReader pngReader(png);
    QImageReader& reader = pngReader.reader();
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > maximumPicturePixels)
        return {};
    if (size.width() > longestSide || size.height() > longestSide)
        reader.setScaledSize(size.scaled(longestSide, longestSide, Qt::KeepAspectRatio));
    return reader.read();
}

QSize pictureSize(const QByteArray& png) {
    return PngReader(png).reader().size();
}

std::optional<QImage> cardImage(const ClipItem& item, QObject* receiver,
                                std::function<void()> whenDecoded) {
    const auto* image = std::get_if<ImageContent>(&item.content);
    if (!image)
        return QImage();
    const QString key = keyOf(item, image->png);
    if (auto found = kept(key))
        return found;
    if (receiver && whenDecoded)
        waiting()[key].append({receiver, std::move(whenDecoded)});
    startDecoding(key, image->png);
    return std::nullopt;
}

void forgetCardImagesExcept(const QList<ClipItem>& items) {
    QSet<QString> shown;
    for (const ClipItem& item : items) {
        if (const auto* image = std::get_if<ImageContent>(&item.content))
            shown.insert(keyOf(item, image->png));
    }
    QMutexLocker lock(&decoded().mutex);
    for (const QString& key : decoded().images.keys()) {
        if (!shown.contains(key))
            decoded().images.remove(key);
    }
}

void prefetchCardImages(const QList<ClipItem>& items) {
    for (const ClipItem& item : items) {
        const auto* image = std::get_if<ImageContent>(&item.content);
        if (!image)
            continue;
        const QString key = keyOf(item, image->png);
        if (!kept(key))
            startDecoding(key, image->png);
    }
}

void decodePictureLater(const QByteArray& png, int longestSide, QObject* receiver,
                        std::function<void(const QImage&)> done) {
    QObject* context = &mainThreadContext();
    QThreadPool::globalInstance()->start(
        [png, longestSide, context, receiver = QPointer(receiver), done = std::move(done)] {
            QImage picture = decodedPicture(png, longestSide);
            QMetaObject::invokeMethod(context, [receiver, done, picture = std::move(picture)] {
                if (receiver)
                    done(picture);
            });
        });
}

void waitForCardImagePrefetch() {
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents(&mainThreadContext());
}
