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

std::atomic<Clock*> sharedClock{nullptr};

}  // namespace

Clock& Clock::shared() {
    static SystemClock defaults;
    Clock* c = sharedClock.load();
    return c ? *c : defaults;
}

void Clock::setShared(Clock* clock) { sharedClock.store(clock); }

}  // namespace orbel::platform
