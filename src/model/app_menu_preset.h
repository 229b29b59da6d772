#pragma once

// Ready-made dials for well-known applications, offered as templates when the
// user gives an application its own dial. Every preset dial holds keystroke
// slots only (one chord each), some gathered into groups.

#include <functional>
#include <string>
#include <vector>

#include "model/key_combination.h"
#include "model/slot_config.h"
#include "model/slot_icon.h"

namespace orbel {

struct AppMenuPreset {
    std::string id;  // always equal to bundleId
    std::string bundleId;
    std::string displayName;
    std::string summary;
    std::string symbolName;  // system symbol of the preset's picture
    // Makes the preset's dial; every call gives new identifiers.
    std::function<MenuGroup()> build;

    // The ten presets in listing order. Built once on first use (thread-safe).
    static const std::vector<AppMenuPreset>& all();

    // A global keystroke slot with a fresh id, pressing the given
    // combinations in order (one chord step each).
    static SlotConfig keystrokeSlot(std::string title, SlotIcon icon,
                                    const std::vector<KeyCombination>& combinations);
};

}  // namespace orbel
