#include "model/color.h"

#include <algorithm>
#include <cmath>

namespace orbel {

Hsba toHsba(const Rgba& c) {
    const double maxC = std::max({c.r, c.g, c.b});
    const double minC = std::min({c.r, c.g, c.b});
    const double delta = maxC - minC;
    Hsba out;
    out.brightness = maxC;
    out.alpha = c.a;
    out.saturation = maxC > 0 ? delta / maxC : 0.0;
    if (delta > 0) {
        double h;
        if (maxC == c.r) {
            h = (c.g - c.b) / delta;
        } else if (maxC == c.g) {
            h = 2.0 + (c.b - c.r) / delta;
        } else {
            h = 4.0 + (c.r - c.g) / delta;
        }
        h /= 6.0;
        if (h < 0) h += 1.0;
        out.hue = h;
    }
    return out;
}

Rgba fromHsba(const Hsba& c) {
    const double v = c.brightness;
    const double s = c.saturation;
    if (s <= 0) return {v, v, v, c.alpha};
    double h = std::isfinite(c.hue) ? c.hue - std::floor(c.hue) : 0.0;  // wrap into [0, 1)
    h *= 6.0;
    const int sector = std::clamp(static_cast<int>(h), 0, 5);
    const double f = h - sector;
    const double p = v * (1.0 - s);
    const double q = v * (1.0 - s * f);
    const double t = v * (1.0 - s * (1.0 - f));
    switch (sector) {
        case 0: return {v, t, p, c.alpha};
        case 1: return {q, v, p, c.alpha};
        case 2: return {p, v, t, c.alpha};
        case 3: return {p, q, v, c.alpha};
        case 4: return {t, p, v, c.alpha};
        default: return {v, p, q, c.alpha};
    }
}

Rgba adjustedBrightness(const Rgba& color, double delta) {
    Hsba hsba = toHsba(color);
    double b = hsba.brightness + delta;
    if (!(b >= 0.02)) b = 0.02;  // NaN too
    if (b > 0.98) b = 0.98;
    hsba.brightness = b;
    return fromHsba(hsba);
}

}  // namespace orbel
