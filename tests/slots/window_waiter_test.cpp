#include <gtest/gtest.h>

#include "fakes/replace_shared.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_timers.h"
#include "fakes/fake_window_snapshots.h"
#include "slots/window_waiter.h"

namespace orbel {
namespace {

using platform::WindowSnapshot;
using namespace std::chrono_literals;

class WindowWaiterTest : public ::testing::Test {
protected:
    // Starts a wait and records when (in fake milliseconds) and how it ended.
    void start(std::string bundleId, std::optional<std::string> title, std::int64_t timeoutMs) {
        waiter.wait(std::move(bundleId), std::move(title), timeoutMs, [this](bool found) {
            results.push_back(found);
            endedAt.push_back(timers.nowMs());
        });
    }

    fakes::Installed<fakes::FakeClock, platform::Clock> clock;
    fakes::Installed<fakes::FakeTimers, platform::Timers> timers{&clock};
    fakes::Installed<fakes::FakeWindowSnapshots, platform::WindowSnapshots> windows;
    WindowWaiter waiter{100};
    std::vector<bool> results;
    std::vector<std::int64_t> endedAt;
};

TEST_F(WindowWaiterTest, ApplicationAndTitleRules) {
    struct Case {
        WindowSnapshot window;
        std::string bundleId;
        std::optional<std::string> title;
        bool found;
    };
    const Case cases[] = {
        {{"org.example.Editor", "Notes — Draft"}, "org.example.Editor", std::nullopt, true},
        {{"org.example.Editor", "Notes — Draft"}, "org.example.Editor", "— Dr", true},
        {{"org.example.Editor", "Notes — Draft"}, "org.example.Editor", "draft", false},  // case matters
        {{"org.example.Editor", "Notes"}, "org.example.editor", std::nullopt, false},
        {{"org.example.Editor", "Notes"}, "org.example", std::nullopt, false},  // whole id only
        {{"", "Notes"}, "", std::nullopt, false},  // an unknown owner never matches
        {{"org.example.Editor", ""}, "org.example.Editor", "x", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.window.appId + " / " + c.window.title + " wanted " + c.bundleId);
        windows.setWindows({c.window});
        results.clear();
        start(c.bundleId, c.title, 100);
        timers.advance(100ms);
        EXPECT_EQ(results, std::vector<bool>{c.found});
    }
}

// When a wait ends and how often it looks: never inside the call, at once
// for a window already there, at the next poll for one that appears, and
// without a last look at the deadline.
TEST(WindowWaiterTiming, PollsUntilFoundOrTheDeadline) {
    struct Case {
        const char* name;
        std::vector<WindowSnapshot> before;
        std::int64_t appearsAtMs;  // then "org.example.Editor" / "Report 2" is on screen
        std::optional<std::string> title;
        std::int64_t timeoutMs;
        bool found;
        std::int64_t endedAtMs;
        int looks;
    };
    const Case cases[] = {
        {"already on screen", {{"other", "x"}, {"org.example.Editor", "Doc"}}, -1, std::nullopt, 1000, true, 0, 1},
        {"appears later", {}, 250, "Report", 5000, true, 300, 4},
        {"appears in the last interval", {}, 150, std::nullopt, 200, false, 200, 2},
        {"zero timeout", {{"org.example.Editor", "Doc"}}, -1, std::nullopt, 0, false, 0, 0},
        {"negative timeout", {{"org.example.Editor", "Doc"}}, -1, std::nullopt, -5, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::Installed<fakes::FakeClock, platform::Clock> clock;
        fakes::Installed<fakes::FakeTimers, platform::Timers> timers{&clock};
        fakes::Installed<fakes::FakeWindowSnapshots, platform::WindowSnapshots> windows;
        windows.setWindows(c.before);
        WindowWaiter waiter{100};
        std::vector<std::pair<bool, std::int64_t>> ended;
        waiter.wait("org.example.Editor", c.title, c.timeoutMs,
                    [&](bool found) { ended.push_back({found, timers.nowMs()}); });
        EXPECT_TRUE(ended.empty());
        if (c.appearsAtMs >= 0) {
            timers.advance(std::chrono::milliseconds(c.appearsAtMs));
            windows.setWindows({{"org.example.Editor", "Report 2"}});
        }
        timers.advance(10s);
        EXPECT_EQ(ended, (std::vector<std::pair<bool, std::int64_t>>{{c.found, c.endedAtMs}}));
        EXPECT_EQ(windows.calls(), c.looks);
        EXPECT_EQ(timers.pending(), 0u);
    }
}

TEST_F(WindowWaiterTest, CancelledAndDestroyedWaitsNeverCompleteAndACompletionMayWaitAgain) {
    auto id = waiter.wait("org.example.Editor", std::nullopt, 1000, [this](bool f) { results.push_back(f); });
    timers.advance(150ms);
    waiter.cancel(id);
    EXPECT_EQ(timers.pending(), 0u);
    {
        WindowWaiter shortLived(100);
        shortLived.wait("org.example.Editor", std::nullopt, 1000, [this](bool f) { results.push_back(f); });
    }
    EXPECT_EQ(timers.pending(), 0u);
    windows.setWindows({{"org.example.Editor", "Doc"}});
    timers.advance(2000ms);
    EXPECT_TRUE(results.empty());

    // A completion may start the next wait.
    windows.setWindows({{"a", ""}});
    waiter.wait("a", std::nullopt, 1000, [this](bool found) {
        results.push_back(found);
        start("b", std::nullopt, 300);
    });
    timers.advance(1000ms);
    EXPECT_EQ(results, (std::vector<bool>{true, false}));
    EXPECT_EQ(endedAt, std::vector<std::int64_t>{2450});
}

}  // namespace
}  // namespace orbel
