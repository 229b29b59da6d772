#include "dial/glass_surface.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
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

QImage transposed(const QImage& image) { return image.transformed(QTransform(0, 1, 1, 0, 0, 0)); }

// How far a blur of `radius` device pixels shrinks its picture first: to
// where the radius is at most 4 pixels.
double blurScale(double radius) { return std::min(1.0, 4.0 / radius); }

}  // namespace

// Blurs at the reduced size blurScale gives; the result stays at that size
// (its device pixel ratio says how it maps to points).
QImage blurredSmall(const QImage& image, double radius) {
    const double scale = blurScale(radius);
    QImage work = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (scale < 1.0) {
        const QSize small(std::max(1, int(std::lround(work.width() * scale))),
                          std::max(1, int(std::lround(work.height() * scale))));
        work = work.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
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
