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
    std::vector<std::string> texts() const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> t;
        for (const auto& l : lines_) t.push_back(l.text);
        return t;
    }
    bool contains(const std::string& part) const {
        std::lock_guard lock(mutex_);
        for (const auto& l : lines_)
            if (l.text.find(part) != std::string::npos) return true;
        return false;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
};

}  // namespace orbel::fakes
