#include "sheets/slot_sheet_factory.h"

#include "editor/editor_painting.h"
#include "editor/editor_ring_model.h"
#include "sheets/cycling_slot_editor_sheet.h"
#include "sheets/dynamic_slot_editor_sheet.h"
#include "sheets/group_editor_view.h"
#include "sheets/keystroke_slot_editor_sheet.h"
#include "sheets/profile_switch_edit_sheet.h"
#include "sheets/script_slot_editor_sheet.h"
#include "sheets/slot_rename_sheet.h"
#include "sheets/snippet_slot_editor_sheet.h"

namespace orbel {
namespace {

QDialog* makeSlotSheet(SlotEditorKind kind, const std::optional<SlotConfig>& existing,
                       std::function<void(const SlotConfig&)> onSave, QWidget* parent) {
    switch (kind) {
        case SlotEditorKind::rename: {
            if (!existing) return nullptr;  // only an existing slot is renamed
            const double dpr = parent ? parent->devicePixelRatioF() : 1.0;
            const QColor tint = parent ? parent->palette().color(QPalette::WindowText) : QColor(Qt::black);
            // At the ring's size: an application's icon read for the ring
            // is ready at once (the sheet fits it to its header).
            const QImage preview =
                editor::previewImage(editor::slotPreviewImage(*existing), 30, tint, dpr);
            return new SlotRenameSheet(*existing, std::move(onSave), preview, parent);
        }
        case SlotEditorKind::keystroke: return new KeystrokeSlotEditorSheet(existing, std::move(onSave), parent);
        case SlotEditorKind::script: return new ScriptSlotEditorSheet(existing, std::move(onSave), parent);
        case SlotEditorKind::snippet: return new SnippetSlotEditorSheet(existing, std::move(onSave), parent);
        case SlotEditorKind::profileSwitch: return new ProfileSwitchEditSheet(existing, std::move(onSave), parent);
        case SlotEditorKind::dynamic: return new DynamicSlotEditorSheet(existing, std::move(onSave), parent);
        case SlotEditorKind::cycling: return new CyclingSlotEditorSheet(existing, std::move(onSave), parent);
        case SlotEditorKind::group: return nullptr;  // groups open through groupEditor
    }
    return nullptr;
}

}  // namespace

SlotSheetFactory makeSlotSheetFactory() {
    SlotSheetFactory factory;
    factory.slotSheet = makeSlotSheet;
    // The group editor opens sheets (and nested group editors) through a
    // factory of its own, made afresh here: the factory holds no state.
    factory.groupEditor = [](const GroupEditorRequest& request, std::function<void(const MenuGroup&)> onSave,
                             QWidget* parent) -> QDialog* {
        return new GroupEditorView(request, std::move(onSave), makeSlotSheetFactory(), parent);
    };
    return factory;
}

SlotEditorKind editorKindFor(editor::AddSlotKind kind) {
    switch (kind) {
        case editor::AddSlotKind::keystroke: return SlotEditorKind::keystroke;
        case editor::AddSlotKind::script: return SlotEditorKind::script;
        case editor::AddSlotKind::snippet: return SlotEditorKind::snippet;
        case editor::AddSlotKind::dynamic: return SlotEditorKind::dynamic;
        case editor::AddSlotKind::cycling: return SlotEditorKind::cycling;
        case editor::AddSlotKind::profileSwitch: return SlotEditorKind::profileSwitch;
    }
    return SlotEditorKind::keystroke;
}

}  // namespace orbel
