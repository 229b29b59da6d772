#pragma once

// Which dial is shown: the configured slots, or the music controls.
// Stored as a bare string ("standard", "music").

#include <optional>
#include <string_view>

#include "model/json.h"

namespace orbel {

enum class DialMode { standard, music };

std::string_view rawValue(DialMode mode);
// Exact, case-sensitive match with no trimming; anything else gives nothing.
std::optional<DialMode> dialModeFromRaw(std::string_view raw);

// A non-string fails with a type mismatch; an unknown text with
// "Cannot initialize DialMode from invalid String value <text>".
DialMode dialModeFromJson(const json::Node& node);
json::Json toJson(DialMode mode);

}  // namespace orbel
