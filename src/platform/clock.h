#pragma once

#include <chrono>

namespace orbel::platform {

// Wall-clock time, replaceable in tests.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since 1970 with sub-second precision.
    virtual double secondsSince1970() const = 0;
    // A monotonic reading for measuring intervals.
    virtual std::chrono::steady_clock::time_point monotonicNow() const = 0;

    static Clock& shared();
    static void setShared(Clock* clock);  // tests; nullptr restores the default
};

}  // namespace orbel::platform
