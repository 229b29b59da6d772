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
    if (!text) return false;
    // The drag's text is at hand at once here; the token still guards against
    // an answer that arrives after the session it belongs to.
    const auto payload = decodeSlotPayload(text);
    if (!payload) return true;  // plain text: accepted, never previewed or committed
    coordinator_.applyLoadedPayload(*payload, token, dropDelegate(centre).dragStateFor(*payload, location));
    return true;
}

void DialEditorModel::dragMoved(QPointF location, QPointF centre) {
    if (const auto& payload = coordinator_.cachedPayload())
        coordinator_.setDragState(dropDelegate(centre).dragStateFor(*payload, location));
}

void DialEditorModel::dragLeft() { coordinator_.endSession(); }

void DialEditorModel::dropped(const std::optional<std::string_view>& text, QPointF location, QPointF centre) {
    std::optional<SlotDragPayload> payload = coordinator_.cachedPayload();
    coordinator_.endSession();
    if (!payload) payload = decodeSlotPayload(text);
    if (!payload) return;
    handleCommit(dropDelegate(centre).resolveCommit(*payload, location));
}

void DialEditorModel::handleCommit(const CommitAction& action) {
    if (const auto* insert = action.get<CommitAction::Insert>()) {
        if (payloadAlreadyOnDial(insert->payload, slots_)) return;
        const auto slot = slotConfigFromPayload(insert->payload);
        if (!slot) return;
        const int at = std::clamp(insert->atIndex, 0, static_cast<int>(slots_.size()));
        if (callbacks_.onInsert) callbacks_.onInsert(*slot, at);
    } else if (const auto* swap = action.get<CommitAction::Swap>()) {
        const int n = static_cast<int>(slots_.size());
        if (swap->from < 0 || swap->from >= n || swap->to < 0 || swap->to >= n) return;
        if (callbacks_.onSwap) callbacks_.onSwap(swap->from, swap->to);
    } else if (const auto* prompt = action.get<CommitAction::PromptOnWedge>()) {
        if (payloadAlreadyOnDial(prompt->payload, slots_)) return;
        const auto slot = slotConfigFromPayload(prompt->payload);
        if (!slot) return;
        const int k = prompt->targetIndex;
        if (k < 0 || k >= static_cast<int>(slots_.size())) return;
        setPrompt(FullDialPrompt{Uuid::random(), *slot, k, slots_[static_cast<std::size_t>(k)]});
    } else if (action.get<CommitAction::ToastFull>()) {
        if (showToast) showToast(fullToastText());
    }
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
