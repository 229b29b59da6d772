#pragma once

// The steps of a keystroke macro as its editor edits them, with the rules of
// the step rows.
//
// Each step carries a key that stays with it while it lives in the list. A
// row reports its edits by that key, never by a position, so a row built
// before a deletion or an append can never write over the step that has
// since moved into its place; an edit for a key no longer in the list, or a
// position outside it, changes nothing. New steps only go to the end.
//
// A chord step added by Add Chord holds no chord until one is recorded into
// it: its empty key combination would play the key with code 0 (A), so the
// list keeps it apart from a recorded A and refuses it as a problem. Steps
// the list starts with and steps from the recorder are recorded chords.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/macro_step.h"

namespace orbel {

class StepList {
public:
    using Key = std::uint64_t;
    // `edited`: one step changed in place; `resized`: steps came or went.
    enum class Change { edited, resized };

    explicit StepList(std::vector<MacroStep> steps = {});

    const std::vector<MacroStep>& steps() const { return steps_; }
    std::size_t size() const { return steps_.size(); }
    bool empty() const { return steps_.empty(); }
    Key keyAt(std::size_t index) const { return keys_.at(index); }
    std::optional<std::size_t> indexOf(Key key) const;

    // ---- Adding: each appends one step at the end.
    void appendChord();          // a chord step with nothing recorded into it
    void appendWait();           // 100 ms
    void appendText();           // ""
    void appendClipboardPush();
    void appendClipboardPop();
    void appendWaitForWindow();  // no bundle id, no title filter, 5000 ms
    void appendStep(MacroStep step);
    // Recorded steps in the order given; none changes nothing.
    void appendRecordedSteps(const std::vector<MacroStep>& steps);

    // ---- Editing and deleting. False (and nothing changed) for a key or a
    // position not in the list.
    bool replaceStep(Key key, MacroStep step);
    bool deleteStep(Key key);
    bool replaceStepAt(std::size_t index, MacroStep step);
    bool deleteStepAt(std::size_t index);

    // Told of every change, after it.
    std::function<void(Change)> onChange;

    // Whether the step at `index` is a chord step nothing was recorded into.
    bool isUnrecordedChord(std::size_t index) const;
    bool hasUnrecordedChord() const { return !unrecorded_.empty(); }

    // ---- Texts and counts.
    std::int64_t chordCount() const;
    std::int64_t totalWaitMilliseconds() const;
    // "3 chords · 350 ms of waits"; "1 chord"; "0 chords".
    std::string summaryText() const;
    // A step that plays something: anything but a wait or a clipboard push.
    bool hasActionStep() const;
    // Why these steps cannot be saved (a chord step with nothing recorded, an
    // empty text step, a window wait without a bundle id), naming the first
    // such step; nothing when they can.
    std::optional<std::string> problem() const;

private:
    void changed(Change change);
    std::vector<MacroStep> steps_;
    std::vector<Key> keys_;
    std::set<Key> unrecorded_;  // chord steps from Add Chord not yet recorded
    Key nextKey_ = 1;
};

// Rules of the rows.
namespace step_rows {

inline constexpr std::array<std::int64_t, 5> kWaitPresets{50, 100, 250, 500, 1000};

// A typed or stepped wait kept within 1...5000 ms.
std::int64_t clampWait(std::int64_t milliseconds);
// "250" below a second; "1s", "1.50s" from a second up.
std::string formatMilliseconds(std::int64_t milliseconds);
// "Set wait to 1s".
std::string presetTooltip(std::int64_t milliseconds);

// The title filter a window wait stores: none when the draft is only
// spaces and tabs, otherwise the draft as typed.
std::optional<std::string> titleFilter(const std::string& draft);

// What the chord capsule reads; `combo` is none while nothing is recorded.
std::string chordCapsuleText(const std::optional<KeyCombination>& combo, bool recording);
// The chord a key press records; none for Escape, which ends the recording.
std::optional<KeyCombination> recordedChord(std::uint16_t keyCode, std::uint32_t modifiers);

inline constexpr std::uint16_t kEscapeKeyCode = 53;

}  // namespace step_rows

}  // namespace orbel
