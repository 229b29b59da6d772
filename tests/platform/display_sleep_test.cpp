#include "platform/linux/display_sleep.h"

#include <gtest/gtest.h>

#include "fakes/fake_timers.h"

namespace orbel::platform::x11 {
namespace {

// A server whose displays wake when the test says so.
struct FakeServer {
    std::optional<bool> enabled = false;
    bool asleep = false, refuses = false;
    PowerSaving control() {
        return {[this] { return enabled; }, [this](bool on) { enabled = on; },
                [this] { return (asleep = !refuses && enabled == true); }, [this] { return asleep; }};
    }
};

TEST(DisplaySleep, PowerSavingTheUserTurnedOffIsTurnedOffAgainOnceTheDisplaysWake) {
    struct Case {
        const char* name;
        std::optional<bool> enabledBefore;
        bool refuses;
        bool slept;
    };
    const Case cases[] = {
        {"was off", false, false, true},
        {"was on", true, false, true},
        {"refused", false, true, false},
        {"no power saving", std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        fakes::FakeTimers timers;
        FakeServer server;
        server.enabled = c.enabledBefore;
        server.refuses = c.refuses;
        DisplaySleep sleep(server.control(), timers);
        EXPECT_EQ(sleep.sleep(), c.slept) << c.name;
        EXPECT_EQ(sleep.sleep(), c.slept) << c.name << ", twice";
        timers.advance(std::chrono::seconds(5));
        EXPECT_EQ(server.enabled, c.slept ? std::optional<bool>(true) : c.enabledBefore) << c.name << ": asleep";
        server.asleep = false;  // the user moves the mouse
        timers.advance(DisplaySleep::kWakeCheck);
        EXPECT_EQ(server.enabled, c.enabledBefore) << c.name << ": the user's setting is back";
        EXPECT_EQ(timers.pending(), 0u) << c.name;
    }
}

}  // namespace
}  // namespace orbel::platform::x11
