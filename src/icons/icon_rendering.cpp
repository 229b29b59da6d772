// Drawing of slot icons: images for the dial, views for the settings window.

#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QCache>
#include <cmath>
#include <mutex>

#include "icons/custom_images.h"
#include "icons/icon_catalog.h"
#include "model/hex_color.h"
#include "model/text.h"
#include "platform/svg_image.h"

namespace orbel {
namespace {

const IconPack kSystemSymbols{"sf"};

// Rendered pack SVGs under their cache keys, at most `kImageCacheLimit`;
// the least recently used image goes first.
class SvgImageCache {
public:
    std::optional<QImage> find(const std::string& key) {
        std::lock_guard lock(mutex_);
        if (const QImage* image = cache_.object(QString::fromStdString(key))) return *image;
        return std::nullopt;
    }
    void insert(const std::string& key, const QImage& image) {
        std::lock_guard lock(mutex_);
        cache_.insert(QString::fromStdString(key), new QImage(image), 1);
    }
    static SvgImageCache& shared() {
        static auto* cache = new SvgImageCache;
        return *cache;
    }

private:
    std::mutex mutex_;
    QCache<QString, QImage> cache_{IconCatalog::kImageCacheLimit};
};

QFont systemFont(double pointSize, QFont::Weight weight = QFont::Normal) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(std::max(pointSize, 0.5));
    font.setWeight(weight);
    return font;
}

// `text` in `font` and `color`, centred in a transparent size x size image.
QImage centredStringImage(const QString& text, const QFont& font, const QColor& color, double size, double dpr) {
    const int pixels = std::max(1, static_cast<int>(std::lround(size * dpr)));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(dpr);
    // Points are logical pixels here, as on the screen the image is for.
    constexpr int kDotsPerMeterAt72Dpi = 2835;
    image.setDotsPerMeterX(kDotsPerMeterAt72Dpi);
    image.setDotsPerMeterY(kDotsPerMeterAt72Dpi);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, text);
    return image;
}

QColor toQColor(const Rgb& c) { return QColor::fromRgbF(float(c.r), float(c.g), float(c.b)); }

// A custom image fitted within size x size points at `dpr`; nothing while
// it loads (the views are told when it has) or when it cannot be used.
std::optional<QImage> loadImage(std::string_view path, QSizeF size, double dpr) {
    const QSize pixels((size * dpr).toSize());
    return CustomImages::shared().image(QString::fromUtf8(path.data(), qsizetype(path.size())), pixels);
}

// `image` scaled into `frame` keeping its aspect ratio, centred.
void drawFitted(QPainter& painter, const QRectF& frame, const QImage& image) {
    const QSizeF natural = image.deviceIndependentSize();
    if (natural.isEmpty() || frame.isEmpty()) return;
    const QSizeF fitted = natural.scaled(frame.size(), Qt::KeepAspectRatio);
    const QRectF target(frame.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
    painter.restore();
}

// A symbol drawn at `scale` x size, centred in the frame.
void drawSymbol(QPainter& painter, const QRectF& frame, platform::Symbols& symbols, const std::string& name,
                double size, double scale, const QColor& color, double dpr) {
    const double side = size * scale;
    const QImage image = symbols.image(name, side, color, dpr);
    const double fit = std::min({side, frame.width(), frame.height()});
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(frame.center() - QPointF(fit / 2, fit / 2), QSizeF(fit, fit)), image);
    painter.restore();
}

// Font sizes are given in logical pixels; a device's points depend on its
// resolution.
double pointsPerPixel(const QPainter& painter) {
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
    return dpi > 0 ? 72.0 / dpi : 1.0;
}

void drawText(QPainter& painter, const QRectF& frame, const QString& text, const QFont& font, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(frame, Qt::AlignCenter, text);
    painter.restore();
}

}  // namespace

std::string IconCatalog::svgDocument(const IconCatalogEntry& entry, double size, std::string_view color) {
    return platform::svgDocument(entry.svgBody.value_or(""), size, entry.width.value_or(24),
                                 entry.height.value_or(24), color);
}

std::string IconCatalog::svgCacheKey(const IconPack& pack, std::string_view name, double size,
                                     const IconStyle& style) {
    const double rounded = text::roundHalfAwayFromZero(size);
    const std::string whole = std::isfinite(rounded) && std::abs(rounded) < 1e15
                                  ? std::to_string(static_cast<long long>(rounded))
                                  : platform::svgNumber(rounded);
    return pack.rawValue + "|" + std::string(name) + "|" + whole + "|" +
           style.label.name(QColor::HexArgb).toStdString() + "|" + platform::svgNumber(style.devicePixelRatio);
}

QString IconCatalog::monogramText(std::string_view text) {
    return QString::fromStdString(text::graphemePrefix(text, 3));
}

QString IconCatalog::expandedImagePath(std::string_view path) {
    const QString text = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    if (text == QStringLiteral("~")) return QDir::homePath();
    if (text.startsWith(QStringLiteral("~/"))) return QDir::homePath() + text.mid(1);
    return text;
}

std::optional<QImage> IconCatalog::svgImage(const IconCatalogEntry& entry, const IconPack& pack, double size,
                                            const IconStyle& style) {
    if (!entry.svgBody) return std::nullopt;
    if (!(size > 0) || !std::isfinite(size)) return std::nullopt;
    const std::string key = svgCacheKey(pack, entry.name, size, style);
    auto& cache = SvgImageCache::shared();
    if (auto cached = cache.find(key)) return cached;
    const std::string document = svgDocument(entry, size, platform::svgColor(style.label));
    auto image = platform::renderSvg(document, size, style.devicePixelRatio, style.label.alphaF());
    if (!image) return std::nullopt;
    cache.insert(key, *image);
    return image;
}

std::optional<QImage> IconCatalog::packSVGImage(const IconPack& pack, std::string_view name, double size,
                                                const IconStyle& style) {
    if (!isAvailable(pack)) return std::nullopt;
    if (const auto found = entry(pack, name)) return svgImage(*found, pack, size, style);
    return std::nullopt;
}

std::optional<char32_t> IconCatalog::glyphScalar(const IconCatalogEntry& entry) {
    if (!entry.codepoint || entry.codepoint->empty()) return std::nullopt;
    std::string_view digits = *entry.codepoint;
    if (digits.front() == '+') digits.remove_prefix(1);
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    return static_cast<char32_t>(value);
}

std::optional<char32_t> IconCatalog::packGlyphScalar(const IconPack& pack, std::string_view name) {
    if (!isAvailable(pack)) return std::nullopt;
    if (const auto found = entry(pack, name)) return glyphScalar(*found);
    return std::nullopt;
}

std::optional<QFont> IconCatalog::glyphFont(const IconPack& pack, double pointSize) const {
    const auto fontName = pack.fontPostScriptName();
    if (!fontName) return std::nullopt;
    return fonts_.font(*fontName, pointSize).value_or(systemFont(pointSize));
}

std::optional<QImage> IconCatalog::slotIconImage(const SlotIcon& icon, double size, const IconStyle& style) {
    const double dpr = style.devicePixelRatio;
    if (icon.isAuto() || !(size > 0) || !std::isfinite(size)) return std::nullopt;
    if (const auto* file = icon.get<SlotIcon::CustomImage>()) return loadImage(file->path, QSizeF(size, size), dpr);
    if (const auto* monogram = icon.get<SlotIcon::Text>()) {
        const auto tint = monogram->tint();
        return centredStringImage(monogramText(monogram->text), systemFont(size * 0.55, QFont::DemiBold),
                                  tint ? toQColor(*tint) : style.label, size, dpr);
    }
    const auto& symbol = *icon.get<SlotIcon::SymbolPack>();
    if (symbol.pack == kSystemSymbols) {
        if (!symbols_.has(symbol.name)) return std::nullopt;
        return symbols_.image(symbol.name, size, style.label, dpr);
    }
    if (auto image = packSVGImage(symbol.pack, symbol.name, size, style)) return image;
    if (const auto scalar = packGlyphScalar(symbol.pack, symbol.name)) {
        if (const auto font = glyphFont(symbol.pack, size * 0.86))
            return centredStringImage(QString::fromUcs4(&*scalar, 1), *font, style.label, size, dpr);
    }
    return std::nullopt;
}

void IconCatalog::paintEntry(QPainter& painter, const QRectF& frame, const IconCatalogEntry& entry,
                             const IconPack& pack, double size, const IconViewStyle& style) {
    const double dpr = style.devicePixelRatio;
    if (pack == kSystemSymbols) {
        drawSymbol(painter, frame, symbols_, entry.name, size, 0.78, style.primary, dpr);
        return;
    }
    if (const auto image = svgImage(entry, pack, size, IconStyle{style.primary, dpr})) {
        drawFitted(painter, frame, *image);
        return;
    }
    if (const auto scalar = glyphScalar(entry)) {
        if (const auto font = glyphFont(pack, size * 0.86 * pointsPerPixel(painter))) {
            drawText(painter, frame, QString::fromUcs4(&*scalar, 1), *font, style.primary);
            return;
        }
    }
    drawSymbol(painter, frame, symbols_, "questionmark", size, 0.7, style.tertiary, dpr);
}

void IconCatalog::paintSlotIcon(QPainter& painter, const QRectF& frame, const SlotIcon& icon, double size,
                                const IconViewStyle& style) {
    const double dpr = style.devicePixelRatio;
    if (icon.isAuto()) {
        drawSymbol(painter, frame, symbols_, "questionmark.circle", size, 0.78, style.secondary, dpr);
    } else if (const auto* file = icon.get<SlotIcon::CustomImage>()) {
        if (const auto image = loadImage(file->path, frame.size(), dpr)) drawFitted(painter, frame, *image);
        else drawSymbol(painter, frame, symbols_, "questionmark", size, 0.7, style.tertiary, dpr);
    } else if (const auto* monogram = icon.get<SlotIcon::Text>()) {
        const auto tint = monogram->tint();
        drawText(painter, frame, monogramText(monogram->text),
                 systemFont(size * 0.55 * pointsPerPixel(painter), QFont::DemiBold),
                 tint ? toQColor(*tint) : style.primary);
    } else {
        const auto& symbol = *icon.get<SlotIcon::SymbolPack>();
        if (symbol.pack == kSystemSymbols) {
            drawSymbol(painter, frame, symbols_, symbol.name, size, 0.78, style.primary, dpr);
            return;
        }
        if (isAvailable(symbol.pack)) {
            if (const auto found = entry(symbol.pack, symbol.name))
                return paintEntry(painter, frame, *found, symbol.pack, size, style);
        }
        drawSymbol(painter, frame, symbols_, "questionmark", size, 0.7, style.tertiary, dpr);
    }
}

}  // namespace orbel
