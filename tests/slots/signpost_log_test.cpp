#include <gtest/gtest.h>

#include <thread>

#include "fakes/log_capture.h"
#include "slots/signpost_log.h"

namespace orbel {
namespace {

TEST(SignpostLog, OneHandleForAllThreadsAndEventsWithTheirSlot) {
    fakes::LogCapture capture;
    const PointsOfInterestLog* seen[4] = {};
    std::vector<std::thread> threads;
    for (auto& s : seen)
        threads.emplace_back([&s] {
            s = &pointsOfInterestLog();
            s->event(SignpostName::hotkeyCallback);
        });
    for (auto& t : threads) t.join();
    for (auto* s : seen) EXPECT_EQ(s, seen[0]);

    pointsOfInterestLog().event(SignpostName::hoverUpdated, -1);
    pointsOfInterestLog().event(SignpostName::executeHighlightedSlot, 3);
    pointsOfInterestLog().event(SignpostName::hidppTapPressed);

    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 7u);
    for (const auto& l : lines) EXPECT_EQ(l.category, platform::LogCategory::signpost);
    EXPECT_EQ(lines[0].text.rfind("[orbel-signpost] HotkeyCallback t=", 0), 0u) << lines[0].text;
    EXPECT_EQ(lines[4].text.rfind("[orbel-signpost] HoverUpdated slot=-1 t=", 0), 0u) << lines[4].text;
    EXPECT_EQ(lines[5].text.rfind("[orbel-signpost] ExecuteHighlightedSlot slot=3 t=", 0), 0u) << lines[5].text;
    EXPECT_EQ(lines[6].text.rfind("[orbel-signpost] HIDPPTapPressed t=", 0), 0u) << lines[6].text;
}

}  // namespace
}  // namespace orbel
