#include "editor/dial_editor_model.h"

#include <algorithm>

namespace orbel::editor {

std::string FullDialPrompt::title() { return "Slot Limit Reached"; }

std::string FullDialPrompt::message(int cap) {
    return "The dial holds " + std::to_string(cap) +
           " slots \u2014 its maximum. Replace this slot with the new item, or wrap both into a group.";
}

std::string FullDialPrompt::replaceLabel() const { return "Replace " + targetSlot.title; }

std::string FullDialPrompt::groupLabel() const { return "Group " + targetSlot.title + " with " + newSlot.title; }

SlotConfig FullDialPrompt::groupSlot() const {
    MenuGroup group;
    group.title = "Group";
    group.slots = {targetSlot, newSlot};
    return SlotConfig::make(SlotType::group(std::move(group)), "Group");
}

std::string GroupRemoval::title() { return "Remove group?"; }

std::string GroupRemoval::message() const {
    return "The group \"" + groupTitle + "\" and the " + std::to_string(slotCount) +
           (slotCount == 1 ? " slot" : " slots") + " in it will be removed from this dial.";
}

std::string GroupRemoval::buttonLabel() const { return "Remove \"" + groupTitle + "\""; }

DialEditorModel::DialEditorModel(std::vector<SlotConfig> slots, int cap, DialEditorCallbacks callbacks)
    : slots_(std::move(slots)), cap_(cap), callbacks_(std::move(callbacks)) {}

DialDropDelegate DialEditorModel::dropDelegate(QPointF centre) const {
    return DialDropDelegate{slots_, centre, kRingInnerRadius, kRingOuterRadius, isFull()};
}

bool DialEditorModel::dragEntered(const std::optional<std::string_view>& text, QPointF location, QPointF centre) {
    const std::uint64_t token = coordinator_.beginSession();
    // The drag's text is at hand at once here; the token still guards against
    // an answer that arrives after the session it belongs to.
    const auto payload = decodeSlotPayload(text);
    if (!payload) return false;  // nothing the ring can use: refused
    coordinator_.applyLoadedPayload(*payload, token, dropDelegate(centre).dragStateFor(*payload, location));
    return true;
}

bool DialEditorModel::dragMoved(QPointF location, QPointF centre) {
    const auto& payload = coordinator_.cachedPayload();
    if (!payload) return false;
    const DialDropDelegate delegate = dropDelegate(centre);
    coordinator_.setDragState(delegate.dragStateFor(*payload, location));
    return commitTakes(delegate.resolveCommit(*payload, location));
}

void DialEditorModel::dragLeft() { coordinator_.endSession(); }

bool DialEditorModel::dropped(const std::optional<std::string_view>& text, QPointF location, QPointF centre) {
    std::optional<SlotDragPayload> payload = coordinator_.cachedPayload();
    coordinator_.endSession();
    if (!payload) payload = decodeSlotPayload(text);
    if (!payload) return false;
    return handleCommit(dropDelegate(centre).resolveCommit(*payload, location));
}

std::optional<SlotConfig> DialEditorModel::newSlotFor(const SlotDragPayload& payload) const {
    if (payloadAlreadyOnDial(payload, slots_)) return std::nullopt;
    return slotConfigFromPayload(payload);
}

bool DialEditorModel::commitTakes(const CommitAction& action) const {
    const int n = static_cast<int>(slots_.size());
    const auto onDial = [n](int i) { return i >= 0 && i < n; };
    if (const auto* insert = action.get<CommitAction::Insert>()) return newSlotFor(insert->payload).has_value();
    if (const auto* swap = action.get<CommitAction::Swap>()) return onDial(swap->from) && onDial(swap->to);
    if (const auto* prompt = action.get<CommitAction::PromptOnWedge>())
        return onDial(prompt->targetIndex) && newSlotFor(prompt->payload).has_value();
    return action.get<CommitAction::ToastFull>() != nullptr;
}

bool DialEditorModel::handleCommit(const CommitAction& action) {
    if (!commitTakes(action)) return false;
    if (const auto* insert = action.get<CommitAction::Insert>()) {
        const int at = std::clamp(insert->atIndex, 0, static_cast<int>(slots_.size()));
        if (callbacks_.onInsert) callbacks_.onInsert(*newSlotFor(insert->payload), at);
    } else if (const auto* swap = action.get<CommitAction::Swap>()) {
        if (callbacks_.onSwap) callbacks_.onSwap(swap->from, swap->to);
    } else if (const auto* prompt = action.get<CommitAction::PromptOnWedge>()) {
        const int k = prompt->targetIndex;
        setPrompt(FullDialPrompt{Uuid::random(), *newSlotFor(prompt->payload), k, slots_[static_cast<std::size_t>(k)]});
    } else if (showToast) {
        showToast(fullToastText());
    }
    return true;
}

void DialEditorModel::removeById(const Uuid& id) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].id != id) continue;
        requestRemove(static_cast<int>(i));
        break;
    }
    coordinator_.endSession();
}

void DialEditorModel::requestRemove(int index) {
    if (index < 0 || index >= static_cast<int>(slots_.size())) return;
    const SlotConfig& slot = slots_[static_cast<std::size_t>(index)];
    const auto* group = slot.type.get<SlotType::Group>();
    if (group && !group->group->slots.empty() && confirmRemoval) {
        confirmRemoval(GroupRemoval{slot.id, slot.title, static_cast<int>(group->group->slots.size())});
        return;
    }
    if (callbacks_.onRemove) callbacks_.onRemove(index);
}

void DialEditorModel::removeConfirmed(const GroupRemoval& removal) {
    // The slots may have changed while the question was open: the group
    // goes from where it stands now, if it is still here.
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].id != removal.id) continue;
        if (callbacks_.onRemove) callbacks_.onRemove(static_cast<int>(i));
        return;
    }
}

void DialEditorModel::insertIntoEmptyDial(const SlotDragPayload& payload) {
    if (payloadAlreadyOnDial(payload, slots_)) return;
    const auto slot = slotConfigFromPayload(payload);
    if (slot && callbacks_.onInsert) callbacks_.onInsert(*slot, 0);
}

void DialEditorModel::appendFromLibrary(const SlotDragPayload& payload) {
    handleCommit(dropDelegate({}).resolveAppend(payload));
}

void DialEditorModel::promptReplace() {
    if (!prompt_) return;
    const FullDialPrompt p = *prompt_;
    if (callbacks_.onReplace) callbacks_.onReplace(p.targetIndex, p.newSlot);
    setPrompt(std::nullopt);
}

void DialEditorModel::promptGroup() {
    if (!prompt_) return;
    const FullDialPrompt p = *prompt_;
    if (callbacks_.onReplace) callbacks_.onReplace(p.targetIndex, p.groupSlot());
    setPrompt(std::nullopt);
}

void DialEditorModel::promptDismiss() { setPrompt(std::nullopt); }

std::string DialEditorModel::fullToastText() const {
    return "Maximum " + std::to_string(cap_) + " slots reached";
}

void DialEditorModel::setPrompt(std::optional<FullDialPrompt> prompt) {
    const bool had = prompt_.has_value();
    prompt_ = std::move(prompt);
    if ((had || prompt_) && onPromptChanged) onPromptChanged();
}

}  // namespace orbel::editor
