#pragma once

// The round profile icon control's rules: the picker starts from the stored
// icon ("auto" when there is none), and each closing of the picker writes
// back exactly once, "auto" as no icon.

#include <functional>
#include <optional>

#include "model/slot_icon.h"

namespace orbel {

class ProfileIconPickerModel {
public:
    using Write = std::function<void(const std::optional<SlotIcon>&)>;

    // `read` gives the stored icon; `write` stores one (or none).
    ProfileIconPickerModel(std::function<std::optional<SlotIcon>()> read, Write write);

    // Shown while no icon is stored.
    static SlotIcon defaultIcon();
    SlotIcon shownIcon() const;

    void openPicker();
    bool showingPicker() const { return showingPicker_; }
    // The picker's working value; its Apply writes into it.
    SlotIcon draft = SlotIcon::automatic();
    // The picker closed by Apply or Cancel. Does nothing while it is not open.
    void closePicker();

private:
    std::function<std::optional<SlotIcon>()> read_;
    Write write_;
    bool showingPicker_ = false;
};

}  // namespace orbel
