#pragma once

// One physical trigger that opens the dial: a mouse button, a key with
// modifiers, or a control of a HID++ mouse.

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "model/json.h"
#include "model/key_combination.h"

namespace orbel {

struct HoldBinding {
    enum class Kind { mouseButton, keyCombination, hidppButton };

    // 0 primary, 1 secondary, 2 middle, 3 and up the further buttons.
    struct MouseButton {
        std::int64_t button = 0;
        bool operator==(const MouseButton&) const = default;
    };
    // The device's product ID and the control's identifier (CID).
    struct HidppButton {
        std::uint16_t productID = 0;
        std::uint16_t cid = 0;
        bool operator==(const HidppButton&) const = default;
    };

    std::variant<MouseButton, orbel::KeyCombination, HidppButton> value;

    static HoldBinding mouseButton(std::int64_t button) { return {MouseButton{button}}; }
    static HoldBinding keyCombination(const orbel::KeyCombination& combo) { return {combo}; }
    static HoldBinding hidppButton(std::uint16_t productID, std::uint16_t cid) {
        return {HidppButton{productID, cid}};
    }

    Kind kind() const { return static_cast<Kind>(value.index()); }
    const MouseButton* asMouseButton() const { return std::get_if<MouseButton>(&value); }
    const orbel::KeyCombination* asKeyCombination() const { return std::get_if<orbel::KeyCombination>(&value); }
    const HidppButton* asHidppButton() const { return std::get_if<HidppButton>(&value); }

    bool operator==(const HoldBinding&) const = default;

    // {"kind": ..., then "button" | "key" | "productID" and "cid"}. Keys of
    // other kinds are ignored; every failure of the kind's own keys fails the
    // whole binding. The button number is not range-checked here.
    static HoldBinding fromJson(const json::Node& node);
    json::Json toJson() const;
};

// "mouseButton", "keyCombination", "hidppButton".
std::string_view rawValue(HoldBinding::Kind kind);
std::optional<HoldBinding::Kind> holdBindingKindFromRaw(std::string_view raw);
// A single JSON string; an unknown one fails with
// "Cannot initialize Kind from invalid String value <text>".
HoldBinding::Kind holdBindingKindFromJson(const json::Node& node);

}  // namespace orbel
