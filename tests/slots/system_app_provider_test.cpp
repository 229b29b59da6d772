#include "slots/system_app_provider.h"

#include <QLocale>
#include <QObject>
#include <QThread>
#include <chrono>
#include <memory>
#include <gtest/gtest.h>
#include <thread>

#include "fakes/replace_shared.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_system_platform.h"
#include "support/mapped.h"

namespace orbel {
namespace {

std::vector<std::string> names(const std::vector<AppInfo>& apps) { return testing::mapped(apps, &AppInfo::name); }

// Reading the XDG tree (duplicates, hidden entries, folder order) is the
// directory's own test; here the directory is a fake.
class SystemAppProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const std::string firefox = "/home/applications/org.mozilla.firefox.desktop";
        dir.apps = {{"org.mozilla.firefox", "Mozilla Firefox", "firefox", firefox},
                    {"files", "files", "folder", "/usr/applications/files.desktop"},
                    {"Files", "Files", "", "/usr/applications/Files.desktop"},
                    {"editor", "Éditeur", "", "/usr/applications/editor.desktop"},
                    {"zed", "", "", "/usr/applications/zed.desktop"}};
        // Found under its own identifier: listed under the list's name.
        workspace.installed["org.mozilla.firefox"] = {"org.mozilla.firefox", firefox, "firefox", "Mozilla Firefox"};
        // Installed only in the workspace's view (no desktop entry).
        workspace.install("com.apple.calculator", "GNOME Calculator");
        // A stand-in: the workspace answers with the default file manager.
        workspace.installed["com.apple.finder"] = {"files", "/usr/applications/files.desktop", "folder", "files"};
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> dir;
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeMainQueue, platform::MainQueue> mainQueue;
    SystemAppProvider provider;
};

TEST_F(SystemAppProviderTest, MergesListsAndScanEachIdentifierOnceSortedByName) {
    auto apps = provider.allApps();
    // Firefox appears once, under the list's name; the stand-in for Finder is
    // not offered as "Finder"; names that differ only in case (files, Files)
    // sit together in the order the scan gave them; accents sort with their
    // base letter; an entry without a name shows its id.
    EXPECT_EQ(names(apps), (std::vector<std::string>{"Calculator", "Éditeur", "files", "Files", "Firefox", "zed"}));
    EXPECT_EQ(testing::mapped(apps, &AppInfo::bundleId), (std::vector<std::string>{"com.apple.calculator", "editor", "files", "Files",
                                                         "org.mozilla.firefox", "zed"}));
    const AppInfo& firefox = apps[4];
    EXPECT_EQ(firefox.icon, "firefox");
    EXPECT_EQ(firefox.url, "file:///home/applications/org.mozilla.firefox.desktop");
    for (const auto& a : apps) EXPECT_FALSE(a.id.isNil()) << a.name;
}

TEST_F(SystemAppProviderTest, BuiltInListsHoldOnlyInstalledRowsAndAreAskedAgainEachCall) {
    auto system1 = provider.systemApps();
    EXPECT_EQ(names(system1), (std::vector<std::string>{"Calculator"}));
    EXPECT_EQ(names(provider.thirdPartyApps()), (std::vector<std::string>{"Firefox"}));

    workspace.install("com.apple.Terminal", "Console");
    auto system2 = provider.systemApps();
    EXPECT_EQ(names(system2), (std::vector<std::string>{"Calculator", "Terminal"}));
    EXPECT_NE(system2[0].id, system1[0].id);  // a new record each time
}

// Made once, by one scan however many ask first, and kept with its records.
TEST_F(SystemAppProviderTest, ConcurrentFirstCallsShareOneScan) {
    EXPECT_FALSE(provider.cachedAllApps());
    for (int i = 0; i < 200; ++i) dir.apps.push_back({"app" + std::to_string(i), "App " + std::to_string(i), "", "/x"});
    std::vector<std::vector<AppInfo>> results(8);
    std::vector<std::thread> threads;
    for (auto& r : results) threads.emplace_back([this, &r] { r = provider.allApps(); });
    for (auto& t : threads) t.join();
    EXPECT_EQ(dir.scans, 1);
    EXPECT_EQ(results.front().size(), 206u);
    for (const auto& r : results) EXPECT_EQ(r, results.front());
    workspace.install("com.apple.TextEdit");
    dir.apps.push_back({"late", "Late", "", "/late.desktop"});
    EXPECT_EQ(provider.allApps(), results.front());  // same records, same ids
    EXPECT_EQ(provider.cachedAllApps(), results.front());
}

// A view closed before its list came is never called.
TEST_F(SystemAppProviderTest, LoadHandsTheListsBackOnTheMainQueueEvenAfterTheProviderIsGone) {
    std::optional<AppLists> received;
    bool closedViewCalled = false;
    QObject view;
    {
        SystemAppProvider own;
        own.load(&view, [&](AppLists lists) { received = std::move(lists); });
        auto closed = std::make_unique<QObject>();
        own.loadAllApps(closed.get(), [&](std::vector<AppInfo>) { closedViewCalled = true; });
        closed.reset();
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (mainQueue.pending() < 2 && std::chrono::steady_clock::now() < deadline) QThread::msleep(5);
    ASSERT_FALSE(received);  // nothing is delivered until the main queue runs
    mainQueue.runAll();
    EXPECT_FALSE(closedViewCalled);
    ASSERT_TRUE(received);
    EXPECT_EQ(received->all.size(), 6u);
    EXPECT_EQ(names(received->system), (std::vector<std::string>{"Calculator"}));
    EXPECT_EQ(names(received->thirdParty), (std::vector<std::string>{"Firefox"}));
}

}  // namespace
}  // namespace orbel
