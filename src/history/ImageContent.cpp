#include "ImageContent.h"

#include "ClipDisk.h"
#include "PrivateFiles.h"
#include "Sha256.h"

#include <QFile>
#include <QtEndian>

#include <mutex>

struct ImageContent::State {
    QByteArray png;
    QString path;
    qint64 size = 0;
    QSize pixels;
    mutable std::once_flag hashed;
    mutable QByteArray hash;
};

namespace {

constexpr char pngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr qsizetype hashChunkBytes = 1 << 20;

// Hashed from the file a megabyte at a time, so a large picture is never
// whole in memory for it.
void addFile(Sha256& hash, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(hashChunkBytes);
        if (chunk.isEmpty())
            return;
        hash.addData(chunk);
    }
}

} // namespace

ImageContent::ImageContent(std::shared_ptr<const State> state) : m_state(std::move(state)) {}

ImageContent::ImageContent(QByteArray png) {
    auto state = std::make_shared<State>();
    state->size = png.size();
    state->pixels = pngPixelSize(png);
    state->png = std::move(png);
    m_state = std::move(state);
}

ImageContent ImageContent::inFile(const QString& path, qint64 size, QByteArrayView header) {
    auto state = std::make_shared<State>();
    state->path = path;
    state->size = size;
    state->pixels = pngPixelSize(header);
    return ImageContent(std::move(state));
}

ImageContent ImageContent::storedIn(const QString& path) const {
    auto state = std::make_shared<State>();
    state->path = path;
    state->size = m_state->size;
    state->pixels = m_state->pixels;
    state->hash = contentHash();
    std::call_once(state->hashed, [] {});
    return ImageContent(std::move(state));
}

ImageContent ImageContent::withBytes() const {
    if (holdsBytes())
        return *this;
    auto state = std::make_shared<State>();
    state->png = png();
    state->path = m_state->path;
    state->size = state->png.size();
    state->pixels = pngPixelSize(state->png);
    state->hash = contentHash();
    std::call_once(state->hashed, [] {});
    return ImageContent(std::move(state));
}

QByteArray ImageContent::png() const {
    if (holdsBytes())
        return m_state->png;
    return readRegularFile(m_state->path, ClipDisk::maximumImageBytes).value_or(QByteArray());
}

qint64 ImageContent::byteSize() const {
    return m_state->size;
}

QSize ImageContent::pixelSize() const {
    return m_state->pixels;
}

QByteArray ImageContent::contentHash() const {
    std::call_once(m_state->hashed, [this] {
        Sha256 hash;
        hash.addData("i");
        if (holdsBytes())
            hash.addData(m_state->png);
        else
            addFile(hash, m_state->path);
        m_state->hash = hash.result();
    });
    return m_state->hash;
}

QString ImageContent::filePath() const {
    return m_state->path;
}

bool ImageContent::holdsBytes() const {
    return m_state->path.isEmpty() || !m_state->png.isNull();
}

bool operator==(const ImageContent& a, const ImageContent& b) {
    return a.m_state == b.m_state ||
           (a.byteSize() == b.byteSize() && a.contentHash() == b.contentHash());
}

QSize ImageContent::pngPixelSize(QByteArrayView header) {
    // The signature, then the IHDR chunk: its length, its name, the width
    // and the height, each a 32-bit big-endian number.
    if (header.size() < 24 || !header.startsWith(QByteArrayView(pngSignature, 8)) ||
        header.sliced(12, 4) != QByteArrayView("IHDR"))
        return {};
    const quint32 width = qFromBigEndian<quint32>(header.data() + 16);
    const quint32 height = qFromBigEndian<quint32>(header.data() + 20);
    if (width == 0 || height == 0 || width > quint32(INT_MAX) || height > quint32(INT_MAX))
        return {};
    return QSize(int(width), int(height));
}
