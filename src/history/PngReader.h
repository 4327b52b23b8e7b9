#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

// Reads the PNG bytes of an image clip. The format is fixed: left to guess,
// Qt asks every image plugin it has, which loads them all and the libraries
// behind them (megabytes that stay for the life of the process).
class PngReader {
public:
    explicit PngReader(const QByteArray& png);
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    QImageReader& reader() { return m_reader; }

private:
    QBuffer m_buffer;
    QImageReader m_reader;
};
