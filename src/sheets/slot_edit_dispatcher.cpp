#include "sheets/slot_edit_dispatcher.h"

#include <QDialog>

namespace orbel {

QDialog* SlotEditDispatcher::open(const SlotEditTarget& target, int cap, const SlotSheetFactory& factory,
                                  std::function<void(const SlotConfig&)> onSave, std::function<void()> onClosed,
                                  QWidget* parent) {
    const SlotEditorKind kind = editorKindFor(target.slot.type);
    const SlotConfig slot = target.slot;
    QDialog* sheet = nullptr;
    if (const auto* group = slot.type.get<SlotType::Group>()) {
        if (!factory.groupEditor) return nullptr;
        GroupEditorRequest request{*group->group, {}, true, cap, std::nullopt};
        sheet = factory.groupEditor(
            request, [slot, onSave](const MenuGroup& edited) { onSave(groupSlotWithGroup(slot, edited)); }, parent);
    } else {
        if (!factory.slotSheet) return nullptr;
        sheet = factory.slotSheet(
            kind, slot, [kind, slot, onSave](const SlotConfig& result) { onSave(mergeResult(kind, slot, result)); },
            parent);
    }
    if (!sheet) return nullptr;
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    if (onClosed) QObject::connect(sheet, &QDialog::finished, sheet, [onClosed](int) { onClosed(); });
    sheet->open();
    return sheet;
}

}  // namespace orbel
