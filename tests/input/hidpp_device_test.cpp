// HID++ 2.0 requests, answers, notifications and time-outs against a
// simulated device.
#include "input/hidpp_device.h"

#include "hidpp_test_support.h"

namespace orbel::testing {
namespace {

using namespace std::chrono_literals;
using Kind = input::HidppError::Kind;

class HidppDeviceTest : public HidppFixture {};

HidBytes padded(HidBytes bytes, std::size_t size = 19) {
    bytes.resize(size, 0);
    return bytes;
}

TEST_F(HidppDeviceTest, SendsByteExactLongReportsWithIdentifiersOneToSevenThenZero) {
    Received<HidBytes> first;
    device->request(5, 3, {0x00, 0x50, 0x2F, 0x00, 0x00}, first.callback());
    timers.runDue();
    ASSERT_EQ(hid->sent.size(), 1u);
    EXPECT_EQ(hid->sent[0].type, platform::HidReportType::output);
    EXPECT_EQ(hid->sent[0].reportId, 0x11);
    EXPECT_EQ(sentFrame(0), padded({0xFF, 0x05, 0x39, 0x00, 0x50, 0x2F, 0x00, 0x00}));
    EXPECT_TRUE(first.result->ok());

    for (int i = 0; i < 8; ++i) {
        Received<HidBytes> r;
        device->request(5, 2, {}, r.callback());
        timers.runDue();
        EXPECT_TRUE(r.result->ok());
    }
    std::vector<int> identifiers;
    for (const auto& sent : hid->sent) identifiers.push_back(sent.data[2] & 0x0F);
    EXPECT_EQ(identifiers, (std::vector<int>{9, 10, 11, 12, 13, 14, 15, 8, 9}));
    EXPECT_EQ(sentFrame(8), padded({0xFF, 0x05, 0x29}));  // no parameters: 16 zero bytes
}

struct InputCase {
    const char* name;
    int reportId;
    HidBytes frame;
    bool withError;
    std::optional<Kind> expected;  // none with `answered`: the answer; none without: still pending
    bool answered;
};

TEST_F(HidppDeviceTest, MatchesInputFramesToThePendingRequest) {
    // The pending request: feature 5, function 3, identifier 1 (function byte 0x39).
    const std::vector<InputCase> cases = {
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
    for (const InputCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto hidDevice = std::make_shared<fakes::FakeHidDevice>(timers);
        Received<std::shared_ptr<input::HidppDevice>> opened;
        input::HidppDevice::open(hidDevice, opened.callback());
        timers.runDue();
        auto fresh = opened.result->value();
        Received<HidBytes> r;
        fresh->request(5, 3, {}, r.callback());
        timers.runDue();
        hidDevice->deliver(c.reportId, c.frame, c.withError ? std::optional(platform::HidError{5}) : std::nullopt);
        EXPECT_EQ(!r.pending(), c.answered);
        EXPECT_EQ(r.errorKind(), c.expected);
        if (c.expected == Kind::errorInputRequest) {
            EXPECT_EQ(std::get<input::HidppError>(r.result->failure()).data[0], 0x05);
        }
        if (c.answered && !c.expected) {
            EXPECT_EQ(r.result->value(), padded({0xAB}, 16));
        }
    }
    bool sawOtherId = false;
    for (const auto& line : logs.lines())
        sawOtherId |= line.text == "[orbel-hidpp] raw report=0x10 len=6 bytes=ff 05 39 00 00 00";
    EXPECT_TRUE(sawOtherId);
}

TEST_F(HidppDeviceTest, NotificationsReachTheHandlerAndLeaveRequestsAlone) {
    sim.silent.insert({5, 3});
    Received<HidBytes> pending;
    device->request(5, 3, {}, pending.callback());
    timers.runDue();
    std::vector<HidBytes> seen;
    device->setNotificationHandler([&](std::uint8_t feature, std::uint8_t function, const HidBytes& data) {
        EXPECT_EQ(feature, 5);
        EXPECT_EQ(function, 0);
        seen.push_back(data);
    });
    sim.notify(5, 0, {0x00, 0xC3});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], padded({0x00, 0xC3}, 16));
    EXPECT_TRUE(pending.pending());
    EXPECT_EQ(logs.lines().back().text,
              "[orbel-hidpp] notification featureIndex=0x5 fn=0x0 data=00 c3 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST_F(HidppDeviceTest, TimesOutTwoSecondsAfterTheSendCompleted) {
    hid->holdSends = true;
    Received<HidBytes> r;
    device->request(5, 3, {}, r.callback());
    timers.advance(1500ms);  // the send takes its time
    hid->completeHeldSends();
    timers.advance(1999ms);
    EXPECT_TRUE(r.pending());
    timers.advance(1ms);
    EXPECT_EQ(r.errorKind(), Kind::timeout);
}

TEST_F(HidppDeviceTest, AnOldTimerNeverFailsANewerRequestUnderTheSameIdentifier) {
    sim.delay = 10ms;
    for (int i = 0; i < 8; ++i) {  // identifiers 1...7, 0, each answered at once
        Received<HidBytes> r;
        device->request(5, 2, {}, r.callback());
        timers.advance(20ms);
        ASSERT_TRUE(r.result && r.result->ok());
    }
    sim.delay = 1950ms;  // identifier 1 again, answered after the first request's two seconds
    Received<HidBytes> late;
    device->request(5, 2, {}, late.callback());
    timers.advance(1960ms);
    ASSERT_TRUE(late.result.has_value());
    EXPECT_TRUE(late.result->ok());
    EXPECT_EQ(timers.pending(), 0u);  // answered requests leave no timer behind
}

TEST_F(HidppDeviceTest, ALateAnswerAfterItsTimeOutIsDropped) {
    sim.delay = 2500ms;
    Received<HidBytes> first;
    device->request(5, 2, {}, first.callback());
    timers.advance(2000ms);
    EXPECT_EQ(first.errorKind(), Kind::timeout);
    sim.delay = 0ms;
    Received<HidBytes> second;
    device->request(5, 2, {}, second.callback());
    timers.advance(600ms);  // the first answer arrives now, under another identifier
    EXPECT_TRUE(second.result->ok());
}

TEST_F(HidppDeviceTest, RefusesWhatCannotBeSent) {
    Received<HidBytes> tooLong;
    device->request(5, 3, HidBytes(17, 0x01), tooLong.callback());
    EXPECT_EQ(tooLong.errorKind(), Kind::tooLongRequest);
    EXPECT_TRUE(hid->sent.empty());

    Received<HidBytes> full;
    device->request(5, 3, HidBytes(16, 0x01), full.callback());
    timers.runDue();
    EXPECT_EQ(sentFrame(0).size(), 19u);

    sim.silent.insert({5, 4});
    std::vector<Received<HidBytes>> waiting(9);  // identifiers 2...7, 0, 1, then 2 again
    for (auto& w : waiting) device->request(5, 4, {}, w.callback());
    EXPECT_EQ(waiting[8].errorKind(), Kind::duplicatedRequestIdentifier);
    EXPECT_TRUE(waiting[7].pending());
    EXPECT_EQ(hid->sent.size(), 9u);
}

TEST_F(HidppDeviceTest, ASendErrorFailsTheRequestWithoutATimer) {
    hid->sendError = platform::HidError{19};
    Received<HidBytes> r;
    device->request(5, 3, {}, r.callback());
    timers.runDue();
    ASSERT_FALSE(r.pending());
    EXPECT_EQ(std::get<platform::HidError>(r.result->failure()), platform::HidError{19});
    EXPECT_EQ(timers.pending(), 0u);
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

TEST_F(HidppDeviceTest, OpenFailureIsTheHidError) {
    auto closed = std::make_shared<fakes::FakeHidDevice>(timers);
    closed->openError = platform::HidError{13};
    Received<std::shared_ptr<input::HidppDevice>> r;
    input::HidppDevice::open(closed, r.callback());
    timers.runDue();
    EXPECT_EQ(std::get<platform::HidError>(r.result->failure()), platform::HidError{13});
}

}  // namespace
}  // namespace orbel::testing
