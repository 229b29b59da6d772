#pragma once

// Reports presses and releases of one extra mouse button (middle, back,
// forward and beyond) anywhere on the screen, without taking or changing the
// events. The hot key manager owns one and arms it when the activation
// binding is a mouse button. Repeated downs and unmatched ups are dropped;
// the callbacks run on a later turn of the GUI thread. GUI thread only.

#include <functional>
#include <memory>
#include <optional>

#include "model/hold_binding.h"
#include "platform/input_monitor.h"

namespace orbel {

class HoldEventTap {
public:
    explicit HoldEventTap(platform::InputMonitor& monitor = platform::InputMonitor::shared());
    ~HoldEventTap();
    HoldEventTap(const HoldEventTap&) = delete;
    HoldEventTap& operator=(const HoldEventTap&) = delete;

    // Set by the owner before `start`; read when an event is delivered.
    std::function<void()> onPress;
    std::function<void()> onRelease;

    // Arming: `start` stops any earlier listening, keeps the binding, and
    // listens only for a mouse-button binding with input monitoring granted.
    // `stop` forgets the binding and the pressed state.
    void start(const HoldBinding& binding);
    void stop();

    const std::optional<HoldBinding>& armedBinding() const { return armedBinding_; }
    bool isListening() const { return watch_ != 0; }
    bool isPressed() const { return isPressed_; }

private:
    void handle(int button, bool pressed);

    platform::InputMonitor& monitor_;
    int watch_ = 0;
    std::optional<HoldBinding> armedBinding_;
    bool isPressed_ = false;
    std::shared_ptr<HoldEventTap*> self_;  // cleared on destruction; queued calls check it
};

}  // namespace orbel
