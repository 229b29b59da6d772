#pragma once

// Timers that fire only when the test moves time forward.

#include <algorithm>
#include <map>
#include <optional>

#include "fakes/fake_platform_basics.h"
#include "platform/timers.h"

namespace orbel::fakes {

class FakeTimers : public platform::Timers {
public:
    // The clock, when given, follows the timers' time: it is moved to each
    // timer's due time before that timer's task runs.
    explicit FakeTimers(FakeClock* clock = nullptr) : clock_(clock), base_(clock ? clock->seconds : 0) {}

    Id singleShot(std::chrono::milliseconds delay, std::function<void()> task) override {
        return add(std::max<std::int64_t>(delay.count(), 0), 0, std::move(task));
    }
    Id repeating(std::chrono::milliseconds interval, std::function<void()> task) override {
        const std::int64_t every = std::max<std::int64_t>(interval.count(), 1);
        return add(every, every, std::move(task));
    }
    void cancel(Id id) override { timers_.erase(id); }

    // Moves time forward, firing every timer that falls due on the way in
    // order of due time (then of creation), including timers started by the
    // tasks themselves. A timer due exactly at the end fires.
    void advance(std::chrono::milliseconds by) {
        const std::int64_t end = now_ + std::max<std::int64_t>(by.count(), 0);
        for (;;) {
            auto next = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
                return a.second.due != b.second.due ? a.second.due < b.second.due : a.first < b.first;
            });
            if (next == timers_.end() || next->second.due > end) break;
            setNow(next->second.due);
            std::function<void()> task = next->second.task;
            if (next->second.interval > 0) {
                next->second.due += next->second.interval;
            } else {
                timers_.erase(next);
            }
            task();
        }
        setNow(end);
    }
    // Fires what is due now (zero-delay timers).
    void runDue() { advance(std::chrono::milliseconds(0)); }

    std::size_t pending() const { return timers_.size(); }
    // Time left until the next timer fires, if any.
    std::optional<std::chrono::milliseconds> nextDueIn() const {
        if (timers_.empty()) return std::nullopt;
        std::int64_t due = timers_.begin()->second.due;
        for (const auto& [id, t] : timers_) due = std::min(due, t.due);
        return std::chrono::milliseconds(due - now_);
    }
    // Milliseconds since the fake was made.
    std::int64_t nowMs() const { return now_; }

private:
    struct Timer {
        std::int64_t due;
        std::int64_t interval;  // 0: single shot
        std::function<void()> task;
    };
    Id add(std::int64_t delay, std::int64_t interval, std::function<void()> task) {
        const Id id = nextId_++;
        timers_.emplace(id, Timer{now_ + delay, interval, std::move(task)});
        return id;
    }
    void setNow(std::int64_t ms) {
        now_ = ms;
        if (clock_) clock_->seconds = base_ + static_cast<double>(now_) / 1000.0;
    }

    FakeClock* clock_;
    double base_;
    std::int64_t now_ = 0;
    Id nextId_ = 1;
    std::map<Id, Timer> timers_;
};

}  // namespace orbel::fakes
