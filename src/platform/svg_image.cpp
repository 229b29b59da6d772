#include "platform/svg_image.h"

#include <QPainter>
#include <QSvgRenderer>
#include <charconv>
#include <cmath>

namespace orbel::platform {

std::string svgNumber(double value) {
    // Plain decimals, never exponents: 100000.0, not 1e+05. The longest
    // (the smallest subnormal) takes 326 characters.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    if (std::isfinite(value) && text.find('.') == std::string::npos) text += ".0";
    return text;
}

std::string svgDocument(std::string_view body, double size, double viewWidth, double viewHeight,
                        std::string_view color) {
    std::string out = R"(<svg xmlns="http://www.w3.org/2000/svg" width=")" + svgNumber(size) + R"(" height=")" +
                      svgNumber(size) + R"(" viewBox="0 0 )" + svgNumber(viewWidth) + " " + svgNumber(viewHeight) +
                      R"(" fill="none" stroke="currentColor" color=")" + std::string(color) + R"(">)";
    out += body;
    out += "</svg>";
    return out;
}

std::string svgColor(const QColor& color) { return color.name(QColor::HexRgb).toStdString(); }

std::optional<QImage> renderSvg(const std::string& document, double size, double dpr, double opacity) {
    QSvgRenderer renderer(QByteArray::fromStdString(document));
    if (!renderer.isValid()) return std::nullopt;
    const int pixels = std::max(1, static_cast<int>(std::lround(size * dpr)));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return std::nullopt;  // too large to allocate
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(opacity);
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    }
    image.setDevicePixelRatio(dpr);
    return image;
}

}  // namespace orbel::platform
