// The settings window of the real `orbel` on screens smaller than it: a
// 1024x600 one, and a 1920x1080 one at Xft.dpi 192 (960x540 points), each
// an X server of its own with openbox. The window and its title bar are on
// the screen, Ctrl+Tab goes to Customization, the keyboard opens Add Slot's
// popover wholly on the screen and picks a row from it, whose sheet fits
// the screen too, as does the group editor Add Group opens. Pictures go to
// test-artifacts/system/small-screen-*.png.
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <gtest/gtest.h>

#include "model/app_config.h"
#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::ExtraXServer;
using systemtest::Orbel;
using systemtest::run;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

// The window manager's frame around a window: its title bar and borders.
QMargins frameOf(const QString& id) {
    const QString extents = run("xprop", {"-id", id, "_NET_FRAME_EXTENTS"}).section('=', 1);
    const QStringList sides = extents.split(',');
    if (sides.size() != 4) return {};
    return {sides[0].trimmed().toInt(), sides[2].trimmed().toInt(), sides[1].trimmed().toInt(),
            sides[3].trimmed().toInt()};
}

QString describe(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Runs on the extra server that the tests below start.
TEST(SmallScreensOnExtraServer, TheSettingsWindowAndAddSlotFitTheScreen) {
    ORBEL_REQUIRE_EXTRA_SERVER();
    const QString picture = "small-screen-" + qEnvironmentVariable("ORBEL_SCREEN_NAME");
    const QScreen* display = QGuiApplication::primaryScreen();
    const QRect screen(QPoint(0, 0), display->size() * display->devicePixelRatio());  // in pixels
    // The default dial less a slot (Add Slot is for a dial with room),
    // opened with Ctrl+Alt+O (openbox holds Alt+Space).
    AppConfig config = AppConfig::defaultConfig();
    config.rootGroup.slots.pop_back();
    config.activation = ActivationMode::tap(
        HoldBinding::keyCombination(KeyCombination{31, modifier::kControl | modifier::kOption, std::nullopt}));
    config.showInTray = false;
    Orbel orbel(QByteArray::fromStdString(config.encodeDocument()));
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible")) << orbel.log().toStdString();
    spin(500);
    xdotool({"key", "ctrl+comma"});  // the dial's way to the settings
    const QString settings = systemtest::waitForWindowNamed("Orbel Settings");
    ASSERT_FALSE(settings.isEmpty());
    spin(1000);  // framed, placed and painted
    const QRect client = systemtest::windowRect(settings);
    const QMargins frame = frameOf(settings);
    EXPECT_GT(frame.top(), 0) << "openbox gave the window a title bar";
    EXPECT_TRUE(screen.contains(client.marginsAdded(frame)))
        << "the window " << describe(client).toStdString() << " and its title bar are on the screen "
        << describe(screen).toStdString();
    systemtest::savePicture(picture + "-general");

    // Ctrl+Tab: Customization. The focus stays on the tab bar's first
    // button: five Tabs along the tab bar, a sixth to the ring (its first
    // wedge marked), a seventh to Add Slot; Space opens it.
    xdotool({"windowactivate", "--sync", settings});
    xdotool({"key", "ctrl+Tab"});
    spin(500);
    for (int i = 0; i < 7; ++i) xdotool({"key", "Tab"});
    xdotool({"key", "space"});
    QString popover;
    ASSERT_TRUE(spinUntil([&] {
        for (const QString& id : run("xdotool", {"search", "--onlyvisible", "--class", "orbel"}).split('\n'))
            if (!id.isEmpty() && id != settings && systemtest::windowRect(id).width() > 100) popover = id;
        return !popover.isEmpty();
    })) << "Add Slot's popover opened";
    spin(300);
    const QRect popoverRect = systemtest::windowRect(popover);
    EXPECT_TRUE(screen.contains(popoverRect)) << "the popover " << describe(popoverRect).toStdString()
                                              << " is on the screen";
    systemtest::savePicture(picture + "-add-slot");
    // The window named `title` that the keys just opened is on the screen
    // with its frame and footer; its picture is saved as `suffix`.
    const auto expectWindowOnScreen = [&](const QString& title, const QString& suffix) {
        const QString id = systemtest::waitForWindowNamed(title);
        ASSERT_FALSE(id.isEmpty()) << title.toStdString() << " opened";
        spin(500);
        const QRect rect = systemtest::windowRect(id);
        EXPECT_TRUE(screen.contains(rect.marginsAdded(frameOf(id))))
            << title.toStdString() << " " << describe(rect).toStdString() << ", its footer too, is on the screen";
        systemtest::savePicture(picture + suffix);
    };
    // Down to Snippet, Return: its sheet.
    xdotool({"key", "Down"});
    xdotool({"key", "Return"});
    expectWindowOnScreen("New Snippet", "-snippet-sheet");

    // Escape closes the untouched sheet; the focus is back on Add Slot, and
    // a Tab on is Add Group, whose editor fits the screen with its Save.
    xdotool({"key", "Escape"});
    ASSERT_TRUE(spinUntil([] { return systemtest::windowNamed("New Snippet").isEmpty(); }));
    xdotool({"key", "Tab"});
    xdotool({"key", "space"});
    expectWindowOnScreen("Edit Group", "-group-editor");
}

// An X server of `size` with openbox, and the test above run against it.
void runOnScreen(const QString& size, const QString& name, const QString& resources = {}) {
    ExtraXServer server({"-screen", "0", size + "x24", "+extension", "RANDR"});
    ASSERT_TRUE(server.ready());
    if (!resources.isEmpty()) {
        ASSERT_TRUE(server.mergeResources(resources));
    }
    ASSERT_TRUE(server.startWindowManager());
    QProcessEnvironment extra;
    extra.insert("ORBEL_SCREEN_NAME", name);
    QString output;
    EXPECT_EQ(server.runTestHere("SmallScreensOnExtraServer.TheSettingsWindowAndAddSlotFitTheScreen", extra, &output),
              0)
        << output.toStdString();
}

TEST(SmallScreens, A1024x600Screen) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    runOnScreen("1024x600", "1024x600");
}

TEST(SmallScreens, A1920x1080ScreenAtXftDpi192) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    runOnScreen("1920x1080", "1920x1080-dpi192", "Xft.dpi: 192");
}

}  // namespace
}  // namespace orbel
