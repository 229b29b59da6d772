#pragma once

// Creates or edits a script slot: name, icon, language and source, with a
// test run whose output or error shows under the editor. Test runs go
// through the script runner, off the interface thread; a run still under
// way when the sheet closes is ended and its outcome dropped. Save hands a
// new slot (fresh id, global scope) to `onSave` once and closes the sheet.

#include <QTimer>
#include <functional>
#include <optional>

#include "model/slot_config.h"
#include "sheets/script_slot_editor_model.h"
#include "sheets/sheet_parts.h"

class QAbstractButton;
class QLineEdit;
class QPlainTextEdit;

namespace orbel {

class IconPickerRow;

class ScriptSlotEditorSheet : public SlotSheet {
    Q_OBJECT
public:
    ScriptSlotEditorSheet(const std::optional<SlotConfig>& existing, std::function<void(const SlotConfig&)> onSave,
                          QWidget* parent = nullptr);
    ~ScriptSlotEditorSheet() override;

    const ScriptSlotEditorModel& model() const { return model_; }
    QLineEdit* nameField() const { return name_; }
    QPlainTextEdit* sourceEditor() const { return source_; }
    ui::SegmentedControl* languagePicker() const { return languages_; }
    QPushButton* testButton() const { return test_; }
    // The result line's text, empty when none is shown.
    QString resultText() const;
    IconPickerRow* iconRow() const { return iconRow_; }

    void done(int result) override;

private:
    void refresh();
    void save();
    void startTestRun();
    ScriptSlotEditorModel model_;
    QLineEdit* name_;
    IconPickerRow* iconRow_ = nullptr;
    ui::SegmentedControl* languages_;
    QPlainTextEdit* source_;
    QPushButton* test_;
    QLabel* resultIcon_;
    QLabel* result_;
    QTimer spinner_;
    int spinnerFrame_ = 0;
};

}  // namespace orbel
