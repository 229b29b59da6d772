#include "sheets/keystroke_slot_editor_sheet.h"

#include <QLineEdit>
#include <utility>

#include "sheets/icon_picker_row.h"
#include "sheets/sheet_parts.h"
#include "sheets/step_list_editor.h"

namespace orbel {

KeystrokeSlotEditorSheet::KeystrokeSlotEditorSheet(const std::optional<SlotConfig>& existing,
                                                   std::function<void(const SlotConfig&)> onSave, QWidget* parent)
    : SlotSheet(QStringLiteral("keyboard"), tr("Fire a chord — or a chord-and-wait sequence — into the focused app."),
                slotEditSize(SlotEditSize::standard), std::move(onSave), parent),
      model_(existing) {
    hasChanges = [this] { return model_.hasChanges(); };
    setTitle(QString::fromStdString(model_.sheetTitle()));
    name_ = makeNameField(tr("e.g. Tab then Minimize"), model_.title, this);
    setFirstField(name_);
    addFormItem(new SlotEditFormRow(tr("Name"), name_));
    addFormItem(makeIconFormRow(model_.icon, [this](const SlotIcon& icon) { model_.icon = icon; }, this, &iconRow_));
    stepList_ = new StepListEditor(model_.steps);
    stepsRow_ = new SlotEditFormRow(tr("Steps"), stepList_);
    addFormItem(stepsRow_);
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.title = text.toStdString();
        refresh();
    });
    stepList_->onStepsChanged = [this] { refresh(); };
    this->onSave = [this] { save(); };
    refresh();
}

KeystrokeSlotEditorSheet::~KeystrokeSlotEditorSheet() { deleteForm(); }


void KeystrokeSlotEditorSheet::refresh() {
    const auto help = model_.stepsHelpText();
    stepsRow_->setHelpText(help ? std::optional<QString>(QString::fromStdString(*help)) : std::nullopt);
    const auto problem = model_.stepsProblem();
    stepsRow_->setProblem(problem ? std::optional<QString>(QString::fromStdString(*problem)) : std::nullopt);
    setCanSave(model_.canSave());
}

void KeystrokeSlotEditorSheet::save() { finish(model_.build()); }

}  // namespace orbel
