#pragma once

// The fake platforms the input tests run on: hot keys, buttons and alerts
// for the activation input, and a simulated HID++ 2.0 device on fake timers.

#include <gtest/gtest.h>
#include <optional>

#include "fakes/fake_alerts.h"
#include "fakes/fake_global_hotkeys.h"
#include "fakes/fake_hid.h"
#include "fakes/fake_input_monitor.h"
#include "fakes/fake_permissions.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/fake_timers.h"
#include "fakes/log_capture.h"
#include "fakes/replace_shared.h"
#include "input/hidpp_device.h"

namespace orbel::testing {

using platform::HidBytes;

class InputFixture : public ::testing::Test {
public:
    fakes::FakeMainQueue mainQueue;
    fakes::FakeAlerts alerts;
    fakes::FakePermissions permissions;
    fakes::ReplaceShared<platform::MainQueue> useQueue{mainQueue};
    fakes::ReplaceShared<platform::Alerts> useAlerts{alerts};
    fakes::ReplaceShared<platform::Permissions> usePermissions{permissions};
    fakes::FakeGlobalHotkeys hotkeys;
    fakes::FakeInputMonitor monitor;
    fakes::LogCapture logs;
};

// Bytes padded with zeros to `size` (a long report's 19 bytes by default).
inline HidBytes padded(HidBytes bytes, std::size_t size = 19) {
    bytes.resize(size, 0);
    return bytes;
}

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

// Fake timers installed as the shared ones, and the log.
class HidFixture : public ::testing::Test {
protected:
    fakes::LogCapture logs;
    fakes::FakeTimers timers;
    fakes::ReplaceShared<platform::Timers> useTimers{timers};
};

// A HidppDevice opened over a simulated device.
class HidppFixture : public HidFixture {
protected:
    HidppFixture() { device = open(hid).value(); }

    input::HidppResult<std::shared_ptr<input::HidppDevice>> open(const std::shared_ptr<fakes::FakeHidDevice>& on) {
        Received<std::shared_ptr<input::HidppDevice>> opened;
        input::HidppDevice::open(on, opened.callback());
        timers.runDue();
        return *opened.result;
    }
    // Sends a request; its result lands in the returned holder, kept alive
    // by the completion.
    std::shared_ptr<Received<HidBytes>> request(std::uint8_t feature, std::uint8_t function, HidBytes parameters = {}) {
        auto r = std::make_shared<Received<HidBytes>>();
        device->request(feature, function, std::move(parameters), [r](auto result) { r->result.emplace(std::move(result)); });
        return r;
    }
    // The n-th long report sent.
    HidBytes sentFrame(std::size_t n) const { return hid->sent.at(n).data; }

    std::shared_ptr<fakes::FakeHidDevice> hid = std::make_shared<fakes::FakeHidDevice>(timers);
    fakes::SimulatedHidppDevice sim{*hid, timers};
    std::shared_ptr<input::HidppDevice> device;
};

}  // namespace orbel::testing
