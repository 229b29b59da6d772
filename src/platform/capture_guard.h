#pragma once

// Keeps our own overlays (the dial's panels) out of screenshots. While an
// overlay is on screen, a capture waits: `whenClear` runs its task once the
// last overlay has been taken off the screen and the screen shows what was
// behind it. A screenshot fired from the dial therefore shows the desktop
// the user saw, never the dial. GUI thread.

#include <functional>
#include <vector>

namespace orbel::platform {

class CaptureGuard {
public:
    // How the screen is known to show an overlay's removal; the default asks
    // ScreenCapture::afterScreenSettles.
    using Settle = std::function<void(std::function<void()> done)>;

    static CaptureGuard& shared();
    explicit CaptureGuard(Settle settle = {});

    void overlayShown();
    // Call after the overlay's windows were hidden.
    void overlayHidden();
    bool isClear() const { return shown_ == 0 && !settling_; }
    // Runs `task` now when no overlay is up, else once the screen is clear.
    void whenClear(std::function<void()> task);

private:
    void settled();

    Settle settle_;
    int shown_ = 0;
    bool settling_ = false;
    std::vector<std::function<void()>> waiting_;
};

}  // namespace orbel::platform
