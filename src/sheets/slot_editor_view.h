#pragma once

// The Customization tab: the root dial in the dial editor, the count with
// Add Slot and Add Group under it, and the slot library on the right. Every
// change goes through SlotEditorModel to the configuration manager,
// which publishes it (the running dial follows at once) and saves it; the
// page redraws from each published configuration. A slot is edited through
// the edit dispatcher with the sheet of its kind; Add Group opens a group
// editor for a new group under "Default Menu". A sheet opened from the page
// belongs to the configuration it opened with: when that is replaced (a
// profile switch, Reload, a restore, an outside edit taken in) the sheet
// closes unsaved and the page says so. The sheets go with the page. GUI
// thread.

#include <QList>
#include <QPointer>
#include <QWidget>

#include "editor/picker_views.h"
#include "sheets/slot_edit_dispatcher.h"
#include "sheets/slot_editor_model.h"

class QDialog;
class QLabel;
class QPushButton;

namespace orbel {

namespace editor {
class RadialDialEditor;
class SlotLibraryColumn;
}  // namespace editor

class SlotEditorView : public QWidget {
    Q_OBJECT
public:
    SlotEditorView(ConfigManager& manager, SlotSheetFactory factory, QWidget* parent = nullptr);
    ~SlotEditorView() override;

    const SlotEditorModel& model() const { return model_; }
    editor::RadialDialEditor* dialEditor() const { return dial_; }
    editor::SlotLibraryColumn* library() const { return library_; }
    QLabel* countLabel() const { return count_; }
    QPushButton* addSlotButton() const { return addSlot_; }
    QPushButton* addGroupButton() const { return addGroup_; }
    // The last refusal of the configuration's validation; hidden while none.
    QLabel* errorLabel() const { return error_; }
    // Says that a sheet closed unsaved because the configuration was
    // replaced under it; hidden while there is nothing to say.
    QLabel* noticeLabel() const { return notice_; }
    // The sheets opened from the page that are still open (a group
    // editor's own sheets are its children).
    QList<QDialog*> openSheets() const;
    editor::AddSlotPopover* addSlotPopover() const { return popover_; }

    // What the buttons and the dial editor do, for the view and its tests.
    void openAddSlotPopover();
    void pick(editor::AddSlotKind kind);
    void addGroup();
    void editSlot(int index);

private:
    void refresh();
    // Keeps `sheet` among those that close when the configuration is
    // replaced and that go with the page.
    void track(QDialog* sheet);
    void configReplaced();

    SlotEditorModel model_;
    SlotSheetFactory factory_;
    editor::RadialDialEditor* dial_ = nullptr;
    editor::SlotLibraryColumn* library_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* addSlot_ = nullptr;
    QPushButton* addGroup_ = nullptr;
    QLabel* error_ = nullptr;
    QLabel* notice_ = nullptr;
    QPointer<editor::AddSlotPopover> popover_;
    QList<QPointer<QDialog>> sheets_;
};

}  // namespace orbel
