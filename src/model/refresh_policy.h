#pragma once

// When a dynamic slot's producer script reruns: each time the dial opens, or
// every `seconds` seconds.
//
// JSON: {"kind": "menuOpen"} or {"kind": "interval", "seconds": n}. The
// interval is clamped into 5...3600 when read and when written; a value held
// in memory is kept as given (and compares as given).

#include <cstddef>
#include <cstdint>
#include <functional>

#include "model/json.h"

namespace orbel {

struct RefreshPolicy {
    enum class Kind { menuOpen, interval };

    static constexpr std::int64_t kMinSeconds = 5;
    static constexpr std::int64_t kMaxSeconds = 3600;

    Kind kind = Kind::menuOpen;
    std::int64_t seconds = 0;  // meaningful for `interval` only

    static RefreshPolicy menuOpen() { return {}; }
    static RefreshPolicy interval(std::int64_t seconds) { return {Kind::interval, seconds}; }

    static std::int64_t clampSeconds(std::int64_t seconds);

    bool operator==(const RefreshPolicy& other) const;
    std::size_t hash() const;

    static RefreshPolicy fromJson(const json::Node& node);
    json::Json toJson() const;
};

}  // namespace orbel

template <>
struct std::hash<orbel::RefreshPolicy> {
    std::size_t operator()(const orbel::RefreshPolicy& p) const noexcept { return p.hash(); }
};
