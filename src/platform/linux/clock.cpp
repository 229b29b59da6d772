#include "platform/clock.h"

#include <atomic>

namespace orbel::platform {
namespace {

class SystemClock final : public Clock {
public:
    double secondsSince1970() const override {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        return std::chrono::duration<double>(now).count();
    }
    std::chrono::steady_clock::time_point monotonicNow() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace

Clock& Clock::makeShared() { return processLifetimeInstance<SystemClock>(); }

}  // namespace orbel::platform
