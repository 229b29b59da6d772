// The installed applications through GIO's index, in a private XDG tree.
#include "platform/linux/app_index.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/app_directory.h"
#include "support/test_files.h"
#include "support/xdg_tree.h"

namespace orbel::platform::gio {
namespace {

using orbel::testing::writeFile;

class AppIndexTest : public ::testing::Test {
protected:
    void entry(const QString& folder, const char* id, const QByteArray& keys) {
        writeFile(xdg.root() + "/" + folder + "/applications/" + id + ".desktop",
                  "[Desktop Entry]\nType=Application\nName=" + QByteArray(id) + "\n" + keys);
    }
    // GIO hears of changed entries a moment later; the event loop brings the news.
    static bool settles(const std::function<bool()>& done) { return QTest::qWaitFor(done, 5000); }
    orbel::testing::XdgFixture xdg;
};

TEST_F(AppIndexTest, ReadsEntriesAndStandsInForTheStockDialsIdentifiers) {
    entry("data", "zed", "Exec=env GDK_BACKEND=x11 /usr/bin/true --x %U\nStartupWMClass=Zed\nIcon=zed-icon\n");
    entry("data", "Alpha", "Exec=true\n");
    entry("data", "helper", "Exec=true\nNoDisplay=true\n");
    entry("data", "hidden", "Exec=true\nHidden=true\n");
    entry("data", "broken", "Exec=/no/such/program\n");
    entry("usr", "zed", "Exec=false\nName=System zed\n");  // shadowed by the user's entry
    entry("usr", "web", "Exec=true\nMimeType=x-scheme-handler/https;\n");
    entry("usr", "term-a", "Exec=true\nCategories=System;TerminalEmulator;\n");
    entry("usr", "term-b", "Exec=true\nCategories=TerminalEmulator;\n");
    entry("usr", "gnome-control-center", "Exec=true\n");
    entry("usr", "plain-editor", "Exec=true\nMimeType=text/plain;\n");
    writeFile(xdg.root() + "/config/mimeapps.list", "[Default Applications]\nx-scheme-handler/https=web.desktop\n");

    const std::vector<std::string> menu{"Alpha", "gnome-control-center", "plain-editor", "term-a", "term-b", "web", "zed"};
    std::vector<std::string> listed;
    EXPECT_TRUE(settles([&] {
        listed.clear();
        for (const auto& app : AppDirectory::shared().allApps()) listed.push_back(app.id);
        return listed == menu;
    })) << ::testing::PrintToString(listed);

    AppIndex& index = AppIndex::shared();
    auto zed = index.resolve("zed");
    ASSERT_TRUE(zed);
    EXPECT_EQ(zed->program.toStdString(), "true");  // behind env
    EXPECT_EQ(zed->startupWMClass, "Zed");
    EXPECT_EQ(zed->icon, "zed-icon");
    EXPECT_EQ(zed->location, xdg.root() + "/data/applications/zed.desktop");
    for (const char* missing : {"hidden", "broken", "nothing", "../usr/applications/web", "com.apple.Notes"})
        EXPECT_FALSE(index.resolve(missing)) << missing;
    const std::pair<const char*, const char*> standIns[] = {
        {"com.apple.Safari", "web"},
        {"com.apple.TextEdit", "plain-editor"},
        {"com.apple.Terminal", "term-a"},
        {"com.apple.systempreferences", "gnome-control-center"}};
    for (const auto& [foreign, id] : standIns) EXPECT_EQ(index.resolve(foreign).value_or(AppRecord{}).id.toStdString(), id) << foreign;
    EXPECT_FALSE(index.resolve("com.apple.finder"));  // no file manager here
}

TEST_F(AppIndexTest, TheTerminalListsChooseTheTerminal) {
    entry("usr", "term-a", "Exec=true\nCategories=TerminalEmulator;\n");
    entry("usr", "term-b", "Exec=true\nCategories=TerminalEmulator;\n");
    entry("usr", "term-c", "Exec=true\n");
    writeFile(xdg.root() + "/config/xdg-terminals.list", "# mine\n-term-c.desktop\nnot-installed.desktop\n+term-b:new-window\n");
    auto terminal = [] { return AppIndex::shared().resolve("com.apple.Terminal").value_or(AppRecord{}).id.toStdString(); };
    EXPECT_TRUE(settles([&] { return terminal() == "term-b"; })) << terminal();
}

}  // namespace
}  // namespace orbel::platform::gio
