#pragma once

#include <chrono>
#include <string_view>

namespace orbel::platform {

// Points on the time line from an input to the dial, logged to the
// "orbel.signpost" category as "[orbel-signpost] <name> [slot=<n>] t=<µs>us",
// t counting microseconds since the first signpost of the process. Safe
// from any thread. Names are constant texts.
class Signposts {
public:
    static void event(std::string_view name);
    static void event(std::string_view name, int slot);
};

// Measures an operation: logs "begin <name>" now and "end <name>
// elapsed=<µs>us" when destroyed or when end() is called, whichever comes first.
class SignpostInterval {
public:
    explicit SignpostInterval(std::string_view name);
    ~SignpostInterval();
    SignpostInterval(const SignpostInterval&) = delete;
    SignpostInterval& operator=(const SignpostInterval&) = delete;
    void end();

private:
    std::string_view name_;
    std::chrono::steady_clock::time_point start_;
    bool ended_ = false;
};

}  // namespace orbel::platform
