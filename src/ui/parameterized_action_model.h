#pragma once

// What the level editor of a valued system action (set volume, set
// brightness) shows: its caption and the level as a whole percentage.

#include <string>

#include "model/system_action.h"

namespace orbel::parameterized_action {

// "Volume", "Brightness", or "Value" for any other action.
std::string caption(SystemAction::Kind prototype);
// The level times 100, halves rounded away from zero, then "%": 0.125 reads
// "13%", 1.5 reads "150%".
std::string percentText(double level);

inline constexpr double kStep = 0.01;

}  // namespace orbel::parameterized_action
