#pragma once

// Text and number rules shared by the value types. Texts are UTF-8
// std::strings throughout the model.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Kept for the files of src/slots that take Uuid from here; new code
// includes model/uuid.h.
#include "model/uuid.h"

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
