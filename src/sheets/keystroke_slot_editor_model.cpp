#include "sheets/keystroke_slot_editor_model.h"

#include "sheets/sheet_rules.h"

namespace orbel {

KeystrokeSlotEditorModel::KeystrokeSlotEditorModel(const std::optional<SlotConfig>& existing) : isNew_(!existing) {
    if (const auto* keys = existing ? existing->type.get<SlotType::Keystroke>() : nullptr) {
        title = existing->title;
        icon = existing->icon;
        steps = StepList(keys->steps);
    }
    opened_ = draft();
}

std::string KeystrokeSlotEditorModel::sheetTitle() const {
    return sheets::sheetTitle(isNew_, "New Macro", "Edit Macro");
}

std::optional<std::string> KeystrokeSlotEditorModel::stepsHelpText() const {
    if (steps.hasActionStep()) return std::nullopt;
    return sheets::tr("Add a chord (one keypress fires it). Drop a wait between two chords to delay them — useful "
                      "when the target app needs a moment between keys.");
}

std::optional<SlotConfig> KeystrokeSlotEditorModel::build() const {
    if (sheets::isBlankName(title) || !steps.hasActionStep() || steps.problem()) return std::nullopt;
    SlotConfig slot = SlotConfig::make(SlotType::keystroke(steps.steps()), sheets::trimmedName(title), icon);
    if (!sheets::passesValidation(slot)) return std::nullopt;
    return slot;
}

}  // namespace orbel
