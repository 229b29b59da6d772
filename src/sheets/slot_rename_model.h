#pragma once

// The rename sheet's rules: only the title changes; kind, payload, icon,
// scope and id go back as they came.

#include <optional>
#include <string>

#include "model/slot_config.h"

namespace orbel {

class SlotRenameModel {
public:
    explicit SlotRenameModel(SlotConfig slot) : title(slot.title), slot_(std::move(slot)) {}

    const SlotConfig& slot() const { return slot_; }
    // The header's second line: the app's bundle id, the action's title, the
    // target profile, "All saved profiles", or nothing.
    static std::string targetSubtitle(const SlotConfig& slot);

    // Whether the title differs from the slot's.
    bool hasChanges() const { return title != slot_.title; }
    // The trimmed title is not empty and differs from the stored title.
    bool canSave() const;
    // The slot with the trimmed title; none when it cannot be saved.
    std::optional<SlotConfig> build() const;

    std::string title;  // as typed

private:
    SlotConfig slot_;
};

}  // namespace orbel
