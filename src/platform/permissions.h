#pragma once
#include "platform/shared_instance.h"

namespace orbel::platform {

// Permission to watch input system-wide and to post synthetic events. On
// X11 both are granted whenever the server offers XInput2 and XTest.
class Permissions : public Shared<Permissions> {
public:
    virtual ~Permissions() = default;
    virtual bool inputMonitoringGranted() = 0;         // preflight, no prompt
    virtual bool requestInputMonitoring() = 0;         // may prompt; the answer now
    virtual bool accessibilityTrusted(bool prompt) = 0;

private:
    friend Shared<Permissions>;
    static Permissions& makeShared();
};

}  // namespace orbel::platform
