#include "TemporaryHistory.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

using namespace Qt::StringLiterals;

TemporaryHistory::TemporaryHistory() : m_dir(QDir::tempPath() + "/velloq-test-XXXXXX"_L1) {}

QString TemporaryHistory::historyFile() const {
    return path() + "/items.json"_L1;
}

QString TemporaryHistory::imagesFolder() const {
    return path() + "/images"_L1;
}

QByteArray TemporaryHistory::readHistoryFile() const {
    QFile file(historyFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TemporaryHistory::writeHistoryFile(const QByteArray& bytes) const {
    QFile file(historyFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray pngBytes(unsigned seed) {
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(seed & 0xffffff));
    return pngOf(image);
}

QByteArray pngClaiming(quint32 width, quint32 height) {
    QByteArray png = pngBytes(1);
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char(width >> (24 - 8 * i));
        png[20 + i] = char(height >> (24 - 8 * i));
    }
    quint32 crc = 0xffffffff;
    for (const char byte : png.sliced(12, 17)) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i)
        png[29 + i] = char(crc >> (24 - 8 * i));
    return png;
}

QByteArray pngOf(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

ImageContent pictureInFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    return ImageContent(bytes).storedIn(path);
}

TextContent textClip(const QString& text) {
    return TextContent{text};
}
