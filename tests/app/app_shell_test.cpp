#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "settings/login_item_manager.h"
#include "app/tray_manager.h"
#include "settings/update_checker.h"
#include "fakes/fake_alerts.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_status_items.h"
#include "platform/login_item.h"

namespace orbel {
namespace {

using fakes::FakeStatusItems;

TEST(TrayManager, ShowsOneItemAfterTheQueueAndNeverAfterHiding) {
    FakeStatusItems items;
    TrayManager tray(items);
    int clicks = 0;
    tray.onTrayIconClicked = [&] { ++clicks; };

    tray.setVisible(true);
    tray.setVisible(false);  // hidden while the installation is still queued
    QCoreApplication::processEvents();
    EXPECT_EQ(items.made, 0);

    tray.setVisible(true);
    tray.setVisible(true);
    EXPECT_FALSE(tray.isSetup());
    QCoreApplication::processEvents();
    EXPECT_EQ(items.made, 1);
    EXPECT_EQ(items.live, 1);
    items.click();
    EXPECT_EQ(clicks, 1);

    std::vector<std::string> titles;
    for (const auto& e : items.menu) titles.push_back(e.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Settings...", "Check for Updates…", "Open Music Dial", "",
                                                "About Orbel", "", "Quit Orbel"}));
    // The tooltip names the chord that opens the dial now.
    EXPECT_EQ(items.toolTip, "Orbel");
    tray.setHotkey(KeyCombination{49, modifier::kOption | modifier::kShift, std::nullopt});
    EXPECT_EQ(items.toolTip, "Orbel: Alt+Shift+Space opens the dial");
    tray.setVisible(false);
    EXPECT_EQ(items.live, 0);
}

TEST(TrayManager, AboutAndUpdatesSayWhatIsTrueHere) {
    fakes::FakeAlerts alerts;
    platform::Alerts::setShared(&alerts);
    fakes::FakeKeyValueStore store;
    // A build the package manager updates, whatever this one is.
    UpdateChecker withoutFeed{QUrl(), ORBEL_VERSION, &store};
    UpdateChecker::setShared(&withoutFeed);
    FakeStatusItems items;
    TrayManager tray(items);
    tray.showAbout();
    tray.checkForUpdates();
    QCoreApplication::processEvents();
    platform::Alerts::setShared(nullptr);
    UpdateChecker::setShared(nullptr);
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_NE(alerts.shown[0].alert.text.find("Version " ORBEL_VERSION), std::string::npos);
    EXPECT_NE(alerts.shown[0].alert.text.find("centre of the screen that holds the pointer"), std::string::npos);
    EXPECT_EQ(alerts.shown[1].alert.title, UpdateChecker::kMessage);
}

TEST(TrayManager, CheckForUpdatesStartsTheFeedsCheckOnceTheMenuHasReturned) {
    fakes::FakeKeyValueStore store;
    UpdateChecker checker(QUrl(QStringLiteral("http://127.0.0.1:9/feed.json")), "1.0", &store);
    UpdateChecker::setShared(&checker);
    QSignalSpy requested(&checker, &UpdateChecker::checkRequested);
    FakeStatusItems items;
    TrayManager tray(items);
    tray.checkForUpdates();
    EXPECT_FALSE(checker.isChecking());
    QCoreApplication::processEvents();
    EXPECT_EQ(requested.count(), 1);
    EXPECT_TRUE(checker.isChecking());
    checker.cancel();
    UpdateChecker::setShared(nullptr);
}

class RefusingLoginItem : public platform::LoginItem {
public:
    bool isEnabled() const override { return enabled; }
    std::optional<std::string> enable() override { return std::string("The autostart folder is read-only."); }
    std::optional<std::string> disable() override {
        enabled = false;
        return std::nullopt;
    }
    bool enabled = true;
};

TEST(LoginItemManager, WritesAndRemovesTheAutostartEntryAndReportsFailures) {
    QTemporaryDir home;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    LoginItemManager manager;
    EXPECT_FALSE(manager.isEnabled());
    manager.setEnabled(true);
    QFile entry(home.path() + "/autostart/com.quandelvix.orbel.desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains(platform::LoginItem::kLoginArgument));
    EXPECT_TRUE(manager.isEnabled());
    manager.setEnabled(false);
    EXPECT_FALSE(entry.exists());
    EXPECT_FALSE(manager.isEnabled());
    qputenv("XDG_CONFIG_HOME", saved);

    RefusingLoginItem refusing;
    LoginItemManager failing(refusing);
    refusing.enabled = false;
    failing.setEnabled(true);
    EXPECT_EQ(failing.lastError(), "The autostart folder is read-only.");
    EXPECT_FALSE(failing.isEnabled());
    // A retry that fails the same way still shows that it was tried: the
    // old error is cleared, and published, before the attempt.
    std::vector<std::optional<std::string>> seen;
    QObject::connect(&failing, &LoginItemManager::changed, [&] { seen.push_back(failing.lastError()); });
    failing.setEnabled(true);
    EXPECT_EQ(seen, (std::vector<std::optional<std::string>>{std::nullopt, failing.lastError()}));
    failing.setEnabled(false);
    EXPECT_FALSE(failing.lastError());  // a new attempt clears the old error

    const char* login[] = {"orbel", "--login-item"};
    const char* user[] = {"orbel", "backup.orbelbackup"};
    EXPECT_TRUE(platform::LoginItem::launchedAtLogin(2, login));
    EXPECT_FALSE(platform::LoginItem::launchedAtLogin(2, user));
}

}  // namespace
}  // namespace orbel
