// The EWMH window list under openbox.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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
        EXPECT_NE(seen->windowId, 0u);
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

TEST(SystemWindowSnapshots, ADesktopEntryClaimsTheWindowByItsClass) {
    ORBEL_REQUIRE_DISPLAY();
    // scripts/desktop-session gives a throw-away XDG_DATA_HOME; elsewhere
    // we would write into the user's own folder.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !dataHome.startsWith("/tmp/")) GTEST_SKIP() << "needs a throw-away XDG_DATA_HOME";
    QDir().mkpath(QString::fromUtf8(dataHome) + QStringLiteral("/applications"));
    QFile entry(QString::fromUtf8(dataHome) + QStringLiteral("/applications/org.example.TypingTarget.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Typing target\nExec=/nowhere/else\n"
                "StartupWMClass=orbel_test_window\n");
    entry.close();

    const std::string title = "Classed " + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    Program window(QStringLiteral("orbel_test_window"), {QString::fromStdString(title)});
    ASSERT_TRUE(window.waitForLine("ready"));
    std::optional<WindowSnapshot> seen;
    // Installed entries are read again at most every few seconds.
    EXPECT_TRUE(systemtest::spinUntil(
        [&] { return (seen = findTitle(title)) && seen->appId == "org.example.TypingTarget"; }, 15000))
        << (seen ? seen->appId : "not seen");
    entry.remove();
}

}  // namespace
}  // namespace orbel
