// The EWMH window list under openbox.
#include <gtest/gtest.h>

#include <QUuid>

#include "platform/window_snapshots.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using platform::WindowSnapshot;
using systemtest::Program;
using systemtest::spinUntil;
using systemtest::windowTitled;

TEST(SystemWindowSnapshots, SeesAWindowWithItsOwnerAndLeavesOutMinimisedAndClosedOnes) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    const QString unique = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const std::string title = "Snapshot target ✓ " + unique.toStdString();
    const std::string minimised = "Minimised " + unique.toStdString();
    Program hidden(QStringLiteral("orbel_test_window"), {QString::fromStdString(minimised), QStringLiteral("--minimized")});
    ASSERT_TRUE(hidden.waitForLine("ready"));
    std::optional<WindowSnapshot> seen;
    {
        Program window(QStringLiteral("orbel_test_window"), {QString::fromStdString(title)});
        ASSERT_TRUE(window.waitForLine("ready"));
        ASSERT_TRUE(spinUntil([&] { return (seen = windowTitled(title)).has_value(); }));
        // No desktop entry names the program: its executable's name stands in.
        EXPECT_EQ(seen->appId, "orbel_test_window");
        // The active window comes first.
        EXPECT_EQ(platform::WindowSnapshots::shared().snapshot().front().title, title);
        EXPECT_FALSE(windowTitled(minimised).has_value()) << "a minimised window is not on screen";

        // A desktop entry installed later claims the window by its class.
        systemtest::writeFile(xdg.root() + "/data/applications/org.example.TypingTarget.desktop",
                              "[Desktop Entry]\nType=Application\nName=Typing target\nExec=true\n"
                              "StartupWMClass=orbel_test_window\n");
        EXPECT_TRUE(spinUntil([&] { return (seen = windowTitled(title)) && seen->appId == "org.example.TypingTarget"; }))
            << (seen ? seen->appId : "not seen");
    }
    EXPECT_TRUE(spinUntil([&] { return !windowTitled(title); }));
}

}  // namespace
}  // namespace orbel
