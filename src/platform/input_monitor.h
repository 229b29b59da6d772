#pragma once

#include <functional>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Listens to mouse buttons anywhere on the screen without taking or changing
// them. Buttons use the stored numbering (0 left, 1 right, 2 middle, 3 back,
// 4 forward, 5...); scrolling is never reported. GUI thread only; handlers run
// on the GUI thread, in the order they were added.
class InputMonitor : public Shared<InputMonitor> {
public:
    using ButtonHandler = std::function<void(int button, bool pressed)>;

    virtual ~InputMonitor() = default;

    // Starts a watch; 0 when buttons cannot be watched (no input extension).
    virtual int addButtonWatch(ButtonHandler handler) = 0;
    // Ends a watch; unknown or 0 does nothing. Safe inside a handler.
    virtual void removeButtonWatch(int watch) = 0;

private:
    friend Shared<InputMonitor>;
    static InputMonitor& makeShared();
};

}  // namespace orbel::platform
