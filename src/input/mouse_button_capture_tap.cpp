#include "input/mouse_button_capture_tap.h"

#include <string>

#include "platform/log.h"
#include "platform/main_queue.h"
#include "platform/permissions.h"

namespace orbel {
namespace {

void log(const std::string& message) {
    platform::Log::write(platform::LogCategory::input, "[orbel-input] MouseButtonCaptureTap: " + message);
}

}  // namespace

MouseButtonCaptureTap::MouseButtonCaptureTap(platform::InputMonitor& monitor)
    : monitor_(monitor), self_(std::make_shared<MouseButtonCaptureTap*>(this)) {}

MouseButtonCaptureTap::~MouseButtonCaptureTap() {
    monitor_.removeButtonWatch(watch_);
    *self_ = nullptr;
}

void MouseButtonCaptureTap::install() {
    if (installed()) {
        log("already installed, skipping");
        return;
    }
    const bool granted = platform::Permissions::shared().inputMonitoringGranted();
    log(std::string("input monitoring granted = ") + (granted ? "true" : "false"));
    if (!granted) return;
    std::weak_ptr<MouseButtonCaptureTap*> weak = self_;
    watch_ = monitor_.addButtonWatch([weak](int button, bool pressed) {
        if (!pressed || button < 2) return;  // other-button presses only
        log("otherMouseDown buttonNumber=" + std::to_string(button));
        platform::MainQueue::shared().post([weak, button] {
            auto self = weak.lock();
            if (!self || !*self) return;
            if (auto callback = (*self)->onButtonDown) callback(button);
        });
    });
    if (!watch_) {
        log("could not listen to mouse buttons although input monitoring is granted — the X server offers no "
            "XInput2 raw events. Restart Orbel in a session that has them.");
        return;
    }
    log("installed successfully, listening for otherMouseDown");
}

}  // namespace orbel
