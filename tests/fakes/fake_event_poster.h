#pragma once

// Records what would have been typed and clicked.

#include <functional>
#include <vector>

#include "platform/clock.h"
#include "platform/event_poster.h"

namespace orbel::fakes {

struct PostedInput {
    enum class Kind { chord, text, click, mediaKey };
    Kind kind = Kind::chord;
    std::uint16_t keyCode = 0;
    std::uint32_t modifiers = 0;
    std::string text;
    int button = 0;
    std::optional<std::pair<int, int>> position;
    platform::MediaKey mediaKey = platform::MediaKey::playPause;
    std::chrono::steady_clock::time_point at;  // Clock::shared() when posted

    bool isChord(std::uint16_t code, std::uint32_t mods) const {
        return kind == Kind::chord && keyCode == code && modifiers == mods;
    }
};

class FakeEventPoster : public platform::EventPoster {
public:
    bool postChord(std::uint16_t keyCode, std::uint32_t carbonModifiers) override {
        PostedInput p;
        p.kind = PostedInput::Kind::chord;
        p.keyCode = keyCode;
        p.modifiers = carbonModifiers;
        return record(std::move(p));
    }
    bool typeText(const std::string& text) override {
        PostedInput p;
        p.kind = PostedInput::Kind::text;
        p.text = text;
        return record(std::move(p));
    }
    bool click(int button, std::optional<std::pair<int, int>> position) override {
        PostedInput p;
        p.kind = PostedInput::Kind::click;
        p.button = button;
        p.position = position;
        return record(std::move(p));
    }
    bool postMediaKey(platform::MediaKey key) override {
        PostedInput p;
        p.kind = PostedInput::Kind::mediaKey;
        p.mediaKey = key;
        return record(std::move(p));
    }

    std::vector<PostedInput> posted;
    bool succeeds = true;                          // false: every call fails and nothing is recorded
    std::function<void(const PostedInput&)> onPost;  // runs at the moment of posting

private:
    bool record(PostedInput p) {
        if (!succeeds) return false;
        p.at = platform::Clock::shared().monotonicNow();
        posted.push_back(p);
        if (onPost) onPost(posted.back());
        return true;
    }
};

}  // namespace orbel::fakes
