#include "profiles/per_app_override_model.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace orbel {

PerAppOverrideModel::PerAppOverrideModel(ConfigManager& manager, std::string bundleId, std::string appName,
                                         const std::optional<MenuGroup>& editingGroup)
    : manager_(manager), generation_(manager.generation()), bundleId_(std::move(bundleId)), appName_(std::move(appName)) {
    const AppConfig& config = manager_.config();
    AppOverride existing;
    if (auto it = config.appOverrides.find(bundleId_); it != config.appOverrides.end()) existing = it->second;
    menuSizeEnabled = existing.menuRadius.has_value();
    appearanceEnabled = existing.appearance.has_value();
    controlsEnabled = existing.closeMenuKey || existing.goBackKey;
    draftRadius = existing.menuRadius.value_or(config.menuRadius);
    draftAppearance = existing.appearance.value_or(config.appearance);
    draftCloseKey = existing.closeMenuKey.value_or(config.controls.closeMenuKey);
    draftGoBackKey = existing.goBackKey.value_or(config.controls.goBackKey);
    storedTitle_ = existing.menuTitle;
    if (existing.slots) {
        MenuGroup group;
        // A title the user gave this dial earlier stays.
        group.title = existing.menuTitle.value_or(appName_);
        group.slots = *existing.slots;
        draftGroup = group;
    } else if (editingGroup) {
        draftGroup = editingGroup;
    } else {
        MenuGroup group;
        group.title = appName_;
        draftGroup = group;
    }
    if (draftGroup) openedTitle_ = draftGroup->title;
}

double PerAppOverrideModel::dialSizeFromRadius(double radius) {
    if (radius >= 300) return 10;
    return std::round(2 * ((std::max(radius, 100.0) - 100) / 200 * 10)) / 2;
}

double PerAppOverrideModel::radiusForDialSize(double size) {
    if (size >= 10) return 300;
    return std::max(size, 0.0) / 10 * 200 + 100;
}

MenuGroup PerAppOverrideModel::groupForEditor() const {
    if (draftGroup) return *draftGroup;
    MenuGroup group;
    group.title = appName_;
    return group;
}

std::string PerAppOverrideModel::slotsHelp() const {
    if (draftGroup && !draftGroup->slots.empty()) return std::to_string(draftGroup->slots.size()) + " configured.";
    return "No slots yet — open the editor to add some.";
}

std::string PerAppOverrideModel::colorSchemeHelp() const {
    switch (draftAppearance.mode) {
        case AppearanceMode::automatic: return "Follows the system Light/Dark setting.";
        case AppearanceMode::dark: return "Always dark.";
        case AppearanceMode::light: return "Always light.";
    }
    return {};
}

std::string PerAppOverrideModel::backdropHelp() const {
    switch (draftAppearance.backdrop) {
        case Backdrop::liquidGlass: return "Live blur and refraction, like macOS Liquid Glass.";
        case Backdrop::translucent: return "Frosted glass — opacity controls how see-through it is.";
        case Backdrop::filled: return "A solid color of your choice.";
    }
    return {};
}

std::string PerAppOverrideModel::backdropOpacityHelp() const {
    return draftAppearance.backdrop == Backdrop::filled ? "How opaque the solid color is."
                                                        : "How visible the frosted glass is.";
}

std::string PerAppOverrideModel::slotStyleHelp() const {
    switch (draftAppearance.slotStyle) {
        case SlotStyle::liquidGlass: return "Live blur and refraction, applied to each slot.";
        case SlotStyle::filled: return "A solid color you can pick.";
        case SlotStyle::normal: return "A subtle lift from the backdrop color.";
    }
    return {};
}

std::string PerAppOverrideModel::sizeText(double size) { return QString::asprintf("%.1f", size).toStdString(); }
std::string PerAppOverrideModel::percentText(double fraction) {
    return QString::asprintf("%.0f%%", fraction * 100).toStdString();
}
std::string PerAppOverrideModel::strengthText(double strength) {
    return QString::asprintf("%.2f×", strength).toStdString();
}

AppOverride PerAppOverrideModel::buildOverride() const {
    AppOverride o;
    o.slots = draftGroup ? draftGroup->slots : std::vector<SlotConfig>{};
    if (menuSizeEnabled) o.menuRadius = draftRadius;
    if (appearanceEnabled) o.appearance = draftAppearance;
    if (controlsEnabled) {
        o.closeMenuKey = draftCloseKey;
        o.goBackKey = draftGoBackKey;
    }
    return o;
}

std::optional<MenuGroup> PerAppOverrideModel::save() {
    if (isStale()) return std::nullopt;
    AppOverride stored = buildOverride();
    stored.menuTitle = storedTitle_;
    if (draftGroup && draftGroup->title != openedTitle_) stored.menuTitle = draftGroup->title;
    if (auto refused = manager_.change([&](AppConfig& c) { c.appOverrides.insert_or_assign(bundleId_, stored); })) {
        error_ = refused->what();
        return std::nullopt;
    }
    error_.reset();
    return draftGroup ? draftGroup : std::optional<MenuGroup>(groupForEditor());
}

}  // namespace orbel
