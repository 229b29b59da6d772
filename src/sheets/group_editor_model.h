#pragma once

// The group editor's working copy of one dial level and its rules: the
// breadcrumb line, the footer's count and buttons, the sheet's width, the
// dial editor's index-based edits, library additions, nested groups and the
// group handed back on Save Group. Nothing reaches the caller before that.

#include <optional>
#include <string>
#include <vector>

#include "model/slot_config.h"
#include "sheets/slot_edit_dispatch_model.h"

namespace orbel {

class GroupEditorModel {
public:
    static constexpr int kWidthWithLibrary = 880;
    static constexpr int kWidthWithoutLibrary = 480;
    static constexpr int kHeight = 700;
    static constexpr const char* kSeparator = " \u203a ";

    // `group` is the bound group (nothing for a new one); `breadcrumb` the
    // titles of the enclosing levels, outermost first; `withLibrary` whether
    // any library segment is allowed.
    GroupEditorModel(std::optional<MenuGroup> group, std::vector<std::string> breadcrumb, bool withLibrary, int cap,
                     std::optional<std::string> helpText = std::nullopt);

    // The path line: the crumbs as given, then the trimmed title or "Untitled".
    std::string joinedBreadcrumb() const;
    int sheetWidth() const { return withLibrary_ ? kWidthWithLibrary : kWidthWithoutLibrary; }
    bool withLibrary() const { return withLibrary_; }
    int cap() const { return cap_; }
    const std::vector<std::string>& breadcrumb() const { return breadcrumb_; }
    const std::optional<std::string>& helpText() const { return helpText_; }

    std::string countText() const;  // "1 item", "3 items"
    bool isFull() const { return static_cast<int>(slots.size()) >= cap_; }
    // Add Slot and Add Group: enabled below the cap, the same tooltip.
    bool canAdd() const { return !isFull(); }
    std::string addSlotTooltip() const;

    // The dial editor's edits. Invalid indices change nothing; inserts are
    // clamped into 0...count and refused at the cap. Each returns whether
    // it changed the slots.
    bool insert(const SlotConfig& slot, int index);
    bool swap(int a, int b);
    bool remove(int index);
    bool replace(int index, const SlotConfig& slot);
    // The request to edit the slot at `index`, or nothing for a bad index.
    std::optional<SlotEditTarget> editTarget(int index) const;
    // The edit dispatcher's result, stored where the slot now stands.
    bool commitEdit(const SlotEditTarget& target, const SlotConfig& slot);

    // Library rows: already present by kind (groups by id)?
    bool isAdded(const SlotConfig& slot) const { return containsMatching(slots, slot); }
    bool addFromLibrary(const SlotConfig& slot);
    // A new slot from a kind's sheet, at the end; refused at the cap.
    bool append(const SlotConfig& slot);

    // Add Group (here and on the root dial's page): the group a new group
    // editor starts from, and the new slot that carries a saved group.
    static MenuGroup newGroup();
    static SlotConfig slotFor(const MenuGroup& group);
    // The breadcrumb a nested editor shows: ours plus our title as typed.
    std::vector<std::string> nestedBreadcrumb() const;
    // A nested editor's saved group becomes a new group slot at the end.
    bool appendNestedGroup(const std::optional<MenuGroup>& group);

    // Whether the title, the slots or the icon differ from what the editor
    // opened with.
    bool hasChanges() const;

    // Why Save Group is disabled, or nothing when it is not.
    std::optional<std::string> saveProblem() const;
    bool canSave() const { return !saveProblem().has_value(); }
    // The finished group: the bound group's id (a fresh one for a new group),
    // the trimmed title, the slots and icon. Nothing while it cannot save.
    std::optional<MenuGroup> build() const;

    std::string title;
    std::vector<SlotConfig> slots;
    SlotIcon icon = SlotIcon::automatic();

private:
    bool valid(int index) const { return index >= 0 && index < static_cast<int>(slots.size()); }

    std::optional<MenuGroup> bound_;
    MenuGroup opened_;  // title, slots and icon as the editor opened
    std::vector<std::string> breadcrumb_;
    bool withLibrary_;
    int cap_;
    std::optional<std::string> helpText_;
};

}  // namespace orbel
