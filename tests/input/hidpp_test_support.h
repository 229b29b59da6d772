#pragma once

// A HidppDevice opened over a simulated HID++ 2.0 device, on fake timers.

#include <gtest/gtest.h>
#include <optional>

#include "fakes/fake_hid.h"
#include "fakes/fake_timers.h"
#include "fakes/log_capture.h"
#include "input/hidpp_device.h"

namespace orbel::testing {

using platform::HidBytes;

// Keeps the result a completion receives.
template <class T>
struct Received {
    std::optional<input::HidppResult<T>> result;
    auto callback() {
        return [this](input::HidppResult<T> r) { result.emplace(std::move(r)); };
    }
    bool pending() const { return !result.has_value(); }
    std::optional<input::HidppError::Kind> errorKind() const { return result ? result->errorKind() : std::nullopt; }
};

class HidppFixture : public ::testing::Test {
protected:
    HidppFixture() {
        platform::Timers::setShared(&timers);
        Received<std::shared_ptr<input::HidppDevice>> opened;
        input::HidppDevice::open(hid, opened.callback());
        timers.runDue();
        device = opened.result->value();
    }
    ~HidppFixture() override {
        device.reset();
        platform::Timers::setShared(nullptr);
    }
    // The parameters of the n-th long report sent.
    HidBytes sentFrame(std::size_t n) const { return hid->sent.at(n).data; }

    fakes::LogCapture logs;
    fakes::FakeTimers timers;
    std::shared_ptr<fakes::FakeHidDevice> hid = std::make_shared<fakes::FakeHidDevice>(timers);
    fakes::SimulatedHidppDevice sim{*hid, timers};
    std::shared_ptr<input::HidppDevice> device;
};

}  // namespace orbel::testing
