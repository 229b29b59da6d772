// An app slot launches the desktop entry its bundle identifier names, and
// does nothing for one that is not installed.
#include <gtest/gtest.h>

#include <QFile>

#include "fakes/fake_alerts.h"
#include "platform/linux/x11_session.h"
#include "platform/workspace.h"
#include "slots/slot_factory.h"
#include "system_helpers.h"

namespace orbel {
namespace {

TEST(SystemAppSlot, LaunchesTheDesktopEntryItNames) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    const QString marker = xdg.root() + "/launched";
    systemtest::writeFile(xdg.root() + "/data/applications/org.example.Marker.desktop",
                          "[Desktop Entry]\nType=Application\nName=Marker\nExec=touch \"" + marker.toUtf8() + "\"\n");
    fakes::FakeAlerts alerts;
    platform::Alerts::setShared(&alerts);

    SlotConfig app;
    app.type = SlotType::app("org.example.Marker");
    app.title = "Marker";
    SlotFactory::makeSlot(app)->execute(nullptr);
    EXPECT_TRUE(systemtest::spinUntil([&] { return QFile::exists(marker); }));

    SlotConfig missing;
    missing.type = SlotType::app("com.example.NotInstalled");
    missing.title = "Missing";
    auto slot = SlotFactory::makeSlot(missing);
    EXPECT_EQ(slot->icon().fallbackSymbol, "app");
    EXPECT_TRUE(slot->icon().appIcon.empty());
    slot->execute(nullptr);  // not found: nothing happens, no alert, no beep
    systemtest::spin(200);
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_EQ(alerts.beeps, 0);
    platform::Alerts::setShared(nullptr);
}

}  // namespace
}  // namespace orbel
