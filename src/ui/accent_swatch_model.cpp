#include "ui/accent_swatch_model.h"

#include "model/text.h"

namespace orbel {

const std::array<std::string_view, 12>& AccentSwatchModel::presets() {
    static constexpr std::array<std::string_view, 12> list{"#FF7A59", "#FF8A00", "#F2C94C", "#27AE60",
                                                           "#2D9CDB", "#5B8DEF", "#7B61FF", "#C156D8",
                                                           "#EB5757", "#9CA3AF", "#374151", "#FFFFFF"};
    return list;
}

std::optional<Rgb> AccentSwatchModel::currentColor() const {
    return accentHex_ ? parseHexColor(*accentHex_) : std::nullopt;
}

bool AccentSwatchModel::isSelected(std::string_view preset) const {
    // Case is ignored, the "#" is not.
    return accentHex_ && text::toUpper(*accentHex_) == text::toUpper(preset);
}

void AccentSwatchModel::togglePopover() {
    hexInput_ = accentHex_.value_or(std::string());
    isOpen_ = !isOpen_;
}

void AccentSwatchModel::useSystemAccent() {
    accentHex_.reset();
    hexInput_.clear();
    isOpen_ = false;
}

void AccentSwatchModel::selectSwatch(std::string_view preset) {
    accentHex_ = std::string(preset);
    hexInput_ = std::string(preset);
    isOpen_ = false;
}

std::optional<std::string> AccentSwatchModel::normalizedHex(std::string_view typed) {
    // Line breaks too: a pasted colour often ends in one.
    std::string s = text::trimWhitespaceAndNewlines(typed);
    if (s.empty() || s.front() != '#') s.insert(s.begin(), '#');
    // Refuses "##RRGGBB": the parser drops only one "#".
    const auto color = parseHexColor(s);
    if (!color) return std::nullopt;
    // Written from the parsed colour, so a line break the parser let through
    // never reaches the configuration.
    return formatHexColor(*color);
}

bool AccentSwatchModel::applyHexInput() {
    auto hex = normalizedHex(hexInput_);
    if (!hex) return false;
    accentHex_ = *hex;
    hexInput_ = std::move(*hex);
    isOpen_ = false;
    return true;
}

}  // namespace orbel
