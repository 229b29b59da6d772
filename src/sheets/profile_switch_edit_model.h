#pragma once

// The profile switcher sheet's rules: only a display name, which falls back
// to "Profiles" when blank, and a caption counting the saved profiles.

#include <cstdint>
#include <optional>
#include <string>

#include "model/slot_config.h"

namespace orbel {

class ProfileSwitchEditModel {
public:
    // Starts with the title of `existing` when it is a profile switcher.
    explicit ProfileSwitchEditModel(const std::optional<SlotConfig>& existing = std::nullopt);

    bool isNew() const { return isNew_; }
    std::string sheetTitle() const;  // "New Profile Switcher" / "Edit Profile Switcher"

    // "No profiles saved yet. …", "1 profile will appear …", "3 profiles …".
    static std::string caption(std::int64_t profileCount);
    // The number of saved profiles, from the application's configuration
    // manager; 0 when there is none.
    static std::int64_t savedProfileCount();

    // Whether the name differs from the one the sheet opened with.
    bool hasChanges() const { return title != openedTitle_; }
    // Always allowed.
    bool canSave() const { return true; }
    // A new profile switcher (fresh id, automatic icon, global scope) titled
    // as typed, or "Profiles" when the name is blank.
    SlotConfig build() const;

    std::string title;
    std::int64_t profileCount = 0;

private:
    bool isNew_;
    std::string openedTitle_;
};

}  // namespace orbel
