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

}  // namespace orbel
