#include "sheets/slot_edit_dispatch_model.h"

#include <algorithm>

#include "model/overloaded.h"

namespace orbel {

SlotEditorKind editorKindFor(const SlotType& type) {
    using K = SlotEditorKind;
    // One case per kind and no default, so that a new kind cannot be left out.
    return std::visit(Overloaded{
                          [](const SlotType::App&) { return K::rename; },
                          [](const SlotType::Action&) { return K::rename; },
                          [](const SlotType::Group&) { return K::group; },
                          [](const SlotType::Keystroke&) { return K::keystroke; },
                          [](const SlotType::Script&) { return K::script; },
                          [](const SlotType::Snippet&) { return K::snippet; },
                          [](const SlotType::Dynamic&) { return K::dynamic; },
                          [](const SlotType::Cycling&) { return K::cycling; },
                          [](const SlotType::Transport&) { return K::rename; },
                          [](const SlotType::ModeSwitch&) { return K::rename; },
                          [](const SlotType::ProfileTarget&) { return K::rename; },
                          [](const SlotType::VolumeScrub&) { return K::rename; },
                          [](const SlotType::ProfileSwitch&) { return K::profileSwitch; },
                      },
                      type.value);
}

SlotConfig mergeEdited(const SlotConfig& target, const SlotConfig& result) {
    SlotConfig out = target;
    out.title = result.title;
    out.icon = result.icon;
    out.type = result.type;
    return out;
}

SlotConfig mergeProfileSwitch(const SlotConfig& target, const SlotConfig& result) {
    SlotConfig out = target;
    out.title = result.title;
    out.type = result.type;
    return out;
}

SlotConfig mergeResult(SlotEditorKind kind, const SlotConfig& target, const SlotConfig& result) {
    switch (kind) {
    case SlotEditorKind::rename:
    case SlotEditorKind::group: return result;
    case SlotEditorKind::profileSwitch: return mergeProfileSwitch(target, result);
    case SlotEditorKind::keystroke:
    case SlotEditorKind::script:
    case SlotEditorKind::snippet:
    case SlotEditorKind::dynamic:
    case SlotEditorKind::cycling: return mergeEdited(target, result);
    }
    return result;
}

SlotConfig groupSlotWithGroup(const SlotConfig& slot, const MenuGroup& group) {
    SlotConfig out = slot;
    out.title = group.title;
    out.icon = group.icon;
    out.type = SlotType::group(group);
    return out;
}

std::optional<int> locateEditTarget(const std::vector<SlotConfig>& slots, const SlotEditTarget& target) {
    const int count = static_cast<int>(slots.size());
    if (target.index >= 0 && target.index < count && slots[static_cast<std::size_t>(target.index)].id == target.slot.id) {
        return target.index;
    }
    auto it = std::find_if(slots.begin(), slots.end(), [&](const SlotConfig& s) { return s.id == target.slot.id; });
    if (it == slots.end()) return std::nullopt;
    return static_cast<int>(it - slots.begin());
}

bool containsMatching(const std::vector<SlotConfig>& slots, const SlotConfig& slot) {
    return std::any_of(slots.begin(), slots.end(), [&](const SlotConfig& s) { return s.type.matches(slot.type); });
}

}  // namespace orbel
