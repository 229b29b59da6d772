// The real `orbel` and the files beside its configuration: a start removes
// what saves killed half-way left (in the folder and among the profiles),
// and nothing else: not a person's files named like temporary ones, not a
// save another Orbel is still writing.
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/file.h>

#include "orbel_process.h"
#include "support/test_files.h"

namespace orbel {
namespace {

using systemtest::Orbel;
using systemtest::spinUntil;
using testing::endedProcess;

TEST(SaveTemporaries, AStartRemovesOnlyWhatKilledSavesLeft) {
    ORBEL_REQUIRE_DISPLAY();
    if (!QFile::exists(systemtest::kOrbel)) GTEST_SKIP() << "orbel is not built";
    Orbel orbel(Orbel::Deferred{});
    const QByteArray config = R"({"hotkey": "ctrl+opt+o", "menu": [{"snippet": "mine", "title": "Mine"}]})";
    orbel.write("config.json", config);
    orbel.write("profiles/Work.json", config);
    const QString killed = QStringLiteral(".orbel-save-%1-").arg(endedProcess());
    const QStringList stale = {killed + "k2j3h4g5f6d7.tmp", "profiles/" + killed + "p1p1p1p1p1p1.tmp"};
    const QString inProgress = killed + "w1w1w1w1w1w1.tmp";  // another Orbel's, its pid not ours to see
    const QStringList kept = {"config.json.old.tmp", "config.json.mine.tmp", "config.json.2.tmp",
                              "config.json.backup.tmp", "profiles/Work.json.1.tmp", inProgress};
    for (const QString& name : stale + kept) orbel.write(name, "x");
    const int writer = ::open(QFile::encodeName(orbel.configDir() + "/" + inProgress).constData(), O_RDONLY);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    // Left a while ago (its change time is the later one), as a killed
    // save's file is by the next start.
    const auto left = [&](const QString& name) {
        return QFileInfo(orbel.configDir() + "/" + name).metadataChangeTime().secsTo(QDateTime::currentDateTime()) > 3;
    };
    ASSERT_TRUE(spinUntil([&] { return std::all_of(stale.begin(), stale.end(), left); }, 10000));

    orbel.start();
    ASSERT_TRUE(orbel.waitForLog("ShowMenuVisible"));
    for (const QString& name : stale) EXPECT_FALSE(QFile::exists(orbel.configDir() + "/" + name)) << name.toStdString();
    for (const QString& name : kept) EXPECT_EQ(orbel.read(name), "x") << name.toStdString();
    EXPECT_TRUE(orbel.read("config.json").contains("mine"));
    ::close(writer);
}

}  // namespace
}  // namespace orbel
