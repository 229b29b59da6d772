// The real `orbel` and a user's hand-written configuration: a profile slot
// switches away and back without losing the dial, and a file Orbel cannot
// use is kept beside it and explained in an alert.
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <gtest/gtest.h>

#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::labelText;
using systemtest::Orbel;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

class ConfigSurvival : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    }
    // Points at wedge 0 (straight up) of the dial at the screen's centre
    // and clicks it.
    static void clickTopWedge(Orbel& orbel) {
        const int from = int(orbel.log().size());
        xdotool({"mousemove", "960", "540"});
        xdotool({"mousemove", "960", "410"});
        ASSERT_TRUE(orbel.waitForLog("HoverUpdated slot=0", from));
        xdotool({"click", "1"});
    }
};

TEST_F(ConfigSurvival, AHandWrittenDialSurvivesSwitchingToAProfileAndBack) {
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", R"({"hotkey": "ctrl+opt+o", "showInTray": false, "menu": [
        {"type": {"profileTarget": "Work"}, "title": "To Work"},
        {"snippet": "mine one", "title": "Mine"}, {"snippet": "mine two", "title": "Also mine"}]})");
    orbel.write("profiles/Work.json", R"({"hotkey": "ctrl+opt+o", "showInTray": false, "menu": [
        {"type": {"profileTarget": "Default"}, "title": "Back"}, {"snippet": "work only", "title": "Work"}]})");
    orbel.start();
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    clickTopWedge(orbel);
    ASSERT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("work only"); }));
    EXPECT_TRUE(orbel.read("profiles/Default.json").contains("mine two"));
    ASSERT_TRUE(orbel.waitForLog("HideMenuComplete"));

    xdotool({"key", "ctrl+alt+o"});
    ASSERT_TRUE(spinUntil([&] { return orbel.count("ShowMenuVisible") == 2; }));
    clickTopWedge(orbel);
    ASSERT_TRUE(spinUntil([&] { return orbel.read("config.json").contains("mine two"); }));
    const QByteArray back = orbel.read("config.json");
    EXPECT_TRUE(back.contains("mine one") && back.contains("\"profileTarget\" : \"Work\"")) << back.toStdString();

    // Each line once, and no hint for a Logitech mouse that is not there.
    spin(3500);
    EXPECT_EQ(orbel.count("[orbel-hidpp] starting"), 1) << orbel.log().toStdString();
    EXPECT_EQ(orbel.count("no Logitech devices"), 0);
}

TEST_F(ConfigSurvival, ABrokenFileIsKeptBesideItAndExplained) {
    const QByteArray broken = R"({"hotkey": "ctrl+opt+o", "menu": [{"snippet": "x"}, {"teleport": "home"}]})";
    Orbel orbel(broken);
    ASSERT_TRUE(spinUntil([&] { return !systemtest::visibleDialogs().isEmpty(); }, 10000));
    // The original stays beside the defaults, byte for byte.
    const QStringList kept = QDir(orbel.configDir()).entryList({"config.json.backup.*"}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    // Named by the seconds since 1970: "config.json.backup.1765185123.456789".
    EXPECT_TRUE(QRegularExpression("^config\\.json\\.backup\\.[0-9]+\\.[0-9]+$").match(kept.front()).hasMatch())
        << kept.front().toStdString();
    EXPECT_EQ(orbel.read(kept.front()), broken);
    EXPECT_TRUE(orbel.read("config.json").contains("\"hotkey\" : \"opt+space\""));

    // A picture of the screen for a person to read the alert (the
    // defaults' hot key meets openbox's, so that alert is up too).
    spin(500);
    if (orbel.count("ShowMenuVisible") > orbel.count("HideMenuComplete")) xdotool({"key", "Escape"});
    spin(500);
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/system");
    EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(
        ORBEL_BINARY_DIR "/test-artifacts/system/broken-configuration-alert.png"));
}

// Files that saves killed half-way left beside config.json: those holding
// Orbel's own bytes (its unfinished write, or what config.json holds) are
// cleared at the start; one that may hold another program's save is named
// in an alert, once.
TEST_F(ConfigSurvival, FilesUnfinishedSavesLeftAreClearedOrNamedOnce) {
    Orbel orbel(Orbel::Deferred{});
    const QByteArray mine = R"("menu": [{"snippet": "mine", "title": "Mine"}]})";
    const QByteArray config = R"({"hotkey": "ctrl+opt+o", "showInTray": false, )" + mine;
    const QByteArray unfinished = R"({"hotkey": "ctrl+opt+o", "showInTray": true, )" + mine;
    const QByteArray theirs = R"({"hotkey": "ctrl+opt+o", "menu": [{"snippet": "theirs", "title": "Theirs"}]})";
    // As a save names them: the digests of its bytes and of those it replaced.
    const auto digests = [](const QByteArray& written, const QByteArray& replaced) {
        const auto digits = [](const QByteArray& b) {
            return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha256).toHex().left(12));
        };
        return "-" + digits(written) + "-" + digits(replaced);
    };
    orbel.write("config.json", config);
    orbel.write("config.json.kept-a1b2c3" + digests(unfinished, config), unfinished);
    orbel.write("config.json.kept-d4e5f6" + digests(unfinished, unfinished), config);
    orbel.write("config.json.kept-g7h8i9" + digests(config, unfinished), theirs);
    // Left a while ago: no save of a running Orbel is renaming them.
    ASSERT_TRUE(spinUntil([&] {
        return QFileInfo(orbel.configDir() + "/config.json").metadataChangeTime().secsTo(QDateTime::currentDateTime()) >
               3;
    }, 10000));
    orbel.start();
    ASSERT_TRUE(spinUntil([&] {
        return labelText(orbel, "qt_msgbox_label") == "Orbel kept another program's save aside";
    })) << orbel.log().toStdString();
    const QString text = labelText(orbel, "qt_msgbox_informativelabel");
    EXPECT_TRUE(text.endsWith("In " + orbel.configDir() + ": config.json holds the configuration in use; the "
                              "replaced file is kept as config.json.kept-g7h8i9."))
        << text.toStdString();
    spin(300);
    systemtest::savePicture("left-aside-at-start-alert");
    EXPECT_EQ(QDir(orbel.configDir()).entryList({"config.json*"}, QDir::Files, QDir::Name),
              (QStringList{"config.json", "config.json.kept-g7h8i9"}));
    EXPECT_EQ(orbel.read("config.json.kept-g7h8i9"), theirs);
    const QStringList alerts = systemtest::visibleDialogs();
    ASSERT_EQ(alerts.size(), 1);
    xdotool({"windowactivate", "--sync", alerts.front(), "key", "Return"});
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible")) << orbel.log().toStdString();
    xdotool({"key", "Escape"});
    EXPECT_EQ(orbel.stop(), 0);

    // The next start names it no more.
    const int from = int(orbel.log().size());
    orbel.start();
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible", from)) << orbel.log().toStdString();
    EXPECT_TRUE(systemtest::visibleDialogs().isEmpty());
    EXPECT_EQ(orbel.read("config.json.kept-g7h8i9"), theirs);
}

// Orbel starts while another program writes config.json in place: the half
// it reads is neither kept as a broken file nor written over; the start
// waits for the whole save, and uses it.
TEST_F(ConfigSurvival, AStartDuringASlowInPlaceWriteUsesTheWholeSave) {
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", R"({"hotkey": "ctrl+opt+o", "menu": [{"snippet": "before", "title": "Before"}]})");
    const QByteArray outside = R"({"hotkey": "ctrl+opt+o", "showInTray": false, "menu": [
        {"snippet": "outside one", "title": "Outside"}, {"snippet": "outside two", "title": "Two"}]})";
    systemtest::SlowInPlaceWriter writer(orbel.configDir() + "/config.json", outside);
    ASSERT_TRUE(writer.opened());
    orbel.start();
    ASSERT_TRUE(orbel.waitForLog("waiting for the configuration file to be written whole")) << orbel.log().toStdString();
    writer.finish();
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible")) << orbel.log().toStdString();
    EXPECT_EQ(orbel.read("config.json"), outside);
    EXPECT_EQ(QDir(orbel.configDir()).entryList({"config.json.backup.*"}, QDir::Files), QStringList());
    EXPECT_TRUE(systemtest::visibleDialogs().isEmpty());
    // Its hot key is the one armed.
    ASSERT_TRUE(orbel.openDial("ctrl+alt+o"));
    xdotool({"key", "Escape"});
}

// config.json is a link to a file that is not there (a share not mounted
// yet): the start tells what is wrong at once and keeps the link aside, the
// active profile stands in, and its hot key opens the dial.
TEST_F(ConfigSurvival, ALinkToAMissingFileIsToldAtOnceAndTheDialWorks) {
    Orbel orbel(Orbel::Deferred{});
    orbel.write("orbel.ini", "[General]\norbel.activeProfile=Work\n");
    orbel.write("profiles/Work.json", R"({"hotkey": "ctrl+opt+o", "showInTray": false, "menu": [
        {"snippet": "work only", "title": "Work"}]})");
    ASSERT_TRUE(QFile::link(orbel.home() + "/share/orbel/config.json", orbel.configDir() + "/config.json"));
    orbel.start();
    QString text;
    ASSERT_TRUE(spinUntil([&] {
        for (const auto& c : orbel.controls().controls())
            if (c.name == "qt_msgbox_informativelabel") text = c.text;
        return !text.isEmpty();
    }, 10000)) << orbel.log().toStdString();
    EXPECT_TRUE(text.contains("which does not exist")) << text.toStdString();
    EXPECT_TRUE(text.contains("Work")) << text.toStdString();
    spin(500);
    systemtest::savePicture("dangling-link-alert");
    const QStringList kept = QDir(orbel.configDir()).entryList({"config.json.backup.*"}, QDir::System);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(QFileInfo(orbel.configDir() + "/" + kept.front()).isSymLink());
    EXPECT_TRUE(orbel.read("config.json").contains("work only"));
    EXPECT_EQ(orbel.count("waiting for the configuration file"), 0);  // judged, not waited for
    xdotool({"windowactivate", "--sync", systemtest::visibleDialogs().value(0)});
    xdotool({"key", "Return"});
    ASSERT_TRUE(orbel.dismissStartDial()) << orbel.log().toStdString();
    ASSERT_TRUE(orbel.openDial("ctrl+alt+o")) << orbel.log().toStdString();
    xdotool({"key", "Escape"});
}

}  // namespace
}  // namespace orbel
