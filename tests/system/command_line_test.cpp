// The real `orbel` and its options: --help and --version print and end,
// starting nothing, and an option it does not know is refused before it
// starts or reaches a running Orbel; a file named "./-name" is still a file.
#include <QFile>
#include <QProcess>
#include <fstream>
#include <gtest/gtest.h>

#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::backupBytes;
using systemtest::closeRestoreSheet;
using systemtest::kOrbel;
using systemtest::Orbel;
using systemtest::restoreSheetShows;
using systemtest::run;

const QByteArray kUsage = "Usage: orbel [--help] [--version] [FILE...]\n";

struct Ended {
    int status = -1;
    QByteArray out, err;
};

// Another `orbel` in the same configuration folder, run to its end.
Ended runToEnd(Orbel& orbel, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(orbel.home());
    orbel.start(process, arguments);
    Ended ended;
    if (!process.waitForFinished(10000)) return ended;  // it started instead
    ended.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ended.out = process.readAllStandardOutput();
    ended.err = process.readAllStandardError();
    return ended;
}

bool settingsWindowExists() { return !run("xdotool", {"search", "--name", "^Orbel Settings$"}).isEmpty(); }

TEST(CommandLineSystem, OptionsAreAnsweredOrRefusedBeforeAnythingStartsOrIsHandedOver) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    const auto expectAnswered = [&](const QString& context) {
        SCOPED_TRACE(context.toStdString());
        const Ended help = runToEnd(orbel, {"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out, kUsage);
        const Ended version = runToEnd(orbel, {"--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, QByteArray("orbel " ORBEL_VERSION "\n"));
        for (const QString& option : {QStringLiteral("-x"), QStringLiteral("--bogus")}) {
            const Ended refused = runToEnd(orbel, {option, "Work.orbelbackup"});
            EXPECT_EQ(refused.status, 2) << option.toStdString();
            EXPECT_EQ(refused.err, "orbel: unrecognized option '" + option.toUtf8() + "'\n" + kUsage);
            EXPECT_TRUE(refused.out.isEmpty());
        }
    };
    expectAnswered("none running");

    orbel.startWith({"--login-item"});
    ASSERT_TRUE(orbel.waitForLog("step first dial")) << orbel.log().toStdString();
    ASSERT_FALSE(settingsWindowExists());
    expectAnswered("one running");
    // A plain start is handed over after whatever those would have been:
    // once it is, none of them opened Settings.
    EXPECT_EQ(runToEnd(orbel, {}).status, 0);
    ASSERT_TRUE(orbel.waitForLog("ReopenRequested")) << orbel.log().toStdString();
    EXPECT_FALSE(settingsWindowExists()) << orbel.log().toStdString();
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    systemtest::xdotool({"key", "Escape"});
    ASSERT_TRUE(orbel.waitForLog("HideMenuComplete"));

    // A file whose name starts with "-" is reached as "./-name".
    systemtest::writeFile(orbel.home() + "/-Shared.orbelbackup", "not a backup");
    EXPECT_EQ(runToEnd(orbel, {"./-Shared.orbelbackup"}).status, 0);
    EXPECT_FALSE(systemtest::waitForWindowNamed("^Orbel Settings$").isEmpty());
    systemtest::spin(500);
    systemtest::savePicture("command-line-dash-file-handed-over");
    EXPECT_EQ(orbel.stop(), 0);
}

// The toolkit's options are the toolkit's, in either form and whatever the
// platform reads: none reaches a running Orbel as a file. One that lacks its
// value, and an empty argument, are refused. After "--" every argument is a
// file, and a file is named by the bytes given, UTF-8 or not.
TEST(CommandLineSystem, OptionsAreTheToolkitsAndFilesAreTheBytesGiven) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    const auto expectRefused = [&](const QString& context) {
        SCOPED_TRACE(context.toStdString());
        for (const char* option : {"-style", "-session", "-display", "-stylesheet", "--platform"}) {
            const Ended refused = runToEnd(orbel, {"Work.orbelbackup", option});
            EXPECT_EQ(refused.status, 2) << option;
            EXPECT_EQ(refused.err, "orbel: option '" + QByteArray(option) + "' requires an argument\n" + kUsage);
        }
        const Ended empty = runToEnd(orbel, {"Work.orbelbackup", ""});
        EXPECT_EQ(empty.status, 2);
        EXPECT_EQ(empty.err, "orbel: empty argument\n" + kUsage);
    };
    expectRefused("none running");
    orbel.startWith({"--login-item"});
    ASSERT_TRUE(orbel.waitForLog("step first dial")) << orbel.log().toStdString();
    expectRefused("one running");

    // Handed over as a plain start (the dial shows), with no file.
    const QList<QStringList> toolkits = {{"-platform", "offscreen", "-display", ":5", "-geometry", "1x1"},
                                         {"--platform", "xcb", "-name", "orbel-two", "-qmljsdebugger=port:3768"},
                                         {"--reverse", "-title", "Two", "--"}};
    for (const QStringList& arguments : toolkits) {
        const int reopened = orbel.count("ReopenRequested"), shown = orbel.count("ShowMenuVisible");
        EXPECT_EQ(runToEnd(orbel, arguments).status, 0) << arguments.join(' ').toStdString();
        ASSERT_TRUE(systemtest::spinUntil([&] { return orbel.count("ReopenRequested") > reopened; }, 10000));
        ASSERT_TRUE(systemtest::spinUntil([&] { return orbel.count("ShowMenuVisible") > shown; }, 10000));
        const int hidden = orbel.count("HideMenuComplete");
        systemtest::xdotool({"key", "Escape"});
        ASSERT_TRUE(systemtest::spinUntil([&] { return orbel.count("HideMenuComplete") > hidden; }));
        EXPECT_FALSE(settingsWindowExists()) << arguments.join(' ').toStdString();
    }

    // A backup named in Latin-1 ("café" with the byte E9), given by a shell
    // as those bytes, opens as one named in UTF-8 does.
    const std::string latin1 = orbel.home().toStdString() + "/caf\xe9.orbelbackup";
    std::ofstream(latin1, std::ios::binary) << backupBytes();
    QProcess shell;
    shell.setWorkingDirectory(orbel.home());
    orbel.setLauncher({"bash", "-c", R"sh(exec "$0" "$(printf 'caf\351.orbelbackup')")sh"});
    orbel.start(shell, {});
    orbel.setLauncher({});
    ASSERT_TRUE(shell.waitForFinished(10000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    ASSERT_TRUE(restoreSheetShows()) << orbel.log().toStdString();
    systemtest::savePicture("command-line-latin1-backup-opened");
    closeRestoreSheet();

    // After "--", a name that starts with "-" is a file.
    systemtest::writeFile(orbel.home() + "/-Dash.orbelbackup", QByteArray::fromStdString(backupBytes()));
    EXPECT_EQ(runToEnd(orbel, {"--", "-Dash.orbelbackup"}).status, 0);
    ASSERT_TRUE(restoreSheetShows()) << orbel.log().toStdString();
    closeRestoreSheet();
    EXPECT_EQ(orbel.stop(), 0);
}

// After "--" a name the toolkit reads is a file, never the toolkit's: a
// first start given "-reverse" lays its windows out left to right, and a
// second one given "-platform x" hands those files over (and ends at once,
// as a handover does) instead of failing for want of that platform.
TEST(CommandLineSystem, NamesAfterTheEndOfOptionsNeverReachTheToolkit) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
    Orbel orbel(Orbel::Deferred{});
    orbel.write("config.json", R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})");
    orbel.startWith({"--", "-reverse"});  // no backup: Settings opens, and says so
    const auto label = orbel.controls().find("^Orbel Settings$", "Show in Tray");
    const auto toggle = orbel.controls().find("^Orbel Settings$", "showInTray");
    ASSERT_TRUE(label && toggle) << orbel.log().toStdString();
    systemtest::savePicture("command-line-reverse-after-dashes");
    EXPECT_LT(label->rect.right(), toggle->rect.left()) << "laid out right to left";

    const Ended platform = runToEnd(orbel, {"--", "-platform", "x"});
    EXPECT_EQ(platform.status, 0) << platform.err.toStdString();
    EXPECT_TRUE(platform.err.isEmpty()) << platform.err.toStdString();
    EXPECT_EQ(orbel.stop(), 0);
}

}  // namespace
}  // namespace orbel
