// The real `orbel` and its options: --help and --version print and end,
// starting nothing, and an option it does not know is refused before it
// starts or reaches a running Orbel; a file named "./-name" is still a file.
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::kOrbel;
using systemtest::Orbel;
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

}  // namespace
}  // namespace orbel
