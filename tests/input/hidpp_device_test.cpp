// HID++ 2.0 requests, answers, notifications and time-outs against a
// simulated device.
#include "input/hidpp_device.h"

#include "input_fixture.h"

namespace orbel::testing {
namespace {

using namespace std::chrono_literals;
using Kind = input::HidppError::Kind;
using HidppDeviceTest = HidppFixture;

TEST_F(HidppDeviceTest, SendsByteExactLongReportsWithIdentifiersOneToSevenThenZero) {
    auto first = request(5, 3, {0x00, 0x50, 0x2F, 0x00, 0x00});
    for (int i = 0; i < 8; ++i) {  // each sent once the one before is answered
        timers.runDue();
        request(5, 2);
    }
    timers.runDue();
    EXPECT_TRUE(first->result->ok());
    EXPECT_EQ(hid->sent[0].type, platform::HidReportType::output);
    EXPECT_EQ(hid->sent[0].reportId, 0x11);
    EXPECT_EQ(sentFrame(0), padded({0xFF, 0x05, 0x39, 0x00, 0x50, 0x2F, 0x00, 0x00}));
    EXPECT_EQ(sentFrame(8), padded({0xFF, 0x05, 0x29}));  // no parameters: 16 zero bytes
    std::vector<int> identifiers;
    for (const auto& sent : hid->sent) identifiers.push_back(sent.data[2] & 0x0F);
    EXPECT_EQ(identifiers, (std::vector<int>{9, 10, 11, 12, 13, 14, 15, 8, 9}));
}

TEST_F(HidppDeviceTest, MatchesInputFramesToThePendingRequest) {
    struct Case {
        const char* name;
        int reportId;
        HidBytes frame;
        bool withError;
        std::optional<Kind> expected;  // none with `answered`: the answer; none without: still pending
        bool answered;
    };
    // The pending request: feature 5, function 3, identifier 1 (function byte 0x39).
    const std::vector<Case> cases = {
        {"answer", 0x11, padded({0xFF, 0x05, 0x39, 0xAB}), false, std::nullopt, true},
        {"error frame", 0x11, padded({0xFF, 0xFF, 0x05, 0x39, 0x05}), false, Kind::errorInputRequest, true},
        {"other feature index", 0x11, padded({0xFF, 0x06, 0x39}), false, Kind::unexpectedInputRequest, true},
        {"other device index", 0x11, padded({0x01, 0x05, 0x39}), false, Kind::unexpectedInputRequest, true},
        {"other function", 0x11, padded({0xFF, 0x05, 0x29}), false, Kind::unexpectedInputRequest, true},
        {"other identifier", 0x11, padded({0xFF, 0x05, 0x3A}), false, std::nullopt, false},
        {"three bytes", 0x11, {0xFF, 0x05, 0x39}, false, std::nullopt, false},
        {"four-byte error frame", 0x11, {0xFF, 0xFF, 0x05, 0x39}, false, std::nullopt, false},
        {"short report id", 0x10, padded({0xFF, 0x05, 0x39}, 6), false, std::nullopt, false},
        {"reported with an error", 0x11, padded({0xFF, 0x05, 0x39}), true, std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto on = std::make_shared<fakes::FakeHidDevice>(timers);
        device = open(on).value();
        auto r = request(5, 3);
        timers.runDue();
        on->deliver(c.reportId, c.frame, c.withError ? std::optional(platform::HidError{5}) : std::nullopt);
        EXPECT_EQ(!r->pending(), c.answered);
        EXPECT_EQ(r->errorKind(), c.expected);
        if (c.expected == Kind::errorInputRequest) {
            EXPECT_EQ(std::get<input::HidppError>(r->result->failure()).data[0], 0x05);
        } else if (c.answered && !c.expected) {
            EXPECT_EQ(r->result->value(), padded({0xAB}, 16));
        }
    }
}

TEST_F(HidppDeviceTest, LogsHidppReportsOnlyNeverPointerMotion) {
    const std::vector<std::pair<int, bool>> cases = {{0x10, true}, {0x11, true}, {0x12, true},
                                                     {0x01, false}, {0x02, false}, {0x20, false}};
    for (const auto& [reportId, logged] : cases) {
        SCOPED_TRACE(reportId);
        const auto rawLines = [&] {
            const auto lines = logs.lines();
            return std::count_if(lines.begin(), lines.end(),
                                 [](const auto& l) { return l.text.starts_with("[orbel-hidpp] raw report="); });
        };
        const auto before = rawLines();
        hid->deliver(reportId, padded({0xFF, 0x05, 0x39, 0x01}, 6));
        EXPECT_EQ(rawLines() - before, logged ? 1 : 0);
    }
}

TEST_F(HidppDeviceTest, NotificationsReachTheHandlerAndLeaveRequestsAlone) {
    sim.silent.insert({5, 3});
    auto pending = request(5, 3);
    timers.runDue();
    std::vector<std::tuple<int, int, HidBytes>> seen;
    device->setNotificationHandler([&](std::uint8_t f, std::uint8_t fn, const HidBytes& data) { seen.push_back({f, fn, data}); });
    sim.notify(5, 0, {0x00, 0xC3});
    EXPECT_EQ(seen, (std::vector<std::tuple<int, int, HidBytes>>{{5, 0, padded({0x00, 0xC3}, 16)}}));
    EXPECT_TRUE(pending->pending());
}

// Each request has its own time-out, two seconds from the end of its send.
TEST_F(HidppDeviceTest, TimesOutTwoSecondsAfterTheSendCompleted) {
    hid->holdSends = true;
    auto r = request(5, 3);
    timers.advance(1500ms);  // the send takes its time
    hid->completeHeldSends();
    timers.advance(1999ms);
    EXPECT_TRUE(r->pending());
    timers.advance(1ms);
    EXPECT_EQ(r->errorKind(), Kind::timeout);
}

TEST_F(HidppDeviceTest, AnOldTimerNeverFailsANewerRequestUnderTheSameIdentifier) {
    sim.delay = 10ms;
    for (int i = 0; i < 8; ++i) {  // identifiers 1...7, 0, each answered at once
        auto r = request(5, 2);
        timers.advance(20ms);
        ASSERT_TRUE(r->result && r->result->ok());
    }
    sim.delay = 1950ms;  // identifier 1 again, answered after the first request's two seconds
    auto late = request(5, 2);
    timers.advance(1960ms);
    ASSERT_TRUE(late->result.has_value());
    EXPECT_TRUE(late->result->ok());
    EXPECT_EQ(timers.pending(), 0u);  // answered requests leave no timer behind
}

TEST_F(HidppDeviceTest, ALateAnswerAfterItsTimeOutIsDropped) {
    sim.delay = 2500ms;
    auto first = request(5, 2);
    timers.advance(2000ms);
    EXPECT_EQ(first->errorKind(), Kind::timeout);
    sim.delay = 0ms;
    auto second = request(5, 2);
    timers.advance(600ms);  // the first answer arrives now, under another identifier
    EXPECT_TRUE(second->result->ok());
}

TEST_F(HidppDeviceTest, RefusesWhatCannotBeSent) {
    auto tooLong = request(5, 3, HidBytes(17, 0x01));
    EXPECT_EQ(tooLong->errorKind(), Kind::tooLongRequest);
    EXPECT_TRUE(hid->sent.empty());
    request(5, 3, HidBytes(16, 0x01));
    timers.runDue();
    EXPECT_EQ(sentFrame(0).size(), 19u);

    sim.silent.insert({5, 4});
    std::vector<std::shared_ptr<Received<HidBytes>>> waiting;  // identifiers 2...7, 0, 1, then 2 again
    for (int i = 0; i < 9; ++i) waiting.push_back(request(5, 4));
    EXPECT_EQ(waiting[8]->errorKind(), Kind::duplicatedRequestIdentifier);
    EXPECT_TRUE(waiting[7]->pending());
    EXPECT_EQ(hid->sent.size(), 9u);
}

TEST_F(HidppDeviceTest, SendAndOpenErrorsAreTheHidErrors) {
    hid->sendError = platform::HidError{19};
    auto r = request(5, 3);
    timers.runDue();
    EXPECT_EQ(std::get<platform::HidError>(r->result->failure()), platform::HidError{19});
    EXPECT_EQ(timers.pending(), 0u);  // no time-out left running

    auto closed = std::make_shared<fakes::FakeHidDevice>(timers);
    closed->openError = platform::HidError{13};
    EXPECT_EQ(std::get<platform::HidError>(open(closed).failure()), platform::HidError{13});
}

TEST_F(HidppDeviceTest, CachesFeatureLookupsButNotBadAnswers) {
    sim.features[0x1B04] = {0, 0};  // unknown to the device: index 0, cached all the same
    for (int i = 0; i < 2; ++i) {
        Received<input::HidppDevice::Feature> r;
        device->feature(0x1B04, r.callback());
        timers.runDue();
        EXPECT_EQ(r.result->value(), (input::HidppDevice::Feature{0, 0}));
    }
    EXPECT_EQ(hid->sent.size(), 1u);
    EXPECT_EQ(sentFrame(0), padded({0xFF, 0x00, 0x09, 0x1B, 0x04}));

    sim.silent.insert({0, 0});
    Received<input::HidppDevice::Feature> shortAnswer;
    device->feature(0x2201, shortAnswer.callback());
    timers.runDue();
    hid->deliver(0x11, {0xFF, 0x00, 0x0A, 0x01, 0x02});  // two parameter bytes
    EXPECT_EQ(shortAnswer.errorKind(), Kind::invalidData);
    device->feature(0x2201, [](auto) {});
    EXPECT_EQ(hid->sent.size(), 3u);  // nothing was cached
}

}  // namespace
}  // namespace orbel::testing
