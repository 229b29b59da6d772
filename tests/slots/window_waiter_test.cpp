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

    fakes::FakeClock clock;
    fakes::FakeTimers timers{&clock};
    fakes::FakeWindowSnapshots windows;
    fakes::ReplaceShared<platform::Clock> useClock{clock};
    fakes::ReplaceShared<platform::Timers> useTimers{timers};
    fakes::ReplaceShared<platform::WindowSnapshots> useWindows{windows};
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

TEST_F(WindowWaiterTest, AWindowAlreadyOnScreenIsFoundAtOnceButNeverInsideTheCall) {
    windows.setWindows({{"other", "x"}, {"org.example.Editor", "Doc"}});
    start("org.example.Editor", std::nullopt, 1000);
    EXPECT_TRUE(results.empty());
    timers.runDue();
    EXPECT_EQ(results, std::vector<bool>{true});
    EXPECT_EQ(endedAt, std::vector<std::int64_t>{0});
    EXPECT_EQ(windows.calls(), 1);
    EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(WindowWaiterTest, TimesOutAfterTwoPollsWithoutASnapshotAtTheDeadline) {
    start("org.example.Editor", std::nullopt, 200);
    timers.advance(150ms);
    EXPECT_EQ(windows.calls(), 2);  // at 0 and 100 ms
    // Shows up during the last interval: not seen.
    windows.setWindows({{"org.example.Editor", "Doc"}});
    timers.advance(100ms);
    EXPECT_EQ(results, std::vector<bool>{false});
    EXPECT_EQ(endedAt, std::vector<std::int64_t>{200});
    EXPECT_EQ(windows.calls(), 2);
}

TEST_F(WindowWaiterTest, AWindowThatAppearsLaterIsFoundAtTheNextPoll) {
    start("org.example.Editor", "Report", 5000);
    timers.advance(250ms);
    windows.setWindows({{"org.example.Editor", "Report 2"}});
    timers.advance(1000ms);
    EXPECT_EQ(results, std::vector<bool>{true});
    EXPECT_EQ(endedAt, std::vector<std::int64_t>{300});
}

TEST_F(WindowWaiterTest, ANonPositiveTimeoutAnswersFalseWithoutLooking) {
    windows.setWindows({{"org.example.Editor", "Doc"}});
    start("org.example.Editor", std::nullopt, 0);
    start("org.example.Editor", std::nullopt, -5);
    timers.runDue();
    EXPECT_EQ(results, (std::vector<bool>{false, false}));
    EXPECT_EQ(windows.calls(), 0);
}

TEST_F(WindowWaiterTest, CancelledAndDestroyedWaitsNeverComplete) {
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
}

TEST_F(WindowWaiterTest, ACompletionMayStartTheNextWait) {
    windows.setWindows({{"a", ""}});
    waiter.wait("a", std::nullopt, 1000, [this](bool found) {
        results.push_back(found);
        start("b", std::nullopt, 300);
    });
    timers.advance(1000ms);
    EXPECT_EQ(results, (std::vector<bool>{true, false}));
    EXPECT_EQ(endedAt, std::vector<std::int64_t>{300});
}

}  // namespace
}  // namespace orbel
