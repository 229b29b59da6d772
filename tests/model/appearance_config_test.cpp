#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "model/appearance_config.h"
#include "model/dial_palette.h"
#include "model/json_writer.h"

using namespace orbel;

namespace {

AppearanceConfig decode(const std::string& text) {
    const json::Json doc = json::parse(text);
    return AppearanceConfig::fromJson(json::Node(doc));
}

// Decodes {"<key>": <value>} and returns the record.
AppearanceConfig decodeOne(const std::string& key, const std::string& value) {
    return decode("{\"" + key + "\":" + value + "}");
}

}  // namespace

TEST(AppearanceConfig, WrittenInKeyOrderAndReadBack) {
    EXPECT_EQ(decode("{}"), AppearanceConfig::defaultValue());
    EXPECT_EQ(json::write(AppearanceConfig::defaultValue().toJson()),
              R"({"mode":"auto","backdrop":"liquidGlass","backdropOpacity":0.55,"slotStyle":"liquidGlass",)"
              R"("wedgeFillStrength":1,"wedgeStrokeStrength":0.8})");
    AppearanceConfig c;
    c.mode = AppearanceMode::light;
    c.backdrop = Backdrop::filled;
    c.backdropColor = "#FF0000";
    c.slotStyle = SlotStyle::normal;
    c.slotColor = "not a colour";  // colours are verbatim texts
    c.wedgeStrokeStrength = 0;
    const std::string written = json::write(c.toJson());
    EXPECT_EQ(written,
              R"({"mode":"light","backdrop":"filled","backdropOpacity":0.55,"backdropColor":"#FF0000",)"
              R"("slotStyle":"normal","slotColor":"not a colour","wedgeFillStrength":1,"wedgeStrokeStrength":0})");
    EXPECT_EQ(decode(written), c);
    EXPECT_THROW(decode(R"({"slotColor":{}})"), json::DecodingError);  // only a wrong type fails
}

// Enumerations fall back to their defaults, numbers are clamped or fall back.
TEST(AppearanceConfig, LenientReading) {
    const struct {
        const char* key;
        const char* value;
        double expected;
        double AppearanceConfig::*field;
    } numbers[] = {
        {"backdropOpacity", "1.7", 1.0, &AppearanceConfig::backdropOpacity},
        {"backdropOpacity", "-0.3", 0.0, &AppearanceConfig::backdropOpacity},
        {"backdropOpacity", R"("0.9")", 0.55, &AppearanceConfig::backdropOpacity},
        {"wedgeFillStrength", "0.1", 0.5, &AppearanceConfig::wedgeFillStrength},
        {"wedgeFillStrength", "{}", 1.0, &AppearanceConfig::wedgeFillStrength},
        {"wedgeStrokeStrength", "2", 1.2, &AppearanceConfig::wedgeStrokeStrength},
    };
    for (const auto& c : numbers) EXPECT_EQ(decodeOne(c.key, c.value).*c.field, c.expected) << c.key << " " << c.value;
    // -0 is "at or below 0" and is written back as a plain 0.
    EXPECT_FALSE(std::signbit(decodeOne("backdropOpacity", "-0.0").backdropOpacity));
    for (const auto& [key, value] : {std::pair{"mode", R"("Dark")"}, {"mode", "null"}, {"backdrop", "[]"}}) {
        EXPECT_EQ(decodeOne(key, value), AppearanceConfig::defaultValue()) << key << " " << value;
    }
    EXPECT_EQ(decodeOne("mode", R"("dark")").mode, AppearanceMode::dark);
}

// A step lands on the step's grid as its decimals, from a value off the
// grid (or off by float noise) too, and stays in its range.
TEST(AppearanceConfig, StepsLandOnTheirGridAsTheirDecimals) {
    const AppearanceRange& stroke = AppearanceConfig::kWedgeStrokeStrengthRange;
    for (const auto& [from, steps, to] : {std::tuple{0.81, 1, 0.82}, {0.8200000000000001, 1, 0.83},
                                          {0.8200000000000001, -1, 0.81}, {0.805, 1, 0.81}, {0.805, -1, 0.8},
                                          {0.8, 10, 0.9}, {1.19, 2, 1.2}, {0.01, -3, 0.0}})
        EXPECT_EQ(json::formatDouble(stroke.stepped(from, steps)), json::formatDouble(to)) << from << " by " << steps;
    EXPECT_EQ(AppearanceConfig::kWedgeFillStrengthRange.stepped(0.5, 32), 0.82);
    EXPECT_EQ(json::formatDouble(roundedToGrid(570 * 0.001, 0.001)), "0.57");
}

TEST(DialPalette, DarknessFollowsModeThenScheme) {
    AppearanceConfig a;
    EXPECT_TRUE(DialPalette::make(a, ColorScheme::dark).isDark);
    EXPECT_FALSE(DialPalette::make(a, ColorScheme::light).isDark);
    a.mode = AppearanceMode::dark;
    EXPECT_TRUE(DialPalette::make(a, ColorScheme::light).isDark);
    a.mode = AppearanceMode::light;
    EXPECT_FALSE(DialPalette::make(a, ColorScheme::dark).isDark);
}

TEST(DialPalette, CustomColoursReplaceTheBaseOnlyWhenReadable) {
    AppearanceConfig a;
    a.backdropColor = " #1E90ff\n";
    a.slotColor = "#FFF";
    const DialPalette p = DialPalette::make(a, ColorScheme::dark);
    EXPECT_EQ(p.backdropFill, (Rgba{30 / 255.0, 144 / 255.0, 1, 1}));
    EXPECT_EQ(p.wedgeFilledTint, (Rgba{0.32, 0.32, 0.32, 1}));

    a.backdropColor = "nope";
    a.slotColor = "00ff00";
    const DialPalette q = DialPalette::make(a, ColorScheme::light);
    EXPECT_EQ(q.backdropFill, (Rgba{0.97, 0.97, 0.97, 1}));
    EXPECT_EQ(q.wedgeFilledTint, (Rgba{0, 1, 0, 1}));
}

