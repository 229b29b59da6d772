// The default dial with the real orbel on a desktop that has a browser and
// nothing else: Safari's slot starts the desktop's browser, Messages (which
// has no counterpart here) says it is not installed instead of closing
// without a word.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "orbel_process.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using systemtest::spin;
using systemtest::spinUntil;
using systemtest::visibleDialogs;
using systemtest::windowTitled;
using systemtest::xdotool;

// Opens the dial at the middle of the screen and clicks wedge `w` of six.
void fireWedge(systemtest::Orbel& orbel, int w) {
    const int shown = orbel.count("ShowMenuVisible");
    xdotool({"mousemove", "960", "540"});
    xdotool({"key", "ctrl+alt+o"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") > shown; })) << orbel.log().toStdString();
    spin(500);
    const double a = w * std::numbers::pi / 3;
    xdotool({"mousemove", QString::number(int(960 + 150 * std::sin(a))), QString::number(int(540 - 150 * std::cos(a)))});
    spin(200);
    xdotool({"click", "1"});
}

TEST(MissingApplications, TheBrowserStandsInAndMessagesSaysItIsNotInstalled) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    systemtest::writeFile(xdg.root() + "/data/applications/test-browser.desktop",
                          "[Desktop Entry]\nType=Application\nName=Test browser\nMimeType=x-scheme-handler/https;\n"
                          "Exec=" ORBEL_TEST_PROGRAM_DIR "/orbel_test_window Browser --detached\n");
    systemtest::Orbel orbel(systemtest::Orbel::Deferred{});
    orbel.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o"})");
    orbel.start();
    spin(1500);  // started and its hot key registered; a first launch may show the dial
    if (orbel.count("ShowMenuVisible") > orbel.count("HideMenuComplete")) {
        xdotool({"key", "Escape"});
        ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == orbel.count("HideMenuComplete"); }));
    }
    const QStringList before = visibleDialogs();

    fireWedge(orbel, 0);  // Safari: the desktop's browser
    EXPECT_TRUE(spinUntil([] { return windowTitled("Browser").has_value(); }, 10000));
    spin(500);
    EXPECT_EQ(visibleDialogs(), before);
    xdotool({"search", "--name", "^Browser$", "windowclose"});
    spin(1000);

    fireWedge(orbel, 1);  // Messages
    EXPECT_TRUE(spinUntil([&] { return visibleDialogs().size() == before.size() + 1; }));
    EXPECT_FALSE(windowTitled("Messages").has_value());
    EXPECT_TRUE(orbel.waitForLog("HideMenuComplete", orbel.log().lastIndexOf("ShowMenuVisible")));
}

}  // namespace
}  // namespace orbel
