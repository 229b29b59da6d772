#pragma once

#include <chrono>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Wall-clock time, replaceable in tests.
class Clock : public Shared<Clock> {
public:
    virtual ~Clock() = default;
    // Seconds since 1970 with sub-second precision.
    virtual double secondsSince1970() const = 0;
    // A monotonic reading for measuring intervals.
    virtual std::chrono::steady_clock::time_point monotonicNow() const = 0;

private:
    friend Shared<Clock>;
    static Clock& makeShared();
};

}  // namespace orbel::platform
