#include "model/action_category.h"

namespace orbel {

std::string_view rawValue(ActionCategory category) {
    switch (category) {
        case ActionCategory::audio: return "Audio";
        case ActionCategory::display: return "Display";
        case ActionCategory::media: return "Media";
        case ActionCategory::connectivity: return "Connectivity";
        case ActionCategory::utilities: return "Utilities";
        case ActionCategory::system: return "System";
    }
    return "Audio";
}

std::optional<ActionCategory> actionCategoryFromRaw(std::string_view raw) {
    for (ActionCategory c : allActionCategories()) {
        if (rawValue(c) == raw) return c;
    }
    return std::nullopt;
}

const std::vector<ActionCategory>& allActionCategories() {
    static const std::vector<ActionCategory> all = {
        ActionCategory::audio,        ActionCategory::display,   ActionCategory::media,
        ActionCategory::connectivity, ActionCategory::utilities, ActionCategory::system,
    };
    return all;
}

}  // namespace orbel
