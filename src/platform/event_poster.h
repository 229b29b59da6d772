#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Posts synthetic input into whatever window has the focus. GUI thread only.
// Every operation answers false when its events could not be made or posted.
class EventPoster : public Shared<EventPoster> {
public:
    virtual ~EventPoster() = default;

    // One key down then up, with exactly the given modifiers held (modifiers
    // the user happens to hold are released around it). `keyCode` is a
    // macOS virtual key code, `carbonModifiers` a Carbon modifier mask.
    virtual bool postChord(std::uint16_t keyCode, std::uint32_t carbonModifiers) = 0;

    // Types the text (UTF-8) character by character, whatever the keyboard
    // layout; characters the layout lacks are typed all the same.
    virtual bool typeText(const std::string& text) = 0;

    // A press and release of a mouse button (0 left, 1 right, 2 middle,
    // 3 back, 4 forward, 5...), at the given global position in pixels or
    // where the pointer is.
    virtual bool click(int button, std::optional<std::pair<int, int>> position = std::nullopt) = 0;

private:
    friend Shared<EventPoster>;
    static EventPoster& makeShared();
};

}  // namespace orbel::platform
