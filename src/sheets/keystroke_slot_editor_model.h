#pragma once

// The keystroke macro sheet's state and rules: a name, an icon and the step
// list. It saves once the name holds something and some step plays
// something, and never while a step would be refused by the configuration
// (an empty text step, a window wait without a bundle id).

#include <optional>
#include <string>
#include <tuple>

#include "model/slot_config.h"
#include "sheets/step_list_model.h"

namespace orbel {

class KeystrokeSlotEditorModel {
public:
    // Starts from `existing` when it is a keystroke slot, else empty.
    explicit KeystrokeSlotEditorModel(const std::optional<SlotConfig>& existing = std::nullopt);

    bool isNew() const { return isNew_; }
    std::string sheetTitle() const;  // "New Macro" / "Edit Macro"

    // The Steps row's help, shown only while no step plays anything.
    std::optional<std::string> stepsHelpText() const;
    // Why the steps cannot be saved as they are, when they cannot.
    std::optional<std::string> stepsProblem() const { return steps.problem(); }

    // Whether anything differs from what the sheet opened with.
    bool hasChanges() const { return draft() != opened_; }
    bool canSave() const { return build().has_value(); }
    // A new keystroke slot (fresh id, global scope), trimmed title, steps as
    // listed; none when it cannot be saved.
    std::optional<SlotConfig> build() const;

    std::string title;
    SlotIcon icon = SlotIcon::automatic();
    StepList steps;

private:
    using Draft = std::tuple<std::string, SlotIcon, std::vector<MacroStep>>;
    Draft draft() const { return {title, icon, steps.steps()}; }

    bool isNew_;
    Draft opened_;
};

}  // namespace orbel
