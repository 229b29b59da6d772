#pragma once

// Turns stored slot configurations into the live slots of one dial level.

#include <vector>

#include "slots/menu_slot.h"

namespace orbel {

class SlotFactory {
public:
    // One live slot per configuration, in order. Music transport and volume
    // slots are made only by the music mode and are skipped here.
    static std::vector<MenuSlotPtr> makeSlots(const std::vector<SlotConfig>& configs);
    // Null for the music kinds (transport, volumeScrub).
    static MenuSlotPtr makeSlot(const SlotConfig& config);

    // The picture a live slot made from `config` would show, worked out from
    // the configuration alone: no slot is built, so nothing registers or runs.
    // The dial, the editor's ring and the sheets all draw this (through
    // dial::slotPicture), so a slot looks the same everywhere.
    static SlotImage imageFor(const SlotConfig& config);
    // The title a live slot made from `config` would show at rest (an
    // application slot whose application is missing here may be titled by
    // its role).
    static std::string titleFor(const SlotConfig& config);
};

// The system symbol a slot of this kind shows when its own icon is automatic
// or cannot be drawn.
std::string fallbackSymbol(const SlotType& type);
// The same for a slot whose own icon is `icon`: a mode switch whose chosen
// icon cannot be drawn shows a plain circle, not its automatic symbol.
std::string fallbackSymbol(const SlotType& type, const SlotIcon& icon);

}  // namespace orbel
