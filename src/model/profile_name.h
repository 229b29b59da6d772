#pragma once

// A profile's name as every part of Orbel spells it: without the spaces and
// tabs typed or written around it. The store names the profile's file after
// it, the active profile is kept under it, a profile slot switches to it, and
// two names are the same profile when they normalise alike.

#include <string>
#include <string_view>

#include "model/text.h"

namespace orbel {

inline std::string normalisedProfileName(std::string_view name) { return text::trimSpacesAndTabs(name); }

// Whether a name holds a control character (C0, DEL, C1), a line or
// paragraph separator (U+2028, U+2029) or a character that turns the
// direction of the text around it (U+061C, U+200E/F, U+202A–U+202E,
// U+2066–U+2069). No new profile is given such a name; one already stored
// keeps working.
bool hasControlCharacters(std::string_view name);

// A profile's name wherever a person reads it (lists, the dial, titles,
// confirmations, messages): control characters and characters that change
// or hide the text around them are written out as "<U+202E>", a NUL as
// "\0", so that "Evil<U+202E>gnp.exe" never shows as "Evilexe.png" and no
// name breaks over two lines. Every other character stands as it is.
std::string shownProfileName(std::string_view name);

}  // namespace orbel
