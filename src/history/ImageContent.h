#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>

#include <memory>

// A picture, as PNG. Once the history holds it, its bytes are in a file and
// in memory it is that file's path, size, dimensions and hash (computed at
// the first need); the bytes are read when something needs them (writing
// back, a drag, a preview, a card being drawn) and not kept. A picture just
// copied holds its bytes until the history has written them. Copies share
// one state, which never changes: safe to read from any thread.
class ImageContent {
public:
    explicit ImageContent(QByteArray png);
    // The picture in the file at `path`, of `size` bytes, whose first bytes
    // are `header` (for its dimensions).
    static ImageContent inFile(const QString& path, qint64 size, QByteArrayView header);

    // The same picture, its bytes now in the file at `path`.
    ImageContent storedIn(const QString& path) const;
    // The same picture holding its bytes, read now: for when its file is
    // about to go.
    ImageContent withBytes() const;

    // The PNG bytes; empty when the file can no longer be read.
    QByteArray png() const;
    qint64 byteSize() const;
    // Read from the PNG header; invalid when the bytes are not a PNG's.
    QSize pixelSize() const;
    // SHA-256 of the kind's letter and the bytes: equal exactly for equal
    // pictures.
    QByteArray contentHash() const;
    QString filePath() const;
    bool holdsBytes() const;

    friend bool operator==(const ImageContent& a, const ImageContent& b);

    // The dimensions a PNG's first 24 bytes give; invalid for anything else.
    static QSize pngPixelSize(QByteArrayView header);

private:
    struct State;
    explicit ImageContent(std::shared_ptr<const State> state);

    std::shared_ptr<const State> m_state;
};
