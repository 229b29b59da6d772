#include "sheets/slot_editor_model.h"

#include <algorithm>
#include <memory>

#include "sheets/group_editor_model.h"
#include "sheets/sheet_rules.h"

namespace orbel {
namespace {

bool validIndex(const std::vector<SlotConfig>& slots, int index) {
    return index >= 0 && index < static_cast<int>(slots.size());
}

}  // namespace

std::string SlotEditorModel::countText() const { return sheets::trCount(count(), "%n slot", "%n slots"); }

std::string SlotEditorModel::addSlotTooltip() const {
    if (!isFull()) return "Add a new slot to the dial";
    return "Dial holds " + std::to_string(kCap) + " slots \u2014 remove one to add another";
}

std::string SlotEditorModel::addGroupTooltip() const { return isFull() ? addSlotTooltip() : std::string(); }

bool SlotEditorModel::apply(const std::function<bool(std::vector<SlotConfig>&)>& edit) {
    // The edit runs inside the change, so that it lands on an outside edit
    // of the file taken in first, not on the slots as they were shown.
    // The notice goes with the change that goes through, before the page
    // redraws from what is published.
    // The edit may run again later, on config.json once another program
    // has finished writing it: it owns what it uses, and reaches this model
    // only during this call.
    struct Run {
        bool edited = false;
        std::optional<std::string>* notice = nullptr;
    };
    const auto run = std::make_shared<Run>(Run{false, &notice_});
    const std::optional<std::string> notice = notice_;
    const auto error = manager_.change([edit, run](AppConfig& c) {
        run->edited = edit(c.rootGroup.slots);
        if (run->edited && run->notice) run->notice->reset();
    });
    run->notice = nullptr;
    const bool edited = run->edited;
    if (error || !edited) notice_ = notice;
    if (error) {
        lastError_ = error->what();
        return false;
    }
    lastError_.reset();
    return edited;
}

std::string SlotEditorModel::replacedNotice() {
    return "The configuration was replaced (a profile switch, Reload or a restore), so the open editor closed "
           "without saving.";
}

bool SlotEditorModel::current(std::optional<std::uint64_t> openedAt) {
    if (!openedAt || !isStale(*openedAt)) return true;
    notice_ = replacedNotice();
    return false;
}

bool SlotEditorModel::insert(const SlotConfig& slot, int index) {
    const auto full = std::make_shared<bool>(false);
    const bool added = apply([full, slot, index](std::vector<SlotConfig>& slots) {
        const int count = static_cast<int>(slots.size());
        if (count >= kCap) {
            *full = true;  // filled while the sheet was open: said, not dropped
            return false;
        }
        slots.insert(slots.begin() + (index >= 0 && index <= count ? index : count), slot);
        return true;
    });
    if (*full) lastError_ = notAddedText(slot.title);
    return added;
}

std::string SlotEditorModel::notAddedText(const std::string& title) {
    return "\"" + title + "\" was not added: the dial holds " + std::to_string(kCap) +
           " slots. Remove one and add it again.";
}

bool SlotEditorModel::swap(int a, int b) {
    return apply([a, b](std::vector<SlotConfig>& slots) {
        if (!validIndex(slots, a) || !validIndex(slots, b) || a == b) return false;
        std::swap(slots[static_cast<std::size_t>(a)], slots[static_cast<std::size_t>(b)]);
        return true;
    });
}

bool SlotEditorModel::remove(int index) {
    return apply([index](std::vector<SlotConfig>& slots) {
        if (!validIndex(slots, index)) return false;
        slots.erase(slots.begin() + index);
        return true;
    });
}

bool SlotEditorModel::replace(int index, const SlotConfig& slot) {
    return apply([index, slot](std::vector<SlotConfig>& slots) {
        if (!validIndex(slots, index)) return false;
        slots[static_cast<std::size_t>(index)] = slot;
        return true;
    });
}

bool SlotEditorModel::beginEdit(int index) {
    if (!validIndex(slots(), index)) return false;
    editing_ = SlotEditTarget::make(index, slots()[static_cast<std::size_t>(index)]);
    editingGeneration_ = manager_.generation();
    return true;
}

bool SlotEditorModel::commitEdit(const SlotConfig& slot) {
    if (!editing_) return false;
    const SlotEditTarget target = *editing_;
    editing_.reset();
    if (!current(editingGeneration_)) return false;
    return apply([target, slot](std::vector<SlotConfig>& slots) {
        auto at = locateEditTarget(slots, target);
        if (!at) return false;
        slots[static_cast<std::size_t>(*at)] = slot;
        return true;
    });
}

bool SlotEditorModel::addFromLibrary(const SlotConfig& slot) {
    if (isAdded(slot)) return false;
    return append(slot);
}

bool SlotEditorModel::append(const SlotConfig& slot, std::optional<std::uint64_t> openedAt) {
    if (!current(openedAt)) return false;
    return insert(slot, count());
}

bool SlotEditorModel::appendGroup(const std::optional<MenuGroup>& group, std::optional<std::uint64_t> openedAt) {
    if (!group) return false;
    return append(GroupEditorModel::slotFor(*group), openedAt);
}

}  // namespace orbel
