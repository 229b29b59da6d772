#pragma once

// How the dial looks: light or dark, the disc behind the wedges, the look of
// the wedges, two optional custom colours and three strengths.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/json.h"

namespace orbel {

enum class AppearanceMode { automatic, dark, light };
enum class Backdrop { liquidGlass, translucent, filled };
enum class SlotStyle { liquidGlass, filled, normal };

inline constexpr std::array<AppearanceMode, 3> kAllAppearanceModes{AppearanceMode::automatic, AppearanceMode::dark,
                                                                   AppearanceMode::light};
inline constexpr std::array<Backdrop, 3> kAllBackdrops{Backdrop::liquidGlass, Backdrop::translucent,
                                                       Backdrop::filled};
inline constexpr std::array<SlotStyle, 3> kAllSlotStyles{SlotStyle::liquidGlass, SlotStyle::filled,
                                                         SlotStyle::normal};

// Raw values: "auto" "dark" "light"; "liquidGlass" "translucent" "filled";
// "liquidGlass" "filled" "normal". Matched case-sensitively.
std::string_view rawValue(AppearanceMode mode);
std::string_view rawValue(Backdrop backdrop);
std::string_view rawValue(SlotStyle style);
std::optional<AppearanceMode> appearanceModeFromRaw(std::string_view raw);
std::optional<Backdrop> backdropFromRaw(std::string_view raw);
std::optional<SlotStyle> slotStyleFromRaw(std::string_view raw);

// Single JSON strings. A non-string is a type mismatch; an unknown string
// fails with "Cannot initialize <Type> from invalid String value <text>".
AppearanceMode appearanceModeFromJson(const json::Node& node);
Backdrop backdropFromJson(const json::Node& node);
SlotStyle slotStyleFromJson(const json::Node& node);

// The range a number of the appearance is kept to, and the step of the value
// text the settings show for it: a slider moves continuously under the mouse
// and by one step for an arrow key.
struct AppearanceRange {
    double minimum;
    double maximum;
    double step;

    // `value` moved by `steps` steps (down when negative), landing on the
    // step's grid: a value between two grid points counts from the one it
    // leaves behind. Kept to the range.
    double stepped(double value, int steps) const;
};

// `value` rounded to the nearest multiple of `grid` (a power of ten such as
// 0.01), as the double nearest that decimal: the file then shows 0.82, never
// 0.8200000000000001.
double roundedToGrid(double value, double grid);

struct AppearanceConfig {
    static constexpr AppearanceRange kBackdropOpacityRange{0.0, 1.0, 0.01};
    static constexpr AppearanceRange kWedgeFillStrengthRange{0.5, 1.5, 0.01};
    static constexpr AppearanceRange kWedgeStrokeStrengthRange{0.0, 1.2, 0.01};

    AppearanceMode mode = AppearanceMode::automatic;
    Backdrop backdrop = Backdrop::liquidGlass;
    double backdropOpacity = 0.55;              // kept to kBackdropOpacityRange when read
    std::optional<std::string> backdropColor;   // hex colour text, stored verbatim
    SlotStyle slotStyle = SlotStyle::liquidGlass;
    std::optional<std::string> slotColor;       // hex colour text, stored verbatim
    double wedgeFillStrength = 1.0;             // kept to kWedgeFillStrengthRange when read
    double wedgeStrokeStrength = 0.8;           // kept to kWedgeStrokeStrengthRange when read

    bool operator==(const AppearanceConfig&) const = default;

    // The shared record of all defaults.
    static const AppearanceConfig& defaultValue();

    // Tolerant: an unknown or mistyped mode, backdrop, style or number keeps
    // its default, numbers are clamped into their ranges. Fails only when the
    // value is not an object or a colour is neither a string nor null.
    static AppearanceConfig fromJson(const json::Node& node);
    // Colours are left out when absent; numbers are written as they stand.
    json::Json toJson() const;
};

}  // namespace orbel
