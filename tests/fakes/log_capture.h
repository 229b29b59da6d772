#pragma once

// Captures every log line while it lives.

#include <mutex>
#include <string>
#include <vector>

#include "platform/log.h"

namespace orbel::fakes {

class LogCapture {
public:
    struct Line {
        platform::LogCategory category;
        std::string text;
    };
    LogCapture() {
        platform::Log::setSink([this](platform::LogCategory category, const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(Line{category, line});
        });
    }
    ~LogCapture() { platform::Log::setSink({}); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<Line> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
};

}  // namespace orbel::fakes
