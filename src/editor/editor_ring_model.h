#pragma once

// What the editor ring draws, as plain values: one layout item per wedge
// for the slots and the drag now hovering (a ghost wedge at an insertion
// gap, a highlighted wedge to replace, a faded source and a lit swap
// target), the slot each item stands for, and which picture each shows.

#include <optional>
#include <string>
#include <vector>

#include "editor/dial_drop.h"
#include "slots/menu_slot.h"

namespace orbel::editor {

inline constexpr const char* kGhostId = "ghost";

struct RingLayoutItem {
    std::string id;  // the slot's id as text, or kGhostId
    std::string title;
    SlotImage icon;  // nothing to draw when empty
    bool isHighlighted = false;
    double opacity = 1.0;
    bool operator==(const RingLayoutItem&) const = default;
};

// The wedges to draw for these slots under this drag.
std::vector<RingLayoutItem> ringLayoutItems(const std::vector<SlotConfig>& slots, const DragState& dragState);
// The slot item `position` stands for: nothing for the ghost or a position
// outside the items.
std::optional<int> slotIndexForItem(int position, const std::vector<RingLayoutItem>& items,
                                    const std::vector<SlotConfig>& slots);
// Whether an item can be dragged, edited or removed (its id names a slot).
bool itemHasHitTarget(const RingLayoutItem& item);

// The pictures of the settings window, as the dial's own drawing turns
// them into images (dial::defaultSlotImage: the slot's own icon unless it
// is automatic, else the application's icon, else the symbol). These pick
// them by the editor's rules, not the dial's:
// - a slot: an application's own icon ("app.badge.questionmark" when none
//   is installed); an action's symbol; the music kinds' and the mode
//   switch's symbols; for the other kinds the slot's own icon, else the
//   kind's symbol ("folder.fill", "keyboard", "terminal", ...);
// - the ghost: an application as for its slot, an action's symbol ("bolt"
//   for an identifier no action has), "keyboard"; a wedge: nothing.
SlotImage slotPreviewImage(const SlotConfig& slot);
SlotImage payloadIcon(const SlotDragPayload& payload);
// The ghost wedge's title: the item's name, an action's title (the raw
// identifier when no action has it), nothing for a wedge.
std::string payloadTitle(const SlotDragPayload& payload);

// "Double-click to edit <title>", "Edit <title>".
std::string wedgeToolTip(const std::string& title);
std::string editMenuText(const std::string& title);

}  // namespace orbel::editor
