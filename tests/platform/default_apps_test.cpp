#include "platform/linux/default_apps.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/test_files.h"

namespace orbel::platform::xdg {
namespace {

using orbel::testing::writeFile;

class DefaultAppsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dirs.configHome = tmp.path() + "/config";
        dirs.configDirs = {tmp.path() + "/etc-xdg"};
        dirs.dataHome = tmp.path() + "/data";
        dirs.dataDirs = {tmp.path() + "/usr"};
        dirs.currentDesktops = {"openbox"};
    }
    void app(const QString& id, const QByteArray& extra = {}) {
        writeFile(tmp.path() + "/usr/applications/" + id + ".desktop",
                  "[Desktop Entry]\nType=Application\nName=" + id.toUtf8() + "\nExec=" + id.toUtf8() + "\n" + extra);
    }
    QString idFor(const QString& mime) {
        auto e = DefaultApps(dirs).defaultFor(mime);
        return e ? e->id : QString();
    }
    QString idFor(AppRole role) {
        auto e = DefaultApps(dirs).entryFor(role);
        return e ? e->id : QString();
    }

    QTemporaryDir tmp;
    BaseDirs dirs;
};

TEST_F(DefaultAppsTest, MimeappsFilesComeInPrecedenceOrder) {
    QString t = tmp.path();
    EXPECT_EQ(DefaultApps(dirs).mimeappsFiles(),
              (QStringList{t + "/config/openbox-mimeapps.list", t + "/config/mimeapps.list",
                           t + "/etc-xdg/openbox-mimeapps.list", t + "/etc-xdg/mimeapps.list",
                           t + "/data/applications/openbox-mimeapps.list", t + "/data/applications/mimeapps.list",
                           t + "/usr/applications/openbox-mimeapps.list", t + "/usr/applications/mimeapps.list"}));
}

TEST_F(DefaultAppsTest, TheFirstInstalledDefaultWins) {
    app("firefox");
    app("chromium");
    writeFile(tmp.path() + "/usr/applications/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/https=chromium.desktop\n");
    EXPECT_EQ(idFor("x-scheme-handler/https"), "chromium");
    // The user's choice, even listing an uninstalled browser first.
    writeFile(tmp.path() + "/config/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/https=not-installed.desktop;firefox.desktop;\n");
    EXPECT_EQ(idFor("x-scheme-handler/https"), "firefox");
    // A desktop-specific list beats the general one.
    writeFile(tmp.path() + "/config/openbox-mimeapps.list", "[Default Applications]\nx-scheme-handler/https=chromium\n");
    EXPECT_EQ(idFor("x-scheme-handler/https"), "chromium");
}

TEST_F(DefaultAppsTest, WithoutADefaultAddedThenDeclaredAssociationsCountUnlessRemoved) {
    app("aaa-viewer", "MimeType=text/plain;\n");
    app("zz-editor", "MimeType=text/plain;\n");
    app("added-editor");
    EXPECT_EQ(idFor("text/plain"), "aaa-viewer");  // declared, folder then id order
    writeFile(tmp.path() + "/config/mimeapps.list", "[Removed Associations]\ntext/plain=aaa-viewer.desktop\n");
    EXPECT_EQ(idFor("text/plain"), "zz-editor");
    writeFile(tmp.path() + "/config/mimeapps.list",
              "[Added Associations]\ntext/plain=added-editor.desktop;\n[Removed Associations]\ntext/plain=aaa-viewer\n");
    EXPECT_EQ(idFor("text/plain"), "added-editor");
    EXPECT_EQ(idFor("image/png"), "");
}

TEST_F(DefaultAppsTest, RolesUseTheirMimeTypesAndTheTerminalLists) {
    app("browser", "MimeType=x-scheme-handler/http;\n");
    app("files", "MimeType=inode/directory;\n");
    app("xterm", "Categories=System;TerminalEmulator;\n");
    app("kitty", "Categories=TerminalEmulator;\n");
    EXPECT_EQ(idFor(AppRole::browser), "browser");
    EXPECT_EQ(idFor(AppRole::fileManager), "files");
    EXPECT_EQ(idFor(AppRole::terminal), "kitty");  // id order among the declared
    EXPECT_EQ(idFor(AppRole::settings), "");
    writeFile(tmp.path() + "/config/xdg-terminals.list", "# mine\n-kitty.desktop\nmissing.desktop\n");
    EXPECT_EQ(idFor(AppRole::terminal), "xterm");
    writeFile(tmp.path() + "/config/xdg-terminals.list", "xterm.desktop:new-window\n");
    EXPECT_EQ(idFor(AppRole::terminal), "xterm");
    app("gnome-control-center");
    EXPECT_EQ(idFor(AppRole::settings), "gnome-control-center");
}

TEST(DefaultApps, OnlyTheStockDialsForeignIdentifiersHaveRoles) {
    EXPECT_EQ(roleForIdentifier("com.apple.Safari"), AppRole::browser);
    EXPECT_EQ(roleForIdentifier("com.apple.systempreferences"), AppRole::settings);
    for (const char* other : {"com.apple.safari", "com.apple.Notes", "firefox", ""})
        EXPECT_FALSE(roleForIdentifier(QString::fromLatin1(other))) << other;
}

}  // namespace
}  // namespace orbel::platform::xdg
