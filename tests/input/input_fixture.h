#pragma once

// The fake platform every activation-input test runs on.

#include <gtest/gtest.h>

#include "fakes/fake_alerts.h"
#include "fakes/fake_global_hotkeys.h"
#include "fakes/fake_input_monitor.h"
#include "fakes/fake_permissions.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/log_capture.h"

namespace orbel::testing {

class InputFixture : public ::testing::Test {
public:
    InputFixture() {
        platform::MainQueue::setShared(&mainQueue);
        platform::Alerts::setShared(&alerts);
        platform::Permissions::setShared(&permissions);
    }
    ~InputFixture() override {
        platform::MainQueue::setShared(nullptr);
        platform::Alerts::setShared(nullptr);
        platform::Permissions::setShared(nullptr);
    }

    fakes::FakeMainQueue mainQueue;
    fakes::FakeAlerts alerts;
    fakes::FakePermissions permissions;
    fakes::FakeGlobalHotkeys hotkeys;
    fakes::FakeInputMonitor monitor;
    fakes::LogCapture logs;
};

}  // namespace orbel::testing
