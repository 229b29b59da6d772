// The real `orbel` program's settings window under Xvfb and openbox: the
// conflict alert's "Choose Different Hotkey", recording with real key
// presses, hold activation, the tray and login switches, Reload and Reset;
// saves that meet another program's save of config.json.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <string.h>

#include "model/app_config.h"
#include "orbel_process.h"
namespace orbel {
namespace {

using systemtest::labelText;
using systemtest::Orbel;
using systemtest::run;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;


// The settings window of a running Orbel, its controls clicked where the
// program says they are.
class SettingsWindow {
public:
    explicit SettingsWindow(const Orbel& orbel) : controls_(orbel.controls()) {}
    bool waitOpen() {
        return spinUntil([&] {
            id_ = run("xdotool", {"search", "--onlyvisible", "--name", "Orbel Settings"}).section('\n', 0, 0);
            return !id_.isEmpty();
        });
    }
    // The control `name` names (see systemtest::ControlMap::find).
    void click(const QString& name) { EXPECT_TRUE(controls_.click("^Orbel Settings$", name)); }
    void activate() { xdotool({"windowactivate", "--sync", id_}); }
    void close() {
        xdotool({"windowactivate", "--sync", id_});
        xdotool({"key", "alt+F4"});  // openbox's Close
    }

private:
    systemtest::ControlMap controls_;
    QString id_;
};

class SettingsSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    }
};

QByteArray configText(const Orbel& orbel) {
    QFile file(orbel.configDir() + "/config.json");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(SettingsSystem, RebindRecordHoldTrayLoginReloadAndReset) {
    QProcess tray;  // a tray to show the icon in, when there is one
    if (!QStandardPaths::findExecutable("trayer").isEmpty()) {
        tray.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"});
        spin(300);
    }
    auto trayIconShown = [] {
        return run("xwininfo", {"-root", "-tree"}).contains(QRegularExpression(R"(\("orbel" "orbel"\)\s+2\dx2\d\+)"));
    };
    Orbel orbel;  // a fresh home: Alt+Space, which openbox holds
    // The conflict alert comes first (the dial waits for its answer); its
    // default button is "Choose Different Hotkey".
    QString alert;
    ASSERT_TRUE(spinUntil([&] {
        alert = run("xdotool", {"search", "--onlyvisible", "--name", "^Orbel$"}).section('\n', 0, 0);
        return !alert.isEmpty();
    }));
    xdotool({"windowactivate", "--sync", alert});
    xdotool({"key", "Return"});
    SettingsWindow settings(orbel);
    ASSERT_TRUE(settings.waitOpen());
    spin(500);
    xdotool({"key", "ctrl+alt+k"});  // the General tab's recorder is recording
    ASSERT_TRUE(spinUntil([&] { return configText(orbel).contains("\"hotkey\" : \"ctrl+opt+k\""); }));
    int shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+k"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }));
    // Ctrl+comma in the dial brings the settings forward.
    settings.close();
    spin(300);
    xdotool({"key", "ctrl+comma"});
    ASSERT_TRUE(settings.waitOpen());

    // Tray icon and launch at login.
    const bool haveTray = tray.state() == QProcess::Running;
    EXPECT_TRUE(!haveTray || spinUntil(trayIconShown));
    settings.click("showInTray");
    EXPECT_TRUE(spinUntil([&] { return configText(orbel).contains("\"showInTray\" : false"); }));
    EXPECT_TRUE(!haveTray || spinUntil([&] { return !trayIconShown(); }));
    const QString entry = orbel.home() + "/autostart/com.quandelvix.orbel.desktop";
    settings.click("openAtLogin");
    EXPECT_TRUE(spinUntil([&] { return QFile::exists(entry); }));
    settings.click("openAtLogin");
    EXPECT_TRUE(spinUntil([&] { return !QFile::exists(entry); }));

    // Hold, with a chord recorded by real key presses (the rows below move).
    settings.click("activation/Hold");
    ASSERT_TRUE(spinUntil([&] { return configText(orbel).contains("holdActivation"); }));
    settings.click("holdBinding");
    xdotool({"key", "ctrl+alt+j"});
    ASSERT_TRUE(spinUntil([&] { return configText(orbel).contains("\"ctrl+opt+j\""); })) << configText(orbel).data();
    shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+k"});
    spin(500);
    EXPECT_EQ(orbel.count("ShowMenuVisible"), shown);
    const int hidden = orbel.count("HideMenuComplete");
    xdotool({"keydown", "ctrl+alt+j"});
    EXPECT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }));
    // A release fires the wedge the pointer points at (one always is):
    // closed with Escape first, so that no slot of the default dial runs.
    xdotool({"key", "Escape"});
    xdotool({"keyup", "ctrl+alt+j"});
    EXPECT_TRUE(spinUntil([&] { return orbel.count("HideMenuComplete") > hidden; }));

    // Reload after an outside edit.
    systemtest::writeFile(orbel.configDir() + "/config.json", R"({"version":1,"hotkey":"ctrl+opt+u"})");
    settings.click("Advanced");
    settings.click("reloadConfig");
    shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+u"});
    EXPECT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }));
    xdotool({"key", "Escape"});

    // Reset: the defaults, and Alt+Space's alternatives (openbox holds it).
    settings.waitOpen();
    settings.click("resetAll");
    // Cancel is the alert's default button (Reset cannot be undone): Tab
    // moves to "Reset", and Return answers with it.
    QString confirm;
    ASSERT_TRUE(spinUntil([&] {
        confirm = run("xdotool", {"search", "--onlyvisible", "--name", "^Reset Settings$"}).section('\n', 0, 0);
        return !confirm.isEmpty();
    }));
    spin(300);
    systemtest::savePicture("settings-reset-confirmation");
    xdotool({"windowactivate", "--sync", confirm});
    xdotool({"key", "Tab"});
    xdotool({"key", "Return"});  // "Reset"
    EXPECT_TRUE(spinUntil([&] { return configText(orbel).contains("\"hotkey\" : \"opt+space\""); }));
    EXPECT_TRUE(spinUntil([] {
        return !run("xdotool", {"search", "--onlyvisible", "--name", "Hotkey Conflict"}).isEmpty();
    }));
    tray.kill();
    tray.waitForFinished(2000);
}

// A configuration opened with Ctrl+Alt+O (openbox holds Alt+Space) whose
// dial holds `slot`.
QByteArray dialOf(const SlotConfig& slot) {
    AppConfig c = AppConfig::defaultConfig();
    c.activation = ActivationMode::tap(
        HoldBinding::keyCombination(KeyCombination{31, modifier::kControl | modifier::kOption, std::nullopt}));
    c.rootGroup.slots = {slot};
    return QByteArray::fromStdString(c.encodeDocument());
}

// Opens the dial with the hot key and the settings from it (Ctrl+comma).
void openSettings(Orbel& orbel, SettingsWindow& settings) {
    ASSERT_FALSE(systemtest::openSettingsFromDial(orbel).isEmpty()) << orbel.log().toStdString();
    ASSERT_TRUE(settings.waitOpen());
    spin(500);
    settings.click("General");
}

TEST_F(SettingsSystem, AHandEditSurvivesAChangeInTheWindowAndShowsInTheDial) {
    QTemporaryDir scratch;
    const QString marker = scratch.filePath("fired");
    Orbel orbel(dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    // Edited with a text editor while Orbel runs: the slot now touches a file.
    const SlotConfig edited = SlotConfig::make(
        SlotType::script({ScriptLanguage::shell, "touch '" + marker.toStdString() + "'"}), "Edited");
    systemtest::writeFile(orbel.configDir() + "/config.json", dialOf(edited));
    settings.click("showInTray");
    ASSERT_TRUE(spinUntil([&] { return configText(orbel).contains("\"showInTray\" : false"); }));
    EXPECT_TRUE(configText(orbel).contains("fired")) << configText(orbel).data();
    settings.close();
    spin(300);

    // The dial shows the edited slot: clicking it runs the edited script.
    xdotool({"mousemove", "960", "540"});
    ASSERT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().toStdString();
    const int from = int(orbel.log().size());
    xdotool({"mousemove", "960", "410"});
    ASSERT_TRUE(orbel.waitForLog("HoverUpdated slot=0", from));
    xdotool({"click", "1"});
    EXPECT_TRUE(spinUntil([&] { return QFile::exists(marker); }));
}

// Real arrow keys on the tab bar go from tab to tab and stop at either
// end: Left on General and Right on About leave the focus there, which the
// next arrow's move shows, and no setting changes.
TEST_F(SettingsSystem, TheArrowsStayOnTheTabBarAtEitherEndAndChangeNoSetting) {
    Orbel orbel(dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    const QByteArray saved = configText(orbel);
    // The tab that has the focus, marked as the keyboard's, is `title`.
    const auto onTab = [&](const QString& title) {
        return spinUntil([&] {
            for (const auto& c : orbel.controls().controls())
                if (c.focused) return c.path.contains("settingsTabBar") && c.text == title && c.marked;
            return false;
        });
    };
    const auto arrows = [](const QString& key, int times = 1) {
        for (int i = 0; i < times; ++i) xdotool({"key", key});
    };
    arrows("Left");
    arrows("Right");
    EXPECT_TRUE(onTab("Customization")) << "Left on the first tab left the focus there";
    arrows("Right", 4);
    EXPECT_TRUE(onTab("About"));
    arrows("Right");
    arrows("Left");
    EXPECT_TRUE(onTab("Advanced")) << "Right on the last tab left the focus there";
    spin(300);  // the pill's fade, for the picture
    systemtest::savePicture("settings-arrows-on-the-tab-bar");
    EXPECT_EQ(configText(orbel).toStdString(), saved.toStdString());
    settings.close();
}

// Orbel runs without the power to ignore file permissions, as a user's
// session does, and its configuration folder is read-only.
TEST_F(SettingsSystem, AReadOnlyConfigurationFolderGivesSettingNotSaved) {
    if (QStandardPaths::findExecutable("setpriv").isEmpty()) GTEST_SKIP() << "needs setpriv";
    Orbel orbel(Orbel::Deferred{});
    const QByteArray config = dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine"));
    orbel.write("config.json", config);
    QFile::setPermissions(orbel.configDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                 QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    orbel.setLauncher({"setpriv", "--bounding-set=-dac_override,-dac_read_search,-fowner", "--"});
    orbel.start();
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    settings.click("showInTray");
    EXPECT_TRUE(spinUntil([] {
        return !run("xdotool", {"search", "--onlyvisible", "--name", "Setting Not Saved"}).isEmpty();
    })) << orbel.log().toStdString();
    EXPECT_EQ(configText(orbel), config);
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/system");
    EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(
        ORBEL_BINARY_DIR "/test-artifacts/system/setting-not-saved-alert.png"));
    QFile::setPermissions(orbel.configDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A click in the window while another program writes config.json in place:
// the half is neither kept as a broken file nor written over, and the click
// lands on the whole save once it is written.
TEST_F(SettingsSystem, AClickDuringASlowInPlaceWriteLandsOnTheWholeSave) {
    Orbel orbel(dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    const QByteArray outside = dialOf(SlotConfig::make(SlotType::snippet("outside"), "Outside"));
    systemtest::SlowInPlaceWriter writer(orbel.configDir() + "/config.json", outside);
    ASSERT_TRUE(writer.opened());
    settings.click("showInTray");
    ASSERT_TRUE(orbel.waitForLog("is being written by another program")) << orbel.log().toStdString();
    writer.finish();
    ASSERT_TRUE(spinUntil([&] { return configText(orbel).contains("\"showInTray\" : false"); }, 10000));
    EXPECT_TRUE(configText(orbel).contains("\"outside\"")) << configText(orbel).data();
    EXPECT_EQ(QDir(orbel.configDir()).entryList({"config.json.backup.*"}, QDir::Files), QStringList());
    EXPECT_TRUE(systemtest::visibleDialogs().isEmpty());
    settings.close();
}

// Show in Tray switched just after another program touched config.json
// (its times changed, not its bytes) is in the file moments later.
TEST_F(SettingsSystem, ShowInTraySwitchedJustAfterATouchIsSaved) {
    Orbel orbel(dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    int touched = -1;
    run("touch", {orbel.configDir() + "/config.json"}, &touched);
    ASSERT_EQ(touched, 0);
    settings.click("showInTray");
    ASSERT_TRUE(orbel.waitForLog("is being written by another program")) << orbel.log().toStdString();
    EXPECT_TRUE(spinUntil([&] { return configText(orbel).contains("\"showInTray\" : false"); }, 10000))
        << configText(orbel).data();
    EXPECT_TRUE(configText(orbel).contains("\"mine\""));
    settings.close();
}

// A sync tool touches config.json every half second and never stops: a
// click is saved within seconds all the same, with no alert; and one still
// waiting when Orbel quits is saved then.
TEST_F(SettingsSystem, AClickWhileASyncToolKeepsTouchingTheFileIsSavedAndSoIsOneAtQuit) {
    Orbel orbel(dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    systemtest::Toucher toucher(orbel.configDir() + "/config.json");
    spin(600);
    settings.click("showInTray");
    ASSERT_TRUE(orbel.waitForLog("is being written by another program")) << orbel.log().toStdString();
    EXPECT_TRUE(spinUntil([&] { return configText(orbel).contains("\"showInTray\" : false"); }, 15000))
        << orbel.log().toStdString();
    EXPECT_TRUE(systemtest::visibleDialogs().isEmpty());

    const int waiting = orbel.count("is being written by another program");
    spin(700);  // touched again since that save
    settings.click("showInTray");
    ASSERT_TRUE(spinUntil([&] { return orbel.count("is being written by another program") > waiting; }))
        << orbel.log().toStdString() << configText(orbel).data();
    EXPECT_EQ(orbel.stop(), 0);
    EXPECT_TRUE(configText(orbel).contains("\"showInTray\" : true")) << configText(orbel).data();
}

// Another program's save that does not read at once (a level of seven
// slots is cut) and Reload 0.3 s later: once the file is read, its hot key
// opens the dial, and the one before does not.
TEST_F(SettingsSystem, ReloadMomentsAfterAnOutsideSaveArmsTheHotKeyItReads) {
    Orbel orbel(dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    settings.click("Advanced");
    QByteArray menu;
    for (int i = 0; i < 7; ++i) menu += QByteArray(i ? "," : "") + R"({"snippet": "outside", "title": "Outside"})";
    systemtest::writeFile(orbel.configDir() + "/config.json",
                          R"({"version":1,"hotkey":"ctrl+opt+u","showInTray":false,"menu":[)" + menu + "]}");
    spin(300);
    settings.click("reloadConfig");
    // Read, cut and told once it is quiet.
    ASSERT_TRUE(spinUntil([&] { return configText(orbel).contains("\"hotkey\" : \"ctrl+opt+u\""); }, 10000))
        << orbel.log().toStdString();
    QStringList alerts;
    ASSERT_TRUE(spinUntil([&] { return !(alerts = systemtest::visibleDialogs()).isEmpty(); }));
    xdotool({"windowactivate", "--sync", alerts.front()});
    xdotool({"key", "Return"});
    ASSERT_TRUE(spinUntil([&] { return systemtest::visibleDialogs().isEmpty(); }));
    ASSERT_TRUE(orbel.openDial("ctrl+alt+u")) << orbel.log().toStdString();
    xdotool({"key", "Escape"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("HideMenuComplete") == orbel.count("ShowMenuVisible"); }));
    const int shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+o"});
    spin(1500);
    EXPECT_EQ(orbel.count("ShowMenuVisible"), shown);
}

// Another program saved config.json with another hot key a while ago; a
// click on Show in Tray takes its save in: that hot key opens the dial, and
// the one before reaches Orbel no more.
TEST_F(SettingsSystem, TheHotKeyOfAnOutsideSaveAClickTakesInOpensTheDial) {
    Orbel orbel(dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    const QString path = orbel.configDir() + "/config.json";
    systemtest::writeFile(path, R"({"version":1,"hotkey":"ctrl+opt+u","menu":[{"snippet":"outside","title":"O"}]})");
    // Written whole and left: nothing is waited for.
    ASSERT_TRUE(spinUntil([&] {
        const QDateTime now = QDateTime::currentDateTime();
        const QFileInfo file(path);
        return file.lastModified().msecsTo(now) > 2500 && file.metadataChangeTime().msecsTo(now) > 2500;
    }, 10000));
    settings.click("showInTray");
    ASSERT_TRUE(spinUntil([&] { return configText(orbel).contains("\"showInTray\" : false"); }))
        << orbel.log().toStdString();
    EXPECT_TRUE(configText(orbel).contains("\"hotkey\" : \"ctrl+opt+u\"")) << configText(orbel).data();
    EXPECT_FALSE(orbel.log().contains("is being written by another program"));

    // An armed key answers within milliseconds: none comes in two seconds.
    const int pressed = orbel.count("CarbonHotkeyPressed");
    xdotool({"key", "ctrl+alt+o"});
    EXPECT_FALSE(spinUntil([&] { return orbel.count("CarbonHotkeyPressed") > pressed; }, 2000));
    ASSERT_TRUE(orbel.openDial("ctrl+alt+u")) << orbel.log().toStdString();
    EXPECT_EQ(orbel.count("CarbonHotkeyPressed"), pressed + 1);
    xdotool({"key", "Escape"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("HideMenuComplete") == orbel.count("ShowMenuVisible"); }));
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Another program's save lands in config.json just as a click's save
// exchanges Orbel's in, and the file system then fails every rename there
// (`error`), so that theirs cannot be put back: the click stays saved, the
// alert says where their save is, and that file outlives the next start's
// sweep of killed saves' files.
void keepsAnotherProgramsSaveAside(int error, const QString& picture) {
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    const QString outsideSave = orbel.home() + "/outside.json";  // the exchange takes it once it is there
    const QByteArray outside = dialOf(SlotConfig::make(SlotType::snippet("outside"), "Outside"));
    orbel.preload("outside_save");
    orbel.setEnvironment("ORBEL_TEST_OUTSIDE_SAVE", outsideSave);
    orbel.setEnvironment("ORBEL_TEST_RENAME_ERRNO", QString::number(error));
    orbel.start();
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    systemtest::writeFile(outsideSave, outside);
    settings.click("showInTray");

    ASSERT_TRUE(spinUntil([&] {
        return labelText(orbel, "qt_msgbox_label") == "Orbel kept another program's save aside";
    })) << orbel.log().toStdString();
    spin(300);
    systemtest::savePicture(picture);
    const QString text = labelText(orbel, "qt_msgbox_informativelabel");
    const auto said = QRegularExpression(" In (/\\S+): config\\.json holds Orbel's save, with the change; the other "
                                         "program's save is kept as (\\S+)\\.$").match(text);
    const QString kept = said.captured(1) + "/" + said.captured(2);
    ASSERT_TRUE(said.hasMatch()) << text.toStdString();
    ASSERT_FALSE(kept.isEmpty()) << text.toStdString();
    EXPECT_TRUE(text.contains(strerror(error))) << text.toStdString();
    EXPECT_TRUE(configText(orbel).contains("\"showInTray\" : false")) << configText(orbel).data();
    EXPECT_EQ(contentsOf(kept).toStdString(), outside.toStdString());
    EXPECT_EQ(QFileInfo(kept).absolutePath(), orbel.configDir());
    EXPECT_FALSE(QFileInfo(kept).fileName().startsWith(".orbel-save-")) << "a name the sweep takes";
    for (const auto& c : orbel.controls().controls()) EXPECT_NE(c.text, "Setting Not Saved");
    EXPECT_EQ(orbel.stop(), 0);

    // Once the first one's files have settled, a start without the failing
    // file system sweeps its folder: the other save stays.
    ASSERT_TRUE(spinUntil([&] {
        return QFileInfo(kept).metadataChangeTime().secsTo(QDateTime::currentDateTime()) > 3;
    }, 10000));
    orbel.preload();
    const int from = int(orbel.log().size());
    orbel.start();
    // The alert was closed by the quit, not answered: the start tells it
    // again, and the dial follows once it is answered.
    QStringList alerts;
    ASSERT_TRUE(spinUntil([&] { return !(alerts = systemtest::visibleDialogs()).isEmpty(); }));
    EXPECT_EQ(labelText(orbel, "qt_msgbox_label"), "Orbel kept another program's save aside");
    xdotool({"windowactivate", "--sync", alerts.front()});
    xdotool({"key", "Return"});
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible", from)) << orbel.log().toStdString();
    EXPECT_EQ(contentsOf(kept).toStdString(), outside.toStdString());
    EXPECT_TRUE(configText(orbel).contains("\"showInTray\" : false"));
}

TEST_F(SettingsSystem, AnotherProgramsSaveKeptAsideOnAReadOnlyFileSystemOutlivesTheSweep) {
    keepsAnotherProgramsSaveAside(EROFS, "kept-aside-alert-read-only");
}

TEST_F(SettingsSystem, AnotherProgramsSaveKeptAsideAfterAnInputOutputErrorOutlivesTheSweep) {
    keepsAnotherProgramsSaveAside(EIO, "kept-aside-alert-io-error");
}

// On a mount without hard links, rename flags or unnamed temporary files
// (some FUSE and network mounts), a click is saved by a plain rename once
// the file's bytes are checked, and nothing is left beside it.
TEST_F(SettingsSystem, AClickIsSavedOnAMountWithoutLinksOrRenameFlags) {
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    orbel.preload("bare_mount");
    orbel.start();
    SettingsWindow settings(orbel);
    openSettings(orbel, settings);
    settings.click("showInTray");
    ASSERT_TRUE(spinUntil([&] { return configText(orbel).contains("\"showInTray\" : false"); }, 10000))
        << orbel.log().toStdString();
    EXPECT_TRUE(configText(orbel).contains("\"mine\""));
    EXPECT_EQ(QDir(orbel.configDir()).entryList({"config.json*"}, QDir::Files | QDir::Hidden),
              QStringList{"config.json"});
    for (const auto& c : orbel.controls().controls()) EXPECT_NE(c.text, "Setting Not Saved");
    EXPECT_TRUE(systemtest::visibleDialogs().isEmpty());
    EXPECT_FALSE(orbel.log().contains("Couldn't save")) << orbel.log().toStdString();
    EXPECT_EQ(orbel.stop(), 0);
}

// While the Hotkey field records, the window manager's own chord reaches
// the recorder (openbox binds Alt+Space to its window menu): the recorder
// holds the keyboard. Once it stops, the hot key fires again.
TEST_F(SettingsSystem, TheRecorderHoldsTheKeyboardWhileItRecords) {
    Orbel orbel(R"({"version":1,"hotkey":"ctrl+opt+o"})");
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));  // the first launch shows the dial
    xdotool({"key", "ctrl+comma"});  // the dial's settings shortcut
    SettingsWindow settings(orbel);
    ASSERT_TRUE(settings.waitOpen());
    spin(500);
    settings.click("tapBinding");  // the Hotkey field, recording
    xdotool({"key", "alt+space"});
    // The chord reached Orbel, which finds it taken by openbox and says so.
    ASSERT_TRUE(spinUntil([] {
        return !run("xdotool", {"search", "--onlyvisible", "--name", "Hotkey Conflict"}).isEmpty();
    })) << "Alt+Space went to the window manager";
    xdotool({"key", "Escape"});  // Cancel: the hot key stays Ctrl+Alt+O
    spin(500);
    EXPECT_TRUE(configText(orbel).contains("ctrl+opt+o") && !configText(orbel).contains("opt+space"))
        << configText(orbel).data();
    settings.close();
    spin(500);
    const int shown = orbel.count("ShowMenuVisible");
    xdotool({"key", "ctrl+alt+o"});
    EXPECT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == shown + 1; }))
        << "the grab was let go: the hot key fires";
    xdotool({"key", "Escape"});
}

// Opens the settings, and the Hotkey field records; `saved`: what
// config.json held before.
void recordTheHotkey(Orbel& orbel, SettingsWindow& settings, const systemtest::ControlMap& controls,
                     QByteArray& saved) {
    ASSERT_NO_FATAL_FAILURE(openSettings(orbel, settings));
    saved = configText(orbel);
    settings.click("tapBinding");
    ASSERT_TRUE(controls.find("^Orbel Settings$", "tapBinding/Press a key or mouse button now…"));
}

// The Hotkey field left recording and another tab clicked: it stops, so the
// next chord (Ctrl+Shift+Tab, back a tab) is no hot key but goes back to
// General, and Ctrl+Alt+O opens the dial.
TEST_F(SettingsSystem, ARecorderLeftRecordingStopsWhenAnotherTabIsClicked) {
    Orbel orbel(dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    SettingsWindow settings(orbel);
    const systemtest::ControlMap controls = orbel.controls();
    QByteArray saved;
    ASSERT_NO_FATAL_FAILURE(recordTheHotkey(orbel, settings, controls, saved));
    settings.click("Customization");
    ASSERT_TRUE(spinUntil([&] {
        for (const auto& c : controls.controls())
            if (c.path.contains("tapBinding")) return false;
        return true;
    })) << "the General tab is still shown";
    xdotool({"key", "ctrl+shift+Tab"});
    EXPECT_TRUE(controls.find("^Orbel Settings$", "tapBinding/Ctrl+Alt+O")) << "back on General, showing the hot key";
    EXPECT_EQ(configText(orbel).toStdString(), saved.toStdString());
    EXPECT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().toStdString();
    xdotool({"key", "Escape"});
    settings.close();
}

// The Hotkey field recording and a terminal clicked: the recording ends,
// and what is typed there (`xy`, Ctrl+U erasing it, `ls`, Return) reaches
// the terminal alone; the stored hot key is unchanged and opens the dial.
// Recording again and another desktop shown: the hot key opens the dial
// there.
TEST_F(SettingsSystem, KeysTypedIntoAnotherProgramsWindowAreNeverRecorded) {
    if (QStandardPaths::findExecutable("xterm").isEmpty()) GTEST_SKIP() << "needs xterm";
    QTemporaryDir dir;
    const QString typed = dir.filePath("typed");
    QProcess xterm;
    xterm.start("xterm", {"-title", "Orbel xterm", "-geometry", "30x4+0+0", "-e", "sh", "-c",
                          "read line; printf %s \"$line\" > '" + typed + "'"});
    QString terminal;
    ASSERT_TRUE(spinUntil([&] {
        terminal = run("xdotool", {"search", "--onlyvisible", "--name", "^Orbel xterm$"}).section('\n', 0, 0);
        return !terminal.isEmpty();
    }, 10000));
    Orbel orbel(dialOf(SlotConfig::make(SlotType::snippet("mine"), "Mine")));
    SettingsWindow settings(orbel);
    const systemtest::ControlMap controls = orbel.controls();
    QByteArray saved;
    ASSERT_NO_FATAL_FAILURE(recordTheHotkey(orbel, settings, controls, saved));
    xdotool({"mousemove", "--window", terminal, "20", "20", "click", "1"});
    ASSERT_TRUE(controls.find("^Orbel Settings$", "tapBinding/Ctrl+Alt+O")) << "still recording";
    xdotool({"type", "xy"});
    xdotool({"key", "ctrl+u"});
    xdotool({"type", "ls"});
    xdotool({"key", "Return"});
    auto fileText = [&] {
        QFile f(typed);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    EXPECT_TRUE(spinUntil([&] { return fileText() == "ls"; })) << fileText().toStdString();
    EXPECT_EQ(configText(orbel).toStdString(), saved.toStdString());
    EXPECT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().toStdString();
    xdotool({"key", "Escape"});

    settings.activate();
    settings.click("tapBinding");
    ASSERT_TRUE(controls.find("^Orbel Settings$", "tapBinding/Press a key or mouse button now…"));
    xdotool({"set_desktop", "1"});
    EXPECT_TRUE(spinUntil([] { return run("xdotool", {"get_desktop"}) == "1"; }));
    ASSERT_TRUE(controls.find("^Orbel Settings$", "tapBinding/Ctrl+Alt+O")) << "still recording";
    EXPECT_TRUE(orbel.openDial("ctrl+alt+o")) << "no key opens the dial on the other desktop";
    xdotool({"key", "Escape"});
    xdotool({"set_desktop", "0"});
    EXPECT_TRUE(spinUntil([] { return run("xdotool", {"get_desktop"}) == "0"; }));
    EXPECT_EQ(configText(orbel).toStdString(), saved.toStdString());
    settings.close();
    xterm.terminate();
    xterm.waitForFinished(3000);
}

}  // namespace
}  // namespace orbel
