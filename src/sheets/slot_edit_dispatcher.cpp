#include "sheets/slot_edit_dispatcher.h"

#include <QDialog>

#include "ui/sheet_opener.h"

namespace orbel {

GroupSlotEditWrapper::GroupSlotEditWrapper(SlotConfig slot, int cap, std::function<void(const SlotConfig&)> onSave)
    : slot_(std::move(slot)), cap_(cap), onSave_(std::move(onSave)) {
    if (const auto* group = slot_.type.get<SlotType::Group>()) group_ = *group->group;
}

GroupEditorRequest GroupSlotEditWrapper::request() const { return {group_, {}, true, cap_, std::nullopt}; }

void GroupSlotEditWrapper::save(const std::optional<MenuGroup>& group) const {
    if (group && onSave_) onSave_(groupSlotWithGroup(slot_, *group));
}

QDialog* GroupSlotEditWrapper::makeEditor(const SlotSheetFactory& factory, QWidget* parent) const {
    if (!group_ || !factory.groupEditor) return nullptr;
    return factory.groupEditor(request(), [wrapper = *this](const MenuGroup& edited) { wrapper.save(edited); },
                               parent);
}

QDialog* SlotEditDispatcher::open(const SlotEditTarget& target, int cap, const SlotSheetFactory& factory,
                                  std::function<void(const SlotConfig&)> onSave, std::function<void()> onClosed,
                                  QWidget* parent) {
    const SlotEditorKind kind = editorKindFor(target.slot.type);
    const SlotConfig slot = target.slot;
    QDialog* sheet = nullptr;
    if (slot.type.is<SlotType::Group>()) {
        sheet = GroupSlotEditWrapper(slot, cap, onSave).makeEditor(factory, parent);
    } else {
        if (!factory.slotSheet) return nullptr;
        sheet = factory.slotSheet(
            kind, slot, [kind, slot, onSave](const SlotConfig& result) { onSave(mergeResult(kind, slot, result)); },
            parent);
    }
    return ui::openSheet(sheet, std::move(onClosed));
}

}  // namespace orbel
