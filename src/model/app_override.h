#pragma once

// What changes while a given application is frontmost: its own dial, look,
// size and keys. Every field is optional.

#include <optional>
#include <string>
#include <vector>

#include "model/appearance_config.h"
#include "model/key_combination.h"
#include "model/slot_config.h"

namespace orbel {

struct AppOverride {
    std::optional<std::vector<SlotConfig>> slots;  // an empty list is an empty dial
    std::optional<std::string> menuTitle;
    std::optional<AppearanceConfig> appearance;
    std::optional<double> menuRadius;  // stored as read; clamped when applied
    std::optional<KeyCombination> closeMenuKey;
    std::optional<KeyCombination> goBackKey;

    bool operator==(const AppOverride&) const = default;

    // This application's root group, or nothing when no slots are set.
    std::optional<MenuGroup> menuGroup() const;

    static AppOverride fromJson(const json::Node& node);
    json::Json toJson() const;
};

inline constexpr const char* kDefaultAppMenuTitle = "App Menu";
// The range of the dial's radius; an override's is clamped into it when applied.
inline constexpr double kMinDialRadius = 50;
inline constexpr double kMaxDialRadius = 1000;

}  // namespace orbel
