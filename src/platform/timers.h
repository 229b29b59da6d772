#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Timers on the GUI thread. Create and cancel them on the GUI thread; the
// callbacks run there. Cancelling from inside a callback is allowed.
class Timers : public Shared<Timers> {
public:
    using Id = std::uint64_t;  // never 0
    virtual ~Timers() = default;
    // Runs the task once, `delay` from now (a zero delay still defers it).
    virtual Id singleShot(std::chrono::milliseconds delay, std::function<void()> task) = 0;
    // Runs the task every `interval` until cancelled.
    virtual Id repeating(std::chrono::milliseconds interval, std::function<void()> task) = 0;
    // Unknown, fired or cancelled ids are ignored.
    virtual void cancel(Id id) = 0;

private:
    friend Shared<Timers>;
    static Timers& makeShared();
};

}  // namespace orbel::platform
