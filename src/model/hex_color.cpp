#include "model/hex_color.h"

#include "model/text.h"

namespace orbel {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int toByte(double component) {
    return static_cast<int>(text::roundHalfAwayFromZero(text::clamp(component, 0.0, 1.0) * 255.0));
}

}  // namespace

std::optional<Rgb> parseHexColor(std::string_view input) {
    const std::string trimmed = text::trimWhitespaceAndNewlines(input);
    std::string_view digits = trimmed;
    if (!digits.empty() && digits.front() == '#') digits.remove_prefix(1);
    if (digits.size() != 6) return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return Rgb{static_cast<double>((value >> 16) & 0xFF) / 255.0,
               static_cast<double>((value >> 8) & 0xFF) / 255.0,
               static_cast<double>(value & 0xFF) / 255.0};
}

std::string formatHexColor(const Rgb& color) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "#";
    for (double component : {color.r, color.g, color.b}) {
        const int byte = toByte(component);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
    }
    return out;
}

}  // namespace orbel
