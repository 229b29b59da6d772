#pragma once

// Turning the displays off through the server's power saving (DPMS). Forcing
// a power level needs power saving on; when the user had it off it is turned
// on only for this and off again once the displays wake. The X server sends
// no event when they wake, so while they sleep their state is checked once a
// second.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "platform/timers.h"

namespace orbel::platform::x11 {

// What the display sleep needs of the server.
struct PowerSaving {
    std::function<std::optional<bool>()> enabled;  // nothing: the server cannot do it
    std::function<void(bool)> setEnabled;
    std::function<bool()> forceOff;                // false when refused
    std::function<bool()> displaysOff;             // still asleep
};

class DisplaySleep {
public:
    static constexpr std::chrono::seconds kWakeCheck{1};

    DisplaySleep(PowerSaving server, Timers& timers) : server_(std::move(server)), timers_(timers) {}
    ~DisplaySleep() { timers_.cancel(wakeCheck_); }

    // False when the server cannot turn the displays off.
    bool sleep();

private:
    PowerSaving server_;
    Timers& timers_;
    Timers::Id wakeCheck_ = 0;
    bool restoreOff_ = false;  // power saving was off before the last sleep
};

}  // namespace orbel::platform::x11
