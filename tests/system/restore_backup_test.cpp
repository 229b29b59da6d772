// The real `orbel`'s Restore… under Xvfb and openbox, with Qt's own file
// dialog: a pipe or a link to /dev/zero chosen as the backup is refused with
// a message, and the dial and the settings window keep answering.
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "config/orbel_backup.h"
#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::Orbel;
using systemtest::bytesRead;
using systemtest::run;
using systemtest::savePicture;
using systemtest::windowNamed;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

class RestoreSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    }
    // Clicks at a place of the settings window (client coordinates of the
    // 920 x 640 window).
    void click(int x, int y) {
        xdotool({"windowactivate", "--sync", settings});
        xdotool({"mousemove", "--window", settings, QString::number(x), QString::number(y), "click", "1"});
        spin(300);
    }
    // Restore… on the Profiles tab, then the path typed into the file
    // dialog's name field. The dialog enables Open once its view of the
    // folder has caught up with the typed path, so the typing is repeated
    // until it takes.
    void restore(const QString& path) {
        click(kRestore[0], kRestore[1]);
        systemtest::typeIntoFileDialog("^Restore Orbel Backup$", path);
    }
    // The hot key opens the dial within a second of asking, and Escape
    // closes it: the interface thread is not held up.
    void dialAnswersWithinASecond(Orbel& orbel) {
        const int shown = orbel.count("ShowMenuVisible"), hidden = orbel.count("HideMenuComplete");
        xdotool({"key", "ctrl+alt+o"});
        const bool opened = spinUntil([&] { return orbel.count("ShowMenuVisible") > shown; }, 1000);
        if (!opened) savePicture("restore-dial-not-answering");
        EXPECT_TRUE(opened) << orbel.log().toStdString();
        xdotool({"key", "Escape"});
        EXPECT_TRUE(spinUntil([&] { return orbel.count("HideMenuComplete") > hidden; }));
    }

    // Whether the settings window shows a line that names `file`: the
    // refusal of a backup, given once its reading has ended.
    static bool refusalNames(const Orbel& orbel, const QString& file) {
        for (const auto& c : orbel.controls().controls())
            if (c.window == "Orbel Settings" && c.text.contains(file)) return true;
        return false;
    }

    static constexpr int kProfilesTab[2] = {506, 40}, kRestore[2] = {305, 144};
    QString settings;
};

TEST_F(RestoreSystem, APipeOrADeviceChosenForRestoreLeavesTheDialAndTheWindowAnswering) {
    Orbel orbel(R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    settings = systemtest::openSettingsFromDial(orbel);
    ASSERT_FALSE(settings.isEmpty()) << orbel.log().toStdString();
    spin(500);
    click(kProfilesTab[0], kProfilesTab[1]);
    savePicture("restore-profiles-tab");

    const QString pipe = orbel.home() + "/Stuck.orbelbackup", zero = orbel.home() + "/Zero.orbelbackup";
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    restore(pipe);
    dialAnswersWithinASecond(orbel);
    spin(300);
    savePicture("restore-pipe-refused");

    // The window answers too: Restore… opens its dialog again. /dev/zero is
    // refused unread: by the time the refusal shows, the process has read
    // far less than the backup's limit, which reading the device would fill.
    const qint64 before = bytesRead(orbel.pid());
    ASSERT_GE(before, 0) << "the process's counts are not readable";
    restore(zero);
    dialAnswersWithinASecond(orbel);
    EXPECT_TRUE(spinUntil([&] { return refusalNames(orbel, "Zero.orbelbackup"); }, 10000));
    EXPECT_LT(bytesRead(orbel.pid()) - before, OrbelBackup::kMaxFileBytes / 4);
    savePicture("restore-device-refused");
    EXPECT_EQ(orbel.stop(), 0);
}

}  // namespace
}  // namespace orbel
