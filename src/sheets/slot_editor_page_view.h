#pragma once

// The Customization tab: the root dial in the dial editor, the count with
// Add Slot and Add Group under it, and the slot library on the right. Every
// change goes through SlotEditorPageModel to the configuration manager,
// which publishes it (the running dial follows at once) and saves it; the
// page redraws from each published configuration. A slot is edited through
// the edit dispatcher with the sheet of its kind; Add Group opens a group
// editor for a new group under "Default Menu". GUI thread.

#include <QPointer>
#include <QWidget>

#include "editor/picker_views.h"
#include "sheets/slot_edit_dispatcher.h"
#include "sheets/slot_editor_page_model.h"

class QLabel;
class QPushButton;

namespace orbel {

namespace editor {
class RadialDialEditor;
class SlotLibraryColumn;
}  // namespace editor

class SlotEditorPageView : public QWidget {
    Q_OBJECT
public:
    SlotEditorPageView(ConfigManager& manager, SlotSheetFactory factory, QWidget* parent = nullptr);
    ~SlotEditorPageView() override;

    const SlotEditorPageModel& model() const { return model_; }
    editor::RadialDialEditor* dialEditor() const { return dial_; }
    editor::SlotLibraryColumn* library() const { return library_; }
    QLabel* countLabel() const { return count_; }
    QPushButton* addSlotButton() const { return addSlot_; }
    QPushButton* addGroupButton() const { return addGroup_; }
    // The last refusal of the configuration's validation; hidden while none.
    QLabel* errorLabel() const { return error_; }
    editor::AddSlotPopover* addSlotPopover() const { return popover_; }

    // What the buttons and the dial editor do, for the view and its tests.
    void openAddSlotPopover();
    void pick(editor::AddSlotKind kind);
    void addGroup();
    void editSlot(int index);

private:
    void refresh();

    SlotEditorPageModel model_;
    SlotSheetFactory factory_;
    editor::RadialDialEditor* dial_ = nullptr;
    editor::SlotLibraryColumn* library_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* addSlot_ = nullptr;
    QPushButton* addGroup_ = nullptr;
    QLabel* error_ = nullptr;
    QPointer<editor::AddSlotPopover> popover_;
};

}  // namespace orbel
