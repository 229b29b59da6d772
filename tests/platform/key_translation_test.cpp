#include "platform/key_translation.h"

#include <Qt>
#include <gtest/gtest.h>

namespace orbel::platform {
namespace {

TEST(KeyTranslation, KeyCodesAndKeysymsMapBothWays) {
    int mapped = 0;
    for (int code = 0; code < 128; ++code) {
        const auto keysym = keysymForKeyCode(static_cast<std::uint16_t>(code));
        if (!keysym) continue;
        ++mapped;
        EXPECT_EQ(keyCodeForKeysym(*keysym), code) << "key code " << code << " keysym 0x" << std::hex << *keysym;
    }
    EXPECT_GE(mapped, 110);
    EXPECT_EQ(keysymForKeyCode(53), 0xff1bu);  // Escape
    EXPECT_EQ(keysymForKeyCode(9), std::uint32_t('v'));
    EXPECT_EQ(keysymForKeyCode(63), std::nullopt);  // Fn never reaches X
    // Shifted and alternative keysyms find their key.
    const std::pair<std::uint32_t, std::uint16_t> rows[] = {{'A', 0}, {'!', 18}, {'|', 42}, {0xfe20, 48}, {0xff9c, 83}};
    for (const auto& [keysym, code] : rows) EXPECT_EQ(keyCodeForKeysym(keysym), code) << std::hex << keysym;
    EXPECT_EQ(keyCodeForKeysym(0x00e9), std::nullopt);  // é has no key of its own
}

TEST(KeyTranslation, ModifiersMapBothWaysAndDropLockBits) {
    for (std::uint32_t bits = 0; bits < 16; ++bits) {
        const std::uint32_t carbon = ((bits & 1) ? 0x100 : 0) | ((bits & 2) ? 0x200 : 0) | ((bits & 4) ? 0x800 : 0) |
                                     ((bits & 8) ? 0x1000 : 0);
        EXPECT_EQ(carbonFromXModifiers(xModifiersFromCarbon(carbon)), carbon);
    }
    EXPECT_EQ(xModifiersFromCarbon(0x100), xmod::kMod4);
    EXPECT_EQ(carbonFromXModifiers(xmod::kLock | xmod::kMod2 | 0x80), 0u);
    EXPECT_EQ(xModifiersFromCarbon(0x0400 | 0x4000), 0u);
    EXPECT_EQ(carbonFromQtModifiers(Qt::MetaModifier | Qt::ShiftModifier), 0x300u);
    EXPECT_EQ(carbonFromQtModifiers(Qt::KeypadModifier), 0u);
}

TEST(KeyTranslation, QtKeysKeypadAndMouseButtons) {
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_V), 9);
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_Exclam), 18);
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_5, true), 87);
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_5, false), 23);
    EXPECT_EQ(keyCodeForQtKey(Qt::Key_unknown), std::nullopt);
    // Right and middle swap places; scroll buttons are no mouse buttons.
    const std::pair<int, int> buttons[] = {{0, 1}, {1, 3}, {2, 2}, {3, 8}, {12, 17}};
    for (const auto& [button, x] : buttons) {
        EXPECT_EQ(xButtonForMouseButton(button), x);
        EXPECT_EQ(mouseButtonForXButton(x), button);
    }
    for (int scroll = 4; scroll <= 7; ++scroll) EXPECT_EQ(mouseButtonForXButton(scroll), std::nullopt);
}

}  // namespace
}  // namespace orbel::platform
