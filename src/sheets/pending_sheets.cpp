// Stand-ins for the dynamic and cycling slot sheets until those sheets are
// merged: both open the rename sheet for an existing slot, and nothing for
// a new one. Remove this file when dynamic_slot_editor_sheet.cpp and
// cycling_slot_editor_sheet.cpp define the two functions.

#include "sheets/slot_rename_sheet.h"
#include "sheets/slot_sheet_factory.h"

namespace orbel {

QDialog* makeDynamicSlotSheet(const std::optional<SlotConfig>& existing, std::function<void(const SlotConfig&)> onSave,
                              QWidget* parent) {
    if (!existing) return nullptr;
    return new SlotRenameSheet(*existing, std::move(onSave), {}, parent);
}

QDialog* makeCyclingSlotSheet(const std::optional<SlotConfig>& existing, std::function<void(const SlotConfig&)> onSave,
                              const SlotSheetFactory&, QWidget* parent) {
    if (!existing) return nullptr;
    return new SlotRenameSheet(*existing, std::move(onSave), {}, parent);
}

}  // namespace orbel
