#pragma once

// Editing an existing slot: the request (which slot, where it stood), which
// editor a slot's kind opens, and how that editor's result is folded back
// into the slot so that it keeps its identity and scope.

#include <optional>
#include <string>
#include <vector>

#include "model/slot_config.h"
#include "model/uuid.h"

namespace orbel {

// One edit request: fresh for every request, so that each opens a new sheet.
struct SlotEditTarget {
    Uuid id = Uuid::random();
    int index = 0;   // where the slot stood when the edit began
    SlotConfig slot;  // the slot as it was then

    static SlotEditTarget make(int index, SlotConfig slot) { return {Uuid::random(), index, std::move(slot)}; }
};

// The editor each kind of slot opens.
enum class SlotEditorKind { rename, group, keystroke, script, snippet, dynamic, cycling, profileSwitch };

SlotEditorKind editorKindFor(const SlotType& type);

// Keystroke, script, snippet, dynamic and cycling sheets build a brand-new
// slot: the target keeps its id and scope and takes title, icon and kind.
SlotConfig mergeEdited(const SlotConfig& target, const SlotConfig& result);
// The profile switcher has no icon control: the slot keeps its icon.
SlotConfig mergeProfileSwitch(const SlotConfig& target, const SlotConfig& result);
// The merge the editor of `kind` needs (rename and group results are whole
// slots already and pass unchanged).
SlotConfig mergeResult(SlotEditorKind kind, const SlotConfig& target, const SlotConfig& result);
// A group slot after its group was edited: the group's title and icon, the
// group as payload, the slot's own id and scope.
SlotConfig groupSlotWithGroup(const SlotConfig& slot, const MenuGroup& group);

// Where the edited slot stands now in `slots`: at the recorded index when
// the slot there is still the edited one, else wherever its id is (the list
// may have been replaced meanwhile, by a profile switch from the dial), else
// nowhere and the edit is dropped.
std::optional<int> locateEditTarget(const std::vector<SlotConfig>& slots, const SlotEditTarget& target);

// Whether some slot of `slots` matches `slot`'s kind (groups by id).
bool containsMatching(const std::vector<SlotConfig>& slots, const SlotConfig& slot);

}  // namespace orbel
