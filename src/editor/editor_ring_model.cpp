#include "editor/editor_ring_model.h"

#include "model/overloaded.h"
#include "platform/workspace.h"
#include "slots/slot_factory.h"

namespace orbel::editor {

namespace {

// Titled as the dial titles the slot.
RingLayoutItem slotItem(const SlotConfig& slot) {
    return {slot.id.toString(), SlotFactory::titleFor(slot), slotPreviewImage(slot)};
}

SlotImage symbol(std::string name) { return SlotImage{SlotIcon::automatic(), std::move(name), {}, {}}; }

// The slot's own icon unless it is automatic or cannot be drawn, else `name`.
SlotImage customOr(const SlotConfig& slot, std::string name) {
    return SlotImage{slot.icon, std::move(name), {}, {}};
}

// An installed application's own icon (the generic application picture when
// its entry names none that draws); "app.badge.questionmark" when nothing
// installed answers to the identifier. Until the installed applications have
// been read, none is known missing: the generic picture stands in.
SlotImage applicationPicture(const std::string& bundleId) {
    const auto app = platform::Workspace::shared().applicationFor(bundleId);
    if (app.isNotKnownYet()) return symbol("app");
    if (app.isNone()) return symbol("app.badge.questionmark");
    return SlotImage{SlotIcon::automatic(), "app", {}, app.value()->icon};
}

}  // namespace

std::vector<RingLayoutItem> ringLayoutItems(const std::vector<SlotConfig>& slots, const DragState& dragState) {
    std::vector<RingLayoutItem> items;
    items.reserve(slots.size() + 1);
    for (const SlotConfig& s : slots) items.push_back(slotItem(s));
    const int n = static_cast<int>(slots.size());
    if (const auto* library = dragState.get<DragState::LibraryDrag>()) {
        const int k = std::clamp(library->previewIndex, 0, n);
        RingLayoutItem ghost{kGhostId, payloadTitle(library->payload), payloadIcon(library->payload), true, 0.65};
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

SlotImage slotPreviewImage(const SlotConfig& slot) {
    return std::visit(
        Overloaded{
            [](const SlotType::App& a) { return applicationPicture(a.bundleId); },
            [](const SlotType::Action& a) { return symbol(std::string(a.action.symbolName())); },
            [&](const SlotType::Group&) { return customOr(slot, "folder.fill"); },
            [&](const SlotType::Keystroke&) { return customOr(slot, "keyboard"); },
            [&](const SlotType::Script&) { return customOr(slot, "terminal"); },
            [&](const SlotType::Snippet&) { return customOr(slot, "doc.on.clipboard"); },
            [&](const SlotType::Dynamic&) { return customOr(slot, "gauge.with.dots.needle.bottom.50percent"); },
            [&](const SlotType::Cycling&) { return customOr(slot, "arrow.triangle.2.circlepath"); },
            // The command's symbol, as the music dial draws it.
            [](const SlotType::Transport& t) { return symbol(fallbackSymbol(SlotType(t))); },
            [](const SlotType::ModeSwitch& m) {
                return symbol(m.mode == DialMode::music ? "music.note" : "circle.grid.cross");
            },
            [&](const SlotType::ProfileTarget&) { return customOr(slot, "person.crop.rectangle.stack"); },
            [](const SlotType::VolumeScrub&) { return symbol("speaker.wave.2.fill"); },
            [&](const SlotType::ProfileSwitch&) { return customOr(slot, "person.crop.rectangle.stack"); },
        },
        slot.type.value);
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

SlotImage payloadIcon(const SlotDragPayload& payload) {
    return std::visit(Overloaded{
                          [](const SlotDragPayload::LibraryApp& p) { return applicationPicture(p.bundleId); },
                          [](const SlotDragPayload::LibraryAction& p) {
                              const auto action = SystemAction::fromIdentifier(p.actionId);
                              return symbol(action ? std::string(action->symbolName()) : "bolt");
                          },
                          [](const SlotDragPayload::LibraryKeystroke&) { return symbol("keyboard"); },
                          [](const SlotDragPayload::ExistingSlot&) { return SlotImage{}; },
                      },
                      payload.kind);
}

std::string wedgeToolTip(const std::string& title) { return "Double-click to edit " + title; }

std::string editMenuText(const std::string& title) { return "Edit " + title; }

}  // namespace orbel::editor
