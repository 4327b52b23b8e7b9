#include "BackdropBlur.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr int channels = 4;
constexpr int boxPasses = 3;

using Pixels = std::vector<std::uint8_t>;

// The picture averaged over blocks of factor×factor pixels, as bytes in
// the order of its 32-bit pixels.
Pixels shrunk(const QImage& picture, int factor, int width, int height) {
    Pixels result(std::size_t(width) * height * channels);
    std::vector<std::uint32_t> sums(std::size_t(width) * channels);
    const std::uint32_t area = std::uint32_t(factor) * std::uint32_t(factor);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int row = y * factor; row < (y + 1) * factor; ++row) {
            const std::uint8_t* source = picture.constScanLine(row);
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* block = source + std::size_t(x) * factor * channels;
                std::uint32_t* sum = sums.data() + std::size_t(x) * channels;
                for (int i = 0; i < factor; ++i, block += channels) {
                    for (int c = 0; c < channels; ++c)
                        sum[c] += block[c];
                }
            }
        }
        std::uint8_t* target = result.data() + std::size_t(y) * width * channels;
        for (std::size_t i = 0; i < sums.size(); ++i)
            target[i] = std::uint8_t(sums[i] / area);
    }
    return result;
}

// One box pass along a line of `count` pixels `step` pixels apart, edges
// repeated outwards; `line` holds a copy of the line as it was.
void boxPass(std::uint8_t* first, int count, std::size_t step, int radius, Pixels& line) {
    for (int i = 0; i < count; ++i)
        std::copy_n(first + i * step * channels, channels, line.data() + std::size_t(i) * channels);
    const auto at = [&](int index) {
        return line.data() + std::size_t(std::clamp(index, 0, count - 1)) * channels;
    };
    std::array<std::uint32_t, channels> sum{};
    for (int i = -radius; i <= radius; ++i) {
        for (int c = 0; c < channels; ++c)
            sum[c] += at(i)[c];
    }
    const std::uint32_t window = 2 * std::uint32_t(radius) + 1;
    for (int i = 0; i < count; ++i) {
        std::uint8_t* target = first + std::size_t(i) * step * channels;
        const std::uint8_t* entering = at(i + radius + 1);
        const std::uint8_t* leaving = at(i - radius);
        for (int c = 0; c < channels; ++c) {
            target[c] = std::uint8_t(sum[c] / window);
            sum[c] = sum[c] + entering[c] - leaving[c];
        }
    }
}

// Scales the colours alone, which keeps premultiplied pixels valid.
void darken(QImage& picture, qreal shade) {
    if (shade <= 0)
        return;
    const auto keep = std::uint32_t(std::clamp(1.0 - shade, 0.0, 1.0) * 256);
    for (int y = 0; y < picture.height(); ++y) {
        auto* pixel = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x, ++pixel) {
            *pixel = qRgba(qRed(*pixel) * keep >> 8, qGreen(*pixel) * keep >> 8,
                           qBlue(*pixel) * keep >> 8, qAlpha(*pixel));
        }
    }
}

} // namespace

QImage BackdropBlur::blurred(const QImage& picture, int factor, int radius, qreal shade) {
    if (picture.isNull())
        return {};
    factor = std::max(1, factor);
    const QImage source = picture.format() == QImage::Format_RGB32 ||
                                  picture.format() == QImage::Format_ARGB32_Premultiplied
                              ? picture
                              : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    factor = std::min({factor, source.width(), source.height()});
    const int width = source.width() / factor;
    const int height = source.height() / factor;
    Pixels pixels = shrunk(source, factor, width, height);
    Pixels line(std::size_t(std::max(width, height)) * channels);
    for (int pass = 0; pass < boxPasses && radius > 0; ++pass) {
        for (int y = 0; y < height; ++y)
            boxPass(pixels.data() + std::size_t(y) * width * channels, width, 1, radius, line);
        for (int x = 0; x < width; ++x)
            boxPass(pixels.data() + std::size_t(x) * channels, height, std::size_t(width), radius,
                    line);
    }
    QImage result(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y)
        std::copy_n(pixels.data() + std::size_t(y) * width * channels, width * channels,
                    result.scanLine(y));
    darken(result, shade);
    return result;
}
