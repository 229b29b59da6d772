// A process that keeps saving is killed at random moments; the configuration
// file and the active profile's file must always hold one whole document
// that was written, never a torn one.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "config_fixture.h"

using namespace orbel;

namespace {

constexpr const char* kChildDirVariable = "ORBEL_CRASH_CHILD_DIR";

AppConfig iteration(int n) {
    AppConfig c = orbel::testing::withSnippets(6, "iteration " + std::to_string(n) + " slot ");
    for (auto& slot : c.rootGroup.slots) slot.title = std::string(static_cast<std::size_t>(n % 50 + 1), 'x');
    c.menuRadius = 50 + n % 900;  // sizes vary between writes
    return c;
}

// The file holds exactly the bytes of one of the written iterations.
::testing::AssertionResult holdsAWrittenIteration(const std::string& path) {
    const std::string bytes = orbel::testing::readFile(path);
    const auto at = bytes.find("iteration ");
    if (at != std::string::npos && bytes == iteration(std::atoi(bytes.c_str() + at + 10)).encodeDocument()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << path << ":\n" << bytes.substr(0, 200);
}

}  // namespace

// The body of the child process; skipped in a normal run.
TEST(ConfigCrash, ChildSavesUntilKilled) {
    const char* dir = std::getenv(kChildDirVariable);
    if (!dir) GTEST_SKIP() << "runs only as the crash test's child process";
    fakes::FakeKeyValueStore defaults;
    fakes::ReplaceShared<platform::KeyValueStore> useDefaults{defaults};
    ConfigManager manager(std::string(dir) + "/config.json", ProfileStore(std::string(dir) + "/profiles"));
    // Marked once loaded: a profile named at a start without config.json
    // but with no file of its own is no longer active.
    defaults.setString(ConfigManager::kActiveProfileKey, "Crash");
    int n = QRandomGenerator::global()->bounded(100000);
    for (bool announced = false;; ++n) {
        manager.setConfig(iteration(n));
        manager.save();
        if (n % 4 == 0) manager.flushSaves();
        if (!announced) {
            manager.flushSaves();
            std::puts("ready");
            std::fflush(stdout);
            announced = true;
        }
    }
}

TEST(ConfigCrash, KilledSaverNeverLeavesATornFile) {
    if (std::getenv(kChildDirVariable)) GTEST_SKIP();
    QTemporaryDir dir;
    const int runs = std::getenv("ORBEL_CRASH_RUNS") ? std::atoi(std::getenv("ORBEL_CRASH_RUNS")) : 200;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildDirVariable, dir.path());
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");  // the run's own kept
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=ConfigCrash.ChildSavesUntilKilled", "--gtest_brief=1"});
        ASSERT_TRUE(child.waitForStarted(10000));
        while (!child.canReadLine() && child.state() == QProcess::Running) child.waitForReadyRead(100);
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAll().toStdString();
        QThread::usleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(1000, 60000)));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(10000));
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_TRUE(holdsAWrittenIteration(dir.filePath("config.json").toStdString()));
        ASSERT_TRUE(holdsAWrittenIteration(dir.filePath("profiles/Crash.json").toStdString()));
    }
}
