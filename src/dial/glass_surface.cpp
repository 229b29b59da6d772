#include "dial/glass_surface.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>

#include "dial/kept_answers.h"

namespace orbel::dial {
namespace {

// One horizontal box pass over premultiplied ARGB32 rows, `r` pixels each
// side; pixels beyond the edges repeat the edge. Two channels are summed in
// each 32-bit word (alpha and green, red and blue: at most 255 * (2r + 1)
// each, well inside 16 bits for the radii used here), and the average
// divides by a multiply, exact for such sums. Averages are rounded to the
// nearest level, not truncated: six passes that each dropped the remainder
// would wipe out the faint tail of a light shadow.
void boxPass(const QImage& src, QImage& dst, int r) {
    const int w = src.width(), h = src.height();
    const std::uint32_t window = std::uint32_t(2 * r + 1);
    const std::uint64_t inverse = ((std::uint64_t(1) << 32) + window - 1) / window;
    const std::uint32_t half = window / 2;
    auto mean = [inverse, half](std::uint32_t sum) {
        return std::uint32_t((std::uint64_t(sum + half) * inverse) >> 32);
    };
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(dst.scanLine(y));
        std::uint32_t ag = 0, rb = 0;
        for (int x = -r; x <= r; ++x) {
            const QRgb c = in[std::clamp(x, 0, w - 1)];
            ag += (c >> 8) & 0x00ff00ffu;
            rb += c & 0x00ff00ffu;
        }
        for (int x = 0; x < w; ++x) {
            out[x] = (mean(ag >> 16) << 24) | (mean(rb >> 16) << 16) | (mean(ag & 0xffffu) << 8) | mean(rb & 0xffffu);
            const QRgb gone = in[std::max(x - r, 0)], come = in[std::min(x + r + 1, w - 1)];
            ag += ((come >> 8) & 0x00ff00ffu) - ((gone >> 8) & 0x00ff00ffu);
            rb += (come & 0x00ff00ffu) - (gone & 0x00ff00ffu);
        }
    }
}

// `image` shrunk to `size` by averaging the pixels each new one covers,
// as premultiplied ARGB32. Qt's smooth scaling is such an average; it works
// on opaque and premultiplied 32-bit pictures as they are, so the captured
// screen is not converted (a pass over every pixel) first.
QImage areaAverage(const QImage& image, QSize size) {
    QImage out = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Opaque pixels are valid premultiplied ones as they stand.
    if (out.format() == QImage::Format_RGB32) out.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    else if (out.format() != QImage::Format_ARGB32_Premultiplied)
        out = out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return out;
}

QImage transposed(const QImage& image) {
    QImage out(image.height(), image.width(), image.format());
    const auto* in = reinterpret_cast<const QRgb*>(image.constBits());
    auto* to = reinterpret_cast<QRgb*>(out.bits());
    const qsizetype inStride = image.bytesPerLine() / 4, outStride = out.bytesPerLine() / 4;
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) to[x * outStride + y] = in[y * inStride + x];
    return out;
}

// How far a blur of `radius` device pixels shrinks its picture first: to
// where the radius is at most 4 pixels.
double blurScale(double radius) { return std::min(1.0, 4.0 / radius); }

}  // namespace

// Three box passes of half-width `r` pixels along each axis: together a
// Gaussian-like blur of deviation sqrt(r * (r + 1)) pixels (each pass adds
// r * (r + 1) / 3 to the variance). The result is premultiplied ARGB32 of
// the same size and device pixel ratio.
static QImage boxBlurred(const QImage& image, int r) {
    QImage work = image.format() == QImage::Format_ARGB32_Premultiplied
                      ? image
                      : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage tmp(work.size(), work.format());
    for (int axis = 0; axis < 2; ++axis) {
        for (int pass = 0; pass < 3; ++pass) {
            boxPass(work, tmp, r);
            std::swap(work, tmp);
        }
        work = transposed(work);
        tmp = QImage(work.size(), work.format());
    }
    work.setDevicePixelRatio(image.devicePixelRatio());
    return work;
}

// Blurs at the reduced size blurScale gives; the result stays at that size
// (its device pixel ratio says how it maps to points).
QImage blurredSmall(const QImage& image, double radius) {
    const double scale = blurScale(radius);
    QImage work;
    if (scale < 1.0) {
        const QSize small(std::max(1, int(std::lround(image.width() * scale))),
                          std::max(1, int(std::lround(image.height() * scale))));
        work = areaAverage(image, small);
    } else {
        work = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    work = boxBlurred(work, std::max(1, int(std::lround(radius * scale / 1.5))));
    work.setDevicePixelRatio(image.devicePixelRatio() * double(work.width()) / image.width());
    return work;
}

QImage blurred(const QImage& image, double radius) {
    if (image.isNull() || radius < 0.5) return image;
    QImage small = blurredSmall(image, radius);
    if (small.size() == image.size()) return small;
    QImage full = small.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    full.setDevicePixelRatio(image.devicePixelRatio());
    return full;
}

QImage frostedGlass(const QImage& behind, bool dark) {
    if (behind.isNull() || behind.width() < 1) return {};
    // Kept small: painting it scaled up smooths it further.
    QImage glass = blurredSmall(behind, 24.0 * behind.devicePixelRatio());
    QPainter p(&glass);
    p.fillRect(QRectF(QPointF(0, 0), glass.deviceIndependentSize()),
               dark ? QColor(18, 18, 20, 125) : QColor(246, 246, 248, 130));
    return glass;
}

QImage softShadow(const QPainterPath& shape, QSizeF size, double dpr, const QColor& color, double deviation) {
    // Drawn straight at the density where three box passes of half-width r
    // (3, or less where the screen's density is too coarse for it) spread
    // exactly `deviation` points: a blur this soft loses nothing to being
    // scaled up when painted, and the cached copy stays small. Rounding the
    // passes to the screen's density instead would leave the shadow up to a
    // sixth tighter (or looser) than asked.
    int r = 3;
    while (r > 1 && std::sqrt(double(r * (r + 1))) > deviation * dpr) --r;
    const double wanted = deviation > 0 ? std::min(dpr, std::sqrt(double(r * (r + 1))) / deviation) : dpr;
    // Whole pixels across: a picture rounded to its pixels and stretched
    // back over `size` would draw the shape a little off its place.
    const int across = std::max(1, int(std::ceil(size.width() * wanted - 0.01)));
    const double density = across / size.width();
    const int down = std::max(1, int(std::ceil(size.height() * density - 0.01)));
    QImage image(across, down, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        // Scaled by hand: a painter ignores a device pixel ratio below 1.
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(density, density);
        p.fillPath(shape, color);
    }
    image.setDevicePixelRatio(density);
    // Less than half a pixel of blur: the shape as drawn.
    return deviation * density < 0.5 ? image : boxBlurred(image, r);
}

QImage discShadow(double diameter, double margin, double dpr, const QColor& color, double deviation) {
    static KeptAnswers<std::tuple<double, double, double, double, QRgb>, QImage, 8> kept;  // GUI thread; a few sizes
    return kept.get({diameter, margin, dpr, deviation, color.rgba()}, [&] {
        const double side = diameter + 2 * margin;
        QPainterPath disc;
        disc.addEllipse(QPointF(side / 2, side / 2), diameter / 2, diameter / 2);
        return softShadow(disc, QSizeF(side, side), dpr, color, deviation);
    });
}

}  // namespace orbel::dial
