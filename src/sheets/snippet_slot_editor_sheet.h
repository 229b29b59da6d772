#pragma once

// Creates or edits a snippet slot: name, icon and the text, saved exactly
// as typed. Save hands a new slot (fresh id, global scope) to `onSave` once
// and closes the sheet; Cancel and Escape close it without a word.

#include <functional>
#include <optional>

#include "model/slot_config.h"
#include "sheets/snippet_slot_editor_model.h"
#include "sheets/sheet_parts.h"

class QLineEdit;
class QPlainTextEdit;

namespace orbel {

class IconPickerRow;

class SnippetSlotEditorSheet : public SlotSheet {
    Q_OBJECT
public:
    SnippetSlotEditorSheet(const std::optional<SlotConfig>& existing, std::function<void(const SlotConfig&)> onSave,
                           QWidget* parent = nullptr);
    ~SnippetSlotEditorSheet() override;

    const SnippetSlotEditorModel& model() const { return model_; }
    QLineEdit* nameField() const { return name_; }
    QPlainTextEdit* bodyEditor() const { return body_; }
    IconPickerRow* iconRow() const { return iconRow_; }

private:
    void save();
    SnippetSlotEditorModel model_;
    QLineEdit* name_;
    IconPickerRow* iconRow_ = nullptr;
    QPlainTextEdit* body_;
};

}  // namespace orbel
