#include "profiles/profile_icon_picker_model.h"

namespace orbel {

ProfileIconPickerModel::ProfileIconPickerModel(std::function<std::optional<SlotIcon>()> read, Write write)
    : read_(std::move(read)), write_(std::move(write)) {}

SlotIcon ProfileIconPickerModel::defaultIcon() { return SlotIcon::symbolPack(IconPack{"sf"}, "person.crop.rectangle.stack"); }

SlotIcon ProfileIconPickerModel::shownIcon() const { return read_().value_or(defaultIcon()); }

void ProfileIconPickerModel::openPicker() {
    draft = read_().value_or(SlotIcon::automatic());
    showingPicker_ = true;
}

void ProfileIconPickerModel::closePicker() {
    if (!showingPicker_) return;
    showingPicker_ = false;
    write_(draft.isAuto() ? std::nullopt : std::optional<SlotIcon>(draft));
}

}  // namespace orbel
