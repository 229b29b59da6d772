#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"

#include "config/config_fixture.h"
#include "profiles/per_app_menus_model.h"
#include "profiles/per_app_override_model.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

AppOverride withSlots(int n, std::optional<std::string> title = std::nullopt) {
    AppOverride o;
    o.slots = withSnippets(n, "app").rootGroup.slots;
    o.menuTitle = std::move(title);
    return o;
}

class PerAppTest : public ConfigFixture {
protected:
    void SetUp() override { live(); }
    void set(const std::string& id, const AppOverride& o) {
        AppConfig c = live().config();
        c.appOverrides[id] = o;
        live().setConfig(c);
    }
    const AppOverride& stored(const std::string& id) { return live().config().appOverrides.at(id); }

    PerAppMenusModel tab{live(), [](const std::string& id) -> std::optional<std::string> {
                             if (id == "firefox") return "Firefox";
                             return std::nullopt;
                         }};
};

}  // namespace

TEST_F(PerAppTest, RowsAreSortedByCodePointWithNamesAndSubtitles) {
    EXPECT_TRUE(tab.isEmpty());
    AppOverride sizeOnly;
    sizeOnly.menuRadius = 150;
    set("com.example", withSlots(6));
    set("com.Example", sizeOnly);
    set("firefox", withSlots(1, "Web"));
    EXPECT_EQ(tab.sortedBundleIds(), (std::vector<std::string>{"com.Example", "com.example", "firefox"}));
    const auto rows = tab.rows();
    EXPECT_EQ(rows[0].subtitle, "Active when com.Example is in front");  // no slots: titled by its id
    EXPECT_EQ(rows[1].subtitle, "6 slots · Active when App Menu is in front");
    EXPECT_EQ(rows[2].subtitle, "1 slot · Active when Firefox is in front");
    EXPECT_EQ(rows[2].group.title, "Web");
}

TEST_F(PerAppTest, AddingAnAppThatHasADialOpensItUnchanged) {
    tab.addApp("firefox", "Firefox");
    EXPECT_EQ(stored("firefox").slots->size(), 0u);
    EXPECT_EQ(stored("firefox").menuTitle, "Firefox");
    EXPECT_EQ(tab.editingBundleId(), "firefox");
    tab.finishEditing(std::nullopt);  // Cancel: the entry stays
    EXPECT_FALSE(tab.editingBundleId());

    const AppOverride mine = withSlots(3, "Mine");
    set("firefox", mine);
    tab.addApp("firefox", "Firefox");
    EXPECT_EQ(stored("firefox"), mine);
    EXPECT_EQ(tab.editingGroup()->slots.size(), 3u);
}

TEST_F(PerAppTest, Templates) {
    // No application here plays the template's part: the dial is keyed to
    // the template's own identifier, whatever this machine has installed.
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    const AppMenuPreset& preset = AppMenuPreset::all().front();
    const AppOverride two = withSlots(2);
    set(preset.bundleId, two);
    bool added = false;
    tab.addFromTemplate(preset, [&] { added = true; });  // a dial exists: nothing written
    ASSERT_TRUE(added);
    EXPECT_EQ(stored(preset.bundleId), two);
    EXPECT_EQ(tab.editingGroup()->slots.size(), 2u);

    AppOverride sizeOnly;
    sizeOnly.menuRadius = 150;
    set(preset.bundleId, sizeOnly);
    tab.addFromTemplate(preset);
    EXPECT_EQ(stored(preset.bundleId).menuRadius, 150);
    EXPECT_EQ(stored(preset.bundleId).slots->size(), preset.build().slots.size());
}

// Picked before the installed applications are known, a template waits for
// them: its dial is keyed to the application that plays its part here,
// the same one as when picked later, never to the template's identifier.
TEST_F(PerAppTest, ATemplatePickedBeforeTheApplicationsAreKnownKeysToTheSameApplication) {
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    const AppMenuPreset& preset = AppMenuPreset::all().front();
    workspace.installed[preset.bundleId] = {"stand-in", "/fake/applications/stand-in.desktop", "", "Stand-in"};
    workspace.known = false;
    EXPECT_FALSE(PerAppMenusModel::templateTarget(preset));
    bool done = false;
    tab.addFromTemplate(preset, [&] { done = true; });
    {
        PerAppMenusModel gone{live(), {}};  // a model closed before they are known adds nothing
        gone.addFromTemplate(preset);
    }
    EXPECT_FALSE(done);
    EXPECT_TRUE(tab.isEmpty());
    workspace.becomeKnown();
    EXPECT_TRUE(done);
    EXPECT_EQ(tab.sortedBundleIds(), std::vector<std::string>{"stand-in"});
    EXPECT_EQ(tab.editingBundleId(), "stand-in");
    EXPECT_EQ(stored("stand-in").slots->size(), preset.build().slots.size());
    tab.finishEditing(std::nullopt);
    EXPECT_EQ(PerAppMenusModel::templateTarget(preset), "stand-in");
    tab.addFromTemplate(preset);  // picked again now: the same dial opens
    EXPECT_EQ(tab.sortedBundleIds(), std::vector<std::string>{"stand-in"});
    EXPECT_EQ(tab.editingBundleId(), "stand-in");
}

TEST_F(PerAppTest, RemoveDropsTheWholeOverride) {
    AppOverride o = withSlots(2);
    o.menuRadius = 120;
    o.appearance = AppearanceConfig{};
    o.goBackKey = KeyCombination{1, 0, std::nullopt};
    set("firefox", o);
    tab.removeOverride("firefox");
    EXPECT_TRUE(tab.isEmpty());
    live().flushSaves();
    EXPECT_EQ(readFile(configPath()).find("firefox"), std::string::npos);
}

TEST(PerAppOverrideScaleTest, RadiusAndDialSize) {
    const std::pair<double, double> toSize[] = {{100, 0}, {105, 0.5}, {200, 5}, {299, 10}, {300, 10}, {900, 10}, {50, 0}};
    for (const auto& [radius, size] : toSize) EXPECT_EQ(PerAppOverrideModel::dialSizeFromRadius(radius), size) << radius;
    const std::pair<double, double> toRadius[] = {{0, 100}, {2.5, 150}, {9.5, 290}, {10, 300}, {-1, 100}};
    for (const auto& [size, radius] : toRadius) EXPECT_EQ(PerAppOverrideModel::radiusForDialSize(size), radius) << size;
    EXPECT_EQ(PerAppOverrideModel::sizeText(7), "7.0");
    EXPECT_EQ(PerAppOverrideModel::percentText(0.55), "55%");
    EXPECT_EQ(PerAppOverrideModel::strengthText(1), "1.00×");
}

TEST_F(PerAppTest, OverrideSheetStartsFromTheStoredOverride) {
    AppOverride o;
    o.menuRadius = 240;
    set("firefox", o);
    PerAppOverrideModel sheet(live(), "firefox", "Firefox", std::nullopt);
    EXPECT_TRUE(sheet.menuSizeEnabled);
    EXPECT_EQ(sheet.dialSize(), 7.0);
    EXPECT_FALSE(sheet.appearanceEnabled);
    EXPECT_FALSE(sheet.controlsEnabled);
    EXPECT_EQ(sheet.draftAppearance, live().config().appearance);
    EXPECT_EQ(sheet.slotsHelp(), "No slots yet — open the editor to add some.");
    sheet.groupEdited(withSnippets(3).rootGroup);
    EXPECT_EQ(sheet.slotsHelp(), "3 configured.");
    EXPECT_EQ(sheet.groupEditorHelp(), "These slots only show while Firefox is the active app.");
}

// Escape and the close button ask while the sheet holds changes.
TEST_F(PerAppTest, OverrideSheetChangesFollowSectionsDraftsAndSlots) {
    AppOverride o;
    o.menuRadius = 240;
    set("firefox", o);
    PerAppOverrideModel sheet(live(), "firefox", "Firefox", std::nullopt);
    EXPECT_FALSE(sheet.hasChanges());
    sheet.appearanceEnabled = true;
    EXPECT_TRUE(sheet.hasChanges());
    sheet.appearanceEnabled = false;
    sheet.setDialSize(2.5);
    EXPECT_TRUE(sheet.hasChanges());
    sheet.setDialSize(7.0);
    EXPECT_FALSE(sheet.hasChanges());
    MenuGroup renamed = sheet.groupForEditor();
    renamed.title = "Browsing";
    sheet.groupEdited(renamed);
    EXPECT_TRUE(sheet.hasChanges());
}

TEST_F(PerAppTest, WhichFieldsSaveWrites) {
    struct Case {
        bool size, appearance, controls;
    };
    AppOverride goBackOnly;
    goBackOnly.goBackKey = KeyCombination{4, 0x100, std::nullopt};
    for (const Case c : {Case{false, false, false}, Case{true, false, true}, Case{true, true, true}}) {
        set("firefox", goBackOnly);
        PerAppOverrideModel sheet(live(), "firefox", "Firefox", std::nullopt);
        EXPECT_TRUE(sheet.controlsEnabled);
        sheet.menuSizeEnabled = c.size;
        sheet.appearanceEnabled = c.appearance;
        sheet.controlsEnabled = c.controls;
        sheet.setDialSize(2.5);
        sheet.save();
        const AppOverride& o = stored("firefox");
        EXPECT_EQ(o.slots, std::vector<SlotConfig>{});
        EXPECT_FALSE(o.menuTitle);
        EXPECT_EQ(o.menuRadius.has_value(), c.size);
        if (c.size) {
            EXPECT_EQ(*o.menuRadius, 150);
        }
        EXPECT_EQ(o.appearance.has_value(), c.appearance);
        EXPECT_EQ(o.goBackKey, c.controls ? goBackOnly.goBackKey : std::nullopt);
        EXPECT_EQ(o.closeMenuKey, c.controls ? std::optional(live().config().controls.closeMenuKey) : std::nullopt);
    }
}

TEST_F(PerAppTest, SavingKeepsADialTitleSetEarlier) {
    AppOverride o = withSlots(2, "My Tools");
    o.menuRadius = 900;  // outside the slider's range: kept while the slider is untouched
    set("firefox", o);
    tab.beginEditing("firefox", tab.row("firefox").group);
    PerAppOverrideModel sheet(live(), "firefox", tab.sheetAppName(), tab.editingGroup());
    tab.finishEditing(sheet.save());
    EXPECT_EQ(stored("firefox").menuTitle, "My Tools");
    EXPECT_EQ(stored("firefox").menuRadius, 900);
    EXPECT_EQ(stored("firefox").slots->size(), 2u);
}

TEST_F(PerAppTest, HelpTextsAndRowsFollowTheAppearance) {
    PerAppOverrideModel sheet(live(), "", "App", std::nullopt);
    struct Case {
        Backdrop backdrop;
        SlotStyle style;
        bool opacity, color, slotColor;
        const char* help;
    };
    const Case cases[] = {
        {Backdrop::liquidGlass, SlotStyle::normal, false, false, false,
         "Blur and refraction, like liquid glass."},  // the General tab's words
        {Backdrop::translucent, SlotStyle::liquidGlass, true, false, false,
         "Frosted glass — opacity controls how see-through it is."},
        {Backdrop::filled, SlotStyle::filled, true, true, true, "A solid color of your choice."},
    };
    for (const auto& c : cases) {
        sheet.draftAppearance.backdrop = c.backdrop;
        sheet.draftAppearance.slotStyle = c.style;
        EXPECT_EQ(sheet.showsBackdropOpacity(), c.opacity);
        EXPECT_EQ(sheet.showsBackdropColor(), c.color);
        EXPECT_EQ(sheet.showsSlotColor(), c.slotColor);
        EXPECT_EQ(sheet.backdropHelp(), c.help);
    }
    EXPECT_EQ(sheet.backdropOpacityHelp(), "How opaque the solid color is.");
    EXPECT_EQ(sheet.slotStyleHelp(), "A solid color you can pick.");
}

// Save writes the whole override, dial and title, in one change; removing
// goes through the same validated path.
TEST_F(PerAppTest, SaveWritesOnceAndFailuresAreReported) {
    tab.addApp("firefox", "Firefox");
    PerAppOverrideModel sheet(live(), "firefox", tab.sheetAppName(), tab.editingGroup());
    MenuGroup group = sheet.groupForEditor();
    group.title = "Browsing";
    group.slots = withSnippets(2, "web").rootGroup.slots;
    sheet.groupEdited(group);
    QSignalSpy changed(&live(), &ConfigManager::configChanged);
    tab.finishEditing(sheet.save());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(stored("firefox").menuTitle, "Browsing");

    sheet.menuSizeEnabled = true;
    withFileSizeLimit(10, [&] {
        EXPECT_FALSE(sheet.save());
        tab.removeOverride("firefox");
    });
    EXPECT_TRUE(sheet.error());
    EXPECT_TRUE(tab.error());
    EXPECT_FALSE(tab.isEmpty());
}

TEST_F(PerAppTest, ADraftMadeBeforeAProfileSwitchIsNeverSavedIntoTheNewProfile) {
    set("firefox", withSlots(2));
    AppConfig work = withSnippets(1, "work");
    work.appOverrides["firefox"] = withSlots(5);
    live().profileStore().save(work, "Work");
    tab.beginEditing("firefox", tab.row("firefox").group);
    PerAppOverrideModel sheet(live(), "firefox", tab.sheetAppName(), tab.editingGroup());
    EXPECT_FALSE(sheet.isStale());
    live().switchToProfile("Work");  // from the dial, while the sheet is open
    const AppOverride switchedIn = stored("firefox");
    ASSERT_EQ(switchedIn.slots->size(), 5u);
    EXPECT_TRUE(sheet.isStale());
    sheet.menuSizeEnabled = true;  // one change, then Save
    tab.finishEditing(sheet.save());
    EXPECT_EQ(stored("firefox"), switchedIn);
    EXPECT_FALSE(tab.editingBundleId());
    // The same for the tab's own draft (the group the slot editor hands back)
    // across a Reload.
    tab.beginEditing("firefox", tab.row("firefox").group);
    live().flushSaves();
    live().load();
    tab.finishEditing(withSnippets(1, "stale").rootGroup);
    EXPECT_EQ(stored("firefox").slots->size(), 5u);
}
