#include "platform/capture_guard.h"

#include "platform/screen_capture.h"

namespace orbel::platform {

CaptureGuard& CaptureGuard::shared() {
    static CaptureGuard* guard = new CaptureGuard;
    return *guard;
}

CaptureGuard::CaptureGuard(Settle settle) : settle_(std::move(settle)) {
    if (!settle_) settle_ = [](std::function<void()> done) { ScreenCapture::shared().afterScreenSettles(std::move(done)); };
}

void CaptureGuard::overlayShown() { ++shown_; }

void CaptureGuard::overlayHidden() {
    if (shown_ == 0) return;
    if (--shown_ > 0 || settling_) return;
    settling_ = true;
    settle_([this] { settled(); });
}

void CaptureGuard::settled() {
    settling_ = false;
    if (shown_ > 0) return;  // shown again meanwhile: wait for the next hide
    auto tasks = std::move(waiting_);
    waiting_.clear();
    for (auto& task : tasks) task();
}

void CaptureGuard::whenClear(std::function<void()> task) {
    if (isClear()) {
        task();
        return;
    }
    waiting_.push_back(std::move(task));
}

}  // namespace orbel::platform
