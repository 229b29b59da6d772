#include "sheets/group_editor_model.h"

#include <algorithm>

#include "model/text.h"
#include "sheets/sheet_rules.h"

namespace orbel {

GroupEditorModel::GroupEditorModel(std::optional<MenuGroup> group, std::vector<std::string> breadcrumb,
                                   bool withLibrary, int cap, std::optional<std::string> helpText)
    : bound_(std::move(group)),
      breadcrumb_(std::move(breadcrumb)),
      withLibrary_(withLibrary),
      cap_(cap),
      helpText_(std::move(helpText)) {
    if (bound_) {
        title = bound_->title;
        slots = bound_->slots;
        icon = bound_->icon;
    }
    opened_ = MenuGroup{Uuid(), title, slots, icon};
}

bool GroupEditorModel::hasChanges() const {
    return title != opened_.title || slots != opened_.slots || icon != opened_.icon;
}

std::string GroupEditorModel::joinedBreadcrumb() const {
    std::string last = text::trimWhitespaceAndNewlines(title);
    if (last.empty()) last = sheets::tr("Untitled");
    std::string out;
    for (const auto& crumb : breadcrumb_) out += crumb + kSeparator;
    return out + last;
}

std::string GroupEditorModel::countText() const {
    return sheets::trCount(static_cast<int>(slots.size()), "%n item", "%n items");
}

std::string GroupEditorModel::addSlotTooltip() const {
    if (!isFull()) return "Add a new slot to this group";
    return "Group holds " + std::to_string(cap_) + " slots \u2014 remove one to add another";
}

bool GroupEditorModel::insert(const SlotConfig& slot, int index) {
    if (isFull()) return false;
    const int at = std::clamp(index, 0, static_cast<int>(slots.size()));
    slots.insert(slots.begin() + at, slot);
    return true;
}

bool GroupEditorModel::swap(int a, int b) {
    if (!valid(a) || !valid(b) || a == b) return false;
    std::swap(slots[static_cast<std::size_t>(a)], slots[static_cast<std::size_t>(b)]);
    return true;
}

bool GroupEditorModel::remove(int index) {
    if (!valid(index)) return false;
    slots.erase(slots.begin() + index);
    return true;
}

bool GroupEditorModel::replace(int index, const SlotConfig& slot) {
    if (!valid(index)) return false;
    slots[static_cast<std::size_t>(index)] = slot;
    return true;
}

std::optional<SlotEditTarget> GroupEditorModel::editTarget(int index) const {
    if (!valid(index)) return std::nullopt;
    return SlotEditTarget::make(index, slots[static_cast<std::size_t>(index)]);
}

bool GroupEditorModel::commitEdit(const SlotEditTarget& target, const SlotConfig& slot) {
    auto at = locateEditTarget(slots, target);
    return at && replace(*at, slot);
}

bool GroupEditorModel::addFromLibrary(const SlotConfig& slot) {
    if (isAdded(slot)) return false;
    return append(slot);
}

bool GroupEditorModel::append(const SlotConfig& slot) {
    if (isFull()) return false;
    slots.push_back(slot);
    return true;
}

MenuGroup GroupEditorModel::newGroup() {
    MenuGroup g;
    g.title = "New Group";
    return g;
}

SlotConfig GroupEditorModel::slotFor(const MenuGroup& group) {
    return SlotConfig::make(SlotType::group(group), group.title, group.icon);
}

std::vector<std::string> GroupEditorModel::nestedBreadcrumb() const {
    auto crumbs = breadcrumb_;
    crumbs.push_back(title);
    return crumbs;
}

bool GroupEditorModel::appendNestedGroup(const std::optional<MenuGroup>& group) {
    if (!group) return false;
    return append(slotFor(*group));
}

std::optional<std::string> GroupEditorModel::saveProblem() const {
    const std::string name = sheets::trimmedName(title);
    if (name.empty()) return sheets::tr("Name the group to save it.");
    MenuGroup g{Uuid::random(), name, slots, icon};
    return sheets::validationProblem(SlotConfig::make(SlotType::group(std::move(g)), name));
}

std::optional<MenuGroup> GroupEditorModel::build() const {
    if (!canSave()) return std::nullopt;
    return MenuGroup{bound_ ? bound_->id : Uuid::random(), sheets::trimmedName(title), slots, icon};
}

}  // namespace orbel
