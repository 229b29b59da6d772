#pragma once

// The group editor sheet: one group edited as a dial of its own. The group's
// icon, name and breadcrumb on top (and a help banner when the opener gives
// one), the dial editor with the count and Add Slot / Add Group under it,
// the slot library beside it when allowed, and Cancel / Save Group. It edits
// a working copy (GroupEditorModel); Save Group hands the finished group to
// `onSave` once and closes, Cancel closes without a word; Escape and the
// window's close button ask first while the working copy differs from the
// group it opened with. Slots are edited through the edit dispatcher and new
// ones made by the sheets of the injected factory; a nested group opens
// another group editor from it.
//
// Window-modal, made fresh per request, opened with open(). GUI thread.

#include <QPointer>
#include <functional>

#include "sheets/group_editor_model.h"
#include "editor/picker_views.h"
#include "sheets/slot_edit_dispatcher.h"
#include "ui/sheet_frame.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QAbstractButton;

namespace orbel {

namespace editor {
class RadialDialEditor;
class SlotLibraryColumn;
}  // namespace editor
namespace ui {
class ElidedLabel;
}

class GroupEditorView : public SheetDialog {
    Q_OBJECT
public:
    GroupEditorView(const GroupEditorRequest& request, std::function<void(const MenuGroup&)> onSave,
                    SlotSheetFactory factory, QWidget* parent = nullptr);
    ~GroupEditorView() override;

    const GroupEditorModel& model() const { return model_; }
    editor::RadialDialEditor* dialEditor() const { return dial_; }
    editor::SlotLibraryColumn* library() const { return library_; }  // none without the library
    QLineEdit* nameField() const { return name_; }
    QAbstractButton* iconButton() const { return iconButton_; }
    QString breadcrumbText() const;
    QLabel* helpBanner() const { return help_; }
    QLabel* countLabel() const { return count_; }
    QPushButton* addSlotButton() const { return addSlot_; }
    QPushButton* addGroupButton() const { return addGroup_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }
    // Why Save Group is disabled; empty while it is enabled.
    QString saveProblemText() const;
    // The open add-slot popover, if any.
    editor::AddSlotPopover* addSlotPopover() const { return popover_; }

    // What the buttons and the dial editor do, for the view and its tests.
    void openAddSlotPopover();
    void pick(editor::AddSlotKind kind);
    void addNestedGroup();
    void editSlot(int index);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void refreshIcon();
    void saveGroup();

    GroupEditorModel model_;
    std::function<void(const MenuGroup&)> onSave_;
    SlotSheetFactory factory_;
    QAbstractButton* iconButton_ = nullptr;
    QLineEdit* name_ = nullptr;
    ui::ElidedLabel* breadcrumb_ = nullptr;
    QLabel* help_ = nullptr;
    editor::RadialDialEditor* dial_ = nullptr;
    editor::SlotLibraryColumn* library_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* addSlot_ = nullptr;
    QPushButton* addGroup_ = nullptr;
    QLabel* problem_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* save_ = nullptr;
    QPointer<editor::AddSlotPopover> popover_;
};

}  // namespace orbel
