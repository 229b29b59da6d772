#pragma once

// Creates or edits a keystroke macro slot: its name, icon and steps. Save
// hands a new slot (fresh id, global scope) to `onSave` once and closes the
// sheet; Cancel and Escape close it without a word. The configuration is
// never written here.

#include <functional>
#include <optional>

#include "model/slot_config.h"
#include "sheets/keystroke_slot_editor_model.h"
#include "sheets/sheet_parts.h"

class QLineEdit;

namespace orbel {

class IconPickerRow;
class StepListEditor;

class KeystrokeSlotEditorSheet : public SlotSheet {
    Q_OBJECT
public:
    KeystrokeSlotEditorSheet(const std::optional<SlotConfig>& existing, std::function<void(const SlotConfig&)> onSave,
                             QWidget* parent = nullptr);
    ~KeystrokeSlotEditorSheet() override;

    const KeystrokeSlotEditorModel& model() const { return model_; }
    QLineEdit* nameField() const { return name_; }
    IconPickerRow* iconRow() const { return iconRow_; }
    StepListEditor* stepList() const { return stepList_; }
    SlotEditFormRow* stepsRow() const { return stepsRow_; }

private:
    void refresh();
    void save();
    KeystrokeSlotEditorModel model_;
    QLineEdit* name_;
    IconPickerRow* iconRow_ = nullptr;
    StepListEditor* stepList_;
    SlotEditFormRow* stepsRow_;
};

}  // namespace orbel
