#include "platform/signposts.h"

#include <mutex>
#include <string>

#include "platform/clock.h"
#include "platform/log.h"

namespace orbel::platform {
namespace {

// The time line starts at the first signpost of the process.
std::chrono::steady_clock::time_point origin() {
    static const std::chrono::steady_clock::time_point start = Clock::shared().monotonicNow();
    return start;
}

long long microsecondsSince(std::chrono::steady_clock::time_point from) {
    return std::chrono::round<std::chrono::microseconds>(Clock::shared().monotonicNow() - from).count();
}

void record(std::string_view name, const std::string* argument) {
    const auto start = origin();
    if (!Log::wanted(LogCategory::signpost)) return;
    std::string line = "[orbel-signpost] ";
    line.append(name);
    if (argument) line.append(" ").append(*argument);
    line.append(" t=").append(std::to_string(microsecondsSince(start))).append("us");
    Log::write(LogCategory::signpost, line, LogTarget::category);
}

}  // namespace

void Signposts::event(std::string_view name) { record(name, nullptr); }

void Signposts::event(std::string_view name, int slot) {
    if (!Log::wanted(LogCategory::signpost)) return;
    const std::string argument = "slot=" + std::to_string(slot);
    record(name, &argument);
}

}  // namespace orbel::platform
