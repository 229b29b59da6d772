#pragma once

#include <atomic>

#include "platform/permissions.h"

namespace orbel::fakes {

class FakePermissions : public platform::Permissions {
public:
    bool inputMonitoringGranted() override { return inputMonitoring; }
    bool requestInputMonitoring() override {
        ++inputMonitoringRequests;
        return inputMonitoring;
    }
    bool accessibilityTrusted(bool prompt) override {
        ++accessibilityChecks;
        if (prompt) ++accessibilityPrompts;
        return accessibility;
    }

    bool inputMonitoring = true;
    std::atomic<int> inputMonitoringRequests = 0;
    bool accessibility = true;
    int accessibilityChecks = 0;
    int accessibilityPrompts = 0;
};

}  // namespace orbel::fakes
