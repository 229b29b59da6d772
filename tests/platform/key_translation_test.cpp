#include "platform/key_translation.h"

#include <Qt>
#include <gtest/gtest.h>

namespace orbel::platform {
namespace {

TEST(KeyTranslation, EveryKeyCodeRoundTripsThroughItsKeysym) {
    int mapped = 0;
    for (int code = 0; code < 128; ++code) {
        const auto keysym = keysymForKeyCode(static_cast<std::uint16_t>(code));
        if (!keysym) continue;
        ++mapped;
        EXPECT_EQ(keyCodeForKeysym(*keysym), code) << "key code " << code << " keysym 0x" << std::hex << *keysym;
    }
    EXPECT_GE(mapped, 110);
}

TEST(KeyTranslation, KnownKeys) {
    struct Row {
        std::uint16_t code;
        std::uint32_t keysym;
    };
    const Row rows[] = {
        {53, 0xff1b}, {36, 0xff0d}, {49, ' '},    {9, 'v'},     {0, 'a'},     {18, '1'},    {29, '0'},
        {43, ','},    {51, 0xff08}, {117, 0xffff}, {48, 0xff09}, {122, 0xffbe}, {120, 0xffbf}, {99, 0xffc0},
        {118, 0xffc1}, {96, 0xffc2}, {111, 0xffc9}, {105, 0xffca}, {90, 0xffd1}, {123, 0xff51}, {126, 0xff52},
        {55, 0xffeb}, {58, 0xffe9}, {59, 0xffe3}, {56, 0xffe1}, {76, 0xff8d}, {82, 0xffb0}, {92, 0xffb9},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(keysymForKeyCode(r.code), r.keysym) << r.code;
    }
    EXPECT_EQ(keysymForKeyCode(63), std::nullopt);  // Fn never reaches X
    EXPECT_EQ(keysymForKeyCode(200), std::nullopt);
}

TEST(KeyTranslation, ShiftedAndAlternativeKeysymsFindTheirKey) {
    const std::pair<std::uint32_t, std::uint16_t> rows[] = {
        {'A', 0},  {'V', 9},   {'!', 18},  {'@', 19},  {'_', 27},    {'+', 24},    {'{', 33},
        {'|', 42}, {'"', 39},  {'?', 44},  {'~', 50},  {0xfe20, 48}, {0xffe7, 58}, {0xff9c, 83},
    };
    for (const auto& [keysym, code] : rows) EXPECT_EQ(keyCodeForKeysym(keysym), code) << std::hex << keysym;
    EXPECT_EQ(keyCodeForKeysym(0x00e9), std::nullopt);  // é has no key of its own
}

TEST(KeyTranslation, CarbonAndXModifiersMapBothWays) {
    EXPECT_EQ(xModifiersFromCarbon(0x100), xmod::kMod4);
    EXPECT_EQ(xModifiersFromCarbon(0x200), xmod::kShift);
    EXPECT_EQ(xModifiersFromCarbon(0x800), xmod::kMod1);
    EXPECT_EQ(xModifiersFromCarbon(0x1000), xmod::kControl);
    for (std::uint32_t bits = 0; bits < 16; ++bits) {
        const std::uint32_t carbon = ((bits & 1) ? 0x100 : 0) | ((bits & 2) ? 0x200 : 0) | ((bits & 4) ? 0x800 : 0) |
                                     ((bits & 8) ? 0x1000 : 0);
        EXPECT_EQ(carbonFromXModifiers(xModifiersFromCarbon(carbon)), carbon);
    }
    // Lock keys and unknown bits are dropped.
    EXPECT_EQ(carbonFromXModifiers(xmod::kLock | xmod::kMod2 | 0x80), 0u);
    EXPECT_EQ(xModifiersFromCarbon(0x0400 | 0x4000), 0u);
}

TEST(KeyTranslation, QtKeysAndModifiers) {
    const std::pair<int, std::uint16_t> rows[] = {
        {Qt::Key_V, 9},       {Qt::Key_A, 0},         {Qt::Key_Escape, 53},  {Qt::Key_Return, 36},
        {Qt::Key_Enter, 76},  {Qt::Key_Space, 49},    {Qt::Key_Backspace, 51}, {Qt::Key_Delete, 117},
        {Qt::Key_Exclam, 18}, {Qt::Key_Comma, 43},    {Qt::Key_QuoteLeft, 50}, {Qt::Key_F1, 122},
        {Qt::Key_F13, 105},   {Qt::Key_F15, 113},     {Qt::Key_F20, 90},     {Qt::Key_Left, 123},
        {Qt::Key_Backtab, 48}, {Qt::Key_Meta, 55},    {Qt::Key_VolumeUp, 72},
    };
    for (const auto& [key, code] : rows) EXPECT_EQ(keyCodeForQtKey(key), code) << std::hex << key;
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_5, true), 87);
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_5, false), 23);
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_Enter, true), 76);
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_Asterisk, true), 67);
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_unknown), std::nullopt);

    EXPECT_EQ(carbonFromQtModifiers(Qt::MetaModifier | Qt::ShiftModifier), 0x300u);
    EXPECT_EQ(carbonFromQtModifiers(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier),
              0x1B00u);
    EXPECT_EQ(carbonFromQtModifiers(Qt::KeypadModifier), 0u);
}

TEST(KeyTranslation, MediaKeysAndMouseButtons) {
    EXPECT_EQ(keysymForMediaKey(MediaKey::playPause), 0x1008ff14u);
    EXPECT_EQ(keysymForMediaKey(MediaKey::brightnessUp), 0x1008ff02u);
    EXPECT_EQ(keysymForMediaKey(MediaKey::brightnessDown), 0x1008ff03u);
    const std::pair<int, MediaKey> nx[] = {{0, MediaKey::volumeUp},     {1, MediaKey::volumeDown},
                                           {2, MediaKey::brightnessUp}, {3, MediaKey::brightnessDown},
                                           {7, MediaKey::mute},         {16, MediaKey::playPause},
                                           {17, MediaKey::next},        {18, MediaKey::previous}};
    for (const auto& [type, key] : nx) EXPECT_EQ(mediaKeyFromNxKeyType(type), key) << type;
    EXPECT_EQ(mediaKeyFromNxKeyType(4), std::nullopt);

    const std::pair<int, int> buttons[] = {{0, 1}, {1, 3}, {2, 2}, {3, 8}, {4, 9}, {5, 10}, {12, 17}};
    for (const auto& [button, x] : buttons) {
        EXPECT_EQ(xButtonForMouseButton(button), x);
        EXPECT_EQ(mouseButtonForXButton(x), button);
    }
    for (int scroll = 4; scroll <= 7; ++scroll) EXPECT_EQ(mouseButtonForXButton(scroll), std::nullopt);
}

}  // namespace
}  // namespace orbel::platform
