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

    // The dial as it works on this desktop: each chord replaced by the one
    // the application that plays the template's part here answers to (see
    // linuxTemplateTable()). Every call gives new identifiers.
    MenuGroup buildForLinux() const;
    // The chord a slot of this template sends on Linux, for its title and
    // the chord it was written with.
    KeyCombination linuxChord(const std::string& title, const KeyCombination& written) const;

    // The ten presets in listing order. Built once on first use (thread-safe).
    static const std::vector<AppMenuPreset>& all();

    // How a template maps here. The application is found through the
    // identifier table (platform/app_counterparts.h) from bundleId; `playedBy`
    // says in words what that is, "" when nothing plays the part here.
    // Chords are written as the template writes them, with Command as Ctrl,
    // except those listed in `chords` (slot title, Linux shorthand).
    struct LinuxTemplate {
        std::string presetId;
        std::string playedBy;
        std::vector<std::pair<std::string, std::string>> chords;
    };
    static const std::vector<LinuxTemplate>& linuxTemplateTable();

    // A global keystroke slot with a fresh id, pressing the given
    // combinations in order (one chord step each).
    static SlotConfig keystrokeSlot(std::string title, SlotIcon icon,
                                    const std::vector<KeyCombination>& combinations);
};

}  // namespace orbel
