#pragma once

// Creates or edits a cycling slot: a fallback name, an optional icon and
// the ordered children that fire one after the other. Children come from
// the application and action pickers and go one by one; children a stored
// slot brings along are kept as they came. Save
// hands a new slot (fresh id, global scope) to `onSave` once and closes the
// sheet; it stays disabled, saying why, while the configuration would
// refuse the children.

#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

#include "model/slot_config.h"
#include "sheets/cycling_slot_editor_model.h"
#include "sheets/sheet_parts.h"

class QLabel;
class QLineEdit;
class QToolButton;
class QVBoxLayout;

namespace orbel {

class IconPickerRow;

class CyclingSlotEditorSheet : public SlotSheet {
    Q_OBJECT
public:
    CyclingSlotEditorSheet(const std::optional<SlotConfig>& existing, std::function<void(const SlotConfig&)> onSave,
                           QWidget* parent = nullptr);
    ~CyclingSlotEditorSheet() override;

    const CyclingSlotEditorModel& model() const { return model_; }
    QLineEdit* nameField() const { return name_; }
    IconPickerRow* iconRow() const { return iconRow_; }
    SlotEditFormRow* childrenRow() const { return childrenRow_; }
    // The children's rows as shown: "1. Terminal", ...
    QStringList childTexts() const;
    // The empty list's text, empty while children are listed.
    QString emptyText() const;
    QWidget* childRow(int index) const;
    QToolButton* removeButton(int index) const;
    QPushButton* addAppButton() const { return addApp_; }
    QPushButton* addActionButton() const { return addAction_; }
    // The picker opened last, while it is open.
    QDialog* openPicker() const { return picker_; }

private:
    void rebuildChildren();
    void refresh();
    void openAppPicker();
    void openActionPicker();

    CyclingSlotEditorModel model_;
    QLineEdit* name_;
    IconPickerRow* iconRow_ = nullptr;
    SlotEditFormRow* childrenRow_;
    QWidget* emptyRoom_;  // the empty text with its room; hidden with it
    QLabel* empty_;
    QVBoxLayout* rows_;
    struct ChildRow {
        QWidget* row;
        QLabel* text;
        QToolButton* remove;
    };
    std::vector<ChildRow> childRows_;
    QPushButton* addApp_;
    QPushButton* addAction_;
    QPointer<QDialog> picker_;
};

}  // namespace orbel
