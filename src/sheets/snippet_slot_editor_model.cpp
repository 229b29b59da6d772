#include "sheets/snippet_slot_editor_model.h"

#include "sheets/sheet_rules.h"

namespace orbel {

SnippetSlotEditorModel::SnippetSlotEditorModel(const std::optional<SlotConfig>& existing) : isNew_(!existing) {
    if (const auto* snippet = existing ? existing->type.get<SlotType::Snippet>() : nullptr) {
        title = existing->title;
        body = snippet->text;
        icon = existing->icon;
    }
    opened_ = draft();
}

std::string SnippetSlotEditorModel::sheetTitle() const {
    return sheets::sheetTitle(isNew_, "New Snippet", "Edit Snippet");
}

std::optional<SlotConfig> SnippetSlotEditorModel::build() const {
    if (sheets::isBlankName(title) || sheets::isBlankPayload(body)) return std::nullopt;
    SlotConfig slot = SlotConfig::make(SlotType::snippet(body), sheets::trimmedName(title), icon);
    if (!sheets::passesValidation(slot)) return std::nullopt;
    return slot;
}

}  // namespace orbel
