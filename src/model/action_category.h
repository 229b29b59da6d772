#pragma once

// The six groups the system actions are listed under. The raw value is also
// the group's display title and its identity.

#include <optional>
#include <string_view>
#include <vector>

namespace orbel {

enum class ActionCategory { audio, display, media, connectivity, utilities, system };

std::string_view rawValue(ActionCategory category);
// Exact, case-sensitive match of a raw value ("Audio"); anything else gives nothing.
std::optional<ActionCategory> actionCategoryFromRaw(std::string_view raw);
// audio, display, media, connectivity, utilities, system.
const std::vector<ActionCategory>& allActionCategories();

}  // namespace orbel
