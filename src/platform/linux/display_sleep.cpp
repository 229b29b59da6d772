#include "platform/linux/display_sleep.h"

namespace orbel::platform::x11 {

bool DisplaySleep::sleep() {
    const std::optional<bool> enabled = server_.enabled();
    if (!enabled) return false;
    // A sleep while the last one is still waiting for the wake keeps the
    // user's setting from before the first.
    if (!wakeCheck_) restoreOff_ = !*enabled;
    if (!*enabled) server_.setEnabled(true);
    if (!server_.forceOff()) {
        if (restoreOff_ && !wakeCheck_) server_.setEnabled(false);
        return false;
    }
    if (restoreOff_ && !wakeCheck_)
        wakeCheck_ = timers_.repeating(kWakeCheck, [this] {
            if (server_.displaysOff()) return;
            server_.setEnabled(false);
            timers_.cancel(wakeCheck_);
            wakeCheck_ = 0;
        });
    return true;
}

}  // namespace orbel::platform::x11
