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
#include <QThread>
#include <QThreadPool>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

struct DecodedImages {
    QMutex mutex;
    // Two screenfuls of cards of full-screen pictures at twice the pixels.
    QCache<QString, QImage> images{24 * 1024 * 1024};
    // Where cards were last drawn, for pictures decoded ahead of them.
    QSize lastBox;
};

DecodedImages& decoded() {
    static DecodedImages shared;
    return shared;
}

QString keyOf(const ClipItem& item, const ImageContent& image, QSize size) {
    return u"%1:%2:%3x%4"_s.arg(idText(item.id))
        .arg(image.byteSize())
        .arg(size.width())
        .arg(size.height());
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

// The picture's bytes are read on the worker too, and let go once decoded.
void startDecoding(const QString& key, const ImageContent& image, QSize box) {
    if (decoding().contains(key))
        return;
    decoding().insert(key);
    QObject* context = &mainThreadContext();
    pictureDecodingPool()->start([key, image, box, context] {
        if (!kept(key))
            keep(key, decodedPicture(image.png(), box));
        QMetaObject::invokeMethod(context, [key] { finishDecoding(key); });
    });
}

} // namespace

QThreadPool* pictureDecodingPool() {
    static QThreadPool pool;
    static std::once_flag sized;
    std::call_once(sized, [] { pool.setMaxThreadCount(qMax(1, QThread::idealThreadCount() / 2)); });
    return &pool;
}

QSize fittedPictureSize(QSize pixels, QSize box) {
    if (!pixels.isValid() || box.isEmpty())
        return {};
    if (pixels.width() <= box.width() && pixels.height() <= box.height())
        return pixels;
    return pixels.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage decodedPicture(const QByteArray& png, QSize box) {
    // Decoding a large photo scaled down still needs the whole picture in
    // memory once.
    allowDecodablePictures();
    PngReader pngReader(png);
    QImageReader& reader = pngReader.reader();
    const QSize size = reader.size();
    if (!isDecodablePictureSize(size))
        return {};
    const QSize fitted = fittedPictureSize(size, box);
    if (fitted.isEmpty())
        return {};
    if (fitted != size)
        reader.setScaledSize(fitted);
    return reader.read();
}

std::optional<QImage> cardImage(const ClipItem& item, QSize box, QObject* receiver,
                                std::function<void()> whenDecoded) {
    const auto* image = std::get_if<ImageContent>(&item.content);
    if (!image || box.isEmpty())
        return QImage();
    decoded().lastBox = box;
    const QString key = keyOf(item, *image, fittedPictureSize(image->pixelSize(), box));
    if (auto found = kept(key))
        return found;
    if (receiver && whenDecoded)
        waiting()[key].append({receiver, std::move(whenDecoded)});
    startDecoding(key, *image, box);
    return std::nullopt;
}

void forgetCardImagesExcept(const QList<ClipItem>& items) {
    QSet<QString> shown;
    for (const ClipItem& item : items)
        shown.insert(idText(item.id));
    QMutexLocker lock(&decoded().mutex);
    for (const QString& key : decoded().images.keys()) {
        if (!shown.contains(key.section(u':', 0, 0)))
            decoded().images.remove(key);
    }
}

void prefetchCardImages(const QList<ClipItem>& items) {
    const QSize box = decoded().lastBox;
    if (box.isEmpty())
        return;
    for (const ClipItem& item : items) {
        const auto* image = std::get_if<ImageContent>(&item.content);
        if (!image)
            continue;
        const QString key = keyOf(item, *image, fittedPictureSize(image->pixelSize(), box));
        if (!kept(key))
            startDecoding(key, *image, box);
    }
}

void releaseCardImages() {
    QMutexLocker lock(&decoded().mutex);
    decoded().images.clear();
}

qint64 cardImageBytes() {
    QMutexLocker lock(&decoded().mutex);
    return decoded().images.totalCost();
}

void decodePictureLater(const ImageContent& image, QSize box, QObject* receiver,
                        std::function<void(const QImage&)> done) {
    QObject* context = &mainThreadContext();
    pictureDecodingPool()->start(
        [image, box, context, receiver = QPointer(receiver), done = std::move(done)] {
            QImage picture = decodedPicture(image.png(), box);
            QMetaObject::invokeMethod(context, [receiver, done, picture = std::move(picture)] {
                if (receiver)
                    done(picture);
            });
        });
}

void waitForCardImagePrefetch() {
    pictureDecodingPool()->waitForDone();
    QCoreApplication::sendPostedEvents(&mainThreadContext());
}
