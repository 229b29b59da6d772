#pragma once

// One trigger the user presses: a key with modifiers, or a mouse button.
// Stored everywhere as its shorthand text ("cmd+shift+4", "f5", "mouse:3").

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/json.h"

namespace orbel {

// Carbon modifier bits, used by hot keys, chords and recorders alike.
namespace modifier {
inline constexpr std::uint32_t kCommand = 0x0100;
inline constexpr std::uint32_t kShift = 0x0200;
inline constexpr std::uint32_t kOption = 0x0800;
inline constexpr std::uint32_t kControl = 0x1000;
}  // namespace modifier

struct ModifierEntry {
    std::uint32_t mask;
    std::string canonical;
    std::vector<std::string> aliases;
};

// The four modifier rows in writing order: ctrl, opt, shift, cmd.
const std::vector<ModifierEntry>& modifierEntries();
const ModifierEntry* modifierEntry(std::string_view lowerCaseName);

// Lower-case key names the shorthand accepts, with their virtual key codes.
// Built once on first use (thread-safe) and read-only afterwards.
const std::map<std::string, std::uint16_t, std::less<>>& keyCodesByName();
// The one name the shorthand writer uses for a code. Aliases ("enter",
// "escape", "backspace", "fwddelete") are never chosen; code 117 has no name.
const std::map<std::uint16_t, std::string>& keyNamesByCode();

struct KeyCombination {
    std::uint16_t keyCode = 0;     // macOS virtual key code
    std::uint32_t modifiers = 0;   // Carbon mask
    std::optional<std::int64_t> mouseButton;  // present: a mouse combination

    bool operator==(const KeyCombination&) const = default;

    static std::optional<KeyCombination> parse(std::string_view text);
    std::string shorthand() const;
    std::string displayString() const;
    static std::string keyLabel(std::uint16_t keyCode);
    static std::optional<std::string> keyName(std::uint16_t keyCode);

    // A JSON string holding the shorthand. A non-string fails with a type
    // mismatch; an unparsable string with
    // `Unrecognized hotkey shorthand: "<text>"`.
    static KeyCombination fromJson(const json::Node& node);
    json::Json toJson() const;
};

}  // namespace orbel
