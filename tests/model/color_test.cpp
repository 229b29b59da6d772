#include <gtest/gtest.h>

#include <cmath>

#include "model/color.h"
#include "model/hex_color.h"

using namespace orbel;

TEST(HexColor, ReadsSixDigitsWithOptionalHash) {
    const Rgb dodger{30 / 255.0, 144 / 255.0, 255 / 255.0};
    for (const char* text : {" #1E90ff\n", "1E90FF", "\t#1e90FF  ", "\u00a0#1E90FF\u2028"}) {
        EXPECT_EQ(parseHexColor(text), dodger) << text;
    }
    EXPECT_EQ(parseHexColor("#800000"), (Rgb{128 / 255.0, 0, 0}));
}

TEST(HexColor, RejectsEveryOtherShape) {
    for (const char* text : {"#FFF", "#FF8800AA", "##A1B2C3", "ABCDEG", "0x1234", "", "+12345", "12 345",
                             "\xEF\xBC\x91" "23456", "#1E90FF#"}) {
        EXPECT_FALSE(parseHexColor(text)) << text;
    }
}

TEST(Color, AdjustedBrightnessIsHeldInsideTheRange) {
    const Rgba c{0.7, 0.35, 0.14, 0.6};  // brightness 0.7
    for (const auto& [delta, brightness] : {std::pair{0.5, 0.98}, {-1.0, 0.02}, {0.1, 0.8}, {std::nan(""), 0.02}}) {
        const Rgba adjusted = adjustedBrightness(c, delta);
        EXPECT_NEAR(toHsba(adjusted).brightness, brightness, 1e-12) << delta;
        EXPECT_NEAR(toHsba(adjusted).hue, toHsba(c).hue, 1e-12);
        EXPECT_EQ(adjusted.a, 0.6);
    }
    // Greys stay grey; black can still be lightened.
    EXPECT_EQ(adjustedBrightness(Rgba::black(), 0.08), Rgba::grey(0.08));
}
