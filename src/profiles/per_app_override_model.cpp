#include "profiles/per_app_override_model.h"

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
    openedOverride_ = buildOverride();
}

bool PerAppOverrideModel::hasChanges() const {
    const std::optional<std::string> title = draftGroup ? std::optional(draftGroup->title) : std::nullopt;
    return buildOverride() != openedOverride_ || title != openedTitle_;
}

// The General tab's scale and texts: one formula, one format, one wording.
double PerAppOverrideModel::dialSizeFromRadius(double radius) { return appearance_settings::dialSizeFromRadius(radius); }

double PerAppOverrideModel::radiusForDialSize(double size) { return appearance_settings::radiusFromDialSize(size); }

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

std::string PerAppOverrideModel::colorSchemeHelp() const { return helpFor(appearance_settings::Row::colorScheme); }
std::string PerAppOverrideModel::backdropHelp() const { return helpFor(appearance_settings::Row::backdrop); }
std::string PerAppOverrideModel::backdropOpacityHelp() const {
    // Asked for the filled or the frosted backdrop even while glass hides the row.
    AppearanceConfig look = draftAppearance;
    if (look.backdrop == Backdrop::liquidGlass) look.backdrop = Backdrop::translucent;
    return appearance_settings::help(look, appearance_settings::Row::backdropOpacity).value_or("");
}
std::string PerAppOverrideModel::slotStyleHelp() const { return helpFor(appearance_settings::Row::slotStyle); }
std::string PerAppOverrideModel::helpFor(appearance_settings::Row row) const {
    return appearance_settings::help(draftAppearance, row).value_or("");
}

std::string PerAppOverrideModel::sizeText(double size) { return appearance_settings::dialSizeText(size); }
std::string PerAppOverrideModel::percentText(double fraction) { return appearance_settings::percentText(fraction); }
std::string PerAppOverrideModel::strengthText(double strength) { return appearance_settings::multiplierText(strength); }

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
    if (auto refused = manager_.change(
            [bundleId = bundleId_, stored](AppConfig& c) { c.appOverrides.insert_or_assign(bundleId, stored); })) {
        error_ = refused->what();
        return std::nullopt;
    }
    error_.reset();
    return draftGroup ? draftGroup : std::optional<MenuGroup>(groupForEditor());
}

}  // namespace orbel
