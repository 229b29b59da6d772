#pragma once

// The concrete colours one drawing of the dial uses, derived from the
// appearance and the colour scheme of the view that draws it.

#include "model/appearance_config.h"
#include "model/color.h"

namespace orbel {

enum class ColorScheme { light, dark };

// The desktop has no colour-scheme setting of its own: a window colour of
// HSL lightness below one half means a dark scheme.
ColorScheme colorSchemeForWindowColor(const Rgb& windowColor);

struct DialPalette {
    bool isDark = false;
    Rgba backdropFill;     // the custom backdrop colour, else the base backdrop
    Rgba backdropBorder;
    Rgba wedgeFilledTint;  // the custom slot colour, else the base wedge tint
    Rgba wedgeGlassTint;
    Rgba wedgeGlassHoverTint;
    Rgba labelBg;
    Rgba labelText;
    Rgba placeholderIconTint;

    bool operator==(const DialPalette&) const = default;

    // Pure. Only the mode and the two colour texts of the appearance are
    // read; an unreadable colour text counts as absent.
    static DialPalette make(const AppearanceConfig& appearance, ColorScheme scheme);
};

}  // namespace orbel
