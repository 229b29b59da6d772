#pragma once

// The root dial's slot editor page without its widgets: the count line and
// the add buttons' state, and every change the page makes to the root
// slots. Each change runs on a copy of the live configuration, is validated,
// and is then published once and saved once; a change that changes nothing
// (a bad index, a full dial, an item already there) saves nothing.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/config_manager.h"
#include "sheets/slot_edit_dispatch_model.h"

namespace orbel {

class SlotEditorPageModel {
public:
    static constexpr int kCap = ConfigManager::kSlotsPerLevel;

    explicit SlotEditorPageModel(ConfigManager& manager) : manager_(manager) {}

    // Read afresh from the published configuration on every call.
    const std::vector<SlotConfig>& slots() const { return manager_.config().rootGroup.slots; }
    int count() const { return static_cast<int>(slots().size()); }

    std::string countText() const;  // "3 slots"
    bool isFull() const { return count() >= kCap; }
    // Add Slot and Add Group are disabled on a full dial and then say why.
    bool canAdd() const { return !isFull(); }
    std::string addSlotTooltip() const;
    std::string addGroupTooltip() const;  // empty below the cap

    // The dial editor's callbacks. Each returns whether the dial changed.
    bool insert(const SlotConfig& slot, int index);
    bool swap(int a, int b);
    bool remove(int index);
    bool replace(int index, const SlotConfig& slot);

    // Editing: begin records the slot and where it stood; commit stores the
    // edited slot where that slot stands now (dropped when it is gone);
    // both commit and cancel end the edit.
    bool beginEdit(int index);
    const std::optional<SlotEditTarget>& editing() const { return editing_; }
    bool commitEdit(const SlotConfig& slot);
    void cancelEdit() { editing_.reset(); }

    // The library and the creation sheets.
    bool isAdded(const SlotConfig& slot) const { return containsMatching(slots(), slot); }
    bool addFromLibrary(const SlotConfig& slot);
    bool append(const SlotConfig& slot);
    // Add Group's saved group (see GroupEditorModel::newGroup) as a new
    // group slot at the end.
    bool appendGroup(const std::optional<MenuGroup>& group);

    // Why the last change was refused by validation; cleared by the next
    // change that goes through.
    const std::optional<std::string>& lastError() const { return lastError_; }

private:
    // Runs `edit` on a copy of the root slots; `edit` returns whether it
    // changed anything.
    bool apply(const std::function<bool(std::vector<SlotConfig>&)>& edit);

    ConfigManager& manager_;
    std::optional<SlotEditTarget> editing_;
    std::optional<std::string> lastError_;
};

}  // namespace orbel
