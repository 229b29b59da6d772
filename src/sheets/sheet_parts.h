#pragma once

// Form parts several slot editor sheets share.

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "model/script_language.h"
#include "model/slot_config.h"
#include "model/slot_icon.h"
#include "ui/sheet_frame.h"

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace orbel {

class IconPickerRow;
class SlotEditFormRow;
namespace ui {
class SegmentedControl;
}

// A slot editor sheet on the shared frame: it reports the slot it builds
// once, through `onSave`, and then closes; its first field takes the
// keyboard focus when it comes on screen.
class SlotSheet : public SlotEditChromeSheet {
    Q_OBJECT
public:
    SlotSheet(const QString& symbol, const QString& subtitle, QSize size, std::function<void(const SlotConfig&)> onSave,
              QWidget* parent);

protected:
    // Reports `slot` and closes; nothing happens without one.
    void finish(const std::optional<SlotConfig>& slot);
    void setFirstField(QWidget* field) { firstField_ = field; }
    void showEvent(QShowEvent* event) override;

private:
    std::function<void(const SlotConfig&)> onSaveSlot_;
    QWidget* firstField_ = nullptr;
};

// The single-line name field.
QLineEdit* makeNameField(const QString& placeholder, const std::string& text, QWidget* parent);
// The "Icon" row: an icon picker row whose chooser and reset write through
// `set`.
SlotEditFormRow* makeIconFormRow(const SlotIcon& icon, std::function<void(const SlotIcon&)> set, QWidget* sheet,
                                 IconPickerRow** row);
// The Language control of the script and dynamic sheets: a segment for each
// language in allScriptLanguages() order, `selected` chosen.
ui::SegmentedControl* makeLanguagePicker(ScriptLanguage selected);
// The multi-line monospaced editor of script sources and snippets.
QPlainTextEdit* makeSourceEditor(const std::string& text, QWidget* parent);

// Save follows the model: enabled without a problem, else disabled with
// the problem as its tool tip.
void showSaveProblem(SlotEditChromeSheet* sheet, const std::optional<std::string>& problem);
// A row's problem line from a model's text.
void showRowProblem(SlotEditFormRow* row, const std::optional<std::string>& problem);

// Test runs: one frame of the small progress indicator shown while a run
// is under way, and the colours of its outcome.
QPixmap progressPixmap(int frame, const QColor& color, double dpr);
QColor testSucceededColor();
QColor testFailedColor();

}  // namespace orbel
