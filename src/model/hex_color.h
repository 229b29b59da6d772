#pragma once

// Six-digit hexadecimal colour texts ("#1E90FF", "1e90ff"), as stored for the
// appearance colours and the tint of monogram icons.

#include <optional>
#include <string>
#include <string_view>

namespace orbel {

// An opaque sRGB colour, components 0...1.
struct Rgb {
    double r = 0;
    double g = 0;
    double b = 0;
    bool operator==(const Rgb&) const = default;
};

// White space and line breaks around the text are ignored, then one leading
// "#" is dropped; what remains must be exactly six hexadecimal digits
// (either case) RRGGBB. No short form, no alpha, no "0x" prefix, no sign.
std::optional<Rgb> parseHexColor(std::string_view text);

// "#RRGGBB" in upper case. Components are held to 0...1 and rounded to the
// nearest of 256 steps; NaN counts as 0.
std::string formatHexColor(const Rgb& color);

}  // namespace orbel
