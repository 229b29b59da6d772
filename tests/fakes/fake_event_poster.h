#pragma once

// Records what would have been typed and clicked.

#include <functional>
#include <vector>

#include "platform/clock.h"
#include "platform/event_poster.h"

namespace orbel::fakes {

struct PostedInput {
    enum class Kind { chord, text, click };
    Kind kind = Kind::chord;
    std::uint16_t keyCode = 0;
    std::uint32_t modifiers = 0;
    std::chrono::steady_clock::time_point at;  // Clock::shared() when posted

    bool isChord(std::uint16_t code, std::uint32_t mods) const {
        return kind == Kind::chord && keyCode == code && modifiers == mods;
    }
};

class FakeEventPoster : public platform::EventPoster {
public:
    bool postChord(std::uint16_t keyCode, std::uint32_t carbonModifiers) override {
        return record(PostedInput::Kind::chord, keyCode, carbonModifiers);
    }
    bool typeText(const std::string&) override { return record(PostedInput::Kind::text); }
    bool click(int, std::optional<std::pair<int, int>>) override { return record(PostedInput::Kind::click); }

    std::vector<PostedInput> posted;
    bool succeeds = true;                          // false: every call fails and nothing is recorded
    std::function<void(const PostedInput&)> onPost;  // runs at the moment of posting

private:
    bool record(PostedInput::Kind kind, std::uint16_t keyCode = 0, std::uint32_t modifiers = 0) {
        if (!succeeds) return false;
        posted.push_back(PostedInput{kind, keyCode, modifiers, platform::Clock::shared().monotonicNow()});
        if (onPost) onPost(posted.back());
        return true;
    }
};

}  // namespace orbel::fakes
