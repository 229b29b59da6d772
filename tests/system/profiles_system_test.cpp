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
    // Clicks the settings window's control `name` (see systemtest::ControlMap::find).
    void click(const Orbel& orbel, const QString& name) {
        EXPECT_TRUE(orbel.controls().click("^Orbel Settings$", name));
    }
    // Chooses a tab of the window with one click, and waits until it shows
    // as chosen: its pill is shaded with the pointer away from it (the About
    // tab, never chosen here, is the unshaded ground). The first click lands
    // also right after a Reload (no dial opens over the window).
    void selectTab(const Orbel& orbel, const QString& tab) {
        click(orbel, tab);
        xdotool({"mousemove", "--window", settings, "10", "600"});
        EXPECT_TRUE(spinUntil([&] { return tabShaded(orbel, tab); }, 2000)) << "the tab " << tab.toStdString()
                                                                            << " was not chosen";
    }
    bool tabShaded(const Orbel& orbel, const QString& tab) {
        const systemtest::ControlMap controls = orbel.controls();
        const auto chosen = controls.find("^Orbel Settings$", tab), ground = controls.find("^Orbel Settings$", "About");
        if (!chosen || !ground) return false;
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        const QPoint inside(8, chosen->rect.height() / 2);
        const QColor pill = shot.pixelColor(chosen->rect.topLeft() + inside),
                     bare = shot.pixelColor(ground->rect.topLeft() + inside);
        return std::abs(pill.lightness() - bare.lightness()) > 12;
    }
    // The dial changed behind Orbel's back, then Advanced ▸ Reload.
    void reloadWith(Orbel& orbel, const QString& letter) {
        orbel.write("config.json", document(letter));
        selectTab(orbel, "Advanced");
        click(orbel, "reloadConfig");
        selectTab(orbel, "Profiles");
    }
    // Makes the profile `name` the active one with its row's Switch.
    void switchTo(const Orbel& orbel, const QString& name) { click(orbel, "profileRow:" + name + "/switch"); }
    // An item of a profile's "More actions" menu, chosen with the keyboard.
    void chooseFromMenu(const Orbel& orbel, const QString& name, int downs) {
        click(orbel, "profileRow:" + name + "/more");
        spin(500);  // the menu opens and takes the keyboard
        for (int i = 0; i < downs; ++i) xdotool({"key", "Down"});
        xdotool({"key", "Return"});
        spin(300);
    }
    QString profileFile(const Orbel& orbel, const QString& name) const {
        return orbel.configDir() + "/profiles/" + name + ".json";
    }

    QTemporaryDir scratch;
    QString marker;
    QString settings;
};

TEST_F(ProfilesSystem, CreateDuplicateSwitchAndDeleteFromTheTabAndTheDialFollows) {
    Orbel orbel(document("a"));
    openSettings(orbel);
    selectTab(orbel, "Profiles");

    // New "Work": a snapshot of dial a, beside the implicit Default.
    click(orbel, "New");
    xdotool({"type", "--delay", "5", "Work"});
    xdotool({"key", "Return"});
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(profileFile(orbel, "Work")); })) << orbel.log().toStdString();
    EXPECT_TRUE(QFile::exists(profileFile(orbel, "Default")));
    // The live dial becomes b (edited outside, then Reload).
    reloadWith(orbel, "b");
    ASSERT_EQ(fireDial(orbel), "b");
    savePicture("profiles-two");

    // Switch to Work: the dial is a again, and Default
    // keeps b.
    switchTo(orbel, "Work");
    EXPECT_EQ(fireDial(orbel), "a");
    EXPECT_TRUE(readText(profileFile(orbel, "Default")).contains("printf b"));
    // Duplicate Work (the proposed "Work Copy"), then switch to Default and
    // to the copy: the dial follows each.
    chooseFromMenu(orbel, "Work", 1);
    ASSERT_TRUE(spinUntil([] { return !windowNamed("^Duplicate \"Work\"$").isEmpty(); }));
    savePicture("profiles-duplicate-sheet");
    xdotool({"key", "Return"});
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(profileFile(orbel, "Work Copy")); }));
    switchTo(orbel, "Default");
    EXPECT_EQ(fireDial(orbel), "b");
    switchTo(orbel, "Work Copy");
    EXPECT_EQ(fireDial(orbel), "a");
    // The copy is a profile of its own: changed, it keeps the change, and
    // Work keeps a.
    reloadWith(orbel, "c");
    switchTo(orbel, "Work");
    EXPECT_EQ(fireDial(orbel), "a");
    switchTo(orbel, "Work Copy");
    EXPECT_EQ(fireDial(orbel), "c");
    savePicture("profiles-three");

    // Delete Work (not the active one) after confirming; the dial stays.
    chooseFromMenu(orbel, "Work", 2);
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
    switchTo(orbel, "Default");
    EXPECT_EQ(fireDial(orbel), "b");
    savePicture("profiles-after-delete");
    EXPECT_EQ(orbel.stop(), 0);
}

TEST_F(ProfilesSystem, BackUpThroughTheDialogChangeTheDialAndRestoreByReplace) {
    Orbel orbel(document("a"));
    openSettings(orbel);
    selectTab(orbel, "Profiles");
    const QString backup = scratch.filePath("Before.orbelbackup");
    click(orbel, "Back Up…");
    typeIntoFileDialog("^Back Up Orbel$", backup);
    ASSERT_TRUE(spinUntil([&] { return QFile::exists(backup); }));
    savePicture("profiles-backed-up");

    reloadWith(orbel, "b");
    ASSERT_EQ(fireDial(orbel), "b");

    click(orbel, "Restore…");
    typeIntoFileDialog("^Restore Orbel Backup$", backup);
    QString sheet;
    ASSERT_TRUE(spinUntil([&] { return !(sheet = windowNamed("^Restore from backup$")).isEmpty(); }, 10000));
    spin(300);
    // Replace, then the word, then Return for the sheet's default button.
    ASSERT_TRUE(orbel.controls().click("^Restore from backup$", "backupRestoreSheet/Replace"));
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
