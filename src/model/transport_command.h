#pragma once

// The music dial's transport buttons: play/pause, next track, previous track.
// Stored as a bare string ("toggle", "next", "prev").

#include <optional>
#include <string_view>

#include "model/json.h"

namespace orbel {

enum class TransportCommand { toggle, next, prev };

std::string_view rawValue(TransportCommand command);
// Exact, case-sensitive match; anything else gives nothing.
std::optional<TransportCommand> transportCommandFromRaw(std::string_view raw);

// A non-string fails with a type mismatch; an unknown text with
// "Cannot initialize TransportCommand from invalid String value <text>".
TransportCommand transportCommandFromJson(const json::Node& node);
json::Json toJson(TransportCommand command);

}  // namespace orbel
