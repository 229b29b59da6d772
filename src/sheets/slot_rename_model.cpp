#include "sheets/slot_rename_model.h"

#include "sheets/sheet_rules.h"

#include "model/profile_name.h"

namespace orbel {

std::string SlotRenameModel::targetSubtitle(const SlotConfig& slot) {
    if (const auto* app = slot.type.get<SlotType::App>()) return app->bundleId;
    if (const auto* action = slot.type.get<SlotType::Action>()) return action->action.title();
    if (const auto* target = slot.type.get<SlotType::ProfileTarget>()) return shownProfileName(target->profile.name);
    if (slot.type.is<SlotType::ProfileSwitch>()) return sheets::tr("All saved profiles");
    return {};
}

bool SlotRenameModel::canSave() const { return build().has_value(); }

std::optional<SlotConfig> SlotRenameModel::build() const {
    const std::string trimmed = sheets::trimmedName(title);
    if (trimmed.empty() || trimmed == slot_.title) return std::nullopt;
    SlotConfig out = slot_;
    out.title = trimmed;
    if (!sheets::passesValidation(out)) return std::nullopt;
    return out;
}

}  // namespace orbel
