#include "model/hex_color.h"

#include <cstdint>
#include <string>

#include "model/text.h"

namespace orbel {

namespace {
int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::optional<Rgb> parseHexColor(std::string_view text) {
    const std::string trimmed = text::trimWhitespaceAndNewlines(text);
    std::string_view digits = trimmed;
    if (!digits.empty() && digits.front() == '#') digits.remove_prefix(1);
    // Six ASCII digits are six bytes; any other character fails the digit test.
    if (digits.size() != 6) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int d = hexDigitValue(c);
        if (d < 0) return std::nullopt;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return Rgb{static_cast<double>((value >> 16) & 0xFF) / 255.0,
               static_cast<double>((value >> 8) & 0xFF) / 255.0,
               static_cast<double>(value & 0xFF) / 255.0};
}

}  // namespace orbel
