#pragma once

// The compact colour control's rules, without widgets: the bound colour
// ("#RRGGBB", none for the system's own), the popover's open flag and the
// text of its hex field, and what each of its actions writes.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/hex_color.h"

namespace orbel {

class AccentSwatchModel {
public:
    // The twelve preset colours, in display order (two rows of six).
    static const std::array<std::string_view, 12>& presets();

    explicit AccentSwatchModel(std::optional<std::string> accentHex = std::nullopt) : accentHex_(std::move(accentHex)) {}

    const std::optional<std::string>& accentHex() const { return accentHex_; }
    void setAccentHex(std::optional<std::string> hex) { accentHex_ = std::move(hex); }
    bool isOpen() const { return isOpen_; }
    const std::string& hexInput() const { return hexInput_; }
    void setHexInput(std::string text) { hexInput_ = std::move(text); }

    // The colour the swatch shows; none: the label colour.
    std::optional<Rgb> currentColor() const;
    bool isSelected(std::string_view preset) const;

    // The click on the swatch: reloads the field, then opens or closes.
    void togglePopover();
    // The system dismissed the popover.
    void dismiss() { isOpen_ = false; }
    void useSystemAccent();
    void selectSwatch(std::string_view preset);
    // "Set" or Return: an accepted colour is stored as "#RRGGBB" and closes
    // the popover; anything else changes nothing. Returns whether it was accepted.
    bool applyHexInput();

    // The typed text as it is stored ("#RRGGBB", upper case, nothing around
    // it), or none when it is no six-digit colour.
    static std::optional<std::string> normalizedHex(std::string_view typed);

private:
    std::optional<std::string> accentHex_;
    bool isOpen_ = false;
    std::string hexInput_;
};

}  // namespace orbel
