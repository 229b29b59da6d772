#include "model/appearance_config.h"

#include <algorithm>
#include <cmath>

#include "model/json_writer.h"
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

// The value under `key`, or `fallback` when it is absent or unusable; an
// unusable value is noted as corrected to `describe(fallback)`.
template <class T, class Read, class Describe>
T readOr(const json::Node& node, std::string_view key, T fallback, Read read, Describe describe) {
    auto value = json::attempt([&]() -> std::optional<T> {
        auto child = node.optional(key);
        if (!child) return std::nullopt;
        return read(*child);
    });
    if (value && *value) return **value;
    if (!value) json::CorrectionLog::note({node.pathWithKey(key), node[key].json().dump(), describe(fallback)});
    return fallback;
}

// A number in [lo, hi]: clamped, and noted when it had to be.
double rangeOr(const json::Node& node, std::string_view key, double fallback, const AppearanceRange& range) {
    const auto number = [](const json::Node& n) { return n.asDouble(); };
    const double read = readOr(node, key, fallback, number, json::formatDouble);
    return json::clampNoted(node.pathWithKey(key), read, range.minimum, range.maximum);
}

template <class E>
std::string quotedRaw(E value) {
    return "\"" + std::string(rawValue(value)) + "\"";
}

}  // namespace

double roundedToGrid(double value, double grid) {
    // A whole number of grid points over a whole number per one: the
    // division rounds once, to the double nearest the decimal.
    const double perOne = std::round(1 / grid);
    return std::round(value * perOne) / perOne;
}

double AppearanceRange::stepped(double value, int steps) const {
    const double perOne = std::round(1 / step);
    const double at = value * perOne;
    // Off by float noise is on the grid; further off, the grid point behind.
    constexpr double kNoise = 1e-6;
    const double from = steps > 0 ? std::floor(at + kNoise) : steps < 0 ? std::ceil(at - kNoise) : std::round(at);
    return std::clamp((from + steps) / perOne, minimum, maximum);
}

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

    out.mode = readOr(node, "mode", d.mode, appearanceModeFromJson, quotedRaw<AppearanceMode>);
    out.backdrop = readOr(node, "backdrop", d.backdrop, backdropFromJson, quotedRaw<Backdrop>);
    out.backdropOpacity = rangeOr(node, "backdropOpacity", d.backdropOpacity, kBackdropOpacityRange);
    out.backdropColor = node.optionalString("backdropColor");
    out.slotStyle = readOr(node, "slotStyle", d.slotStyle, slotStyleFromJson, quotedRaw<SlotStyle>);
    out.slotColor = node.optionalString("slotColor");
    out.wedgeFillStrength = rangeOr(node, "wedgeFillStrength", d.wedgeFillStrength, kWedgeFillStrengthRange);
    out.wedgeStrokeStrength = rangeOr(node, "wedgeStrokeStrength", d.wedgeStrokeStrength, kWedgeStrokeStrengthRange);
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
