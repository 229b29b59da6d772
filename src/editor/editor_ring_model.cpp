#include "editor/editor_ring_model.h"

#include "model/overloaded.h"
#include "slots/slot_factory.h"

namespace orbel::editor {

namespace {

// Titled as the dial titles the slot.
RingLayoutItem slotItem(const SlotConfig& slot) {
    return {slot.id.toString(), SlotFactory::titleFor(slot), slotPreviewPicture(slot)};
}

}  // namespace

std::vector<RingLayoutItem> ringLayoutItems(const std::vector<SlotConfig>& slots, const DragState& dragState) {
    std::vector<RingLayoutItem> items;
    items.reserve(slots.size() + 1);
    for (const SlotConfig& s : slots) items.push_back(slotItem(s));
    const int n = static_cast<int>(slots.size());
    if (const auto* library = dragState.get<DragState::LibraryDrag>()) {
        const int k = std::clamp(library->previewIndex, 0, n);
        RingLayoutItem ghost{kGhostId, payloadTitle(library->payload), payloadPicture(library->payload), true, 0.65};
        items.insert(items.begin() + k, std::move(ghost));
    } else if (const auto* full = dragState.get<DragState::LibraryFull>()) {
        if (full->targetIndex && *full->targetIndex >= 0 && *full->targetIndex < n)
            items[static_cast<std::size_t>(*full->targetIndex)].isHighlighted = true;
    } else if (const auto* existing = dragState.get<DragState::ExistingDrag>()) {
        const int s = existing->sourceIndex;
        if (existing->swapTarget && *existing->swapTarget != s && *existing->swapTarget >= 0 &&
            *existing->swapTarget < n)
            items[static_cast<std::size_t>(*existing->swapTarget)].isHighlighted = true;
        if (s >= 0 && s < n) {
            items[static_cast<std::size_t>(s)].opacity = 0.3;
            items[static_cast<std::size_t>(s)].isHighlighted = false;
        }
    }
    return items;
}

std::optional<int> slotIndexForItem(int position, const std::vector<RingLayoutItem>& items,
                                    const std::vector<SlotConfig>& slots) {
    if (position < 0 || position >= static_cast<int>(items.size())) return std::nullopt;
    const std::string& id = items[static_cast<std::size_t>(position)].id;
    if (id == kGhostId) return std::nullopt;
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].id.toString() == id) return static_cast<int>(i);
    return std::nullopt;
}

bool itemHasHitTarget(const RingLayoutItem& item) { return item.id != kGhostId && Uuid::parse(item.id).has_value(); }

PreviewPicture slotPreviewPicture(const SlotConfig& slot) { return {slot.type, slot.icon}; }

SlotImage previewSlotImage(const PreviewPicture& picture) {
    if (!picture.type) return {};
    return SlotFactory::imageFor(SlotConfig::make(*picture.type, {}, picture.icon));
}

std::string payloadTitle(const SlotDragPayload& payload) {
    return std::visit(Overloaded{
                          [](const SlotDragPayload::LibraryApp& p) { return p.name; },
                          [](const SlotDragPayload::LibraryAction& p) {
                              const auto action = SystemAction::fromIdentifier(p.actionId);
                              return action ? action->title() : p.actionId;
                          },
                          [](const SlotDragPayload::LibraryKeystroke& p) { return p.title; },
                          [](const SlotDragPayload::ExistingSlot&) { return std::string(); },
                      },
                      payload.kind);
}

PreviewPicture payloadPicture(const SlotDragPayload& payload) {
    if (auto slot = slotConfigFromPayload(payload)) return slotPreviewPicture(*slot);
    return {};
}

std::string wedgeToolTip(const std::string& title) { return "Double-click to edit " + title; }

std::string editMenuText(const std::string& title) { return "Edit " + title; }

}  // namespace orbel::editor
