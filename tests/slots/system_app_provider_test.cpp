#include "slots/system_app_provider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "fakes/fake_platform_basics.h"
#include "fakes/fake_system_platform.h"
#include "platform/app_directory.h"

namespace orbel {
namespace {

std::vector<std::string> names(const std::vector<AppInfo>& apps) {
    std::vector<std::string> out;
    for (const auto& a : apps) out.push_back(a.name);
    return out;
}

std::vector<std::string> bundleIds(const std::vector<AppInfo>& apps) {
    std::vector<std::string> out;
    for (const auto& a : apps) out.push_back(a.bundleId);
    return out;
}

class SystemAppProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        user = tmp.path() + "/home/applications";
        system = tmp.path() + "/usr/applications";
        writeEntry(user + "/org.mozilla.firefox.desktop", "Name=Mozilla Firefox\nIcon=firefox\n");
        writeEntry(system + "/org.mozilla.firefox.desktop", "Name=Firefox (system)\n");
        writeEntry(system + "/files.desktop", "Name=files\nIcon=folder\n");
        writeEntry(system + "/Files.desktop", "Name=Files\n");
        writeEntry(system + "/editor.desktop", "Name=Éditeur\n");
        writeEntry(system + "/zed.desktop", "Name=zed\n");

        // Found under its own identifier: listed under the list's name.
        workspace.installed["org.mozilla.firefox"] = {"org.mozilla.firefox", (user + "/org.mozilla.firefox.desktop").toStdString(),
                                                      "firefox", "Mozilla Firefox"};
        // Installed only in the workspace's view (no desktop entry in the tree).
        workspace.install("com.apple.calculator", "GNOME Calculator");
        // A stand-in: the workspace answers with the default file manager.
        workspace.installed["com.apple.finder"] = {"files", (system + "/files.desktop").toStdString(), "folder", "files"};
    }

    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    static void writeEntry(const QString& path, const QByteArray& body) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Desktop Entry]\nType=Application\nExec=true\n" + body);
    }

    std::unique_ptr<platform::AppDirectory> directory() {
        return platform::makeAppDirectory(
            {user.toStdString(), (tmp.path() + "/missing/applications").toStdString(), system.toStdString()});
    }

    QTemporaryDir tmp;
    QString user, system;
    fakes::FakeWorkspace workspace;
    fakes::FakeMainQueue mainQueue;
};

TEST_F(SystemAppProviderTest, MergesListsAndScanEachIdentifierOnceSortedByName) {
    auto dir = directory();
    SystemAppProvider provider(&workspace, dir.get(), &mainQueue);
    auto apps = provider.allApps();

    // Firefox appears once, under the list's name; the stand-in for Finder is
    // not offered as "Finder"; names that differ only in case (files, Files)
    // sit together in the order the scan gave them; accents sort with their
    // base letter.
    EXPECT_EQ(names(apps), (std::vector<std::string>{"Calculator", "Éditeur", "Files", "files", "Firefox", "zed"}));
    EXPECT_EQ(bundleIds(apps), (std::vector<std::string>{"com.apple.calculator", "editor", "Files", "files",
                                                         "org.mozilla.firefox", "zed"}));
    const AppInfo& firefox = apps[4];
    EXPECT_EQ(firefox.icon, "firefox");
    EXPECT_EQ(firefox.url, "file://" + (user + "/org.mozilla.firefox.desktop").toStdString());
    for (const auto& a : apps) EXPECT_FALSE(a.id.isNil()) << a.name;
}

TEST_F(SystemAppProviderTest, BuiltInListsHoldOnlyInstalledRowsAndAreAskedAgainEachCall) {
    auto dir = directory();
    SystemAppProvider provider(&workspace, dir.get(), &mainQueue);
    auto system1 = provider.systemApps();
    EXPECT_EQ(names(system1), (std::vector<std::string>{"Calculator"}));
    EXPECT_EQ(names(provider.thirdPartyApps()), (std::vector<std::string>{"Firefox"}));

    workspace.install("com.apple.Terminal", "Console");
    auto system2 = provider.systemApps();
    EXPECT_EQ(names(system2), (std::vector<std::string>{"Calculator", "Terminal"}));
    EXPECT_NE(system2[0].id, system1[0].id);  // a new record each time
}

TEST_F(SystemAppProviderTest, AllAppsIsMadeOnceAndKeepsItsRecords) {
    auto dir = directory();
    SystemAppProvider provider(&workspace, dir.get(), &mainQueue);
    EXPECT_FALSE(provider.cachedAllApps());
    auto first = provider.allApps();
    workspace.install("com.apple.TextEdit");
    writeEntry(system + "/late.desktop", "Name=Late\n");
    EXPECT_EQ(provider.allApps(), first);  // same records, same ids
    EXPECT_EQ(provider.cachedAllApps(), first);
}

TEST_F(SystemAppProviderTest, ConcurrentFirstCallsShareOneScan) {
    fakes::FakeAppDirectory dir;
    for (int i = 0; i < 200; ++i) dir.apps.push_back({"app" + std::to_string(i), "App " + std::to_string(i), "", "/x"});
    SystemAppProvider provider(&workspace, &dir, &mainQueue);
    std::vector<std::vector<AppInfo>> results(8);
    std::vector<std::thread> threads;
    for (auto& r : results) threads.emplace_back([&provider, &r] { r = provider.allApps(); });
    for (auto& t : threads) t.join();
    EXPECT_EQ(dir.scans, 1);
    EXPECT_EQ(results.front().size(), 202u);
    for (const auto& r : results) EXPECT_EQ(r, results.front());
}

TEST_F(SystemAppProviderTest, LoadHandsTheListsBackOnTheMainQueueEvenAfterTheProviderIsGone) {
    auto dir = directory();
    std::optional<AppLists> received;
    {
        SystemAppProvider provider(&workspace, dir.get(), &mainQueue);
        provider.load([&](AppLists lists) { received = std::move(lists); });
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (mainQueue.pending() == 0 && std::chrono::steady_clock::now() < deadline) QThread::msleep(5);
    ASSERT_FALSE(received);  // nothing is delivered until the main queue runs
    mainQueue.runAll();
    ASSERT_TRUE(received);
    EXPECT_EQ(received->all.size(), 6u);
    EXPECT_EQ(names(received->system), (std::vector<std::string>{"Calculator"}));
    EXPECT_EQ(names(received->thirdParty), (std::vector<std::string>{"Firefox"}));
}

}  // namespace
}  // namespace orbel
