#include "slots/dynamic_title_cache.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <set>
#include <thread>

#include "slots/fake_producer_runner.h"

using namespace orbel;
using namespace std::chrono_literals;

namespace {

TEST(DynamicTitleLabel, FirstNonBlankLineHeldTo24Characters) {
    const std::string twentyFour = "abcdefghijklmnopqrstuvwx";
    const std::string flag = "\U0001F1EB\U0001F1F7";  // one character, two code points
    const std::string eAcute = "e\u0301";              // one character, combining accent
    std::string flags24, flags25;
    for (int i = 0; i < 24; ++i) flags24 += flag;
    flags25 = flags24 + flag;
    std::string accents25;
    for (int i = 0; i < 25; ++i) accents25 += eAcute;

    struct Case {
        std::string output;
        std::string label;
    };
    const Case cases[] = {
        {"\n\n  Title here \t\nsecond line\n", "Title here"},
        {twentyFour + "\n", twentyFour},
        {twentyFour + "y", twentyFour + "…"},
        {flags25, flags24 + "…"},
        {accents25, accents25.substr(0, 24 * eAcute.size()) + "…"},
        {"   \n \t \n\n", ""},
        {"\r\n  cr lf \r\n", "cr lf"},
        {"\u2028\u2029\u0085\x0b\x0c next", "next"},
        {"a\u2028b", "a"},
        {"  x  y  ", "x  y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        EXPECT_EQ(DynamicTitleCache::labelFromOutput(c.output), c.label);
    }
}

using fakes::producing;

class DynamicTitleCacheTest : public ::testing::Test, protected fakes::ProducerRig {
protected:
    const Uuid id = Uuid::random();
};

TEST_F(DynamicTitleCacheTest, SuccessesFailuresAndBlankOutput) {
    QSignalSpy changed(cache.get(), &DynamicTitleCache::statesChanged);
    cache->registerSlot(id, "Fallback", producing("date"));
    ASSERT_EQ(runs(), 1u);
    EXPECT_EQ(producers->runs[0].producer, (ScriptInvocation{ScriptLanguage::shell, "date"}));
    EXPECT_FALSE(cache->state(id));
    EXPECT_EQ(cache->title(id, "Fallback"), "Fallback");

    // A failure before any success: no title, the error, still the fallback.
    producers->fail(0, ScriptError::nonzeroExit(1, "boom"));
    EXPECT_EQ(cache->state(id), (DynamicTitleState{std::nullopt, ScriptError::nonzeroExit(1, "boom"), std::nullopt}));
    EXPECT_EQ(cache->title(id, "Fallback"), "Fallback");

    clock.seconds = 1000.0;
    cache->refresh(id);
    producers->succeed(1, "  12:00\n");
    EXPECT_EQ(cache->state(id), (DynamicTitleState{"12:00", std::nullopt, 1000.0}));
    EXPECT_EQ(cache->title(id, "Fallback"), "12:00");

    // A failure after a success keeps the title and its time.
    clock.seconds = 1010.0;
    cache->refresh(id);
    producers->fail(2, ScriptError::launchFailed("gone"));
    EXPECT_EQ(cache->state(id), (DynamicTitleState{"12:00", ScriptError::launchFailed("gone"), 1000.0}));

    // Blank output is a success that shows the fallback.
    clock.seconds = 1020.0;
    cache->refresh(id);
    producers->succeed(3, " \n\t\n");
    EXPECT_EQ(cache->state(id), (DynamicTitleState{"Fallback", std::nullopt, 1020.0}));
    EXPECT_EQ(changed.count(), 4);
}

TEST_F(DynamicTitleCacheTest, MenuOpenSlotsHaveNoTimerAndRerunOnEveryShowing) {
    const Uuid other = Uuid::random();
    cache->registerSlot(id, "A", producing("a"));
    cache->registerSlot(other, "B", producing("b", RefreshPolicy::interval(60)));
    producers->succeed(0, "a1");
    producers->succeed(1, "b1");
    EXPECT_EQ(timers.pending(), 1u);  // only the interval slot's

    // Showing the dial reruns both, whatever their policy.
    cache->refreshMenuOpenSlots();
    ASSERT_EQ(runs(), 4u);
    std::set<std::string> sources{producers->runs[2].producer.source, producers->runs[3].producer.source};
    EXPECT_EQ(sources, (std::set<std::string>{"a", "b"}));
    timers.advance(59s);
    EXPECT_EQ(runs(), 4u);
}

TEST_F(DynamicTitleCacheTest, IntervalTimerRunsEveryPeriodAndLivesWithTheRegistration) {
    cache->registerSlot(id, "T", producing("tick", RefreshPolicy::interval(30)));
    EXPECT_EQ(timers.nextDueIn(), 30000ms);
    producers->succeed(0, "0");
    timers.advance(30s);
    ASSERT_EQ(runs(), 2u);
    producers->succeed(1, "1");
    EXPECT_EQ(cache->state(id)->lastRefreshedAt, clock.seconds);
    timers.advance(30s);
    ASSERT_EQ(runs(), 3u);
    producers->succeed(2, "2");
    EXPECT_EQ(cache->title(id, "T"), "2");

    // A new registration replaces the timer with one of its own period.
    cache->registerSlot(id, "T", producing("tick", RefreshPolicy::interval(10)));
    EXPECT_EQ(timers.nextDueIn(), 10000ms);
    producers->succeed(3, "3");
    EXPECT_EQ(timers.pending(), 1u);

    cache->unregister(id);  // still one registration left
    EXPECT_EQ(timers.pending(), 1u);
    cache->unregister(id);
    EXPECT_EQ(timers.pending(), 0u);
    EXPECT_FALSE(cache->state(id));
    timers.advance(1h);
    EXPECT_EQ(runs(), 4u);
}

TEST_F(DynamicTitleCacheTest, ALevelRebuiltWhileTheOldOneIsTornDownKeepsItsRegistration) {
    QSignalSpy changed(cache.get(), &DynamicTitleCache::statesChanged);
    cache->registerSlot(id, "T", producing("p", RefreshPolicy::interval(5)));
    producers->succeed(0, "first");
    // The new level's slot registers before the old level's slot lets go.
    cache->registerSlot(id, "T", producing("p", RefreshPolicy::interval(5)));
    cache->unregister(id);
    EXPECT_EQ(cache->title(id, "T"), "first");
    producers->succeed(1, "second");
    EXPECT_EQ(timers.pending(), 1u);
    EXPECT_EQ(cache->title(id, "T"), "second");
    timers.advance(5s);
    EXPECT_EQ(runs(), 3u);

    // Unregistering more often than registering changes nothing further.
    cache->unregister(id);
    cache->unregister(id);
    EXPECT_FALSE(cache->state(id));
    EXPECT_EQ(changed.count(), 3);  // two titles, one removal
}

TEST_F(DynamicTitleCacheTest, ARunOfAnUnregisteredOrChangedSlotIsDropped) {
    cache->registerSlot(id, "T", producing("p"));
    cache->unregister(id);
    producers->succeed(0, "late");
    EXPECT_FALSE(cache->state(id));

    // Nor does it land on a later registration of the same id, which runs
    // its own producer at once.
    cache->registerSlot(id, "T", producing("p"));
    cache->unregister(id);
    cache->registerSlot(id, "T", producing("p"));
    ASSERT_EQ(runs(), 3u);
    producers->fail(1, ScriptError::nonzeroExit(1, "stale"));
    EXPECT_FALSE(cache->state(id));
    producers->succeed(2, "fresh");
    EXPECT_EQ(cache->title(id, "T"), "fresh");
    EXPECT_EQ(runs(), 3u);

    // Nor does a run of a producer the slot has since been changed from.
    const Uuid changed = Uuid::random();
    cache->registerSlot(changed, "Old", producing("old"));
    cache->registerSlot(changed, "New", producing("new"));
    ASSERT_EQ(runs(), 4u);
    producers->succeed(3, "from old");
    EXPECT_FALSE(cache->state(changed));
    ASSERT_EQ(runs(), 5u);
    EXPECT_EQ(producers->runs[4].producer.source, "new");
    producers->succeed(4, "");
    EXPECT_EQ(cache->title(changed, "?"), "New");
}

TEST_F(DynamicTitleCacheTest, RequestsDuringARunCoalesceIntoOneRerun) {
    cache->registerSlot(id, "T", producing("slow", RefreshPolicy::interval(5)));
    cache->refresh(id);
    cache->refreshMenuOpenSlots();
    timers.advance(5s);
    timers.advance(5s);
    EXPECT_EQ(runs(), 1u);
    EXPECT_EQ(producers->running(), 1u);

    producers->succeed(0, "one");
    EXPECT_EQ(cache->title(id, "T"), "one");
    ASSERT_EQ(runs(), 2u);  // exactly one rerun
    producers->succeed(1, "two");
    EXPECT_EQ(cache->title(id, "T"), "two");
    EXPECT_EQ(runs(), 2u);

    // A failed run also releases the slot for the next request.
    cache->refresh(id);
    producers->fail(2, ScriptError::nonzeroExit(2, ""));
    cache->refresh(id);
    EXPECT_EQ(runs(), 4u);
}

TEST_F(DynamicTitleCacheTest, AStalledProducerIsEndedAtItsTimeLimitAndTheNextRefreshRuns) {
    cache->registerSlot(id, "T", producing("p", RefreshPolicy::interval(10)));
    producers->succeed(0, "first");
    timers.advance(10s);  // the second run never ends
    ASSERT_EQ(runs(), 2u);
    timers.advance(10s);  // folded into a rerun while it hangs
    EXPECT_EQ(runs(), 2u);
    timers.advance(DynamicTitleCache::kProducerTimeLimit - 10s);
    EXPECT_TRUE(producers->runs[1].ended);
    ASSERT_EQ(runs(), 3u);  // the pending rerun
    EXPECT_EQ(cache->title(id, "T"), "first");  // the last label stays
    producers->fail(1, ScriptError::nonzeroExit(15, ""));  // the ended run's late answer changes nothing
    EXPECT_FALSE(cache->state(id)->lastError);
    producers->succeed(2, "fresh");
    EXPECT_EQ(cache->title(id, "T"), "fresh");
    EXPECT_FALSE(producers->runs[2].ended);
}

TEST_F(DynamicTitleCacheTest, AnObserverMayUnregisterWhileBeingTold) {
    cache->registerSlot(id, "T", producing("p"));
    cache->refresh(id);  // a rerun is pending
    QObject::connect(cache.get(), &DynamicTitleCache::statesChanged, cache.get(), [this] { cache->unregister(id); });
    producers->succeed(0, "x");
    EXPECT_FALSE(cache->state(id));
    EXPECT_EQ(runs(), 1u);
}

TEST_F(DynamicTitleCacheTest, CallsFromOtherThreadsAreQueuedToTheGuiThread) {
    std::thread worker([this] {
        cache->registerSlot(id, "T", producing("p"));
        cache->refresh(id);
    });
    worker.join();
    EXPECT_EQ(runs(), 0u);
    QCoreApplication::processEvents();
    EXPECT_EQ(runs(), 1u);
}

TEST_F(DynamicTitleCacheTest, DestroyingTheCacheCancelsTimersAndIgnoresLateRuns) {
    cache->registerSlot(id, "T", producing("p", RefreshPolicy::interval(5)));
    auto completion = producers->runs[0].completion;
    auto keep = std::move(producers->runs);  // the runner goes with the cache
    cache.reset();
    EXPECT_EQ(timers.pending(), 0u);
    completion(ScriptResult::success("late"));  // must not touch the dead cache
}

TEST(DynamicTitleCacheLive, TheLiveRunnerRunsProducersThroughZsh) {
    fakes::FakeClock clock;
    fakes::FakeTimers timers(&clock);
    DynamicTitleCache cache(std::make_unique<LiveProducerRunner>(), timers, clock);
    const Uuid id = Uuid::random();
    cache.registerSlot(id, "T", producing("print; print '  live label  '"));
    QSignalSpy changed(&cache, &DynamicTitleCache::statesChanged);
    ASSERT_TRUE(changed.wait(20000));
    EXPECT_EQ(cache.state(id), (DynamicTitleState{"live label", std::nullopt, clock.seconds}));
}

}  // namespace
