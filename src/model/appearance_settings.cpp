#include "model/appearance_settings.h"

#include <QCoreApplication>
#include <cmath>
#include <cstdio>

#include "model/hex_color.h"

namespace orbel::appearance_settings {
namespace {

std::string tr(const char* text) { return QCoreApplication::translate("AppearanceSettings", text).toStdString(); }

std::string format(const char* pattern, double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

}  // namespace

double dialSizeFromRadius(double radius) {
    const double t = radius < 300 ? 2 * ((std::max(radius, 100.0) - 100) / 200 * 10) : 20;
    return std::round(t) / 2;  // std::round rounds half away from zero
}

double radiusFromDialSize(double value) {
    if (value >= 10) return 300;
    return 100 + std::max(value, 0.0) / 10 * 200;
}

std::string dialSizeText(double value) { return format("%.1f", value); }
std::string percentText(double value) { return format("%.0f%%", value * 100); }
std::string multiplierText(double value) { return format("%.2f", value) + "×"; }

std::vector<RowInfo> rows(const AppearanceConfig& a) {
    std::vector<RowInfo> out;
    switch (a.mode) {
        case AppearanceMode::automatic:
            out.push_back({Row::colorScheme, tr("Color Scheme"), tr("Follows the system Light/Dark setting.")});
            break;
        case AppearanceMode::dark: out.push_back({Row::colorScheme, tr("Color Scheme"), tr("Always dark.")}); break;
        case AppearanceMode::light: out.push_back({Row::colorScheme, tr("Color Scheme"), tr("Always light.")}); break;
    }
    switch (a.backdrop) {
        case Backdrop::liquidGlass:
            out.push_back({Row::backdrop, tr("Backdrop"), tr("Blur and refraction, like liquid glass.")});
            break;
        case Backdrop::translucent:
            out.push_back({Row::backdrop, tr("Backdrop"), tr("Frosted glass — opacity controls how see-through it is.")});
            out.push_back({Row::backdropOpacity, tr("Backdrop Opacity"), tr("How visible the frosted glass is.")});
            break;
        case Backdrop::filled:
            out.push_back({Row::backdrop, tr("Backdrop"), tr("A solid color of your choice.")});
            out.push_back({Row::backdropOpacity, tr("Backdrop Opacity"), tr("How opaque the solid color is.")});
            out.push_back({Row::backdropColor, tr("Backdrop Color"), std::nullopt});
            break;
    }
    const char* styleHelp = "";
    const char* intensityHelp = "";
    switch (a.slotStyle) {
        case SlotStyle::liquidGlass:
            styleHelp = "Blur and refraction, applied to each slot.";
            intensityHelp = "How strongly the slot tint shows through the glass.";
            break;
        case SlotStyle::filled:
            styleHelp = "A solid color you can pick.";
            intensityHelp = "How much hovered slots stand out from the rest.";
            break;
        case SlotStyle::normal:
            styleHelp = "A subtle lift from the backdrop color.";
            intensityHelp = "How much each slot stands out from the backdrop.";
            break;
    }
    out.push_back({Row::slotStyle, tr("Slot Style"), tr(styleHelp)});
    if (a.slotStyle == SlotStyle::filled) out.push_back({Row::slotColor, tr("Slot Color"), std::nullopt});
    out.push_back({Row::slotIntensity, tr("Slot Intensity"), tr(intensityHelp)});
    out.push_back({Row::slotBorders, tr("Slot Borders"), tr("Thickness of the line between each slot.")});
    return out;
}

std::optional<std::string> help(const AppearanceConfig& appearance, Row row) {
    for (const auto& info : rows(appearance))
        if (info.row == row) return info.help;
    return std::nullopt;
}

std::vector<std::string> optionTitles(Row picker) {
    switch (picker) {
        case Row::colorScheme: return {tr("Auto"), tr("Dark"), tr("Light")};
        case Row::backdrop: return {tr("Liquid Glass"), tr("Translucent"), tr("Filled")};
        case Row::slotStyle: return {tr("Liquid Glass"), tr("Filled"), tr("Normal")};
        default: return {};
    }
}

std::optional<std::string> normalisedHexColor(const std::string& text) {
    const auto color = parseHexColor(text);
    if (!color) return std::nullopt;
    return formatHexColor(*color);
}

}  // namespace orbel::appearance_settings
