// The real `orbel` program in the test desktop: first start, tray, hot key,
// a second launch handing over a backup file, and the order of start-up.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::kOrbel;
using systemtest::Orbel;
using systemtest::spin;
using systemtest::run;
using systemtest::spinUntil;
using systemtest::xdotool;

class AppSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
    }
};

// The visible windows titled "Orbel" (the alert, and the dial's panels).
QStringList orbelWindows() {
    return run("xdotool", {"search", "--onlyvisible", "--name", "^Orbel$"}).split('\n', Qt::SkipEmptyParts);
}

TEST_F(AppSystem, FirstStartWritesTheDefaultsInOrderAndShowsTheDialAfterTheConflictAlert) {
    Orbel orbel;
    ASSERT_TRUE(orbel.waitForLog("step first dial"));
    const QStringList expected = {"preflight", "updates", "lifecycle", "tray", "activation", "icons",
                                  "music provider", "music hot key", "now playing", "root slots",
                                  "subscriptions", "logitech", "first dial"};
    int at = 0;
    for (const QString& step : expected) {
        const int next = orbel.log().indexOf("[orbel-launch] step " + step, at);
        EXPECT_GT(next, at - 1) << "step " << step.toStdString() << " out of order";
        at = std::max(at, next);
    }
    // The default hot key, Alt+Space, is openbox's window menu: the alert
    // says so, above every window, and that its Cancel arms a free chord.
    QString alert;
    ASSERT_TRUE(spinUntil([&] { return !orbelWindows().isEmpty(); }, 10000));
    alert = orbelWindows().front();
    EXPECT_TRUE(run("xprop", {"-id", alert, "_NET_WM_STATE"}).contains("_NET_WM_STATE_ABOVE"));
    const QString stacking = run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    EXPECT_EQ(stacking.section(", ", -1).section("0x", 1).toULongLong(nullptr, 16), alert.toULongLong())
        << stacking.toStdString();
    // Nothing of ours goes up over the alert while it waits, not even for a
    // moment: the dial's window is made ready only once it is answered.
    EXPECT_FALSE(spinUntil([&] { return orbelWindows().size() > 1; }, 1500)) << "a window went up over the alert";
    EXPECT_EQ(orbel.count("ShowMenuVisible"), 0) << "the first dial waits for the answer";

    EXPECT_FALSE(orbel.log().contains("opens the dial instead")) << "nothing is armed while the alert is up";
    xdotool({"windowactivate", "--sync", alert, "key", "Escape"});  // Cancel
    EXPECT_TRUE(orbel.waitForLog("[orbel-input] Alt+Space is taken; Alt+Shift+Space opens the dial instead"));
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    EXPECT_FALSE(orbelWindows().contains(alert));
    QProcess::execute("xdotool", {"mousemove", "960", "380"});
    EXPECT_TRUE(orbel.waitForLog("HoverUpdated slot=0"));
    xdotool({"key", "Escape"});
    ASSERT_TRUE(orbel.waitForLog("HideMenuComplete"));
    xdotool({"key", "alt+shift+space"});
    EXPECT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == 2; }));
    xdotool({"key", "Escape"});

    ASSERT_TRUE(spinUntil([&] { return QFile::exists(orbel.configDir() + "/config.json"); }));
    QFile config(orbel.configDir() + "/config.json");
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    const QByteArray text = config.readAll();
    EXPECT_TRUE(text.contains("\"hotkey\" : \"opt+space\"")) << text.left(200).toStdString();
    EXPECT_TRUE(text.contains("\"showInTray\" : true"));
}

TEST_F(AppSystem, TrayIconHotKeyAndASecondLaunchWithABackup) {
    QProcess tray;
    if (!QStandardPaths::findExecutable("trayer").isEmpty()) {
        tray.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"});
        spin(300);
    }
    Orbel orbel(R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":true})");
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    xdotool({"key", "Escape"});
    ASSERT_TRUE(orbel.waitForLog("HideMenuComplete"));

    if (tray.state() == QProcess::Running) {
        // The icon is a small window of ours embedded in the tray.
        const QRegularExpression iconWindow(R"((0x[0-9a-f]+) .*\("orbel" "orbel"\)\s+2\dx2\d\+)");
        QString icon;
        EXPECT_TRUE(spinUntil([&] {
            icon = iconWindow.match(run("xwininfo", {"-root", "-tree"})).captured(1);
            return !icon.isEmpty();
        }));
        // Its menu's first entry opens the settings window.
        if (!icon.isEmpty()) {
            xdotool({"mousemove", "--window", icon, "8", "8", "click", "3"});
            spin(500);
            xdotool({"key", "Down", "Return"});
            // Titled by its own name alone, nothing added after it.
            EXPECT_TRUE(spinUntil([] { return !run("xdotool", {"search", "--onlyvisible", "--name", "^Orbel Settings$"}).isEmpty(); }));
            const QString window = run("xdotool", {"search", "--onlyvisible", "--name", "^Orbel Settings$"}).section('\n', 0, 0);
            if (!window.isEmpty()) {
                xdotool({"windowactivate", "--sync", window});
                xdotool({"key", "alt+F4"});  // openbox's Close
            }
            EXPECT_TRUE(spinUntil([] { return run("xdotool", {"search", "--name", "Orbel Settings"}).isEmpty(); }));
        }
    }

    const int shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+o"});
    EXPECT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }));
    xdotool({"key", "Escape"});
    EXPECT_TRUE(spinUntil([&] { return orbel.count("HideMenuComplete") == 2; }));

    const QString backup = orbel.home() + "/Shared.orbelbackup";
    systemtest::writeFile(backup, "not a backup");
    QProcess second;
    orbel.start(second, {backup});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(spinUntil([] { return !run("xdotool", {"search", "--name", "Orbel Settings"}).isEmpty(); }));
    tray.kill();
    tray.waitForFinished(2000);
}

}  // namespace
}  // namespace orbel
