#pragma once

#include "platform/permissions.h"

namespace orbel::fakes {

class FakePermissions : public platform::Permissions {
public:
    bool inputMonitoringGranted() override { return inputMonitoring; }
    bool requestInputMonitoring() override { return inputMonitoring; }
    bool accessibilityTrusted(bool prompt) override {
        ++accessibilityChecks;
        if (prompt) ++accessibilityPrompts;
        return accessibility;
    }

    bool inputMonitoring = true;
    bool accessibility = true;
    int accessibilityChecks = 0;
    int accessibilityPrompts = 0;
};

}  // namespace orbel::fakes
