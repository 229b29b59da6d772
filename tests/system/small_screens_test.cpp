// The settings window of the real `orbel` on screens smaller than it: a
// 1024x600 one, and a 1920x1080 one at Xft.dpi 192 (960x540 points), each
// an X server of its own with openbox. The window and its title bar are on
// the screen, Ctrl+Tab goes to Customization, the keyboard opens Add Slot's
// popover wholly on the screen and picks a row from it, whose sheet fits
// the screen too, as does the group editor Add Group opens. Under fluxbox
// at Xft.dpi 192 the settings window stays on the screen and Orbel's memory
// stays put. Pictures go to test-artifacts/system/small-screen-*.png.
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/types.h>

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

// The screen of the extra server, in pixels.
QRect screenInPixels() {
    const QScreen* display = QGuiApplication::primaryScreen();
    return {QPoint(0, 0), display->size() * display->devicePixelRatio()};
}

// The default dial less a slot (Add Slot is for a dial with room), opened
// with Ctrl+Alt+O (openbox holds Alt+Space), without a tray icon.
QByteArray smallScreenConfig() {
    AppConfig config = AppConfig::defaultConfig();
    config.rootGroup.slots.pop_back();
    config.activation = ActivationMode::tap(
        HoldBinding::keyCombination(KeyCombination{31, modifier::kControl | modifier::kOption, std::nullopt}));
    config.showInTray = false;
    return QByteArray::fromStdString(config.encodeDocument());
}

// Ctrl+comma from the dial that shows at start: the settings window's X id
// once framed, placed and painted, "" when it did not open.
QString openSettings(Orbel& orbel) {
    if (!orbel.waitForLog("ShowMenuVisible")) return {};
    spin(500);
    xdotool({"key", "ctrl+comma"});
    const QString settings = systemtest::waitForWindowNamed("Orbel Settings");
    spin(1000);
    return settings;
}

// Expects the window `id` with its frame on `screen`; its frame.
QMargins expectFramedOnScreen(const QString& id, const QRect& screen) {
    const QRect client = systemtest::windowRect(id);
    const QMargins frame = frameOf(id);
    EXPECT_GT(frame.top(), 0) << "the window manager gave the window a title bar";
    EXPECT_TRUE(screen.contains(client.marginsAdded(frame)))
        << "the window " << describe(client).toStdString() << " and its title bar are on the screen "
        << describe(screen).toStdString();
    return frame;
}

// Runs on the extra server that the tests below start.
TEST(SmallScreensOnExtraServer, TheSettingsWindowAndAddSlotFitTheScreen) {
    ORBEL_REQUIRE_EXTRA_SERVER();
    const QString picture = "small-screen-" + qEnvironmentVariable("ORBEL_SCREEN_NAME");
    const QRect screen = screenInPixels();
    Orbel orbel(smallScreenConfig());
    const QString settings = openSettings(orbel);
    ASSERT_FALSE(settings.isEmpty()) << orbel.log().toStdString();
    expectFramedOnScreen(settings, screen);
    systemtest::savePicture(picture + "-general");

    // Ctrl+Tab: Customization, and the focus goes with it to its tab
    // button: four Tabs along the tab bar, a fifth to the ring (its first
    // wedge marked), a sixth to Add Slot; Space opens it.
    xdotool({"windowactivate", "--sync", settings});
    xdotool({"key", "ctrl+Tab"});
    spin(500);
    for (int i = 0; i < 6; ++i) xdotool({"key", "Tab"});
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

// Kills the process `pid` should its resident memory pass 2 GB, looking
// every 100 ms while the guard lives, so that a window growing without end
// cannot take the machine with it; the most it saw, in megabytes.
class MemoryGuard {
public:
    explicit MemoryGuard(qint64 pid) {
        QObject::connect(&timer_, &QTimer::timeout, [this, pid] {
            peak_ = std::max(peak_, systemtest::residentMegabytes(pid));
            if (peak_ > 2048 && !killed_) killed_ = ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
        });
        timer_.start(100);
    }
    qint64 peak() const { return peak_; }
    bool killed() const { return killed_; }

private:
    QTimer timer_;
    qint64 peak_ = 0;
    bool killed_ = false;
};

// Runs on an extra server with fluxbox at Xft.dpi 192, where a window given
// a minimum size, a size and a place before it shows grew to 65534 x 65534
// pixels and its backing store ate memory without end.
TEST(SmallScreensOnExtraServer, TheSettingsWindowAndItsMemoryStayBoundedUnderFluxbox) {
    ORBEL_REQUIRE_EXTRA_SERVER();
    const QRect screen = screenInPixels();
    Orbel orbel(smallScreenConfig());
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible")) << orbel.log().toStdString();
    MemoryGuard guard(orbel.pid());
    const qint64 before = systemtest::residentMegabytes(orbel.pid());
    const QString settings = openSettings(orbel);
    ASSERT_FALSE(settings.isEmpty()) << orbel.log().toStdString();
    spin(3000);  // the growth was about 1.5 GB a second
    ASSERT_FALSE(guard.killed()) << "orbel passed 2 GB and was killed";
    EXPECT_LT(guard.peak() - before, 400) << "resident memory rose from " << before << " MB to " << guard.peak() << " MB";
    expectFramedOnScreen(settings, screen);
    systemtest::savePicture("small-screen-fluxbox-dpi192");
    EXPECT_EQ(orbel.stop(), 0);
}

// An X server of `size` with a window manager, and the test `filter` above
// run against it.
void runOnScreen(const QString& size, const QString& name, const QString& resources = {},
                 const QString& filter = "SmallScreensOnExtraServer.TheSettingsWindowAndAddSlotFitTheScreen",
                 ExtraXServer::WindowManager manager = ExtraXServer::WindowManager::openbox) {
    ExtraXServer server({"-screen", "0", size + "x24", "+extension", "RANDR"});
    ASSERT_TRUE(server.ready());
    if (!resources.isEmpty()) {
        ASSERT_TRUE(server.mergeResources(resources));
    }
    ASSERT_TRUE(server.startWindowManager(manager));
    QProcessEnvironment extra;
    extra.insert("ORBEL_SCREEN_NAME", name);
    QString output;
    EXPECT_EQ(server.runTestHere(filter, extra, &output), 0) << output.toStdString();
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

TEST(SmallScreens, FluxboxAtXftDpi192) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    runOnScreen("1920x1080", "1920x1080-fluxbox-dpi192", "Xft.dpi: 192",
                "SmallScreensOnExtraServer.TheSettingsWindowAndItsMemoryStayBoundedUnderFluxbox",
                ExtraXServer::WindowManager::fluxbox);
}

}  // namespace
}  // namespace orbel
