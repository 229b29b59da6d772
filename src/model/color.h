#pragma once

// Colours as plain values: sRGB components 0...1 with an opacity. The views
// turn them into toolkit colours when they paint.

#include "model/hex_color.h"

namespace orbel {

struct Rgba {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;

    bool operator==(const Rgba&) const = default;

    static Rgba opaque(const Rgb& c) { return {c.r, c.g, c.b, 1.0}; }
    // The grey (w, w, w).
    static Rgba grey(double white, double alpha = 1.0) { return {white, white, white, alpha}; }
    static Rgba black(double alpha = 1.0) { return grey(0.0, alpha); }
    static Rgba white(double alpha = 1.0) { return grey(1.0, alpha); }

    Rgb rgb() const { return {r, g, b}; }
};

// Hue, saturation and brightness (the HSV model), all 0...1, and opacity.
struct Hsba {
    double hue = 0;
    double saturation = 0;
    double brightness = 0;
    double alpha = 1;
};

Hsba toHsba(const Rgba& color);
Rgba fromHsba(const Hsba& color);

// The same hue, saturation and opacity with the brightness moved by `delta`
// and then held to 0.02...0.98 (a NaN result counts as 0.02).
Rgba adjustedBrightness(const Rgba& color, double delta);

}  // namespace orbel
