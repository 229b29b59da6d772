#include "sheets/cycling_slot_editor_model.h"

#include "sheets/sheet_rules.h"

namespace orbel {

CyclingSlotEditorModel::CyclingSlotEditorModel(const std::optional<SlotConfig>& existing)
    : isNew_(!existing.has_value()) {
    if (const auto* cycling = existing ? existing->type.get<SlotType::Cycling>() : nullptr) {
        title = existing->title;
        icon = existing->icon;
        children = cycling->children;
    }
    opened_ = draft();
}

std::string CyclingSlotEditorModel::sheetTitle() const {
    return sheets::sheetTitle(isNew_, "New Cycling Slot", "Edit Cycling Slot");
}

std::string CyclingSlotEditorModel::emptyText() { return sheets::tr("No children yet \u2014 add one below."); }

void CyclingSlotEditorModel::appendApp(const std::string& bundleId, const std::string& name) {
    children.push_back(SlotConfig::makeApp(bundleId, name));
}

void CyclingSlotEditorModel::appendAction(SystemAction action, const std::string& childTitle) {
    children.push_back(SlotConfig::make(SlotType::action(action), childTitle.empty() ? action.title() : childTitle));
}

bool CyclingSlotEditorModel::removeChild(int index) {
    if (index < 0 || index >= static_cast<int>(children.size())) return false;
    children.erase(children.begin() + index);
    return true;
}

std::string CyclingSlotEditorModel::childLabel(int index) const {
    const std::string& t = children.at(static_cast<std::size_t>(index)).title;
    return t.empty() ? sheets::tr("(untitled)") : t;
}

std::optional<std::string> CyclingSlotEditorModel::saveProblem() const {
    const std::string name = sheets::trimmedName(title);
    if (name.empty()) return sheets::tr("Name the slot to save it.");
    if (children.empty()) return sheets::tr("Add at least one child to save.");
    return sheets::validationProblem(SlotConfig::make(SlotType::cycling(children), name, icon));
}

std::optional<std::string> CyclingSlotEditorModel::refusal() const {
    if (sheets::isBlankName(title) || children.empty()) return std::nullopt;
    return saveProblem();
}

std::optional<SlotConfig> CyclingSlotEditorModel::build() const {
    if (!canSave()) return std::nullopt;
    return SlotConfig::make(SlotType::cycling(children), sheets::trimmedName(title), icon);
}

}  // namespace orbel
