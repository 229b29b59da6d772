#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/app_menu_preset.h"

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

// Visits every slot of a dial, nested groups included.
template <class F>
void forEachSlot(const MenuGroup& group, F&& f) {
    for (const SlotConfig& slot : group.slots) {
        f(slot);
        if (slot.type.is<SlotType::Group>()) forEachSlot(groupOf(slot), f);
    }
}

void collectIds(const MenuGroup& group, std::vector<Uuid>& ids) {
    ids.push_back(group.id);
    for (const SlotConfig& slot : group.slots) {
        ids.push_back(slot.id);
        if (slot.type.is<SlotType::Group>()) collectIds(groupOf(slot), ids);
    }
}

// Same titles, icons, scopes, keys and order at every level; ids ignored.
void expectSameShape(const MenuGroup& a, const MenuGroup& b) {
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.icon, b.icon);
    ASSERT_EQ(a.slots.size(), b.slots.size()) << a.title;
    for (std::size_t i = 0; i < a.slots.size(); ++i) {
        const SlotConfig& x = a.slots[i];
        const SlotConfig& y = b.slots[i];
        EXPECT_EQ(x.title, y.title);
        EXPECT_EQ(x.icon, y.icon);
        EXPECT_EQ(x.scope, y.scope);
        ASSERT_EQ(x.type.is<SlotType::Group>(), y.type.is<SlotType::Group>()) << x.title;
        if (x.type.is<SlotType::Group>()) {
            expectSameShape(groupOf(x), groupOf(y));
        } else {
            EXPECT_EQ(x.type, y.type) << x.title;
        }
    }
}

std::string shorthandOf(const SlotConfig& slot) {
    const auto* k = slot.type.get<SlotType::Keystroke>();
    if (!k || k->steps.size() != 1 || !k->steps[0].is<MacroStep::Chord>()) return "<not one chord>";
    return k->steps[0].as<MacroStep::Chord>()->combination.shorthand();
}

SlotIcon sf(const std::string& name) { return SlotIcon::symbolPack(IconPack{"sf"}, name); }

}  // namespace

TEST(AppMenuPreset, ListsTenPresetsInOrderWithIdEqualToBundleId) {
    const std::vector<std::string> expected = {
        "com.microsoft.VSCode", "com.apple.dt.Xcode",       "com.figma.Desktop", "com.adobe.Photoshop",
        "com.adobe.PremierePro.25", "com.google.Chrome",    "com.apple.Safari",  "com.apple.finder",
        "com.apple.Terminal",       "com.tinyspeck.slackmacgap",
    };
    const auto& all = AppMenuPreset::all();
    ASSERT_EQ(all.size(), expected.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].bundleId, expected[i]);
        EXPECT_EQ(all[i].id, all[i].bundleId);
        EXPECT_FALSE(all[i].summary.empty());
        EXPECT_TRUE(all[i].build);
    }
    EXPECT_EQ(&AppMenuPreset::all(), &all);  // one shared list
    EXPECT_EQ(all[3].displayName, "Adobe Photoshop");
    EXPECT_EQ(all[3].summary, "Tools, Layers, Select, View grouped \u2014 Free Transform and Save up front.");
    EXPECT_EQ(all[0].symbolName, "chevron.left.forwardslash.chevron.right");
}

TEST(AppMenuPreset, DialsHaveTheListedGroupSizes) {
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
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.bundleId);
        const MenuGroup dial = presetFor(shape.bundleId).build();
        EXPECT_EQ(dial.title, shape.rootTitle);
        EXPECT_TRUE(dial.icon.isAuto());
        ASSERT_EQ(dial.slots.size(), shape.rootSlots.size());
        for (std::size_t i = 0; i < dial.slots.size(); ++i) {
            const SlotConfig& slot = dial.slots[i];
            if (shape.rootSlots[i] == 0) {
                EXPECT_TRUE(slot.type.is<SlotType::Keystroke>()) << slot.title;
            } else {
                ASSERT_TRUE(slot.type.is<SlotType::Group>()) << slot.title;
                const MenuGroup& g = groupOf(slot);
                EXPECT_EQ(g.slots.size(), shape.rootSlots[i]) << slot.title;
                // A group slot shows its group's title and icon.
                EXPECT_EQ(g.title, slot.title);
                EXPECT_EQ(g.icon, slot.icon);
            }
        }
    }
}

TEST(AppMenuPreset, PremiereTimelineNestsMarkersAsItsSixthSlot) {
    const MenuGroup dial = presetFor("com.adobe.PremierePro.25").build();
    const MenuGroup& timeline = groupOf(dial.slots[5]);
    EXPECT_EQ(timeline.title, "Timeline");
    ASSERT_EQ(timeline.slots.size(), 6u);
    const SlotConfig& markersSlot = timeline.slots[5];
    EXPECT_EQ(markersSlot.title, "Markers");
    EXPECT_EQ(markersSlot.icon, sf("flag"));
    const MenuGroup& markers = groupOf(markersSlot);
    ASSERT_EQ(markers.slots.size(), 4u);
    EXPECT_EQ(markers.slots[2].title, "Previous Marker");
    EXPECT_EQ(shorthandOf(markers.slots[2]), "shift+cmd+m");
    EXPECT_EQ(shorthandOf(markers.slots[3]), "opt+m");
    // Nothing nests deeper, and no other preset nests at all.
    for (const SlotConfig& s : markers.slots) EXPECT_TRUE(s.type.is<SlotType::Keystroke>());
    for (const AppMenuPreset& p : AppMenuPreset::all()) {
        if (p.bundleId == "com.adobe.PremierePro.25") continue;
        for (const SlotConfig& root : p.build().slots) {
            if (!root.type.is<SlotType::Group>()) continue;
            for (const SlotConfig& s : groupOf(root).slots) EXPECT_FALSE(s.type.is<SlotType::Group>()) << p.bundleId;
        }
    }
}

TEST(AppMenuPreset, EverySlotIsGlobalAndEveryKeystrokeOneChord) {
    for (const AppMenuPreset& p : AppMenuPreset::all()) {
        SCOPED_TRACE(p.bundleId);
        const MenuGroup dial = p.build();
        EXPECT_LE(dial.slots.size(), 6u);
        forEachSlot(dial, [](const SlotConfig& slot) {
            EXPECT_TRUE(slot.scope.isGlobal()) << slot.title;
            EXPECT_FALSE(slot.title.empty());
            EXPECT_FALSE(slot.icon.isAuto()) << slot.title;
            if (slot.type.is<SlotType::Group>()) {
                EXPECT_LE(groupOf(slot).slots.size(), 6u);
                return;
            }
            const auto* k = slot.type.get<SlotType::Keystroke>();
            ASSERT_NE(k, nullptr) << slot.title;
            ASSERT_EQ(k->steps.size(), 1u) << slot.title;
            const auto* chord = k->steps[0].as<MacroStep::Chord>();
            ASSERT_NE(chord, nullptr) << slot.title;
            EXPECT_FALSE(chord->combination.mouseButton.has_value());
            if (const auto* pack = slot.icon.get<SlotIcon::SymbolPack>()) {
                EXPECT_EQ(pack->pack.rawValue, "sf");
            }
            if (const auto* text = slot.icon.get<SlotIcon::Text>()) {
                EXPECT_FALSE(text->tintHex.has_value());
            }
        });
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
        {"com.microsoft.VSCode", {3, 0}, "Comment Line", sf("text.badge.minus"), "cmd+/"},
        {"com.microsoft.VSCode", {5, 5}, "Back", sf("chevron.backward"), "ctrl+-"},
        {"com.apple.dt.Xcode", {3, 3}, "Project", SlotIcon::monogram("1"), "cmd+1"},
        {"com.apple.dt.Xcode", {5, 4}, "Toggle Breakpoint", sf("circle.fill"), "cmd+\\"},
        {"com.apple.dt.Xcode", {4, 2}, "Move Line Up", sf("arrow.up.to.line"), "opt+cmd+["},
        {"com.figma.Desktop", {0}, "Move Tool", SlotIcon::monogram("V"), "v"},
        {"com.adobe.Photoshop", {5, 3}, "Actual Size", SlotIcon::monogram("1\u00D7"), "cmd+1"},
        {"com.adobe.Photoshop", {5, 5}, "Show Grid", sf("grid"), "cmd+'"},
        {"com.adobe.Photoshop", {4, 4}, "Feather", sf("circle.dashed"), "shift+f6"},
        {"com.adobe.PremierePro.25", {0}, "Play / Pause", sf("playpause.fill"), "space"},
        {"com.google.Chrome", {3, 4}, "Stop", sf("xmark.circle"), "esc"},
        {"com.apple.finder", {4, 3}, "Empty Trash", sf("trash.slash"), "shift+cmd+delete"},
        {"com.apple.Terminal", {4}, "Bigger Text", sf("plus.magnifyingglass"), "cmd+="},
        {"com.tinyspeck.slackmacgap", {4}, "Mark All Read", sf("checkmark.circle"), "shift+esc"},
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
    std::set<Uuid> seen;
    for (const AppMenuPreset& p : AppMenuPreset::all()) {
        SCOPED_TRACE(p.bundleId);
        const MenuGroup first = p.build();
        const MenuGroup second = p.build();
        expectSameShape(first, second);
        std::vector<Uuid> ids;
        collectIds(first, ids);
        collectIds(second, ids);
        for (const Uuid& id : ids) EXPECT_TRUE(seen.insert(id).second) << "repeated id " << id.toString();
    }
}

TEST(AppMenuPreset, KeystrokeSlotMakesOneChordStepPerCombination) {
    const KeyCombination a = *KeyCombination::parse("cmd+a");
    const KeyCombination b = *KeyCombination::parse("shift+f6");
    const SlotConfig slot = AppMenuPreset::keystrokeSlot("Both", SlotIcon::monogram("AB"), {a, b});
    EXPECT_EQ(slot.type, SlotType::keystroke({MacroStep::chord(a), MacroStep::chord(b)}));
    EXPECT_EQ(slot.title, "Both");
    EXPECT_EQ(slot.icon, SlotIcon::monogram("AB"));
    EXPECT_TRUE(slot.scope.isGlobal());
    EXPECT_NE(AppMenuPreset::keystrokeSlot("Both", SlotIcon::monogram("AB"), {a, b}).id, slot.id);
}
