// The EWMH window list under openbox.
#include <gtest/gtest.h>

#include <QUuid>

#include "platform/window_snapshots.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using platform::WindowSnapshot;
using platform::WindowSnapshots;
using systemtest::Program;

std::optional<WindowSnapshot> findTitle(const std::string& title) {
    for (const auto& w : WindowSnapshots::shared().snapshot())
        if (w.title == title) return w;
    return std::nullopt;
}

TEST(SystemWindowSnapshots, SeesATestWindowWithItsOwnerUntilItCloses) {
    ORBEL_REQUIRE_DISPLAY();
    const std::string title = "Snapshot target ✓ " + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    std::optional<WindowSnapshot> seen;
    {
        Program window(QStringLiteral("orbel_test_window"), {QString::fromStdString(title)});
        ASSERT_TRUE(window.waitForLine("ready"));
        ASSERT_TRUE(systemtest::spinUntil([&] { return (seen = findTitle(title)).has_value(); }));
        // No desktop entry names the program: its executable's name stands in.
        EXPECT_EQ(seen->appId, "orbel_test_window");
        // The active window comes first.
        EXPECT_EQ(WindowSnapshots::shared().snapshot().front().title, title);
    }
    EXPECT_TRUE(systemtest::spinUntil([&] { return !findTitle(title); }));
}

TEST(SystemWindowSnapshots, MinimisedWindowsAreNotOnScreen) {
    ORBEL_REQUIRE_DISPLAY();
    const std::string title = "Minimised " + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    Program window(QStringLiteral("orbel_test_window"), {QString::fromStdString(title), QStringLiteral("--minimized")});
    ASSERT_TRUE(window.waitForLine("ready"));
    systemtest::spin(300);
    EXPECT_FALSE(findTitle(title).has_value());
}

TEST(SystemWindowSnapshots, ADesktopEntryInstalledLaterClaimsTheWindowByItsClass) {
    ORBEL_REQUIRE_DISPLAY();
    systemtest::XdgFixture xdg;
    const std::string title = "Classed " + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    Program window(QStringLiteral("orbel_test_window"), {QString::fromStdString(title)});
    ASSERT_TRUE(window.waitForLine("ready"));
    std::optional<WindowSnapshot> seen;
    ASSERT_TRUE(systemtest::spinUntil([&] { return (seen = findTitle(title)).has_value(); }));
    EXPECT_EQ(seen->appId, "orbel_test_window");

    // The index follows the folders: the window's owner is matched again.
    systemtest::writeFile(xdg.root() + "/data/applications/org.example.TypingTarget.desktop",
                          "[Desktop Entry]\nType=Application\nName=Typing target\nExec=true\n"
                          "StartupWMClass=orbel_test_window\n");
    EXPECT_TRUE(systemtest::spinUntil(
        [&] { return (seen = findTitle(title)) && seen->appId == "org.example.TypingTarget"; }))
        << (seen ? seen->appId : "not seen");
}

}  // namespace
}  // namespace orbel
