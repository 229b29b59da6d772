// The real `orbel` started a second time while one runs: the session's
// autostart (`--login-item`) leaves the running one as it is, a user's second
// start opens its dial.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::kOrbel;
using systemtest::Orbel;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

TEST(SecondStartSystem, ASecondStartAtLoginShowsNothingAndAPlainOneOpensTheDial) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    orbel.startWith({"--login-item"});  // a restored session brought it back
    ASSERT_TRUE(orbel.waitForLog("step first dial"));
    for (const QStringList& arguments : {QStringList{"--login-item"}, QStringList{}}) {
        QProcess second;
        orbel.start(second, arguments);
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitCode(), 0) << arguments.join(' ').toStdString();
    }
    // The plain start's request comes after whatever the one at login asked.
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible")) << orbel.log().toStdString();
    spin(300);
    EXPECT_EQ(orbel.count("ReopenRequested"), 1) << orbel.log().toStdString();
    EXPECT_EQ(orbel.count("ShowMenuVisible"), 1);
    xdotool({"key", "Escape"});
    EXPECT_TRUE(orbel.waitForLog("HideMenuComplete"));
}

// Orbel upgraded while it runs: the one running is another version, which
// takes the paths as strings only. A start hands its files (or its request
// to show itself) over in that form; a name no string can carry (not UTF-8)
// is refused, and the start says so in plain words and fails.
TEST(SecondStartSystem, AHandOverToAnotherVersionIsRetriedOrSaid) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
    systemtest::Program other(QStringLiteral("orbel_other_version"));
    ASSERT_TRUE(other.waitForLine("ready"));
    Orbel orbel(Orbel::Deferred{});  // its folder and environment only
    const QString file = orbel.home() + "/Caf\u00e9 backup.orbelbackup";
    const auto startWith = [&](const QStringList& arguments, QString* said = nullptr) {
        QProcess start;
        start.setProcessChannelMode(QProcess::MergedChannels);
        orbel.start(start, arguments);
        EXPECT_TRUE(start.waitForFinished(10000));
        if (said) *said = QString::fromUtf8(start.readAll());
        return start.exitStatus() == QProcess::NormalExit ? start.exitCode() : -1;
    };
    EXPECT_EQ(startWith({file}), 0);
    EXPECT_TRUE(other.waitForLine(("Open " + file).toStdString()));
    EXPECT_EQ(startWith({}), 0);
    EXPECT_TRUE(other.waitForLine("Open"));

    // The name's bytes as the file system has them, made by the shell.
    orbel.setLauncher({"sh", "-c", R"sh(exec "$0" "$(printf '%s/caf\351.orbelbackup' "$HOME_FOLDER")")sh"});
    orbel.setEnvironment("HOME_FOLDER", orbel.home());
    QString said;
    EXPECT_NE(startWith({}, &said), 0);
    EXPECT_TRUE(said.contains("The Orbel already running is another version and could not open the files. Quit "
                              "Orbel, start it again, then open them again."))
        << said.toStdString();
    EXPECT_FALSE(said.contains("No such method")) << said.toStdString();
    spin(300);
    EXPECT_EQ(other.lines().size(), 3u);  // "ready" and the two hand-overs
}

// The running Orbel (or whatever holds its name) takes the request and
// never answers: the start gives up when the hand-over's time is over, says
// so and fails, starting nothing.
TEST(SecondStartSystem, AHandOverNeverAnsweredIsSaidAndFails) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
    systemtest::Program hung(QStringLiteral("orbel_other_version"), {QStringLiteral("--never-answer")});
    ASSERT_TRUE(hung.waitForLine("ready"));
    Orbel orbel(Orbel::Deferred{});
    const QString file = orbel.home() + "/Hung.orbelbackup";
    QProcess start;
    start.setProcessChannelMode(QProcess::MergedChannels);
    orbel.start(start, {file});
    EXPECT_TRUE(hung.waitForLine(("Open " + file).toStdString(), 30000));
    ASSERT_TRUE(spinUntil([&] { return start.state() == QProcess::NotRunning; }, 30000)) << "it started instead";
    EXPECT_EQ(start.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(start.exitCode(), 1);
    const QString said = QString::fromUtf8(start.readAll());
    EXPECT_TRUE(said.contains("Orbel is already running but did not answer")) << said.toStdString();
}

// The other way round: this version runs, and another one hands it a
// request with the paths as strings, which it takes: none shows the dial,
// a backup's path opens its restore sheet.
TEST(SecondStartSystem, TheRunningOrbelTakesPathsAsStrings) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    orbel.startWith({"--login-item"});
    ASSERT_TRUE(orbel.waitForLog("step first dial"));
    const auto open = [](const QStringList& files) {
        auto call = QDBusMessage::createMethodCall("com.quandelvix.orbel", "/com/quandelvix/orbel",
                                                   "com.quandelvix.orbel", "Open");
        call << files;
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    };
    open({});
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible")) << orbel.log().toStdString();
    EXPECT_EQ(orbel.count("ReopenRequested"), 1);
    xdotool({"key", "Escape"});
    EXPECT_TRUE(orbel.waitForLog("HideMenuComplete"));

    const QString name = QStringLiteral("Caf\u00e9 \u00fcber backup.orbelbackup");
    systemtest::writeFile(orbel.home() + "/" + name, QByteArray::fromStdString(systemtest::backupBytes()));
    open({orbel.home() + "/" + name});
    ASSERT_TRUE(systemtest::restoreSheetShows()) << orbel.log().toStdString();
    EXPECT_TRUE(orbel.controls().find("^Restore from backup$", name)) << orbel.log().toStdString();
    systemtest::savePicture("second-start-backup-opened-from-strings");
    systemtest::closeRestoreSheet();
    EXPECT_EQ(orbel.stop(), 0);
}

}  // namespace
}  // namespace orbel
