#include "platform/permissions.h"

#include <atomic>
#include <mutex>
#include <optional>

#include "platform/linux/x11_session.h"

namespace orbel::platform {
namespace {

// X11 has no permission prompts: whoever can talk to the server may watch
// input (XInput2) and post events (XTest).
class X11Permissions final : public Permissions {
public:
    bool inputMonitoringGranted() override { return probe().xinput; }
    bool requestInputMonitoring() override { return probe().xinput; }
    bool accessibilityTrusted(bool) override { return probe().xtest; }

private:
    struct Extensions {
        bool xinput = false;
        bool xtest = false;
    };
    Extensions probe() {
        std::lock_guard lock(mutex_);
        if (!cached_) {
            auto* x = x11::Session::shared();
            cached_ = x ? Extensions{x->hasExtension("XInputExtension"), x->hasExtension("XTEST")} : Extensions{};
        }
        return *cached_;
    }
    std::mutex mutex_;
    std::optional<Extensions> cached_;
};

}  // namespace

Permissions& Permissions::makeShared() { return processLifetimeInstance<X11Permissions>(); }

}  // namespace orbel::platform
