#pragma once

// Waits, by polling the on-screen window list on the GUI thread, until a
// window of a given application (optionally with a title containing a given
// text) shows up, or a time limit passes. Serves the waitForWindow step of
// keystroke macros. Never blocks: each poll is a timer callback.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/timers.h"
#include "platform/window_snapshots.h"

namespace orbel {

class WindowWaiter {
public:
    using WaitId = std::uint64_t;                  // never 0
    using Completion = std::function<void(bool found)>;

    // `pollIntervalMs` below zero counts as zero.
    explicit WindowWaiter(std::int64_t pollIntervalMs = 100);
    // Pending waits end without their completion being called.
    ~WindowWaiter();
    WindowWaiter(const WindowWaiter&) = delete;
    WindowWaiter& operator=(const WindowWaiter&) = delete;

    // Starts a wait. The first poll runs as soon as the event loop gets to
    // it, then one every poll interval; `completion` runs on the GUI thread
    // exactly once, with true as soon as a matching window is seen, or with
    // false once `timeoutMs` has passed without one (at once, without a
    // poll, when `timeoutMs` is zero or below). The deadline is tested
    // before every poll, so a window that appears during the last interval
    // is not seen.
    WaitId wait(std::string bundleId, std::optional<std::string> titleContains, std::int64_t timeoutMs,
                Completion completion);
    // Ends a wait without calling its completion. Unknown ids are ignored.
    void cancel(WaitId id);

private:
    // Whether a window belongs to the application (exact, case-sensitive
    // id; a window whose owner is unknown never matches) and, unless
    // `titleContains` is absent or empty, has a title containing it
    // (case-sensitive).
    static bool matches(const platform::WindowSnapshot& window, const std::string& bundleId,
                        const std::optional<std::string>& titleContains);

    struct Wait {
        std::string bundleId;
        std::optional<std::string> titleContains;
        std::chrono::steady_clock::time_point deadline;
        Completion completion;
        platform::Timers::Id timer = 0;
    };
    void poll(WaitId id);
    void finish(WaitId id, bool found);
    std::chrono::steady_clock::time_point now() const;

    std::int64_t pollIntervalMs_;
    std::map<WaitId, Wait> waits_;
    WaitId nextId_ = 1;
    std::shared_ptr<int> life_ = std::make_shared<int>(0);  // timer callbacks hold it weakly
};

}  // namespace orbel
