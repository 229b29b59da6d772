#include "sheets/sheet_parts.h"

#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <utility>

#include "sheets/icon_picker_row.h"
#include "sheets/script_slot_editor_model.h"
#include "ui/controls.h"
#include "ui/sheet_frame.h"
#include "ui/text_box.h"

namespace orbel {

SlotSheet::SlotSheet(const QString& symbol, const QString& subtitle, QSize size,
                     std::function<void(const SlotConfig&)> onSave, QWidget* parent)
    : SlotEditChromeSheet(symbol, QString(), subtitle, size, parent), onSaveSlot_(std::move(onSave)) {}

void SlotSheet::finish(const std::optional<SlotConfig>& slot) {
    if (!slot) return;
    // Once: the sheet closes right after.
    if (auto report = std::exchange(onSaveSlot_, nullptr)) report(*slot);
    accept();
}

void SlotSheet::showEvent(QShowEvent* event) {
    SlotEditChromeSheet::showEvent(event);
    if (firstField_) firstField_->setFocus(Qt::OtherFocusReason);
}

QLineEdit* makeNameField(const QString& placeholder, const std::string& text, QWidget* parent) {
    auto* field = new QLineEdit(QString::fromStdString(text), parent);
    field->setPlaceholderText(placeholder);
    return field;
}

SlotEditFormRow* makeIconFormRow(const SlotIcon& icon, std::function<void(const SlotIcon&)> set, QWidget* sheet,
                                 IconPickerRow** row) {
    auto* picker = new IconPickerRow(icon);
    picker->onChange = set;
    QPointer<IconPickerRow> guard(picker);
    picker->onOpen = [sheet, guard, set] {
        if (!guard) return;
        openIconPicker(sheet, guard->icon(), [guard, set](const SlotIcon& chosen) {
            if (!guard) return;  // the sheet closed first
            guard->setIcon(chosen);
            set(chosen);
        });
    };
    if (row) *row = picker;
    return new SlotEditFormRow(
        QObject::tr("Icon"), picker,
        QObject::tr("Pick an icon from the bundled packs, type a short monogram, or drag in your own image."));
}

ui::SegmentedControl* makeLanguagePicker(ScriptLanguage selected) {
    const auto& all = allScriptLanguages();
    QStringList labels;
    for (ScriptLanguage language : all) labels << QString::fromStdString(ScriptSlotEditorModel::languageLabel(language));
    auto* picker = new ui::SegmentedControl(labels);
    picker->setSelected(static_cast<int>(std::find(all.begin(), all.end(), selected) - all.begin()));
    return picker;
}

QPlainTextEdit* makeSourceEditor(const std::string& text, QWidget* parent) {
    auto* editor = new ui::TextBox(QString::fromStdString(text), parent);
    editor->setFont(sheetFont(SheetText::body, QFont::Normal, true));
    editor->setMinimumHeight(140);
    return editor;
}

void showSaveProblem(SlotEditChromeSheet* sheet, const std::optional<std::string>& problem) {
    sheet->setCanSave(!problem);
    sheet->saveButton()->setToolTip(problem ? ui::plainToolTip(QString::fromStdString(*problem)) : QString());
}

void showRowProblem(SlotEditFormRow* row, const std::optional<std::string>& problem) {
    row->setProblem(problem ? std::optional<QString>(QString::fromStdString(*problem)) : std::nullopt);
}

QPixmap progressPixmap(int frame, const QColor& color, double dpr) {
    QPixmap pixmap(QSize(12, 12) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(1.5, 1.5, 9, 9), -frame * 30 * 16, 270 * 16);
    return pixmap;
}

QColor testSucceededColor() { return {0x34, 0xC7, 0x59}; }
QColor testFailedColor() { return {0xFF, 0x95, 0x00}; }

}  // namespace orbel
