#include "BackdropBlur.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr int boxPasses = 3;
// Sums of up to 255 eight-bit channels fit in the 16-bit lanes below.
constexpr int largestRadius = 127;

// Two channels of a pixel side by side, each in a 16-bit lane, so that one
// addition sums both: red and blue, then alpha and green.
constexpr std::uint32_t lanes = 0x00ff00ff;
std::uint32_t redBlue(QRgb pixel) {
    return pixel & lanes;
}
std::uint32_t alphaGreen(QRgb pixel) {
    return (pixel >> 8) & lanes;
}

// Divides lane sums by `count` through a multiplication: a division per
// channel would cost more than all the rest.
class LaneDivider {
public:
    explicit LaneDivider(std::uint32_t count) : m_scale((std::uint64_t(1) << 32) / count + 1) {}

    QRgb pixel(std::uint32_t redBlue, std::uint32_t alphaGreen) const {
        return (part(alphaGreen >> 16) << 24) | (part(redBlue >> 16) << 16) |
               (part(alphaGreen & 0xffff) << 8) | part(redBlue & 0xffff);
    }

private:
    std::uint32_t part(std::uint32_t sum) const {
        return std::min<std::uint32_t>(255, std::uint32_t((sum * m_scale) >> 32));
    }
    std::uint64_t m_scale;
};

// One box pass along every row of `source` into `target`, edges repeated
// outwards.
void boxRows(const QImage& source, QImage& target, int radius) {
    const int width = source.width();
    const LaneDivider divider(2 * std::uint32_t(radius) + 1);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        std::uint32_t redBlues = 0;
        std::uint32_t alphaGreens = 0;
        for (int i = -radius; i <= radius; ++i) {
            const QRgb pixel = in[std::clamp(i, 0, width - 1)];
            redBlues += redBlue(pixel);
            alphaGreens += alphaGreen(pixel);
        }
        for (int x = 0; x < width; ++x) {
            out[x] = divider.pixel(redBlues, alphaGreens);
            // Each lane's sum stays at or above what leaves it: no borrows.
            const QRgb entering = in[std::min(x + radius + 1, width - 1)];
            const QRgb leaving = in[std::max(x - radius, 0)];
            redBlues = redBlues + redBlue(entering) - redBlue(leaving);
            alphaGreens = alphaGreens + alphaGreen(entering) - alphaGreen(leaving);
        }
    }
}

// One box pass down every column of `source` into `target`, a row at a
// time so that memory is read in order.
void boxColumns(const QImage& source, QImage& target, int radius) {
    const int width = source.width();
    const int height = source.height();
    const LaneDivider divider(2 * std::uint32_t(radius) + 1);
    const auto row = [&](int y) {
        return reinterpret_cast<const QRgb*>(source.constScanLine(std::clamp(y, 0, height - 1)));
    };
    std::vector<std::uint32_t> redBlues(static_cast<std::size_t>(width));
    std::vector<std::uint32_t> alphaGreens(static_cast<std::size_t>(width));
    for (int i = -radius; i <= radius; ++i) {
        const QRgb* in = row(i);
        for (std::size_t x = 0; x < std::size_t(width); ++x) {
            redBlues[x] += redBlue(in[x]);
            alphaGreens[x] += alphaGreen(in[x]);
        }
    }
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        const QRgb* entering = row(y + radius + 1);
        const QRgb* leaving = row(y - radius);
        for (std::size_t x = 0; x < std::size_t(width); ++x) {
            out[x] = divider.pixel(redBlues[x], alphaGreens[x]);
            redBlues[x] = redBlues[x] + redBlue(entering[x]) - redBlue(leaving[x]);
            alphaGreens[x] = alphaGreens[x] + alphaGreen(entering[x]) - alphaGreen(leaving[x]);
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
            const QRgb colours = ((redBlue(*pixel) * keep >> 8) & lanes) |
                                 ((((*pixel >> 8) & 0xff) * keep) & 0xff00);
            *pixel = (*pixel & 0xff000000) | colours;
        }
    }
}

} // namespace

QImage BackdropBlur::blurred(const QImage& picture, int factor, int radius, qreal shade) {
    if (picture.isNull())
        return {};
    const QImage source = picture.format() == QImage::Format_RGB32 ||
                                  picture.format() == QImage::Format_ARGB32_Premultiplied
                              ? picture
                              : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    factor = std::clamp(factor, 1, std::min(source.width(), source.height()));
    radius = std::clamp(radius, 0, largestRadius);
    // Qt's smooth scaling averages each block, on several threads.
    QImage result = source.scaled(source.width() / factor, source.height() / factor,
                                  Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    result.setDevicePixelRatio(1);
    // Each pass reads one picture and writes the other.
    QImage other(result.size(), result.format());
    for (int pass = 0; pass < boxPasses && radius > 0; ++pass) {
        boxRows(result, other, radius);
        boxColumns(other, result, radius);
    }
    darken(result, shade);
    return result;
}
