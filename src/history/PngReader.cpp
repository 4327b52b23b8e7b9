#include "PngReader.h"

PngReader::PngReader(const QByteArray& png) : m_reader(&m_buffer, "png") {
    m_buffer.setData(png);
    m_reader.setAutoDetectImageFormat(false);
}
