#include "sheets/snippet_slot_editor_sheet.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <utility>

#include "sheets/sheet_parts.h"

namespace orbel {

SnippetSlotEditorSheet::SnippetSlotEditorSheet(const std::optional<SlotConfig>& existing,
                                               std::function<void(const SlotConfig&)> onSave, QWidget* parent)
    : SlotSheet(QStringLiteral("doc.on.clipboard"), tr("Pastes a fixed string into the focused app."),
                slotEditSize(SlotEditSize::standard), std::move(onSave), parent),
      model_(existing) {
    hasChanges = [this] { return model_.hasChanges(); };
    setTitle(QString::fromStdString(model_.sheetTitle()));
    name_ = makeNameField(tr("e.g. Email Signature"), model_.title, this);
    setFirstField(name_);
    addFormItem(new SlotEditFormRow(tr("Name"), name_));
    addFormItem(makeIconFormRow(model_.icon, [this](const SlotIcon& icon) { model_.icon = icon; }, this, &iconRow_));
    body_ = makeSourceEditor(model_.body, nullptr);
    addFormItem(new SlotEditFormRow(tr("Snippet"), body_, tr("Pasted verbatim into the focused app when this slot is clicked.")));
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.title = text.toStdString();
        setCanSave(model_.canSave());
    });
    connect(body_, &QPlainTextEdit::textChanged, this, [this] {
        model_.body = body_->toPlainText().toStdString();
        setCanSave(model_.canSave());
    });
    this->onSave = [this] { save(); };
    setCanSave(model_.canSave());
}

SnippetSlotEditorSheet::~SnippetSlotEditorSheet() { deleteForm(); }


void SnippetSlotEditorSheet::save() { finish(model_.build()); }

}  // namespace orbel
