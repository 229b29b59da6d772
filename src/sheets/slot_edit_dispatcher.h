#pragma once

// Opens the editor sheet of a slot's kind for an edit request and folds the
// sheet's result back into the edited slot (its id and scope kept) before
// the owner gets it. The sheets themselves come from an injected factory:
// the group editor opens this dispatcher and the dispatcher opens group
// editors, and tests count what would open.

#include <QPointer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/slot_config.h"
#include "sheets/slot_edit_dispatch_model.h"

class QDialog;
class QWidget;

namespace orbel {

// What a group editor is opened with.
struct GroupEditorRequest {
    std::optional<MenuGroup> group;        // nothing for a new group
    std::vector<std::string> breadcrumb;   // enclosing levels, outermost first
    bool withLibrary = true;               // show the slot library beside the ring
    int cap = 6;
    std::optional<std::string> helpText;
};

// Makes (does not open) the sheets. Each sheet reports at most once through
// its callback and closes itself; Cancel reports nothing.
struct SlotSheetFactory {
    // The sheet of `kind` (any but group), new when `existing` is absent.
    std::function<QDialog*(SlotEditorKind kind, const std::optional<SlotConfig>& existing,
                           std::function<void(const SlotConfig&)> onSave, QWidget* parent)>
        slotSheet;
    std::function<QDialog*(const GroupEditorRequest& request, std::function<void(const MenuGroup&)> onSave,
                           QWidget* parent)>
        groupEditor;
};

// Edits a group slot in a group editor, which works on a group and not on a
// slot: it hands the editor the slot's group as a top-level group (no
// breadcrumb, the library's apps and actions, the dispatcher's cap, no help
// text) and turns the group the editor saves back into the slot, which
// keeps its id and scope. It shows nothing of its own and dismisses
// nothing: the group editor closes itself after Save Group or Cancel.
class GroupSlotEditWrapper {
public:
    GroupSlotEditWrapper(SlotConfig slot, int cap, std::function<void(const SlotConfig&)> onSave);

    GroupEditorRequest request() const;
    // The edited group, as the slot that is to replace the edited one;
    // nothing happens without a group.
    void save(const std::optional<MenuGroup>& group) const;
    // The group editor from `factory`, not yet open; nothing for a slot
    // that is no group or a factory without group editors.
    QDialog* makeEditor(const SlotSheetFactory& factory, QWidget* parent) const;

private:
    SlotConfig slot_;
    std::optional<MenuGroup> group_;
    int cap_;
    std::function<void(const SlotConfig&)> onSave_;
};

class SlotEditDispatcher {
public:
    // Opens the editor of `target`'s slot, window-modal over `parent`; it is
    // deleted when it closes. `onSave` gets the slot that is to replace the
    // target's; `onClosed` runs when the sheet closes, saved or not.
    static QDialog* open(const SlotEditTarget& target, int cap, const SlotSheetFactory& factory,
                         std::function<void(const SlotConfig&)> onSave, std::function<void()> onClosed,
                         QWidget* parent);
};

}  // namespace orbel
