#pragma once

#include <mutex>
#include <vector>

#include "platform/window_snapshots.h"

namespace orbel::fakes {

// Serves the windows the test sets.
class FakeWindowSnapshots : public platform::WindowSnapshots {
public:
    std::vector<platform::WindowSnapshot> snapshot() override {
        std::lock_guard lock(mutex_);
        ++calls_;
        return windows_;
    }
    void setWindows(std::vector<platform::WindowSnapshot> windows) {
        std::lock_guard lock(mutex_);
        windows_ = std::move(windows);
    }
    int calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<platform::WindowSnapshot> windows_;
    int calls_ = 0;
};

}  // namespace orbel::fakes
