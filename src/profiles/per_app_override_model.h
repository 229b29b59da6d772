#pragma once

// The per-app override sheet's drafts and rules: which sections are on, the
// dial-size scale, the help texts that follow the drafts, and the one
// override Save writes.

#include <optional>
#include <string>

#include "config/config_manager.h"
#include "model/appearance_settings.h"

namespace orbel {

class PerAppOverrideModel {
public:
    // `editingGroup` is the group the Apps tab prepared; used only when the
    // stored override has no slots.
    PerAppOverrideModel(ConfigManager& manager, std::string bundleId, std::string appName,
                        const std::optional<MenuGroup>& editingGroup);

    const std::string& bundleId() const { return bundleId_; }
    const std::string& appName() const { return appName_; }

    bool menuSizeEnabled = false;
    bool appearanceEnabled = false;
    bool controlsEnabled = false;
    double draftRadius = 0;
    AppearanceConfig draftAppearance;
    KeyCombination draftCloseKey;
    KeyCombination draftGoBackKey;
    std::optional<MenuGroup> draftGroup;

    // Size 0..10 in half steps for radius 100..300 points.
    static double dialSizeFromRadius(double radius);
    static double radiusForDialSize(double size);
    double dialSize() const { return dialSizeFromRadius(draftRadius); }
    void setDialSize(double size) { draftRadius = radiusForDialSize(size); }

    // The group the slot editor opens with, and the help it shows.
    MenuGroup groupForEditor() const;
    std::string groupEditorHelp() const { return "These slots only show while " + appName_ + " is the active app."; }
    void groupEdited(const MenuGroup& group) { draftGroup = group; }

    // Help texts and visibility that follow the drafts.
    std::string slotsHelp() const;
    std::string colorSchemeHelp() const;
    std::string backdropHelp() const;
    std::string backdropOpacityHelp() const;
    std::string slotStyleHelp() const;
    bool showsBackdropOpacity() const { return draftAppearance.backdrop != Backdrop::liquidGlass; }
    bool showsBackdropColor() const { return draftAppearance.backdrop == Backdrop::filled; }
    bool showsSlotColor() const { return draftAppearance.slotStyle == SlotStyle::filled; }
    static std::string sizeText(double size);          // "7.0"
    static std::string percentText(double fraction);   // "55%"
    static std::string strengthText(double strength);  // "1.00×"
    // Any row's help text for the draft appearance, as the General tab shows it.
    std::string helpFor(appearance_settings::Row row) const;

    // What Save stores for the application.
    AppOverride buildOverride() const;
    // Whether a section, a draft, the slots or the dial's title differ from
    // what the sheet opened with.
    bool hasChanges() const;
    // Stores it, with the dial's title, in one change; returns the group to
    // hand back to the tab, or nothing when it was not saved (error() says
    // why). A sheet whose configuration was replaced since it opened (a
    // profile switch, Reload, a restore, an outside edit taken in) saves
    // nothing: its drafts belong to the configuration before.
    std::optional<MenuGroup> save();
    const std::optional<std::string>& error() const { return error_; }
    bool isStale() const { return manager_.generation() != generation_; }
    ConfigManager& manager() const { return manager_; }

private:
    ConfigManager& manager_;
    std::uint64_t generation_;
    std::string bundleId_;
    std::string appName_;
    // The dial's title as the sheet opened: only a changed title replaces
    // the one stored (or stores one).
    std::optional<std::string> openedTitle_;
    AppOverride openedOverride_;
    std::optional<std::string> storedTitle_;
    std::optional<std::string> error_;
};

}  // namespace orbel
