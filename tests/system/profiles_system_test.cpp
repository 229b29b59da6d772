// The real `orbel`'s Profiles tab under Xvfb and openbox: profiles made,
// duplicated, switched and deleted from the tab, with the dial following each
// switch; a backup written through the save dialog and brought back by
// Replace; and a backup handed to a second `orbel FILE`.
//
// Each dial holds one script slot that writes its own letter into a marker
// file, so firing the dial tells which configuration it shows.
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "config/orbel_backup.h"
#include "model/app_config.h"
#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::Orbel;
using systemtest::run;
using systemtest::savePicture;
using systemtest::windowNamed;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::typeIntoFileDialog;
using systemtest::xdotool;

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
}

class ProfilesSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
        marker = scratch.filePath("fired");
    }

    // A configuration opened with Ctrl+Alt+O (openbox holds Alt+Space)
    // whose dial's one slot writes `letter` into the marker file.
    AppConfig dialWriting(const QString& letter) const {
        AppConfig c = AppConfig::defaultConfig();
        c.activation = ActivationMode::tap(
            HoldBinding::keyCombination(KeyCombination{31, modifier::kControl | modifier::kOption, std::nullopt}));
        c.showInTray = false;
        c.rootGroup.slots = {SlotConfig::make(
            SlotType::script({ScriptLanguage::shell,
                              "printf " + letter.toStdString() + " > '" + marker.toStdString() + "'"}),
            "Dial " + letter.toStdString())};
        return c;
    }
    QByteArray document(const QString& letter) const {
        return QByteArray::fromStdString(dialWriting(letter).encodeDocument());
    }

    // Opens the dial with the hot key, fires its slot and gives the letter
    // written.
    std::string fireDial(Orbel& orbel) {
        QFile::remove(marker);
        xdotool({"mousemove", "960", "540"});
        if (!orbel.openDial("ctrl+alt+o")) return "(no dial)";
        const int from = int(orbel.log().size());
        xdotool({"mousemove", "960", "410"});
        if (!orbel.waitForLog("HoverUpdated slot=0", from)) return "(no highlight)";
        xdotool({"click", "1"});
        spinUntil([&] { return !readText(marker).isEmpty(); });
        return readText(marker).toStdString();
    }

    // The settings window, from the dial (Ctrl+comma).
    void openSettings(Orbel& orbel) {
        settings = systemtest::openSettingsFromDial(orbel);
        ASSERT_FALSE(settings.isEmpty()) << orbel.log().toStdString();
        spin(500);
    }
    // Clicks at a place of the settings window (client coordinates of the
    // 920 x 640 window).
    void click(int x, int y) {
        xdotool({"windowactivate", "--sync", settings});
        xdotool({"mousemove", "--window", settings, QString::number(x), QString::number(y), "click", "1"});
        spin(300);
    }
    void click(const int (&at)[2]) { click(at[0], at[1]); }
    // Chooses a tab of the window with one click, and waits until it shows
    // as chosen: its pill is shaded with the pointer away from it. The first
    // click lands also right after a Reload (no dial opens over the window).
    void selectTab(const int (&at)[2]) {
        click(at);
        xdotool({"mousemove", "--window", settings, "10", "600"});
        EXPECT_TRUE(spinUntil([&] { return tabShaded(at[0]); }, 2000)) << "the tab at x=" << at[0] << " was not chosen";
    }
    bool tabShaded(int x) {
        const QString geometry = run("xwininfo", {"-id", settings});
        const QRegularExpressionMatch m =
            QRegularExpression(R"(Absolute upper-left X:\s+(\d+)\s+Absolute upper-left Y:\s+(\d+))").match(geometry);
        if (!m.hasMatch()) return false;
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QPoint origin(m.captured(1).toInt(), m.captured(2).toInt());
        const QColor pill = shot.pixelColor(origin + QPoint(x - 26, 40)), ground = shot.pixelColor(origin + QPoint(300, 40));
        return std::abs(pill.lightness() - ground.lightness()) > 12;
    }
    // The dial changed behind Orbel's back, then Advanced ▸ Reload.
    void reloadWith(Orbel& orbel, const QString& letter) {
        orbel.write("config.json", document(letter));
        selectTab(kAdvancedTab);
        click(kReload);
        selectTab(kProfilesTab);
    }
    // The profile rows, from the top, while no message line shows.
    static int rowY(int row) { return kFirstRowY + row * kRowPitch; }
    void switchTo(int row) { click(kSwitchX, rowY(row)); }
    // An item of a row's "More actions" menu, chosen with the keyboard.
    void chooseFromMenu(int row, int downs) {
        click(kMoreX, rowY(row));
        spin(500);  // the menu opens and takes the keyboard
        for (int i = 0; i < downs; ++i) xdotool({"key", "Down"});
        xdotool({"key", "Return"});
        spin(300);
    }
    QString profileFile(const Orbel& orbel, const QString& name) const {
        return orbel.configDir() + "/profiles/" + name + ".json";
    }

    static constexpr int kProfilesTab[2] = {506, 40}, kAdvancedTab[2] = {595, 40}, kReload[2] = {523, 263},
                         kNew[2] = {711, 109}, kBackUp[2] = {211, 144}, kRestore[2] = {305, 144};
    static constexpr int kFirstRowY = 183, kRowPitch = 44, kSwitchX = 663, kMoreX = 725;
    static constexpr int kReplaceCardY = 360;  // in the restore sheet
    QTemporaryDir scratch;
    QString marker;
    QString settings;
};

TEST_F(ProfilesSystem, CreateDuplicateSwitchAndDeleteFromTheTabAndTheDialFollows) {
    Orbel orbel(document("a"));
    openSettings(orbel);
    selectTab(kProfilesTab);

    // New "Work": a snapshot of dial a, beside the implicit Default.
    click(kNew);
    xdotool({"type", "--delay", "5", "Work"});
    xdotool({"key", "Return"});
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(profileFile(orbel, "Work")); })) << orbel.log().toStdString();
    EXPECT_TRUE(QFile::exists(profileFile(orbel, "Default")));
    // The live dial becomes b (edited outside, then Reload).
    reloadWith(orbel, "b");
    ASSERT_EQ(fireDial(orbel), "b");
    savePicture("profiles-two");

    // Rows: Default, Work. Switch to Work: the dial is a again, and Default
    // keeps b.
    switchTo(1);
    EXPECT_EQ(fireDial(orbel), "a");
    EXPECT_TRUE(readText(profileFile(orbel, "Default")).contains("printf b"));
    // Duplicate Work (the proposed "Work Copy"), then switch to Default and
    // to the copy: the dial follows each.
    chooseFromMenu(1, 1);
    ASSERT_TRUE(spinUntil([] { return !windowNamed("^Duplicate \"Work\"$").isEmpty(); }));
    savePicture("profiles-duplicate-sheet");
    xdotool({"key", "Return"});
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(profileFile(orbel, "Work Copy")); }));
    switchTo(0);
    EXPECT_EQ(fireDial(orbel), "b");
    switchTo(2);  // Default, Work, Work Copy
    EXPECT_EQ(fireDial(orbel), "a");
    // The copy is a profile of its own: changed, it keeps the change, and
    // Work keeps a.
    reloadWith(orbel, "c");
    switchTo(1);
    EXPECT_EQ(fireDial(orbel), "a");
    switchTo(2);
    EXPECT_EQ(fireDial(orbel), "c");
    savePicture("profiles-three");

    // Delete Work (not the active one) after confirming; the dial stays.
    chooseFromMenu(1, 2);
    // The confirmation takes the focus from the window.
    ASSERT_TRUE(spinUntil([&] { return run("xdotool", {"getactivewindow"}) != QString::number(settings.toLongLong()); }));
    spin(300);
    savePicture("profiles-delete-alert");
    xdotool({"key", "Tab"});  // from Cancel to the Delete button
    xdotool({"key", "space"});
    EXPECT_TRUE(spinUntil([&] { return !QFile::exists(profileFile(orbel, "Work")); }));
    EXPECT_TRUE(QFile::exists(profileFile(orbel, "Work Copy")));
    EXPECT_EQ(fireDial(orbel), "c");
    // The rows are now Default and Work Copy.
    switchTo(0);
    EXPECT_EQ(fireDial(orbel), "b");
    savePicture("profiles-after-delete");
    EXPECT_EQ(orbel.stop(), 0);
}

TEST_F(ProfilesSystem, BackUpThroughTheDialogChangeTheDialAndRestoreByReplace) {
    Orbel orbel(document("a"));
    openSettings(orbel);
    selectTab(kProfilesTab);
    const QString backup = scratch.filePath("Before.orbelbackup");
    click(kBackUp);
    typeIntoFileDialog("^Back Up Orbel$", backup);
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(backup); }));
    savePicture("profiles-backed-up");

    reloadWith(orbel, "b");
    ASSERT_EQ(fireDial(orbel), "b");

    click(kRestore);
    typeIntoFileDialog("^Restore Orbel Backup$", backup);
    QString sheet;
    ASSERT_TRUE(spinUntil([&] { return !(sheet = windowNamed("^Restore from backup$")).isEmpty(); }, 10000));
    spin(300);
    // Replace, then the word, then Return for the sheet's default button.
    xdotool({"windowactivate", "--sync", sheet});
    xdotool({"mousemove", "--window", sheet, "240", QString::number(kReplaceCardY), "click", "1"});
    spin(300);
    xdotool({"type", "--delay", "5", "REPLACE"});
    spin(300);
    savePicture("profiles-restore-replace");
    xdotool({"key", "Return"});
    EXPECT_TRUE(spinUntil([&] { return windowNamed("^Restore from backup$").isEmpty(); }));
    EXPECT_EQ(fireDial(orbel), "a");
    EXPECT_TRUE(readText(orbel.configDir() + "/config.json").contains("printf a"));
    EXPECT_EQ(orbel.stop(), 0);
}

// `orbel FILE` while Orbel runs hands the file over and ends; the running
// one shows its settings on the Profiles tab with the restore sheet.
TEST_F(ProfilesSystem, ASecondOrbelWithABackupLandsOnTheRestoreSheet) {
    Orbel orbel(document("a"));
    ASSERT_TRUE(orbel.waitForLog("AppDidFinishLaunching"));
    xdotool({"key", "Escape"});  // the first dial of the start
    OrbelBackup saved;
    saved.createdAt = double(QDateTime::currentSecsSinceEpoch());
    saved.appVersion = ORBEL_VERSION;
    saved.activeProfile = "Travel";
    saved.liveConfig = dialWriting("t");
    saved.profiles["Travel"] = dialWriting("t");
    const QString file = scratch.filePath("Travel.orbelbackup");
    systemtest::writeFile(file, QByteArray::fromStdString(saved.encode()));

    QProcess second;
    orbel.start(second, {file});
    ASSERT_TRUE(spinUntil([&] { return second.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(second.exitCode(), 0);
    QString sheet;
    ASSERT_TRUE(spinUntil([&] { return !(sheet = windowNamed("^Restore from backup$")).isEmpty(); }, 10000))
        << orbel.log().toStdString();
    settings = windowNamed("Orbel Settings");
    EXPECT_FALSE(settings.isEmpty());
    spin(300);
    savePicture("profiles-opened-backup");
    // Cancel leaves everything as it was.
    xdotool({"windowactivate", "--sync", sheet});
    xdotool({"key", "Escape"});
    EXPECT_TRUE(spinUntil([&] { return windowNamed("^Restore from backup$").isEmpty(); }));
    EXPECT_EQ(fireDial(orbel), "a");
    EXPECT_FALSE(QFile::exists(profileFile(orbel, "Travel")));
    EXPECT_EQ(orbel.stop(), 0);
}

}  // namespace
}  // namespace orbel
