#pragma once

// What the Dial Size and appearance sections show, computed from the
// configuration: the 0 to 10 dial size and its radius, the value texts of
// the sliders, and which appearance rows appear with which help text. The
// General tab and the per-app override sheet both show them.

#include <optional>
#include <string>
#include <vector>

#include "model/appearance_config.h"

namespace orbel::appearance_settings {

// Radii below 100 show 0, 300 and more (and NaN) show 10, every other
// radius the nearest half step (half away from zero).
double dialSizeFromRadius(double radius);
// 100 + v / 10 * 200 for v below 10 (negative as 0), 300 from 10 on.
double radiusFromDialSize(double value);

std::string dialSizeText(double value);     // "5.0"
std::string percentText(double value);      // 0.55 -> "55%"
std::string multiplierText(double value);   // 1.0 -> "1.00×"

enum class Row { colorScheme, backdrop, backdropOpacity, backdropColor, slotStyle, slotColor, slotIntensity, slotBorders };

struct RowInfo {
    Row row;
    std::string label;
    std::optional<std::string> help;
};

// The rows shown for this appearance, in order, with their help texts.
std::vector<RowInfo> rows(const AppearanceConfig& appearance);
// One row's help text for this appearance; none when the row is not shown
// or has no help.
std::optional<std::string> help(const AppearanceConfig& appearance, Row row);

// Option titles of the three pickers, in case order.
std::vector<std::string> optionTitles(Row picker);

// A colour to store: "#RRGGBB" in upper case from any text the colour
// parser accepts (white space around it ignored); none for a refused text.
std::optional<std::string> normalisedHexColor(const std::string& text);

}  // namespace orbel::appearance_settings
