// The modules loaded on first use: found in the build tree, and a missing
// one said so in words rather than crashing the caller.
#include "platform/linux/module_loader.h"

#include <QDir>
#include <gtest/gtest.h>

#include "platform/linux/gio_module.h"
#include "platform/linux/trash_linux.h"
#include "platform/linux/xdg_folders.h"

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
