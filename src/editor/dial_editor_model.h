#pragma once

// The dial editor's rules without widgets: the slots it was given, the cap,
// the host's callbacks, the drag session, the full-dial prompt and the toast.
// The editor never changes its slots itself: every change goes out through a
// callback and the host hands back the new list with setSlots().

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/dial_drop.h"

namespace orbel::editor {

// What the host does with the editor's changes. Indices are into the slots
// as last given; any callback may be left empty.
struct DialEditorCallbacks {
    std::function<void(const SlotConfig&, int)> onInsert;   // insert at 0...count
    std::function<void(int, int)> onSwap;                   // swap two slots
    std::function<void(int)> onRemove;                      // remove a slot
    std::function<void(int, const SlotConfig&)> onReplace;  // replace a slot
    std::function<void(int)> onEdit;                        // open a slot's editor
    std::function<void(int)> onShare;                       // kept for the hosts; never called
};

// The prompt shown when a library item is dropped near a wedge of a full dial.
struct FullDialPrompt {
    Uuid id = Uuid::random();
    SlotConfig newSlot;
    int targetIndex = 0;
    SlotConfig targetSlot;

    static std::string title();  // "Slot Limit Reached"
    static std::string message(int cap);
    std::string replaceLabel() const;  // "Replace <target>"
    std::string groupLabel() const;    // "Group <target> with <new>"
    // The slot Group puts at the target: a group "Group" of target, then new.
    SlotConfig groupSlot() const;
};

// A group that holds slots is removed only once the user confirms it; what
// the question says, and which slot it is about.
struct GroupRemoval {
    Uuid id;
    std::string groupTitle;
    int slotCount = 0;

    static std::string title();    // "Remove group?"
    std::string message() const;   // names the group and counts its slots
    std::string buttonLabel() const;  // "Remove "<title>""
};

class DialEditorModel {
public:
    DialEditorModel(std::vector<SlotConfig> slots, int cap, DialEditorCallbacks callbacks);

    const std::vector<SlotConfig>& slots() const { return slots_; }
    void setSlots(std::vector<SlotConfig> slots) { slots_ = std::move(slots); }
    int cap() const { return cap_; }
    bool isFull() const { return static_cast<int>(slots_.size()) >= cap_; }
    DialDragCoordinator& coordinator() { return coordinator_; }
    const DialDragCoordinator& coordinator() const { return coordinator_; }
    // The ring's drop rules for the slots now shown, about `centre`.
    DialDropDelegate dropDelegate(QPointF centre) const;

    // Drag over the ring (GUI thread): entry decodes the text, starts a new
    // session and previews the entry point; moves follow the pointer; a drop
    // ends the session and commits. False from dragEntered: not ours (no
    // payload: a file, foreign text). False from dragMoved: a drop here
    // would do nothing. False from dropped: it did nothing.
    bool dragEntered(const std::optional<std::string_view>& text, QPointF location, QPointF centre);
    bool dragMoved(QPointF location, QPointF centre);
    void dragLeft();
    bool dropped(const std::optional<std::string_view>& text, QPointF location, QPointF centre);

    // Whether a resolved drop does anything: a slot goes in, two swap, the
    // full-dial prompt opens or the toast says the dial is full. Not for an
    // item already on the dial, an action no slot can be made of, or none.
    bool commitTakes(const CommitAction& action) const;
    // What a resolved drop does (see CommitAction); false when it does
    // nothing (commitTakes).
    bool handleCommit(const CommitAction& action);
    // The trash's callback: removes the slot with that id, if on this dial
    // (through requestRemove), and ends the drag session in any case.
    void removeById(const Uuid& id);
    // The context menu's Remove and the trash: a group that holds slots goes
    // to `confirmRemoval` (which calls `removeConfirmed` on the user's yes);
    // any other slot goes at once.
    void requestRemove(int index);
    void removeConfirmed(const GroupRemoval& removal);
    std::function<void(const GroupRemoval&)> confirmRemoval;
    // The empty dial's drop: inserts the library item at 0 unless already there.
    void insertIntoEmptyDial(const SlotDragPayload& payload);
    // A library item chosen from the keyboard: committed as a drop after the
    // last slot would be (nothing when already there; the toast when full).
    void appendFromLibrary(const SlotDragPayload& payload);

    // The full-dial prompt and its three answers.
    const std::optional<FullDialPrompt>& fullDialPrompt() const { return prompt_; }
    void promptReplace();
    void promptGroup();
    void promptDismiss();

    // "Maximum <cap> slots reached".
    std::string fullToastText() const;

    // Called with a toast's text; the view shows it and clears it later.
    std::function<void(const std::string&)> showToast;
    // Called whenever the prompt appears, changes or goes.
    std::function<void()> onPromptChanged;

    const DialEditorCallbacks& callbacks() const { return callbacks_; }

private:
    void setPrompt(std::optional<FullDialPrompt> prompt);
    // The slot a library item would add: nothing when it is already on the
    // dial or no slot can be made of it.
    std::optional<SlotConfig> newSlotFor(const SlotDragPayload& payload) const;

    std::vector<SlotConfig> slots_;
    int cap_;
    DialEditorCallbacks callbacks_;
    DialDragCoordinator coordinator_;
    std::optional<FullDialPrompt> prompt_;
};

}  // namespace orbel::editor
