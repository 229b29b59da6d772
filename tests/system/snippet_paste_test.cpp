// Snippets pasted with Ctrl+V into a real Qt window, and the clipboard of
// another application put back afterwards; other X clients paste from us and
// their copies change the count.
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <signal.h>

#include "platform/pasteboard.h"
#include "slots/macro_text_entry.h"
#include "slots/snippet_paste.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using namespace std::chrono_literals;
using platform::Pasteboard;
using systemtest::Program;

const auto readFromOutside = systemtest::readClipboardFromOutside;

// A focused test window with an empty line edit.
std::unique_ptr<Program> typingTarget(const char* title) {
    auto window = std::make_unique<Program>(QStringLiteral("orbel_test_window"), QStringList{QString::fromUtf8(title)});
    if (!window->waitForLine("ready")) return nullptr;
    return window;
}

TEST(SystemSnippetPaste, PastesIntoALineEditAndGivesBackAnotherApplicationsText) {
    ORBEL_REQUIRE_DISPLAY();
    Program owner(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-text"), QStringLiteral("before ✓")});
    ASSERT_TRUE(owner.waitForLine("holding"));
    ASSERT_TRUE(systemtest::spinUntil([&] { return systemtest::clipboardText() == std::optional<std::string>("before ✓"); }));
    auto window = typingTarget("Orbel snippet target");
    ASSERT_TRUE(window) << "the test window never got the focus";

    pasteSnippet("snippet → ✓", std::nullopt);
    EXPECT_TRUE(window->waitForLine("text:snippet → ✓")) << window->lastLineStartingWith("text:");
    EXPECT_TRUE(systemtest::spinUntil([&] { return systemtest::clipboardText() == std::optional<std::string>("before ✓"); }));
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"text:before ✓", "noimage"}));
    EXPECT_EQ(window->lastLineStartingWith("text:"), "text:snippet → ✓");
}

TEST(SystemSnippetPaste, GivesBackAnImage) {
    ORBEL_REQUIRE_DISPLAY();
    Program sum(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("sum")});
    ASSERT_TRUE(systemtest::spinUntil([&] { return !sum.lines().empty(); }));
    const std::string expectedImage = "image:40x30:" + sum.lines().front();
    Program owner(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-image")});
    ASSERT_TRUE(owner.waitForLine("holding"));
    ASSERT_EQ(readFromOutside(), (std::vector<std::string>{"notext", expectedImage}));
    auto window = typingTarget("Orbel snippet image target");
    ASSERT_TRUE(window);

    bool restored = false;
    pasteText("over the image", kSnippetRestoreDelay, [&] { restored = true; });
    EXPECT_TRUE(window->waitForLine("text:over the image")) << window->lastLineStartingWith("text:");
    ASSERT_TRUE(systemtest::spinUntil([&] { return restored; }));
    owner.stop();  // the image must now come from what we put back
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"notext", expectedImage}));
}

TEST(SystemSnippetPaste, AnotherApplicationsPasteIsNoChangeButItsCopyIsNotOverwritten) {
    ORBEL_REQUIRE_DISPLAY();
    Pasteboard& pasteboard = Pasteboard::shared();
    pasteboard.setText("before");
    const std::uint64_t placed = pasteboard.changeCount();
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"text:before", "noimage"}));
    EXPECT_EQ(pasteboard.changeCount(), placed) << "a paste by someone else is no change";
    auto window = typingTarget("Orbel snippet copy target");
    ASSERT_TRUE(window);

    // A long delay, so that another process has time to start and copy.
    bool finished = false;
    pasteText("pasted", 4000ms, [&] { finished = true; });
    EXPECT_TRUE(window->waitForLine("text:pasted")) << window->lastLineStartingWith("text:");
    Program user(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-text"), QStringLiteral("user copy")});
    ASSERT_TRUE(user.waitForLine("holding"));
    ASSERT_FALSE(finished) << "the copy came too late to test anything";
    ASSERT_TRUE(systemtest::spinUntil([&] { return finished; }, 10000));
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"text:user copy", "noimage"}));
    EXPECT_EQ(systemtest::clipboardText(), std::optional<std::string>("user copy"));
}

TEST(SystemSnippetPaste, AStoppedClipboardOwnerNeverHoldsTheInterfaceAndKeepsItsClipboard) {
    ORBEL_REQUIRE_DISPLAY();
    Program owner(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-text"), QStringLiteral("user's ✓")});
    ASSERT_TRUE(owner.waitForLine("holding"));
    auto window = typingTarget("Orbel stopped owner target");
    ASSERT_TRUE(window);
    ::kill(static_cast<pid_t>(owner.pid()), SIGSTOP);

    std::int64_t longestWaitMs = 0;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longestWaitMs = std::max<std::int64_t>(longestWaitMs, sinceTick.restart()); });
    tick.start(10);
    bool done = false;
    pasteText("typed ✓", kSnippetRestoreDelay, [&] { done = true; });
    ASSERT_TRUE(systemtest::spinUntil([&] { return done; }, 10000));
    EXPECT_LT(longestWaitMs, 1000);
    EXPECT_TRUE(window->waitForLine("text:typed ✓")) << window->lastLineStartingWith("text:");

    ::kill(static_cast<pid_t>(owner.pid()), SIGCONT);
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"text:user's ✓", "noimage"}));
}

// xterm reads Ctrl+V as "insert the next key literally": a snippet and a
// macro's text step paste there through the primary selection with
// Shift+Insert, and what they type reaches the program at the prompt (here
// `cat` writing to a file). The clipboard is put back all the same.
TEST(SystemSnippetPaste, SnippetAndMacroTextReachTheProgramInXterm) {
    ORBEL_REQUIRE_DISPLAY();
    if (QStandardPaths::findExecutable("xterm").isEmpty()) GTEST_SKIP() << "needs xterm";
    Program owner(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-text"), QStringLiteral("before")});
    ASSERT_TRUE(owner.waitForLine("holding"));
    QTemporaryDir dir;
    const QString typed = dir.filePath("typed");
    QProcess xterm;
    xterm.start("xterm", {"-title", "Orbel xterm", "-e", "sh", "-c", "cat > '" + typed + "'"});
    QString id;
    ASSERT_TRUE(systemtest::spinUntil([&] {
        id = systemtest::run("xdotool", {"search", "--onlyvisible", "--name", "^Orbel xterm$"});
        return !id.isEmpty() && QFile::exists(typed);
    }, 10000));
    systemtest::xdotool({"windowactivate", "--sync", id.section('\n', 0, 0)});
    systemtest::spin(500);
    auto fileText = [&] {
        QFile f(typed);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };

    pasteSnippet("echo from a snippet ✓\n", std::nullopt);
    EXPECT_TRUE(systemtest::spinUntil([&] { return fileText() == "echo from a snippet ✓\n"; })) << fileText().toStdString();
    PasteboardTextEntry entry;
    bool done = false;
    entry.enterText("macro text\n", [&] { done = true; });
    EXPECT_TRUE(systemtest::spinUntil([&] { return done; }));
    EXPECT_TRUE(systemtest::spinUntil([&] { return fileText().endsWith("macro text\n"); })) << fileText().toStdString();
    EXPECT_FALSE(fileText().contains("^")) << "a control character went in literally";
    EXPECT_TRUE(systemtest::spinUntil([&] { return systemtest::clipboardText() == std::optional<std::string>("before"); }));
    xterm.terminate();
    xterm.waitForFinished(3000);
}

}  // namespace
}  // namespace orbel
