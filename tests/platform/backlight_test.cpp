#include "platform/linux/backlight.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/test_files.h"

namespace orbel::platform::xdg {
namespace {

void device(const QString& root, const QString& name, const char* type, const char* cur, const char* max) {
    const std::pair<const char*, const char*> files[] = {{"type", type}, {"brightness", cur}, {"max_brightness", max}};
    for (const auto& [file, value] : files) orbel::testing::writeFile(root + "/" + name + "/" + file, value);
}

TEST(Backlight, PrefersFirmwareThenPlatformThenRawDevices) {
    QTemporaryDir tmp;
    const QString root = tmp.path();
    EXPECT_FALSE(findBacklight(root));
    EXPECT_FALSE(findBacklight(root + "/missing"));
    device(root, "a_raw", "raw\n", "10\n", "100\n");
    device(root, "broken", "firmware", "5", "0");  // no range: skipped
    auto b = findBacklight(root);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, "a_raw");
    EXPECT_DOUBLE_EQ(b->level(), 0.1);
    device(root, "intel_backlight", "platform", "300", "1200");
    EXPECT_EQ(findBacklight(root)->name, "intel_backlight");
    device(root, "acpi_video0", "firmware", "7", "10");
    EXPECT_EQ(findBacklight(root)->name, "acpi_video0");
}

TEST(Backlight, RawValuesAreClampedAndNeverSwitchThePanelOff) {
    struct Case {
        double level;
        int max, raw;
    };
    const Case cases[] = {{0.5, 1000, 500}, {1.7, 1000, 1000}, {-1, 1000, 1}, {0, 1000, 1},
                          {0.0004, 1000, 1}, {0.0006, 1000, 1}, {0.9996, 1000, 1000}, {0, 1, 0},
                          {std::nan(""), 100, 1}};
    for (const Case& c : cases) EXPECT_EQ(rawBrightness(c.level, c.max), c.raw) << c.level;
}

}  // namespace
}  // namespace orbel::platform::xdg
