#pragma once

// Creates or edits a dynamic slot: name, icon, language, the producer
// script with a test run that shows the label the dial would show, and the
// refresh policy. Test runs go through the producer runner, off the
// interface thread, and end at the dial's own time limit for producers; a
// run still under way when the sheet closes is ended and its outcome
// dropped. Save hands a new slot (fresh id, global scope; an edited slot's
// click action kept) to `onSave` once and closes the sheet.

#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "model/slot_config.h"
#include "sheets/dynamic_slot_editor_model.h"
#include "sheets/sheet_parts.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace orbel {

namespace ui {
class SegmentedControl;
}
class IconPickerRow;

class DynamicSlotEditorSheet : public SlotSheet {
    Q_OBJECT
public:
    // `runner` runs the test runs (the live producer runner when none is
    // given); `timers` ends them at the limit (the shared timers).
    DynamicSlotEditorSheet(const std::optional<SlotConfig>& existing, std::function<void(const SlotConfig&)> onSave,
                           QWidget* parent = nullptr, std::unique_ptr<DynamicProducerRunner> runner = nullptr,
                           platform::Timers* timers = nullptr);
    ~DynamicSlotEditorSheet() override;

    const DynamicSlotEditorModel& model() const { return model_; }
    QLineEdit* nameField() const { return name_; }
    IconPickerRow* iconRow() const { return iconRow_; }
    // The language segments, in the order of allScriptLanguages().
    ui::SegmentedControl* languagePicker() const { return languages_; }
    QPlainTextEdit* producerEditor() const { return source_; }
    QPushButton* testButton() const { return test_; }
    // The test status line, empty when none is shown.
    QString testStatusText() const;
    QAbstractButton* menuOpenButton() const { return menuOpen_; }
    QAbstractButton* intervalButton() const { return interval_; }
    QWidget* intervalRow() const { return intervalRow_; }
    QString intervalText() const;
    QToolButton* stepUpButton() const { return stepUp_; }
    QToolButton* stepDownButton() const { return stepDown_; }
    SlotEditFormRow* producerRow() const { return producerRow_; }

    void done(int result) override;

private:
    void refresh();
    void startTestRun();

    // Declared before the model, which ends its run through it.
    std::unique_ptr<DynamicProducerRunner> runner_;
    platform::Timers* timers_;
    DynamicSlotEditorModel model_;
    QLineEdit* name_;
    IconPickerRow* iconRow_ = nullptr;
    ui::SegmentedControl* languages_;
    QPlainTextEdit* source_;
    SlotEditFormRow* producerRow_;
    QPushButton* test_;
    QLabel* statusIcon_;
    QLabel* status_;
    QAbstractButton* menuOpen_;
    QAbstractButton* interval_;
    QWidget* intervalRow_;
    QLabel* intervalLabel_;
    QToolButton* stepUp_;
    QToolButton* stepDown_;
    QTimer spinner_;
    int spinnerFrame_ = 0;
};

}  // namespace orbel
