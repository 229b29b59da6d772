#pragma once

// A few answers kept by their question, the oldest dropped once `capacity`
// are kept: for what the dial asks again at every opening (measures of
// text, outlines, soft shadows) and that takes long to work out afresh.
// One thread's: keep one per thread (thread_local) where several draw.

#include <cstddef>
#include <utility>
#include <vector>

namespace orbel::dial {

template <typename Key, typename Answer, std::size_t capacity>
class KeptAnswers {
public:
    // The answer kept for `key`, or `make()`'s, kept from now on.
    template <typename Make>
    Answer get(const Key& key, Make&& make) {
        for (const auto& [k, answer] : kept_)
            if (k == key) return answer;
        if (kept_.size() >= capacity) kept_.erase(kept_.begin());
        kept_.emplace_back(key, std::forward<Make>(make)());
        return kept_.back().second;
    }

private:
    std::vector<std::pair<Key, Answer>> kept_;
};

}  // namespace orbel::dial
