#pragma once

// The cycling slot sheet's state and rules: a fallback name, an icon and
// the ordered children (applications and actions appended at the end,
// removed one by one; children of other kinds that an existing slot brings
// stay as they came), and the slot built on Save.

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "model/slot_config.h"

namespace orbel {

class CyclingSlotEditorModel {
public:
    // Starts from `existing` when it is a cycling slot, else empty.
    explicit CyclingSlotEditorModel(const std::optional<SlotConfig>& existing = std::nullopt);

    bool isNew() const { return isNew_; }
    std::string sheetTitle() const;  // "New Cycling Slot" / "Edit Cycling Slot"
    static std::string emptyText();  // "No children yet — add one below."

    void appendApp(const std::string& bundleId, const std::string& name);
    // The given title when it has a character (not trimmed), else the
    // action's own title.
    void appendAction(SystemAction action, const std::string& title);
    bool removeChild(int index);

    // "1.", "2.", ... and the child's title, or "(untitled)".
    static std::string positionLabel(int index) { return std::to_string(index + 1) + "."; }
    std::string childLabel(int index) const;

    // Whether anything differs from what the sheet opened with.
    bool hasChanges() const { return draft() != opened_; }
    std::optional<std::string> saveProblem() const;
    bool canSave() const { return !saveProblem().has_value(); }
    // Why the configuration would refuse the children (a kind a cycling
    // slot cannot hold, a child without a title); nothing while the name
    // is blank or there are no children yet.
    std::optional<std::string> refusal() const;
    // A new cycling slot (fresh id, global scope) with the trimmed title.
    std::optional<SlotConfig> build() const;

    std::string title;
    SlotIcon icon = SlotIcon::automatic();
    std::vector<SlotConfig> children;

private:
    using Draft = std::tuple<std::string, SlotIcon, std::vector<SlotConfig>>;
    Draft draft() const { return {title, icon, children}; }

    bool isNew_;
    Draft opened_;
};

}  // namespace orbel
