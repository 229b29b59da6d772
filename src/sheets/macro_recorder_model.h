#pragma once

// The live recorder behind the macro recorder overlay: while listening every
// key press becomes a captured chord, in order (key repeats included);
// Escape stops listening and is not recorded. Listening cannot resume:
// a new overlay starts a new recorder.

#include <cstdint>
#include <vector>

#include "model/macro_step.h"

namespace orbel {

class MacroRecorderModel {
public:
    bool isListening() const { return listening_; }
    void start();  // from idle only, once
    void stop();

    // One key press while listening. Returns whether the press was taken
    // (every press is, while listening).
    bool handleKeyDown(std::uint16_t keyCode, std::uint32_t modifiers);

    const std::vector<KeyCombination>& captured() const { return captured_; }
    // "Done" is offered once something was captured.
    bool canFinish() const { return !captured_.empty(); }
    // The captured chords as chord steps, in capture order.
    std::vector<MacroStep> steps() const;

private:
    bool listening_ = false;
    bool started_ = false;
    std::vector<KeyCombination> captured_;
};

}  // namespace orbel
