#include "dial/glass_surface.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace orbel::dial {
namespace {

// One horizontal box pass over premultiplied ARGB32 rows, `r` pixels each side.
void boxPass(const QImage& src, QImage& dst, int r) {
    const int w = src.width(), h = src.height();
    const int window = 2 * r + 1;
    std::vector<int> sum(4);
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(dst.scanLine(y));
        int a = 0, rr = 0, g = 0, b = 0;
        auto add = [&](int x, int sign) {
            const QRgb c = in[std::clamp(x, 0, w - 1)];
            a += sign * qAlpha(c);
            rr += sign * qRed(c);
            g += sign * qGreen(c);
            b += sign * qBlue(c);
        };
        for (int x = -r; x <= r; ++x) add(x, 1);
        for (int x = 0; x < w; ++x) {
            out[x] = qRgba(rr / window, g / window, b / window, a / window);
            add(x - r, -1);
            add(x + r + 1, 1);
        }
    }
}

// `image` shrunk to `size` by averaging the pixels each new one covers
// (whole source pixels; the edges of a cell fall to the nearer cell). One
// pass over the source, without converting it first when it is 32-bit
// opaque or premultiplied already: averaging premultiplied values is exact.
QImage areaAverage(const QImage& image, QSize size) {
    const QImage::Format f = image.format();
    const QImage src = (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32_Premultiplied)
                           ? image
                           : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const bool opaque = src.format() == QImage::Format_RGB32;
    const int w = src.width(), h = src.height(), sw = size.width(), sh = size.height();
    std::vector<int> colStart(std::size_t(sw) + 1), rowStart(std::size_t(sh) + 1);
    for (int x = 0; x <= sw; ++x) colStart[std::size_t(x)] = int(std::lround(double(x) * w / sw));
    for (int y = 0; y <= sh; ++y) rowStart[std::size_t(y)] = int(std::lround(double(y) * h / sh));
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    std::vector<std::uint32_t> sums(std::size_t(sw) * 4);
    for (int oy = 0; oy < sh; ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int y0 = rowStart[std::size_t(oy)], y1 = std::max(y0 + 1, rowStart[std::size_t(oy) + 1]);
        for (int y = y0; y < std::min(y1, h); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            for (int ox = 0; ox < sw; ++ox) {
                std::uint32_t* s = &sums[std::size_t(ox) * 4];
                const int x1 = std::max(colStart[std::size_t(ox)] + 1, colStart[std::size_t(ox) + 1]);
                for (int x = colStart[std::size_t(ox)]; x < std::min(x1, w); ++x) {
                    const QRgb c = in[x];
                    s[0] += opaque ? 255u : qAlpha(c);
                    s[1] += qRed(c);
                    s[2] += qGreen(c);
                    s[3] += qBlue(c);
                }
            }
        }
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(oy));
        const int rows = std::min(y1, h) - y0;
        for (int ox = 0; ox < sw; ++ox) {
            const int cols = std::min(std::max(colStart[std::size_t(ox)] + 1, colStart[std::size_t(ox) + 1]), w) -
                             colStart[std::size_t(ox)];
            const std::uint32_t n = std::uint32_t(std::max(1, rows * cols)), half = n / 2;
            const std::uint32_t* s = &sums[std::size_t(ox) * 4];
            line[ox] = qRgba(int((s[1] + half) / n), int((s[2] + half) / n), int((s[3] + half) / n), int((s[0] + half) / n));
        }
    }
    return out;
}

QImage transposed(const QImage& image) {
    QImage out(image.height(), image.width(), image.format());
    for (int y = 0; y < image.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) reinterpret_cast<QRgb*>(out.scanLine(x))[y] = in[x];
    }
    return out;
}

// How far a blur of `radius` device pixels shrinks its picture first: to
// where the radius is at most 4 pixels.
double blurScale(double radius) { return std::min(1.0, 4.0 / radius); }

}  // namespace

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
    // Three box passes of radius r approximate a Gaussian of sigma ~ r.
    const int r = std::max(1, int(std::lround(radius * scale / 1.5)));
    QImage tmp(work.size(), work.format());
    for (int axis = 0; axis < 2; ++axis) {
        for (int pass = 0; pass < 3; ++pass) {
            boxPass(work, tmp, r);
            std::swap(work, tmp);
        }
        work = transposed(work);
        tmp = QImage(work.size(), work.format());
    }
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

QImage softShadow(const QPainterPath& shape, QSizeF size, double dpr, const QColor& color, double blurRadius) {
    // Drawn straight at the size the blur works at: a blur this soft loses
    // nothing to being scaled up when painted, and the cached copy stays small.
    const double radius = blurRadius * dpr;
    const double density = dpr * blurScale(radius);
    QImage image((size * density).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        // Scaled by hand: a painter ignores a device pixel ratio below 1.
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(density, density);
        p.fillPath(shape, color);
    }
    image.setDevicePixelRatio(density);
    return radius < 0.5 ? image : blurredSmall(image, radius * density / dpr);
}

QImage discShadow(double diameter, double margin, double dpr, const QColor& color, double blurRadius) {
    struct Entry {
        double diameter, margin, dpr, blur;
        QRgb color;
        QImage image;
    };
    static std::vector<Entry> cache;  // GUI thread; a handful of sizes at most
    for (const Entry& e : cache)
        if (e.diameter == diameter && e.margin == margin && e.dpr == dpr && e.blur == blurRadius && e.color == color.rgba())
            return e.image;
    const double side = diameter + 2 * margin;
    QPainterPath disc;
    disc.addEllipse(QPointF(side / 2, side / 2), diameter / 2, diameter / 2);
    QImage image = softShadow(disc, QSizeF(side, side), dpr, color, blurRadius);
    if (cache.size() >= 8) cache.erase(cache.begin());
    cache.push_back({diameter, margin, dpr, blurRadius, color.rgba(), image});
    return image;
}

}  // namespace orbel::dial
