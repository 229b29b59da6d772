// App slots under Xvfb and openbox: a slot brings its running application
// to the front instead of starting it twice, and starts it when none runs.
#include <gtest/gtest.h>
#include <signal.h>

#include <QWidget>

#include "platform/linux/x11_session.h"
#include "platform/workspace.h"
#include "slots/slot_factory.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using systemtest::spinUntil;
using systemtest::windowTitled;

std::string activeTitle() {
    auto* x = platform::x11::Session::shared();
    auto active = x->activeWindow();
    return active ? x->text(*active, "_NET_WM_NAME").toStdString() : std::string();
}

TEST(SystemAppSlot, ActivatesARunningApplicationAndStartsItOnlyWhenNoneRuns) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    systemtest::writeFile(xdg.root() + "/data/applications/org.example.TestWindow.desktop",
                          "[Desktop Entry]\nType=Application\nName=Test window\nStartupWMClass=orbel_test_window\n"
                          "Exec=" + systemtest::execArgument(ORBEL_TEST_PROGRAM_DIR "/orbel_test_window") +
                              " Launched --detached\n");
    ASSERT_TRUE(spinUntil([] { return platform::Workspace::shared().applicationFor("org.example.TestWindow").isFound(); }));
    auto slot = SlotFactory::makeSlot(SlotConfig::make(SlotType::app("org.example.TestWindow"), "Test window"));

    {
        systemtest::Program running(QStringLiteral("orbel_test_window"), {QStringLiteral("Running")});
        ASSERT_TRUE(running.waitForLine("ready"));
        QWidget other;
        other.setWindowTitle(QStringLiteral("Other"));
        other.show();
        other.activateWindow();
        ASSERT_TRUE(spinUntil([] { return activeTitle() == "Other"; }));
        systemtest::spin(1000);  // openbox keeps the focus on a window it has just shown for a moment

        slot->execute(nullptr);
        EXPECT_TRUE(spinUntil([] { return activeTitle() == "Running"; })) << activeTitle();
        systemtest::spin(1500);
        EXPECT_FALSE(windowTitled("Launched")) << "a second instance was started";
    }
    ASSERT_TRUE(spinUntil([] { return !windowTitled("Running"); }));

    slot->execute(nullptr);
    EXPECT_TRUE(spinUntil([] { return windowTitled("Launched").has_value(); }, 10000));
    for (const auto& app : platform::Workspace::shared().runningApplications())
        if (app.bundleId == "org.example.TestWindow") ::kill(static_cast<pid_t>(app.pid), SIGTERM);
    EXPECT_TRUE(spinUntil([] { return !windowTitled("Launched"); }));
}

}  // namespace
}  // namespace orbel
