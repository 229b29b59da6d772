#pragma once

// Text and number rules shared by the value types. Texts are UTF-8
// std::strings throughout the model.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orbel::text {

// Removes tabs and Unicode space separators (category Zs) from both ends;
// line breaks stay.
std::string trimSpacesAndTabs(std::string_view s);
// Removes all white space and line breaks (Zs, tab, LF, VT, FF, CR, NEL,
// U+2028, U+2029) from both ends.
std::string trimWhitespaceAndNewlines(std::string_view s);

// Upper-cases the first grapheme cluster and keeps the rest unchanged.
std::string capitalizeFirst(std::string_view s);
// Number of user-perceived characters (extended grapheme clusters).
std::size_t graphemeCount(std::string_view s);
// The first `n` grapheme clusters.
std::string graphemePrefix(std::string_view s, std::size_t n);

std::string toLower(std::string_view s);  // full Unicode lower-casing
std::string toUpper(std::string_view s);

// Base-10 signed 64-bit integer: optional sign then digits, nothing else.
std::optional<std::int64_t> parseInt64(std::string_view s);

// Rounds halves away from zero.
double roundHalfAwayFromZero(double v);

// Clamps into [lo, hi]; NaN goes to the lower bound.
template <class T>
T clamp(T v, T lo, T hi) {
    if (!(v >= lo)) return lo;  // also catches NaN
    if (v > hi) return hi;
    return v;
}

}  // namespace orbel::text

namespace orbel {

// A 128-bit identifier written as upper-case 8-4-4-4-12 hexadecimal text.
class Uuid {
public:
    Uuid() = default;  // the nil UUID
    static Uuid random();
    // Accepts exactly 36 characters in the 8-4-4-4-12 layout, hex digits in
    // either case; anything else gives nothing.
    static std::optional<Uuid> parse(std::string_view text);

    std::string toString() const;  // upper case
    bool isNil() const;

    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;
    std::size_t hash() const;

private:
    std::uint64_t hi_ = 0;
    std::uint64_t lo_ = 0;
};

}  // namespace orbel

template <>
struct std::hash<orbel::Uuid> {
    std::size_t operator()(const orbel::Uuid& u) const noexcept { return u.hash(); }
};
