#include <gtest/gtest.h>

#include "fakes/fake_event_poster.h"
#include "fakes/fake_pasteboard.h"
#include "fakes/fake_permissions.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_system_platform.h"
#include "fakes/fake_timers.h"
#include "fakes/fake_window_snapshots.h"
#include "fakes/replace_shared.h"
#include "slots/macro_runner.h"

namespace orbel {
namespace {

using namespace std::chrono_literals;
using fakes::PostedInput;

using namespace modifier;
constexpr std::uint16_t kV = 9;

KeyCombination key(std::uint16_t code, std::uint32_t mods = 0) { return {code, mods, std::nullopt}; }

// The live environment, with every shared service replaced by a fake.
class MacroRunnerTest : public ::testing::Test {
protected:
    MacroRunnerTest() {
        // What the clipboard holds at the moment each key is pressed.
        poster.onPost = [this](const PostedInput&) { textAtPost.push_back(pasteboard.text().value_or("<none>")); };
    }

    MacroRunner& make(std::int64_t initialDelayMs = 100, std::int64_t gapMs = 80) {
        runner = std::make_unique<MacroRunner>(MacroRunner::Env{initialDelayMs, gapMs, &stack});
        return *runner;
    }
    // Milliseconds after the test began at which each input was posted.
    std::vector<std::int64_t> postTimes() const {
        std::vector<std::int64_t> out;
        for (const auto& p : poster.posted)
            out.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(p.at - start + 500us).count());
        return out;
    }
    void finish() { timers.advance(60s); }

    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    fakes::Installed<fakes::FakeTimers, platform::Timers> timers{&clock};
    fakes::Installed<fakes::FakeEventPoster, platform::EventPoster> poster;
    fakes::Installed<fakes::FakePasteboard, platform::Pasteboard> pasteboard;
    fakes::Installed<fakes::FakeWindowSnapshots, platform::WindowSnapshots> windows;
    fakes::Installed<fakes::FakePermissions, platform::Permissions> permissions;
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    const std::chrono::steady_clock::time_point start = clock.monotonicNow();
    ClipboardStack stack;
    std::unique_ptr<MacroRunner> runner;
    std::vector<std::string> textAtPost;
};

TEST_F(MacroRunnerTest, AnEmptyMacroDoesNothingAtAllAndAnUntrustedOneIsDropped) {
    make().run({}, "org.example.Editor");
    EXPECT_EQ(permissions.accessibilityChecks, 0);
    EXPECT_EQ(timers.pending(), 0u);

    permissions.accessibility = false;
    workspace.running = {{42, "org.example.Editor"}};
    runner->run({MacroStep::chord(key(4))}, "org.example.Editor");
    EXPECT_EQ(permissions.accessibilityPrompts, 1);
    finish();
    EXPECT_TRUE(poster.posted.empty());
    EXPECT_TRUE(workspace.calls.empty());
    EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(MacroRunnerTest, OneChordWaitsBeforeAndAfterWithoutBlocking) {
    workspace.running = {{7, "org.example.Other"}, {42, "org.example.Editor"}};
    make().run({MacroStep::chord(key(4, kCommand | kShift))}, "org.example.Editor");
    // run() returns at once: the target is brought forward, nothing typed yet.
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"activate org.example.Editor"});
    EXPECT_TRUE(poster.posted.empty());
    EXPECT_GT(timers.pending(), 0u);
    timers.advance(179ms);
    ASSERT_EQ(postTimes(), std::vector<std::int64_t>{100});
    EXPECT_TRUE(poster.posted[0].isChord(4, kCommand | kShift));
    EXPECT_GT(timers.pending(), 0u);  // the gap follows the last chord too
    timers.advance(1ms);
    EXPECT_EQ(timers.pending(), 0u);

    // A target that is not running is not activated; the macro still plays.
    workspace.calls.clear();
    runner->run({MacroStep::chord(key(4))}, "org.example.Gone");
    finish();
    EXPECT_TRUE(workspace.calls.empty());
    EXPECT_EQ(poster.posted.size(), 2u);
}

TEST_F(MacroRunnerTest, TimelineOfEveryTimedStepKind) {
    // A mouse button in a chord is ignored, and only the four modifier bits
    // are passed on.
    KeyCombination allMods{12, kCommand | kShift | kOption | kControl | 0x1, 3};
    windows.setWindows({{"org.example.Editor", "Main"}});
    make().run(
        {
            MacroStep::chord(key(4)),                                   // 100, gap to 180
            MacroStep::wait(250),                                       // to 430
            MacroStep::text("abc"),                                     // Ctrl+V at 430, restore 510
            MacroStep::waitForWindow("org.example.Editor", "Ma", 5000),  // found at once
            MacroStep::chord(allMods),                                  // 510, gap to 590
            MacroStep::waitForWindow("org.example.Never", std::nullopt, 200),  // polls 590, 690; ends 790
            MacroStep::chord(key(5)),                                   // 790
        },
        std::nullopt);
    finish();
    EXPECT_EQ(postTimes(), (std::vector<std::int64_t>{100, 430, 510, 790}));
    ASSERT_EQ(poster.posted.size(), 4u);
    EXPECT_TRUE(poster.posted[0].isChord(4, 0));
    EXPECT_TRUE(poster.posted[1].isChord(kV, kControl));
    EXPECT_TRUE(poster.posted[2].isChord(12, kCommand | kShift | kOption | kControl));
    EXPECT_TRUE(poster.posted[3].isChord(5, 0));
    EXPECT_EQ(windows.calls(), 3);
}

TEST_F(MacroRunnerTest, WithoutInitialDelayOrGapOnlyWaitsAndTextStepsPause) {
    make(0, 0).play({MacroStep::chord(key(1)), MacroStep::chord(key(2)), MacroStep::text("x"),
                     MacroStep::chord(key(3)), MacroStep::wait(5), MacroStep::chord(key(4))});
    // One step per turn of the event loop, without a pause between them.
    EXPECT_EQ(postTimes(), (std::vector<std::int64_t>{0}));
    finish();
    EXPECT_EQ(postTimes(), (std::vector<std::int64_t>{0, 0, 0, 80, 85}));
}

TEST_F(MacroRunnerTest, TenThousandStepsWithoutPausesNeverHoldTheEventLoop) {
    make(0, 0).play(std::vector<MacroStep>(10000, MacroStep::chord(key(1))));
    EXPECT_EQ(poster.posted.size(), 1u);  // the rest on later turns
    finish();
    EXPECT_EQ(poster.posted.size(), 10000u);
}

TEST_F(MacroRunnerTest, ClipboardStackSteps) {
    struct Case {
        const char* name;
        std::optional<std::string> before;
        std::vector<MacroStep> steps;
        std::optional<std::string> after;
        std::size_t stackAfter;
    };
    const Case cases[] = {
        {"push, text, pop restores", "before",
         {MacroStep::clipboardPush(), MacroStep::text("typed"), MacroStep::clipboardPop()}, "before", 0},
        {"pop on an empty stack changes nothing", "mine", {MacroStep::clipboardPop()}, "mine", 0},
        {"a clipboard without text pushes an empty entry", std::nullopt,
         {MacroStep::clipboardPush()}, std::nullopt, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        while (stack.size()) stack.pop();
        pasteboard.contents = {};
        if (c.before) pasteboard.externalCopyText(*c.before);
        const auto writesBefore = pasteboard.textWrites.size();
        make(0, 0).play(c.steps);
        finish();
        EXPECT_EQ(pasteboard.text(), c.after);
        EXPECT_EQ(stack.size(), c.stackAfter);
        if (c.steps.size() == 1) {
            EXPECT_EQ(pasteboard.textWrites.size(), writesBefore);
        }
    }
    // An empty entry popped leaves the clipboard alone.
    pasteboard.externalCopyText("later");
    make(0, 0).play({MacroStep::clipboardPop()});
    EXPECT_EQ(stack.size(), 0u);
    EXPECT_EQ(pasteboard.text(), "later");

    // An owner that does not hand over its text: an empty entry, its clipboard left alone.
    pasteboard.ownerStopped = true;
    const auto writes = pasteboard.textWrites.size();
    make(0, 0).play({MacroStep::clipboardPush(), MacroStep::clipboardPop()});
    finish();
    EXPECT_EQ(stack.size(), 0u);
    EXPECT_EQ(pasteboard.text(), "later");
    EXPECT_EQ(pasteboard.textWrites.size(), writes);
}

TEST_F(MacroRunnerTest, RunsPlayOneAfterAnotherNeverInterleaved) {
    pasteboard.externalCopyText("user");
    workspace.running = {{1, "org.example.A"}, {2, "org.example.B"}};
    make();
    runner->run({MacroStep::text("first"), MacroStep::chord(key(1))}, "org.example.A");
    timers.advance(120ms);  // the first is pasting
    runner->run({MacroStep::text("second")}, "org.example.B");
    // B is brought forward only when its turn comes.
    EXPECT_EQ(workspace.calls, std::vector<std::string>{"activate org.example.A"});
    finish();
    EXPECT_EQ(workspace.calls, (std::vector<std::string>{"activate org.example.A", "activate org.example.B"}));
    // First: paste at 100, restore 180, chord 180, gap to 260; second: its
    // own initial delay, paste at 360.
    EXPECT_EQ(postTimes(), (std::vector<std::int64_t>{100, 180, 360}));
    EXPECT_EQ(textAtPost, (std::vector<std::string>{"first", "user", "second"}));
    EXPECT_EQ(pasteboard.text(), "user");
    EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(MacroRunnerTest, ADoneCallbackMayStartAnotherMacro) {
    make(0, 10);
    runner->play({MacroStep::chord(key(1))}, [&] { runner->play({MacroStep::chord(key(2))}); });
    finish();
    EXPECT_EQ(postTimes(), (std::vector<std::int64_t>{0, 10}));
}

TEST_F(MacroRunnerTest, DestroyingTheRunnerStopsThePlayAndPutsTheClipboardBack) {
    pasteboard.externalCopyText("user");
    make(0, 0).play({MacroStep::text("abc"), MacroStep::chord(key(1)),
                     MacroStep::waitForWindow("org.example.Never", std::nullopt, 1000)});
    timers.runDue();
    EXPECT_EQ(pasteboard.text(), "abc");
    runner.reset();
    EXPECT_EQ(pasteboard.text(), "user");
    EXPECT_EQ(timers.pending(), 0u);
    finish();
    EXPECT_EQ(poster.posted.size(), 1u);

    // Mid-wait for a window as well.
    make(0, 0).play({MacroStep::waitForWindow("org.example.Never", std::nullopt, 1000), MacroStep::chord(key(1))});
    timers.advance(150ms);
    runner.reset();
    EXPECT_EQ(timers.pending(), 0u);
}

}  // namespace
}  // namespace orbel
