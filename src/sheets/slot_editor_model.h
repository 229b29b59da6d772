#pragma once

// The root dial's slot editor page without its widgets: the count line and
// the add buttons' state, and every change the page makes to the root
// slots. Each change runs on a copy of the live configuration, is validated,
// and is then published once and saved once; a change that changes nothing
// (a bad index, a full dial, an item already there) saves nothing.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/config_manager.h"
#include "sheets/slot_edit_dispatch_model.h"

namespace orbel {

class SlotEditorModel {
public:
    static constexpr int kCap = ConfigManager::kSlotsPerLevel;

    explicit SlotEditorModel(ConfigManager& manager) : manager_(manager) {}
    ConfigManager& manager() const { return manager_; }

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

    // Editing: begin records the slot, where it stood and the
    // configuration's generation; commit stores the edited slot where that
    // slot stands now (dropped when it is gone, and when the configuration
    // was replaced since: the built-in defaults keep their slot ids, so an
    // id alone does not tell the configurations apart); both commit and
    // cancel end the edit.
    bool beginEdit(int index);
    const std::optional<SlotEditTarget>& editing() const { return editing_; }
    bool commitEdit(const SlotConfig& slot);
    void cancelEdit() { editing_.reset(); }

    // A sheet opened from the page keeps the generation it opened with
    // (see ConfigManager::generation()); what it saves after the
    // configuration was replaced is dropped, and the page says so.
    std::uint64_t generation() const { return manager_.generation(); }
    bool isStale(std::uint64_t openedAt) const { return manager_.generation() != openedAt; }
    // The short notice the page shows after it closed such a sheet unsaved
    // (or dropped its save); cleared by the next change that goes through.
    const std::optional<std::string>& notice() const { return notice_; }
    void sheetClosedByReplacement() { notice_ = replacedNotice(); }
    static std::string replacedNotice();

    // The library and the creation sheets (`openedAt`: the generation the
    // sheet opened with).
    bool isAdded(const SlotConfig& slot) const { return containsMatching(slots(), slot); }
    bool addFromLibrary(const SlotConfig& slot);
    bool append(const SlotConfig& slot, std::optional<std::uint64_t> openedAt = std::nullopt);
    // Add Group's saved group (see GroupEditorModel::newGroup) as a new
    // group slot at the end.
    bool appendGroup(const std::optional<MenuGroup>& group, std::optional<std::uint64_t> openedAt = std::nullopt);

    // Why the last change was refused by validation; cleared by the next
    // change that goes through.
    const std::optional<std::string>& lastError() const { return lastError_; }
    // Why a slot a sheet saved was not added: the dial filled meanwhile.
    static std::string notAddedText(const std::string& title);

private:
    // Runs `edit` on a copy of the root slots; `edit` returns whether it
    // changed anything.
    bool apply(const std::function<bool(std::vector<SlotConfig>&)>& edit);

    // Whether a sheet's draft still belongs to the live configuration;
    // leaves the notice when it does not.
    bool current(std::optional<std::uint64_t> openedAt);

    ConfigManager& manager_;
    std::optional<SlotEditTarget> editing_;
    std::uint64_t editingGeneration_ = 0;
    std::optional<std::string> lastError_;
    std::optional<std::string> notice_;
};

}  // namespace orbel
