#include "model/dial_palette.h"

#include <algorithm>

namespace orbel {

namespace {

Rgba customOr(const std::optional<std::string>& hex, const Rgba& fallback) {
    if (hex) {
        if (auto rgb = parseHexColor(*hex)) return Rgba::opaque(*rgb);
    }
    return fallback;
}

}  // namespace

ColorScheme colorSchemeForWindowColor(const Rgb& c) {
    const double lightness = (std::max({c.r, c.g, c.b}) + std::min({c.r, c.g, c.b})) / 2.0;
    return lightness < 0.5 ? ColorScheme::dark : ColorScheme::light;
}

DialPalette DialPalette::make(const AppearanceConfig& appearance, ColorScheme scheme) {
    DialPalette p;
    switch (appearance.mode) {
        case AppearanceMode::dark: p.isDark = true; break;
        case AppearanceMode::light: p.isDark = false; break;
        case AppearanceMode::automatic: p.isDark = scheme == ColorScheme::dark; break;
    }
    const bool dark = p.isDark;
    p.backdropFill = customOr(appearance.backdropColor, dark ? Rgba::black() : Rgba::grey(0.97));
    p.wedgeFilledTint = customOr(appearance.slotColor, Rgba::grey(dark ? 0.32 : 0.2));
    p.backdropBorder = dark ? Rgba::white(0.18) : Rgba::black(0.16);
    p.wedgeGlassTint = Rgba::grey(dark ? 0.85 : 0.2);
    // A lighter wedge stands out on dark glass; on light glass (over a white
    // window) only a darker one does.
    p.wedgeGlassHoverTint = dark ? Rgba::white() : Rgba::black();
    // Nearly opaque: the pill's text must read over whatever the glass shows.
    p.labelBg = dark ? Rgba::black(0.78) : Rgba::white(0.96);
    p.labelText = dark ? Rgba::white(0.95) : Rgba::black(0.92);
    p.placeholderIconTint = Rgba::grey(dark ? 0.62 : 0.85);
    return p;
}

}  // namespace orbel
