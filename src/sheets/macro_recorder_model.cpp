#include "sheets/macro_recorder_model.h"

#include "sheets/step_list_model.h"

namespace orbel {

void MacroRecorderModel::start() {
    if (started_) return;
    started_ = listening_ = true;
}

void MacroRecorderModel::stop() { listening_ = false; }

bool MacroRecorderModel::handleKeyDown(std::uint16_t keyCode, std::uint32_t modifiers) {
    if (!listening_) return false;
    if (auto chord = step_rows::recordedChord(keyCode, modifiers))
        captured_.push_back(*chord);
    else
        stop();
    return true;
}

std::vector<MacroStep> MacroRecorderModel::steps() const {
    std::vector<MacroStep> out;
    for (const auto& combo : captured_) out.push_back(MacroStep::chord(combo));
    return out;
}

}  // namespace orbel
