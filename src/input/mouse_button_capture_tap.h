#pragma once

// Watches presses of the extra mouse buttons (middle, back, forward and
// beyond) anywhere on the screen for the hold binding recorder, without
// taking them. Once installed it listens for the object's whole life; the
// recorder decides whether a press counts. Every step is logged with the
// "[orbel-input] " tag. GUI thread only.

#include <functional>
#include <memory>

#include "platform/input_monitor.h"

namespace orbel {

class MouseButtonCaptureTap {
public:
    explicit MouseButtonCaptureTap(platform::InputMonitor& monitor = platform::InputMonitor::shared());
    ~MouseButtonCaptureTap();
    MouseButtonCaptureTap(const MouseButtonCaptureTap&) = delete;
    MouseButtonCaptureTap& operator=(const MouseButtonCaptureTap&) = delete;

    // Called on a later turn of the GUI thread with the button number.
    std::function<void(int button)> onButtonDown;

    // Starts listening when input monitoring is granted; a second call only
    // logs. A failed start leaves it uninstalled, so the next call tries again.
    void install();
    bool installed() const { return watch_ != 0; }

private:
    platform::InputMonitor& monitor_;
    int watch_ = 0;
    std::shared_ptr<MouseButtonCaptureTap*> self_;
};

}  // namespace orbel
