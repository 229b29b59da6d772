// Displays and full-screen grabs under Xvfb.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "system_helpers.h"

#include "platform/displays.h"
#include "platform/screen_grabber.h"

namespace orbel::platform {
namespace {

using systemtest::spinUntil;

TEST(DisplaySystem, ReportsTheScreenAsMainAndCanMakeItMain) {
    ORBEL_REQUIRE_DISPLAY();
    Displays& displays = Displays::shared();
    auto list = displays.displays();
    ASSERT_FALSE(list.empty());
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(list.front().width, screen.width());
    EXPECT_EQ(list.front().height, screen.height());
    auto main = displays.mainDisplay();
    ASSERT_TRUE(main);
    EXPECT_TRUE(std::any_of(list.begin(), list.end(), [&](const auto& d) { return d.id == *main; }));
    EXPECT_TRUE(displays.setMainDisplay(*main));
    EXPECT_EQ(displays.mainDisplay(), main);
    EXPECT_FALSE(displays.setMainDisplay("NO-SUCH-OUTPUT"));
}

TEST(DisplaySystem, WithoutABacklightBrightnessChangesFail) {
    ORBEL_REQUIRE_DISPLAY();
    Displays& displays = Displays::shared();
    if (displays.hasBacklight()) GTEST_SKIP() << "this machine has a backlight";
    EXPECT_FALSE(displays.brightness());
    std::optional<bool> set, changed;
    displays.setBrightness(0.5, [&](bool ok) { set = ok; });
    displays.changeBrightness(0.1, [&](bool ok) { changed = ok; });
    ASSERT_TRUE(spinUntil([&] { return set && changed; }));
    EXPECT_FALSE(*set);
    EXPECT_FALSE(*changed);
}

TEST(DisplaySystem, GrabsTheWholeDesktopWithoutOverwriting) {
    ORBEL_REQUIRE_DISPLAY();
    QTemporaryDir tmp;
    ScreenGrabber& grabber = ScreenGrabber::shared();
    EXPECT_FALSE(grabber.screenshotFolder().empty());
    std::vector<std::string> paths;
    for (int i = 0; i < 2; ++i) {
        std::optional<std::string> path;
        grabber.grabAllScreens(tmp.path().toStdString(), "Screenshot test.png", [&](const std::string& p) { path = p; });
        ASSERT_TRUE(spinUntil([&] { return path.has_value(); }));
        paths.push_back(*path);
    }
    EXPECT_EQ(paths[0], (tmp.path() + "/Screenshot test.png").toStdString());
    EXPECT_EQ(paths[1], (tmp.path() + "/Screenshot test (2).png").toStdString());
    QImage image(QString::fromStdString(paths[0]));
    ASSERT_FALSE(image.isNull());
    QRect all;
    for (QScreen* s : QGuiApplication::screens()) all = all.united(s->geometry());
    EXPECT_EQ(image.size(), all.size());
}

}  // namespace
}  // namespace orbel::platform
