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

// The picture of a slot or a dragged item, before it is drawn: the kind and
// icon of the slot (or of the slot a drop would make), which the dial's own
// rule turns into a picture (SlotFactory::imageFor, dial::slotPicture).
struct PreviewPicture {
    std::optional<SlotType> type;  // nothing: no picture
    SlotIcon icon = SlotIcon::automatic();
    bool operator==(const PreviewPicture&) const = default;
};

struct RingLayoutItem {
    std::string id;  // the slot's id as text, or kGhostId
    std::string title;
    PreviewPicture picture;
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

// The picture of a slot in the settings window.
PreviewPicture slotPreviewPicture(const SlotConfig& slot);
// The ghost wedge's title and picture for a dragged item.
std::string payloadTitle(const SlotDragPayload& payload);
PreviewPicture payloadPicture(const SlotDragPayload& payload);
// What the dial would draw for the picture (nothing for no picture).
SlotImage previewSlotImage(const PreviewPicture& picture);

// "Double-click to edit <title>", "Edit <title>".
std::string wedgeToolTip(const std::string& title);
std::string editMenuText(const std::string& title);

}  // namespace orbel::editor
