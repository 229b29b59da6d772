#include "model/action_category.h"

#include "model/raw_enum.h"

namespace orbel {

namespace {

constexpr raw_enum::Table<ActionCategory, 6> kActionCategories{{
    {ActionCategory::audio, "Audio"},
    {ActionCategory::display, "Display"},
    {ActionCategory::media, "Media"},
    {ActionCategory::connectivity, "Connectivity"},
    {ActionCategory::utilities, "Utilities"},
    {ActionCategory::system, "System"},
}};

}  // namespace

std::string_view rawValue(ActionCategory category) { return raw_enum::rawValue(kActionCategories, category); }

std::optional<ActionCategory> actionCategoryFromRaw(std::string_view raw) {
    return raw_enum::fromRaw(kActionCategories, raw);
}

const std::vector<ActionCategory>& allActionCategories() {
    static const std::vector<ActionCategory> all = raw_enum::values(kActionCategories);
    return all;
}

}  // namespace orbel
