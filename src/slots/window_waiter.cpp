#include "slots/window_waiter.h"

#include <algorithm>

#include "platform/clock.h"

namespace orbel {

WindowWaiter::WindowWaiter(std::int64_t pollIntervalMs) : pollIntervalMs_(std::max<std::int64_t>(pollIntervalMs, 0)) {}

WindowWaiter::~WindowWaiter() {
    for (const auto& [id, wait] : waits_)
        if (wait.timer != 0) platform::Timers::shared().cancel(wait.timer);
}

std::chrono::steady_clock::time_point WindowWaiter::now() const {
    return platform::Clock::shared().monotonicNow();
}

bool WindowWaiter::matches(const platform::WindowSnapshot& window, const std::string& bundleId,
                           const std::optional<std::string>& titleContains) {
    if (window.appId.empty() || window.appId != bundleId) return false;
    if (!titleContains || titleContains->empty()) return true;
    return window.title.find(*titleContains) != std::string::npos;
}

WindowWaiter::WaitId WindowWaiter::wait(std::string bundleId, std::optional<std::string> titleContains,
                                        std::int64_t timeoutMs, Completion completion) {
    const WaitId id = nextId_++;
    Wait w;
    w.bundleId = std::move(bundleId);
    w.titleContains = std::move(titleContains);
    // Limits far beyond any configured one must not overflow the clock.
    const std::int64_t limit = std::clamp<std::int64_t>(timeoutMs, -1, 365LL * 24 * 3600 * 1000);
    w.deadline = now() + std::chrono::milliseconds(limit);
    w.completion = std::move(completion);
    std::weak_ptr<int> alive = life_;
    // Even the first poll goes through the event loop, so the completion
    // never runs inside the caller's own call.
    w.timer = platform::Timers::shared().singleShot(std::chrono::milliseconds(0), [this, alive, id] {
        if (alive.lock()) poll(id);
    });
    waits_.emplace(id, std::move(w));
    return id;
}

void WindowWaiter::cancel(WaitId id) {
    auto it = waits_.find(id);
    if (it == waits_.end()) return;
    if (it->second.timer != 0) platform::Timers::shared().cancel(it->second.timer);
    waits_.erase(it);
}

void WindowWaiter::poll(WaitId id) {
    auto it = waits_.find(id);
    if (it == waits_.end()) return;
    it->second.timer = 0;
    // Timers and clocks round to the millisecond; a poll due at the
    // deadline counts as past it.
    if (now() + std::chrono::milliseconds(1) > it->second.deadline) {
        finish(id, false);
        return;
    }
    const auto windows = platform::WindowSnapshots::shared().snapshot();
    for (const auto& window : windows) {
        if (matches(window, it->second.bundleId, it->second.titleContains)) {
            finish(id, true);
            return;
        }
    }
    std::weak_ptr<int> alive = life_;
    it->second.timer = platform::Timers::shared().singleShot(std::chrono::milliseconds(pollIntervalMs_), [this, alive, id] {
        if (alive.lock()) poll(id);
    });
}

void WindowWaiter::finish(WaitId id, bool found) {
    auto it = waits_.find(id);
    if (it == waits_.end()) return;
    Completion completion = std::move(it->second.completion);
    waits_.erase(it);
    // The completion may start another wait or destroy this waiter.
    if (completion) completion(found);
}

}  // namespace orbel
