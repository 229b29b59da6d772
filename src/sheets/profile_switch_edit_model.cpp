#include "sheets/profile_switch_edit_model.h"

#include <QString>

#include "config/config_manager.h"
#include "sheets/sheet_rules.h"

namespace orbel {

ProfileSwitchEditModel::ProfileSwitchEditModel(const std::optional<SlotConfig>& existing) : isNew_(!existing) {
    if (existing && existing->type.is<SlotType::ProfileSwitch>()) title = existing->title;
    openedTitle_ = title;
}

std::string ProfileSwitchEditModel::sheetTitle() const {
    return sheets::sheetTitle(isNew_, "New Profile Switcher", "Edit Profile Switcher");
}

std::string ProfileSwitchEditModel::caption(std::int64_t profileCount) {
    if (profileCount == 0) return sheets::tr("No profiles saved yet. Create one in Settings → Profiles.");
    const char* format = profileCount == 1 ? "%1 profile will appear in the switcher."
                                           : "%1 profiles will appear in the switcher.";
    return QString::fromStdString(sheets::tr(format)).arg(static_cast<qlonglong>(profileCount)).toStdString();
}

std::int64_t ProfileSwitchEditModel::savedProfileCount() {
    const ConfigManager* manager = ConfigManager::current();
    return manager ? static_cast<std::int64_t>(manager->profileStore().list().size()) : 0;
}

SlotConfig ProfileSwitchEditModel::build() const {
    const std::string name = sheets::isBlankName(title) ? sheets::tr("Profiles") : title;
    return SlotConfig::make(SlotType::profileSwitch(), name);
}

}  // namespace orbel
