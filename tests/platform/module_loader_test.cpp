// The modules loaded on first use: found in the build tree by a program run
// from it, only in its installation by an installed one, and a missing one
// said so in words rather than crashing the caller.
#include "platform/linux/module_loader.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/linux/gio_module.h"
#include "platform/linux/trash_linux.h"
#include "platform/linux/xdg_folders.h"
#include "support/test_files.h"

namespace orbel::platform {
namespace {

TEST(Modules, TheGioModuleLoadsOnceAndAMissingModuleIsNamed) {
    QString why;
    const gio::ModuleFunctions* gio = gio::module(&why);
    ASSERT_TRUE(gio) << why.toStdString();
    EXPECT_EQ(gio::module(), gio);
    EXPECT_FALSE(gio->launch(QDir::tempPath() + "/no-such-entry.desktop", QDir::homePath(), nullptr));
    EXPECT_FALSE(gio->userVolumes().contains("/proc"));  // the system's own mounts are left out

    EXPECT_EQ(loadModuleSymbol("orbel-nothing.so", "orbel_nothing", &why), nullptr);
    EXPECT_EQ(why, "The module orbel-nothing.so is missing.");
    EXPECT_EQ(loadModuleSymbol("orbel-gio.so", "orbel_no_such_symbol", &why), nullptr);
    EXPECT_TRUE(why.contains("orbel_no_such_symbol")) << why.toStdString();
}

// A copy of a program that loads orbel-http.so, run from a temporary
// installation prefix and from the build tree.
TEST(Modules, AnInstalledProgramLoadsModulesFromItsInstallationOnly) {
    const auto run = [](const QString& program) {
        QProcess probe;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");  // the run's own kept
        probe.setProcessEnvironment(env);
        probe.start(program, {});
        return probe.waitForFinished(30000) ? probe.readAllStandardOutput().trimmed().toStdString() : std::string();
    };
    const QString built = ORBEL_BINARY_DIR "/tests/orbel_module_probe";
    EXPECT_EQ(run(built), "loaded " ORBEL_BINARY_DIR "/src/orbel-http.so");

    QTemporaryDir prefix;
    const QString installed = prefix.filePath("bin/orbel_module_probe"), module = prefix.filePath("lib/orbel/orbel-http.so");
    ASSERT_TRUE(QDir().mkpath(prefix.filePath("bin")) && QDir().mkpath(prefix.filePath("lib/orbel")));
    ASSERT_TRUE(QFile::copy(built, installed));
    EXPECT_EQ(run(installed), "not loaded: The module orbel-http.so is missing.");
    testing::writeFile(module, "not a library");
    const std::string broken = run(installed);
    EXPECT_TRUE(broken.starts_with("not loaded: ") && broken.find(module.toStdString()) != std::string::npos) << broken;
    ASSERT_TRUE(QFile::remove(module) && QFile::copy(ORBEL_BINARY_DIR "/src/orbel-http.so", module));
    EXPECT_EQ(run(installed), "loaded " + module.toStdString());
}

TEST(XdgFolders, TheTrashFollowsTheDataHomeOfTheMoment) {
    const QByteArray before = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/somewhere/data");
    EXPECT_EQ(trashFolders({}), QStringList{"/somewhere/data/Trash"});
    qputenv("XDG_DATA_HOME", "relative/data");  // not absolute: the default
    EXPECT_EQ(xdg::dataHome(), QDir::homePath() + "/.local/share");
    qputenv("XDG_DATA_HOME", before);
}

}  // namespace
}  // namespace orbel::platform
