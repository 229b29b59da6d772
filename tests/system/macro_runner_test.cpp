// Keystroke macros and the window waiter against a real X server.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <QUuid>

#include "platform/pasteboard.h"
#include "slots/macro_runner.h"
#include "slots/window_waiter.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using systemtest::Program;

using modifier::kShift;

std::string uniqueTitle(const char* prefix) {
    return prefix + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
}

TEST(SystemMacroRunner, ChordsAWaitAndPastedTextTypeIntoALineEdit) {
    ORBEL_REQUIRE_DISPLAY();
    // Another application owns the clipboard; the macro must give it back.
    Program owner(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-text"), QStringLiteral("kept ✓")});
    ASSERT_TRUE(owner.waitForLine("holding"));
    ASSERT_TRUE(systemtest::spinUntil([&] { return systemtest::clipboardText() == std::optional<std::string>("kept ✓"); }));

    Program window(QStringLiteral("orbel_test_window"), {QString::fromStdString(uniqueTitle("Macro target "))});
    ASSERT_TRUE(window.waitForLine("ready"));

    MacroRunner::shared().run(
        {
            MacroStep::chord({4, 0, std::nullopt}),       // h
            MacroStep::chord({34, kShift, std::nullopt}),  // I
            MacroStep::wait(150),
            MacroStep::text(" → wörld"),
            MacroStep::chord({51, 0, std::nullopt}),  // Backspace
        },
        "orbel_test_window");
    const std::string expected = "text:hI → wörl";
    EXPECT_TRUE(window.waitForLine(expected, 10000)) << window.lastLineStartingWith("text:");
    systemtest::spin(300);
    EXPECT_EQ(window.lastLineStartingWith("text:"), expected);
    EXPECT_EQ(systemtest::clipboardText(), std::optional<std::string>("kept ✓"));

    // Another process reads the restored text from us.
    EXPECT_EQ(systemtest::readClipboardFromOutside(), (std::vector<std::string>{"text:kept ✓", "noimage"}));
}

TEST(SystemWindowWaiter, SeesATestWindowThatAppearsLater) {
    ORBEL_REQUIRE_DISPLAY();
    const std::string title = uniqueTitle("Late window ");
    WindowWaiter waiter(100);
    std::optional<bool> found;
    QElapsedTimer clock;
    clock.start();
    qint64 endedAfter = 0;
    waiter.wait("orbel_test_window", "Late window", 10000, [&](bool f) {
        found = f;
        endedAfter = clock.elapsed();
    });
    std::unique_ptr<Program> window;
    QTimer::singleShot(300, [&] {
        window = std::make_unique<Program>(QStringLiteral("orbel_test_window"), QStringList{QString::fromStdString(title)});
    });
    ASSERT_TRUE(systemtest::spinUntil([&] { return found.has_value(); }, 12000));
    EXPECT_TRUE(*found);
    EXPECT_GE(endedAfter, 300);

    // A window of that application with another title is not enough.
    std::optional<bool> other;
    waiter.wait("orbel_test_window", "No such title", 400, [&](bool f) { other = f; });
    ASSERT_TRUE(systemtest::spinUntil([&] { return other.has_value(); }));
    EXPECT_FALSE(*other);
}

}  // namespace
}  // namespace orbel
