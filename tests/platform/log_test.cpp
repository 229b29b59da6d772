#include "platform/log.h"

#include <gtest/gtest.h>
#include <thread>

#include "fakes/fake_platform_basics.h"
#include "fakes/log_capture.h"
#include "platform/signposts.h"

namespace orbel::platform {
namespace {

TEST(Log, TheSinkReceivesWholeLinesFromAnyThread) {
    fakes::LogCapture capture;
    std::thread a([] {
        for (int i = 0; i < 100; ++i) Log::write(LogCategory::hidpp, "[orbel-hidpp] a");
    });
    std::thread b([] {
        for (int i = 0; i < 100; ++i) Log::write(LogCategory::input, "[orbel-input] b", LogTarget::standardOutput);
    });
    a.join();
    b.join();
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 200u);
    for (const auto& l : lines) {
        EXPECT_TRUE(l.text == "[orbel-hidpp] a" || l.text == "[orbel-input] b");
        EXPECT_EQ(l.category, l.text == "[orbel-hidpp] a" ? LogCategory::hidpp : LogCategory::input);
    }
}

TEST(Signposts, EventsCarryTheirValues) {
    fakes::FakeClock clock;
    Clock::setShared(&clock);
    fakes::LogCapture capture;
    Signposts::event("HoverUpdated", -1);
    Signposts::event("ShowMenuStart");
    Clock::setShared(nullptr);

    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& l : lines) EXPECT_EQ(l.category, LogCategory::signpost);
    EXPECT_EQ(lines[0].text.rfind("[orbel-signpost] HoverUpdated slot=-1 t=", 0), 0u) << lines[0].text;
    EXPECT_EQ(lines[1].text.rfind("[orbel-signpost] ShowMenuStart t=", 0), 0u) << lines[1].text;
}

TEST(Signposts, AreOffUnlessAskedFor) {
    EXPECT_FALSE(loggingCategory(LogCategory::signpost).isInfoEnabled());
    EXPECT_FALSE(Log::wanted(LogCategory::signpost));
    fakes::LogCapture capture;
    EXPECT_TRUE(Log::wanted(LogCategory::signpost));
}

}  // namespace
}  // namespace orbel::platform
