#include "model/appearance_config.h"

namespace orbel {

namespace {

template <class E, std::size_t N>
std::optional<E> fromRaw(const std::array<E, N>& all, std::string_view raw) {
    for (E e : all) {
        if (rawValue(e) == raw) return e;
    }
    return std::nullopt;
}

template <class E, std::size_t N>
E enumFromJson(const json::Node& node, const std::array<E, N>& all, std::string_view typeName) {
    const std::string raw = node.asString();
    if (auto e = fromRaw(all, raw)) return *e;
    node.fail("Cannot initialize " + std::string(typeName) + " from invalid String value " + raw);
}

// Values at or below `lo` become `lo` (so -0 and NaN do too), values above
// `hi` become `hi`.
double clampRange(double v, double lo, double hi) {
    if (!(v > lo)) return lo;
    if (v > hi) return hi;
    return v;
}

template <class T, class Read>
T readOr(const json::Node& node, std::string_view key, T fallback, Read read) {
    auto value = json::attempt([&]() -> std::optional<T> {
        auto child = node.optional(key);
        if (!child) return std::nullopt;
        return read(*child);
    });
    return value && *value ? **value : fallback;
}

}  // namespace

std::string_view rawValue(AppearanceMode mode) {
    switch (mode) {
        case AppearanceMode::Auto: return "auto";
        case AppearanceMode::Dark: return "dark";
        case AppearanceMode::Light: return "light";
    }
    return "auto";
}

std::string_view rawValue(Backdrop backdrop) {
    switch (backdrop) {
        case Backdrop::LiquidGlass: return "liquidGlass";
        case Backdrop::Translucent: return "translucent";
        case Backdrop::Filled: return "filled";
    }
    return "liquidGlass";
}

std::string_view rawValue(SlotStyle style) {
    switch (style) {
        case SlotStyle::LiquidGlass: return "liquidGlass";
        case SlotStyle::Filled: return "filled";
        case SlotStyle::Normal: return "normal";
    }
    return "liquidGlass";
}

std::optional<AppearanceMode> appearanceModeFromRaw(std::string_view raw) {
    return fromRaw(kAllAppearanceModes, raw);
}
std::optional<Backdrop> backdropFromRaw(std::string_view raw) { return fromRaw(kAllBackdrops, raw); }
std::optional<SlotStyle> slotStyleFromRaw(std::string_view raw) { return fromRaw(kAllSlotStyles, raw); }

AppearanceMode appearanceModeFromJson(const json::Node& node) {
    return enumFromJson(node, kAllAppearanceModes, "AppearanceMode");
}
Backdrop backdropFromJson(const json::Node& node) { return enumFromJson(node, kAllBackdrops, "Backdrop"); }
SlotStyle slotStyleFromJson(const json::Node& node) { return enumFromJson(node, kAllSlotStyles, "SlotStyle"); }

const AppearanceConfig& AppearanceConfig::defaultValue() {
    static const AppearanceConfig value{};
    return value;
}

AppearanceConfig AppearanceConfig::fromJson(const json::Node& node) {
    node.requireObject();
    const AppearanceConfig& d = defaultValue();
    AppearanceConfig out = d;
    const auto number = [](const json::Node& n) { return n.asDouble(); };

    out.mode = readOr(node, "mode", d.mode, appearanceModeFromJson);
    out.backdrop = readOr(node, "backdrop", d.backdrop, backdropFromJson);
    out.backdropOpacity = clampRange(readOr(node, "backdropOpacity", d.backdropOpacity, number), 0.0, 1.0);
    out.backdropColor = node.optionalString("backdropColor");
    out.slotStyle = readOr(node, "slotStyle", d.slotStyle, slotStyleFromJson);
    out.slotColor = node.optionalString("slotColor");
    out.wedgeFillStrength = clampRange(readOr(node, "wedgeFillStrength", d.wedgeFillStrength, number), 0.5, 1.5);
    out.wedgeStrokeStrength =
        clampRange(readOr(node, "wedgeStrokeStrength", d.wedgeStrokeStrength, number), 0.0, 1.2);
    return out;
}

json::Json AppearanceConfig::toJson() const {
    json::Json out = json::Json::object();
    out["mode"] = std::string(rawValue(mode));
    out["backdrop"] = std::string(rawValue(backdrop));
    out["backdropOpacity"] = backdropOpacity;
    if (backdropColor) out["backdropColor"] = *backdropColor;
    out["slotStyle"] = std::string(rawValue(slotStyle));
    if (slotColor) out["slotColor"] = *slotColor;
    out["wedgeFillStrength"] = wedgeFillStrength;
    out["wedgeStrokeStrength"] = wedgeStrokeStrength;
    return out;
}

}  // namespace orbel
