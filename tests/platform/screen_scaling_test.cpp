// Qt coordinates to device pixels and back on real monitor set-ups: Qt keeps
// each screen's origin in device pixels and scales only its size.
#include "platform/screen_scaling.h"

#include <gtest/gtest.h>

namespace orbel::platform {
namespace {

TEST(ScreenScaling, EachAreaMapsThroughItsOwnScreen) {
    // Two 1920x1080 monitors side by side at ratio 2 (3840x1080 in all), a
    // mixed pair, one laptop panel, and a monitor left of the primary one.
    const std::vector<ScreenScale> twoAtTwo = {{{0, 0, 960, 540}, 2}, {{1920, 0, 960, 540}, 2}};
    const std::vector<ScreenScale> mixed = {{{0, 0, 1920, 1080}, 1}, {{1920, 0, 1280, 800}, 2}};
    const std::vector<ScreenScale> laptop = {{{0, 0, 1440, 900}, 2}};
    const std::vector<ScreenScale> leftOfPrimary = {{{-2560, 0, 1280, 720}, 2}, {{0, 0, 1920, 1080}, 1}};
    struct Case {
        const char* name;
        const std::vector<ScreenScale>& screens;
        QRect area;
        QRect device;
    };
    const Case cases[] = {
        {"whole left screen", twoAtTwo, {0, 0, 960, 540}, {0, 0, 1920, 1080}},
        {"whole right screen", twoAtTwo, {1920, 0, 960, 540}, {1920, 0, 1920, 1080}},
        {"dial on the right screen", twoAtTwo, {2200, 100, 400, 400}, {2480, 200, 800, 800}},
        {"mixed: ratio 1 screen", mixed, {100, 100, 50, 50}, {100, 100, 50, 50}},
        {"mixed: ratio 2 screen", mixed, {2000, 10, 100, 100}, {2080, 20, 200, 200}},
        {"laptop", laptop, {100, 100, 300, 300}, {200, 200, 600, 600}},
        {"left of the primary", leftOfPrimary, {-2560 + 100, 50, 200, 200}, {-2560 + 200, 100, 400, 400}},
        {"no screens", {}, {5, 6, 7, 8}, {5, 6, 7, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toDevicePixels(c.area, c.screens), c.device);
        if (!c.screens.empty()) {
            EXPECT_EQ(fromDevicePixels(c.device.topLeft(), c.screens), QPointF(c.area.topLeft()));
        }
    }
    // A device pixel in the gap Qt's coordinates leave between the screens
    // still maps to its own screen.
    EXPECT_EQ(fromDevicePixels({3000, 500}, twoAtTwo), QPointF(2460, 250));
}

}  // namespace
}  // namespace orbel::platform
