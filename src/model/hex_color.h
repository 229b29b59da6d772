#pragma once

// Colours written as hexadecimal text: six digits RRGGBB, with an optional
// leading "#". Used by the appearance colours and by monogram icon tints.

#include <optional>
#include <string_view>

namespace orbel {

// An opaque sRGB colour, each component in 0...1.
struct Rgb {
    double r = 0;
    double g = 0;
    double b = 0;

    bool operator==(const Rgb&) const = default;
};

// Trims white space and line breaks from both ends, drops one leading "#",
// then reads exactly six hexadecimal digits (either case). Anything else
// (three or eight digits, a second "#", a "0x" prefix, a sign, the empty
// text) gives nothing. Components are the byte values divided by 255.
std::optional<Rgb> parseHexColor(std::string_view text);

}  // namespace orbel
