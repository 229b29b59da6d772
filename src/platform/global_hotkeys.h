#pragma once

#include <QPoint>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/shared_instance.h"

namespace orbel::platform {

// System-wide hot keys: a key with modifiers that reaches this program
// whichever window has the focus. Each registration carries an identifier of
// the caller's choosing (a four-character signature and a number).
//
// Registration is exclusive: a chord another client (or another of our own
// identifiers) already holds is refused, so a refusal is a conflict. A held
// key reports one press and one release, never repeats, and its release is
// reported even when another window has taken the keyboard meanwhile.
// GUI thread only; events arrive on the GUI thread.
class GlobalHotkeys : public Shared<GlobalHotkeys> {
public:
    struct Id {
        std::uint32_t signature = 0;  // four ASCII characters, the first in the top byte
        std::uint32_t number = 0;
        bool operator==(const Id&) const = default;
    };
    enum class Event { pressed, released };
    using Handler = std::function<void(Id id, Event event)>;

    virtual ~GlobalHotkeys() = default;

    // The one receiver of every hot-key event; an empty function drops them.
    virtual void setHandler(Handler handler) = 0;

    // Registers `keyCode` (a virtual key code) with `carbonModifiers` under
    // `id`, replacing what `id` held. False when the chord is taken or the key
    // does not exist on this keyboard; `id` then holds nothing.
    virtual bool registerHotkey(Id id, std::uint16_t keyCode, std::uint32_t carbonModifiers) = 0;
    // Drops the registration of `id`, if any.
    virtual void unregisterHotkey(Id id) = 0;

    // Where the pointer was at the last hot-key press (desktop coordinates,
    // device pixels) and when it came, on the steady clock; once taken, or
    // when that press carried no position, nothing until the next.
    struct PressPointer {
        QPoint device;
        std::chrono::steady_clock::time_point at;
    };
    virtual std::optional<PressPointer> takePressPointer() { return std::nullopt; }

private:
    friend Shared<GlobalHotkeys>;
    static GlobalHotkeys& makeShared();
};

constexpr std::uint32_t fourCharCode(const char (&code)[5]) {
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}

}  // namespace orbel::platform
