#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "model/app_menu_preset.h"

using namespace orbel;

namespace {

const AppMenuPreset& presetFor(const std::string& bundleId) {
    return *std::find_if(AppMenuPreset::all().begin(), AppMenuPreset::all().end(),
                         [&](const AppMenuPreset& p) { return p.bundleId == bundleId; });
}

std::string shorthandOf(const SlotConfig& slot) {
    const auto* k = slot.type.get<SlotType::Keystroke>();
    if (!k || k->steps.size() != 1 || !k->steps[0].is<MacroStep::Chord>()) return "<not one chord>";
    return k->steps[0].as<MacroStep::Chord>()->combination.shorthand();
}

SlotIcon sf(const std::string& name) { return SlotIcon::symbolPack(IconPack{"sf"}, name); }

}  // namespace

TEST(AppMenuPreset, SampleSlotsKeepTheirExactTitlesIconsAndKeys) {
    struct Sample {
        std::string bundleId;
        std::vector<std::size_t> path;  // wedge positions from the root
        std::string title;
        SlotIcon icon;
        std::string shorthand;
    };
    const std::vector<Sample> samples = {
        {"com.microsoft.VSCode", {2}, "Toggle Terminal", sf("terminal"), "ctrl+`"},
        {"com.apple.dt.Xcode", {5, 4}, "Toggle Breakpoint", sf("circle.fill"), "cmd+\\"},
        {"com.adobe.Photoshop", {5, 3}, "Actual Size", SlotIcon::monogram("1\u00D7"), "cmd+1"},
        {"com.adobe.PremierePro.25", {5, 5, 2}, "Previous Marker", sf("flag"), "shift+cmd+m"},
        {"com.apple.finder", {4, 3}, "Empty Trash", sf("trash.slash"), "shift+cmd+delete"},
    };
    std::map<std::string, MenuGroup> dials;
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.title);
        auto [it, _] = dials.try_emplace(s.bundleId, presetFor(s.bundleId).build());
        const MenuGroup* level = &it->second;
        const SlotConfig* slot = nullptr;
        for (std::size_t index : s.path) {
            ASSERT_LT(index, level->slots.size());
            slot = &level->slots[index];
            if (const auto* g = slot->type.get<SlotType::Group>()) level = &*g->group;
        }
        EXPECT_EQ(slot->title, s.title);
        EXPECT_EQ(slot->icon, s.icon);
        EXPECT_EQ(shorthandOf(*slot), s.shorthand);
    }
}

