#pragma once

// The snippet sheet's state and rules: a name, an icon and the text, which
// is saved exactly as typed but must hold more than white space.

#include <optional>
#include <string>
#include <tuple>

#include "model/slot_config.h"

namespace orbel {

class SnippetSlotEditorModel {
public:
    // Starts from `existing` when it is a snippet slot, else empty.
    explicit SnippetSlotEditorModel(const std::optional<SlotConfig>& existing = std::nullopt);

    bool isNew() const { return isNew_; }
    std::string sheetTitle() const;  // "New Snippet" / "Edit Snippet"

    // Whether anything differs from what the sheet opened with.
    bool hasChanges() const { return draft() != opened_; }
    bool canSave() const { return build().has_value(); }
    // A new snippet slot (fresh id, global scope), trimmed title, text as typed.
    std::optional<SlotConfig> build() const;

    std::string title;
    std::string body;
    SlotIcon icon = SlotIcon::automatic();

private:
    using Draft = std::tuple<std::string, std::string, SlotIcon>;
    Draft draft() const { return {title, body, icon}; }

    bool isNew_;
    Draft opened_;
};

}  // namespace orbel
