#include "model/appearance_config.h"

#include "model/raw_enum.h"

namespace orbel {

namespace {

constexpr raw_enum::Table<AppearanceMode, 3> kAppearanceModes{{
    {AppearanceMode::automatic, "auto"},
    {AppearanceMode::dark, "dark"},
    {AppearanceMode::light, "light"},
}};

constexpr raw_enum::Table<Backdrop, 3> kBackdrops{{
    {Backdrop::liquidGlass, "liquidGlass"},
    {Backdrop::translucent, "translucent"},
    {Backdrop::filled, "filled"},
}};

constexpr raw_enum::Table<SlotStyle, 3> kSlotStyles{{
    {SlotStyle::liquidGlass, "liquidGlass"},
    {SlotStyle::filled, "filled"},
    {SlotStyle::normal, "normal"},
}};

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

std::string_view rawValue(AppearanceMode mode) { return raw_enum::rawValue(kAppearanceModes, mode); }
std::string_view rawValue(Backdrop backdrop) { return raw_enum::rawValue(kBackdrops, backdrop); }
std::string_view rawValue(SlotStyle style) { return raw_enum::rawValue(kSlotStyles, style); }

std::optional<AppearanceMode> appearanceModeFromRaw(std::string_view raw) {
    return raw_enum::fromRaw(kAppearanceModes, raw);
}
std::optional<Backdrop> backdropFromRaw(std::string_view raw) { return raw_enum::fromRaw(kBackdrops, raw); }
std::optional<SlotStyle> slotStyleFromRaw(std::string_view raw) { return raw_enum::fromRaw(kSlotStyles, raw); }

AppearanceMode appearanceModeFromJson(const json::Node& node) {
    return raw_enum::fromJson(kAppearanceModes, node, "AppearanceMode");
}
Backdrop backdropFromJson(const json::Node& node) { return raw_enum::fromJson(kBackdrops, node, "Backdrop"); }
SlotStyle slotStyleFromJson(const json::Node& node) { return raw_enum::fromJson(kSlotStyles, node, "SlotStyle"); }

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
