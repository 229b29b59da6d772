#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "dial/app_lifecycle_manager.h"

using orbel::dial::AppLifecycleManager;

TEST(AppLifecycleManagerTest, TitleTest) {
    const std::pair<const char*, bool> cases[] = {{"Orbel Settings", true}, {"PREFERENCES", true},
                                                  {"Reset settings?", true}, {"Orbel", false}, {"", false}};
    for (auto [title, expected] : cases) EXPECT_EQ(AppLifecycleManager::isSettingsWindow(title), expected) << title;
}

TEST(AppLifecycleManagerTest, SettingsWindowActivationHidesTheDialAndClosingClearsTheFlag) {
    int hides = 0;
    AppLifecycleManager manager([&] { ++hides; });
    manager.configure();
    manager.configure();  // once only
    QWidget settings, other;
    settings.setWindowTitle("Orbel Settings");
    other.setWindowTitle("About Orbel");
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&other, &activate);
    EXPECT_FALSE(manager.isSettingsWindowOpen());
    QApplication::sendEvent(&settings, &activate);
    EXPECT_TRUE(manager.isSettingsWindowOpen());
    EXPECT_EQ(hides, 1);
    settings.close();
    EXPECT_FALSE(manager.isSettingsWindowOpen());
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
    QObject notAWindow;
    QApplication::sendEvent(&notAWindow, &activate);  // ignored
    EXPECT_EQ(hides, 1);
}
