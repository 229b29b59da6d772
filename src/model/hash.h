#pragma once

// Building one hash from several: the values' own hashes mixed in turn.

#include <cstddef>

namespace orbel {

// Mixes `value` (a hash) into `seed` and returns the result.
constexpr std::size_t hashCombine(std::size_t seed, std::size_t value) {
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

}  // namespace orbel
