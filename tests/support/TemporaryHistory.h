#pragma once

#include "history/ClipItem.h"

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

// A history folder of its own for one test, removed afterwards.
class TemporaryHistory {
public:
    TemporaryHistory();

    QString path() const { return m_dir.path(); }
    QString historyFile() const;
    QString imagesFolder() const;

    QByteArray readHistoryFile() const;
    void writeHistoryFile(const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
};

// A small valid PNG whose pixel colour is `seed`, so different seeds give
// different images.
QByteArray pngBytes(unsigned seed = 0);

// A small PNG whose header (and its checksum) claims `width` × `height`:
// what every reader looks at before it unpacks anything.
QByteArray pngClaiming(quint32 width, quint32 height);

TextContent textClip(const QString& text);

// `bytes` written to `path`, and the picture as the history then holds it:
// its file, not its bytes.
ImageContent pictureInFile(const QString& path, const QByteArray& bytes);
QByteArray pngOf(const QImage& image);
