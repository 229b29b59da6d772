#include "input/hold_event_tap.h"

#include "platform/main_queue.h"
#include "platform/permissions.h"

namespace orbel {

HoldEventTap::HoldEventTap(platform::InputMonitor& monitor)
    : monitor_(monitor), self_(std::make_shared<HoldEventTap*>(this)) {}

HoldEventTap::~HoldEventTap() {
    stop();
    *self_ = nullptr;
}

void HoldEventTap::start(const HoldBinding& binding) {
    stop();
    armedBinding_ = binding;
    if (!binding.asMouseButton()) return;
    if (!platform::Permissions::shared().inputMonitoringGranted()) return;
    watch_ = monitor_.addButtonWatch([this](int button, bool pressed) { handle(button, pressed); });
}

void HoldEventTap::stop() {
    monitor_.removeButtonWatch(watch_);
    watch_ = 0;
    armedBinding_.reset();
    isPressed_ = false;
}

void HoldEventTap::handle(int button, bool pressed) {
    const auto* armed = armedBinding_ ? armedBinding_->asMouseButton() : nullptr;
    // Left and right buttons are never an activation: they only pass by.
    if (!armed || button < 2 || armed->button != button) return;
    if (pressed == isPressed_) return;  // a second down, or an up without a down
    isPressed_ = pressed;
    std::weak_ptr<HoldEventTap*> weak = self_;
    platform::MainQueue::shared().post([weak, pressed] {
        auto self = weak.lock();
        if (!self || !*self) return;
        auto callback = pressed ? (*self)->onPress : (*self)->onRelease;
        if (callback) callback();
    });
}

}  // namespace orbel
