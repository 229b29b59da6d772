#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/app_menu_preset.h"
#include "model/json_writer.h"

using namespace orbel;

namespace {

const AppMenuPreset& presetFor(const std::string& bundleId) {
    for (const AppMenuPreset& p : AppMenuPreset::all()) {
        if (p.bundleId == bundleId) return p;
    }
    throw std::runtime_error("no preset " + bundleId);
}

const MenuGroup& groupOf(const SlotConfig& slot) {
    const auto* g = slot.type.get<SlotType::Group>();
    if (!g) throw std::runtime_error("not a group: " + slot.title);
    return *g->group;
}

std::string shorthandOf(const SlotConfig& slot) {
    const auto* k = slot.type.get<SlotType::Keystroke>();
    if (!k || k->steps.size() != 1 || !k->steps[0].is<MacroStep::Chord>()) return "<not one chord>";
    return k->steps[0].as<MacroStep::Chord>()->combination.shorthand();
}

SlotIcon sf(const std::string& name) { return SlotIcon::symbolPack(IconPack{"sf"}, name); }

}  // namespace

TEST(AppMenuPreset, TenPresetsInOrderWithTheListedGroupSizes) {
    // Root title, then each root slot: 0 for a keystroke, else the group's slot count.
    struct Shape {
        std::string bundleId;
        std::string rootTitle;
        std::vector<std::size_t> rootSlots;
    };
    const std::vector<Shape> shapes = {
        {"com.microsoft.VSCode", "Visual Studio Code", {0, 0, 0, 6, 5, 6}},
        {"com.apple.dt.Xcode", "Xcode", {0, 0, 6, 6, 6, 5}},
        {"com.figma.Desktop", "Figma", {0, 0, 0, 0, 0, 0}},
        {"com.adobe.Photoshop", "Photoshop", {0, 0, 6, 6, 5, 6}},
        {"com.adobe.PremierePro.25", "Premiere Pro", {0, 0, 0, 6, 6, 6}},
        {"com.google.Chrome", "Chrome", {0, 0, 6, 5, 4, 5}},
        {"com.apple.Safari", "Safari", {0, 0, 0, 0, 0, 0}},
        {"com.apple.finder", "Finder", {0, 0, 5, 6, 5, 4}},
        {"com.apple.Terminal", "Terminal", {0, 0, 0, 0, 0, 0}},
        {"com.tinyspeck.slackmacgap", "Slack", {0, 0, 0, 0, 0, 0}},
    };
    const auto& all = AppMenuPreset::all();
    ASSERT_EQ(all.size(), shapes.size());
    for (std::size_t p = 0; p < all.size(); ++p) {
        const Shape& shape = shapes[p];
        SCOPED_TRACE(shape.bundleId);
        EXPECT_EQ(all[p].bundleId, shape.bundleId);
        EXPECT_EQ(all[p].id, all[p].bundleId);
        const MenuGroup dial = all[p].build();
        EXPECT_EQ(dial.title, shape.rootTitle);
        ASSERT_EQ(dial.slots.size(), shape.rootSlots.size());
        for (std::size_t i = 0; i < dial.slots.size(); ++i) {
            const SlotConfig& slot = dial.slots[i];
            if (shape.rootSlots[i] == 0) {
                EXPECT_NE(shorthandOf(slot), "<not one chord>") << slot.title;
                continue;
            }
            const MenuGroup& g = groupOf(slot);
            EXPECT_EQ(g.slots.size(), shape.rootSlots[i]) << slot.title;
            EXPECT_EQ(g.title, slot.title);  // a group slot shows its group's title and icon
            EXPECT_EQ(g.icon, slot.icon);
            // Only Premiere's Timeline nests a further group.
            for (const SlotConfig& s : g.slots) {
                if (s.type.is<SlotType::Group>()) {
                    EXPECT_EQ(shape.bundleId + "/" + slot.title + "/" + s.title,
                              "com.adobe.PremierePro.25/Timeline/Markers");
                } else {
                    EXPECT_NE(shorthandOf(s), "<not one chord>") << s.title;
                    EXPECT_TRUE(s.scope.isGlobal());
                }
            }
        }
    }
}

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
            if (slot->type.is<SlotType::Group>()) level = &groupOf(*slot);
        }
        EXPECT_EQ(slot->title, s.title);
        EXPECT_EQ(slot->icon, s.icon);
        EXPECT_EQ(shorthandOf(*slot), s.shorthand);
    }
}

TEST(AppMenuPreset, EachBuildIsEqualButForFreshIds) {
    for (const AppMenuPreset& p : AppMenuPreset::all()) {
        const MenuGroup first = p.build();
        const MenuGroup second = p.build();
        EXPECT_EQ(json::write(first.toJson()), json::write(second.toJson())) << p.bundleId;
        EXPECT_NE(first.id, second.id);
        EXPECT_NE(first.slots[0].id, second.slots[0].id);
    }
}
