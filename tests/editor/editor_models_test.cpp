// The dial editor's rules as tables: ring geometry at its boundaries, drag
// states and commits, the editor's commit handling and full-dial prompt,
// payload decoding, the ring's layout, and the library and picker rules.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "config/config_manager.h"
#include "editor/dial_editor_model.h"
#include "editor/editor_ring_model.h"
#include "editor/picker_models.h"
#include "editor/slot_library_model.h"
#include "fakes/fake_system_platform.h"
#include "fakes/replace_shared.h"
#include "slots/slot_factory.h"

using namespace orbel;
using namespace orbel::editor;

namespace {

const QPointF kC(166, 166);

// The point at clockwise fraction f of a turn from twelve o'clock, r from the centre.
QPointF at(double f, double r = 114.375) {
    const double a = 2 * std::numbers::pi * f;
    return {kC.x() + r * std::sin(a), kC.y() - r * std::cos(a)};
}

SlotConfig app(const std::string& id) { return SlotConfig::make(SlotType::app(id), id); }

std::vector<SlotConfig> apps(int n) {
    std::vector<SlotConfig> out;
    for (int i = 0; i < n; ++i) out.push_back(app("app" + std::to_string(i)));
    return out;
}

const SlotDragPayload kFiles = SlotDragPayload::libraryApp("org.gnome.Nautilus", "Files");

}  // namespace

TEST(DialDrop, GeometryAtTheBoundaries) {
    struct Row {
        int n;
        double f;
        int wedge, gap;
        std::optional<int> near;
    };
    const Row rows[] = {
        {4, 0.0, 0, 0, 0},   {1, 0.0, 0, 0, 0},   {4, 0.92, 0, 4, 0},  {4, 0.8751, 0, 4, std::nullopt},
        {4, 0.25, 1, 1, 1},  {4, 0.126, 1, 0, std::nullopt}, {0, 0.5, 0, 0, std::nullopt},
        // A full dial of six: 0.35 of a wedge from wedge 2's centre is near it, 0.45 is not.
        {6, (2 + 0.35) / 6, 2, 2, 2}, {6, (2 - 0.45) / 6, 2, 1, std::nullopt},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(wedgeIndex(r.n, at(r.f), kC), r.wedge) << r.n << " " << r.f;
        EXPECT_EQ(insertionIndex(r.n, at(r.f), kC), r.gap) << r.n << " " << r.f;
        EXPECT_EQ(wedgeNearCentre(r.n, at(r.f), kC), r.near) << r.n << " " << r.f;
    }
    const std::pair<double, bool> distances[] = {{78.75, true}, {78.74, false}, {174, true}, {174.01, false}};
    for (const auto& [d, active] : distances)
        EXPECT_EQ(isInActiveAnnulus(QPointF(kC.x(), kC.y() - d), kC, 78.75, 150), active) << d;
}

TEST(DialDrop, DragStatesAndCommits) {
    const auto slots = apps(4);
    const auto full = apps(6);
    const auto wedge1 = SlotDragPayload::existingSlot(slots[1].id);
    const auto stranger = SlotDragPayload::existingSlot(Uuid::random());
    struct Row {
        std::vector<SlotConfig> slots;
        bool isFull;
        SlotDragPayload payload;
        QPointF where;
        DragState state;
        CommitAction commit;
    };
    const Row rows[] = {
        {slots, false, kFiles, at(0.5), {DragState::LibraryDrag{kFiles, 2}}, {CommitAction::Insert{kFiles, 2}}},
        {slots, false, kFiles, kC, {}, {}},  // the hub is outside the annulus
        {slots, false, wedge1, at(0.5), {DragState::ExistingDrag{1, 2}}, {CommitAction::Swap{1, 2}}},
        {slots, false, wedge1, at(0.25), {DragState::ExistingDrag{1, 1}}, {}},
        {slots, false, stranger, at(0.5), {DragState::ExistingDrag{-1, 2}}, {}},
        {full, true, kFiles, at(2.0 / 6), {DragState::LibraryFull{kFiles, 2}}, {CommitAction::PromptOnWedge{kFiles, 2}}},
        {full, true, kFiles, at(2.5 / 6), {DragState::LibraryFull{kFiles, std::nullopt}}, {CommitAction::ToastFull{}}},
    };
    for (const Row& r : rows) {
        const DialDropDelegate d{r.slots, kC, 78.75, 150, r.isFull};
        EXPECT_EQ(d.dragStateFor(r.payload, r.where), r.state);
        EXPECT_EQ(d.resolveCommit(r.payload, r.where), r.commit);
    }
}

TEST(DialDrop, PayloadDecodingAndSlots) {
    const std::string prefix(SlotDragPayload::kPrefix);
    const std::pair<std::optional<std::string>, bool> texts[] = {
        {std::nullopt, false},
        {R"({"kind":{"libraryApp":{"bundleId":"a","name":"A"}}})", false},  // no prefix
        {prefix + "{not json", false},
        {prefix + R"({"kind":{"libraryApp":{"bundleId":1,"name":"A"}}})", false},  // wrong type
        {prefix + R"({"kind":{"libraryAction":{"actionId":"volume_up"}}})", true},
    };
    for (const auto& [text, ok] : texts)
        EXPECT_EQ(decodeSlotPayload(text ? std::optional<std::string_view>(*text) : std::nullopt).has_value(), ok);

    const KeyCombination k{12, 0x100, std::nullopt};
    auto keys = SlotConfig::make(SlotType::keystroke({MacroStep{MacroStep::Chord{k}}}), "Quit");
    const std::vector<SlotConfig> dial{app("firefox"), SlotConfig::make(SlotType::action(SystemAction::setVolume(0.2)), "V"),
                                       keys};
    struct Row {
        SlotDragPayload payload;
        bool already;
        std::optional<std::string> title;
    };
    const Row rows[] = {
        {SlotDragPayload::libraryApp("firefox", "Firefox"), true, "Firefox"},
        {SlotDragPayload::libraryApp("Firefox", "Firefox"), false, "Firefox"},
        {SlotDragPayload::libraryAction("set_volume"), true, std::nullopt},
        {SlotDragPayload::libraryAction("volume_up"), false, "Volume Up"},
        {SlotDragPayload::libraryKeystroke({k}, "Q"), true, "Q"},
        {SlotDragPayload::libraryKeystroke({k, k}, "QQ"), false, "QQ"},
        {SlotDragPayload::existingSlot(keys.id), false, std::nullopt},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(payloadAlreadyOnDial(r.payload, dial), r.already) << r.payload.exportString();
        const auto slot = slotConfigFromPayload(r.payload);
        EXPECT_EQ(slot ? std::optional(slot->title) : std::nullopt, r.title);
        if (slot) {
            EXPECT_TRUE(slot->icon.isAuto() && slot->scope == SlotScope::global());
        }
    }
    EXPECT_TRUE(trashAccepts(SlotDragPayload::existingSlot(keys.id)));
    EXPECT_FALSE(trashAccepts(kFiles));
    EXPECT_FALSE(emptyDialAccepts(SlotDragPayload::existingSlot(keys.id)));
}

TEST(DialDrop, StaleSessionsChangeNothing) {
    DialDragCoordinator c;
    const auto first = c.beginSession();
    const auto second = c.beginSession();  // left and came back while the first was loading
    c.applyLoadedPayload(kFiles, first, {DragState::LibraryDrag{kFiles, 1}});
    EXPECT_TRUE(c.dragState().isIdle());
    EXPECT_FALSE(c.cachedPayload());
    c.applyLoadedPayload(kFiles, second, {DragState::LibraryDrag{kFiles, 3}});
    EXPECT_EQ(c.dragState(), (DragState{DragState::LibraryDrag{kFiles, 3}}));
    c.endSession();
    EXPECT_EQ(c.sessionToken(), second + 1);
    EXPECT_TRUE(c.dragState().isIdle());
}

TEST(DialEditorModel, CommitsGoOutThroughTheCallbacks) {
    std::vector<std::string> calls;
    DialEditorCallbacks cb;
    cb.onInsert = [&](const SlotConfig& s, int i) { calls.push_back("insert " + s.title + " " + std::to_string(i)); };
    cb.onSwap = [&](int a, int b) { calls.push_back("swap " + std::to_string(a) + " " + std::to_string(b)); };
    cb.onRemove = [&](int i) { calls.push_back("remove " + std::to_string(i)); };
    cb.onReplace = [&](int i, const SlotConfig& s) { calls.push_back("replace " + std::to_string(i) + " " + s.title); };
    cb.onShare = [&](int) { calls.push_back("share"); };
    DialEditorModel m(apps(3), 6, cb);
    m.showToast = [&](const std::string& t) { calls.push_back(t); };
    // Whether each was taken: what a drop tells the drag's source.
    const std::tuple<CommitAction, std::string, bool> rows[] = {
        {{CommitAction::Insert{kFiles, 9}}, "insert Files 3", true},  // clamped
        {{CommitAction::Insert{SlotDragPayload::libraryApp("app1", "again"), 0}}, "", false},
        {{CommitAction::Insert{SlotDragPayload::libraryAction("set_brightness"), 0}}, "", false},
        {{CommitAction::Swap{0, 2}}, "swap 0 2", true},
        {{CommitAction::Swap{0, 3}}, "", false},
        {{CommitAction::PromptOnWedge{kFiles, 3}}, "", false},
        {{CommitAction::ToastFull{}}, "Maximum 6 slots reached", true},
        {{CommitAction::None{}}, "", false},
    };
    for (const auto& [action, expected, taken] : rows) {
        calls.clear();
        EXPECT_EQ(m.handleCommit(action), taken) << expected;
        EXPECT_EQ(calls, expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected});
        EXPECT_FALSE(m.fullDialPrompt());
    }
    calls.clear();
    m.removeById(m.slots()[1].id);
    m.removeById(Uuid::random());
    m.insertIntoEmptyDial(kFiles);
    m.insertIntoEmptyDial(SlotDragPayload::libraryApp("app0", "x"));
    EXPECT_EQ(calls, (std::vector<std::string>{"remove 1", "insert Files 0"}));
}

TEST(DialEditorModel, FullDialPromptReplacesOrGroups) {
    std::optional<std::pair<int, SlotConfig>> replaced;
    DialEditorCallbacks cb;
    cb.onReplace = [&](int i, const SlotConfig& s) { replaced = {i, s}; };
    DialEditorModel m(apps(6), 6, cb);
    m.handleCommit({CommitAction::PromptOnWedge{kFiles, 2}});
    ASSERT_TRUE(m.fullDialPrompt());
    EXPECT_EQ(FullDialPrompt::message(6), "The dial holds 6 slots \u2014 its maximum. Replace this slot with the new "
                                          "item, or wrap both into a group.");
    EXPECT_EQ(m.fullDialPrompt()->replaceLabel(), "Replace app2");
    EXPECT_EQ(m.fullDialPrompt()->groupLabel(), "Group app2 with Files");
    m.promptReplace();
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->first, 2);
    EXPECT_EQ(replaced->second.title, "Files");
    EXPECT_FALSE(m.fullDialPrompt());

    m.handleCommit({CommitAction::PromptOnWedge{kFiles, 4}});
    m.promptGroup();
    const auto* group = replaced->second.type.get<SlotType::Group>();
    ASSERT_TRUE(group);
    EXPECT_EQ(replaced->first, 4);
    EXPECT_EQ(replaced->second.title, "Group");
    EXPECT_EQ(group->group->title, "Group");
    ASSERT_EQ(group->group->slots.size(), 2u);
    EXPECT_EQ(group->group->slots[0], m.slots()[4]);
    EXPECT_EQ(group->group->slots[1].title, "Files");

    replaced.reset();
    m.handleCommit({CommitAction::PromptOnWedge{kFiles, 1}});
    m.promptDismiss();
    m.promptReplace();
    EXPECT_FALSE(replaced);
}

TEST(DialEditorModel, AnUnnamedApplicationBecomesAValidSlotTitledWithItsId) {
    // Every way a library application reaches the dial: the ring, the empty
    // dial, and the full dial's Replace and Group answers.
    const SlotDragPayload unnamed = SlotDragPayload::libraryApp("org.example.Tool", "");
    std::vector<SlotConfig> made;
    DialEditorCallbacks cb;
    cb.onInsert = [&](const SlotConfig& s, int) { made.push_back(s); };
    cb.onReplace = [&](int, const SlotConfig& s) { made.push_back(s); };
    DialEditorModel some(apps(2), 6, cb);
    some.handleCommit({CommitAction::Insert{unnamed, 0}});
    DialEditorModel empty({}, 6, cb);
    empty.insertIntoEmptyDial(SlotDragPayload::libraryApp("org.example.Blank", " \t"));
    DialEditorModel full(apps(6), 6, cb);
    full.handleCommit({CommitAction::PromptOnWedge{unnamed, 1}});
    full.promptReplace();
    full.handleCommit({CommitAction::PromptOnWedge{unnamed, 2}});
    full.promptGroup();
    ASSERT_EQ(made.size(), 4u);
    EXPECT_EQ(made[0].title, "org.example.Tool");
    EXPECT_EQ(made[1].title, "org.example.Blank");
    EXPECT_EQ(made[2].title, "org.example.Tool");
    EXPECT_EQ(made[3].type.get<SlotType::Group>()->group->slots[1].title, "org.example.Tool");
    EXPECT_TRUE(ConfigManager::validateSlots(made).empty());
    // A named application keeps its name; the library's own rows and a
    // cycling slot's children go the same way.
    EXPECT_EQ(SlotLibraryModel::appSlot(AppInfo{Uuid::random(), "Firefox", "firefox", "", ""}).title, "Firefox");
    EXPECT_EQ(SlotLibraryModel::appSlot(AppInfo{Uuid::random(), "", "org.example.Tool", "", ""}).title, "org.example.Tool");
}

TEST(EditorRing, LayoutFollowsTheDrag) {
    const auto slots = apps(3);
    auto ids = [](const std::vector<RingLayoutItem>& items) {
        std::string out;
        for (const auto& i : items)
            out += (i.id == kGhostId ? std::string("G") : i.title.substr(3)) + (i.isHighlighted ? "*" : "") +
                   (i.opacity < 1 ? "~" : "") + " ";
        return out;
    };
    const std::pair<DragState, std::string> rows[] = {
        {{}, "0 1 2 "},
        {{DragState::LibraryDrag{kFiles, 1}}, "0 G*~ 1 2 "},
        {{DragState::LibraryFull{kFiles, 2}}, "0 1 2* "},
        {{DragState::ExistingDrag{0, 2}}, "0~ 1 2* "},
        {{DragState::ExistingDrag{1, 1}}, "0 1~ 2 "},
    };
    for (const auto& [state, expected] : rows) EXPECT_EQ(ids(ringLayoutItems(slots, state)), expected);
    const auto items = ringLayoutItems(slots, {DragState::LibraryDrag{kFiles, 1}});
    EXPECT_EQ(items[1].title, "Files");
    EXPECT_FALSE(itemHasHitTarget(items[1]));
    EXPECT_EQ(slotIndexForItem(1, items, slots), std::nullopt);
    EXPECT_EQ(slotIndexForItem(2, items, slots), 1);
    EXPECT_EQ(slotIndexForItem(4, items, slots), std::nullopt);
}

TEST(EditorRing, Pictures) {
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    MenuGroup g;
    auto group = SlotConfig::make(SlotType::group(g), "G");
    auto custom = group;
    custom.icon = SlotIcon::monogram("AB");
    auto transport = SlotConfig::make(SlotType::transport(TransportCommand::next), "N", SlotIcon::monogram("X"));
    const std::pair<SlotConfig, std::string> rows[] = {
        {group, "folder.fill"},
        {transport, "forward.end.fill"},
        {SlotConfig::make(SlotType::action(SystemAction::Kind::lockScreen), "L"), "lock"},
        {SlotConfig::make(SlotType::modeSwitch(DialMode::music), "M"), "music.note"},
    };
    for (const auto& [slot, name] : rows) {
        EXPECT_TRUE(slotPreviewImage(slot).icon.isAuto()) << name;
        EXPECT_EQ(slotPreviewImage(slot).fallbackSymbol, name);
    }
    EXPECT_EQ(slotPreviewImage(custom).icon, SlotIcon::monogram("AB"));
    EXPECT_EQ(slotPreviewImage(custom).fallbackSymbol, "folder.fill");
    EXPECT_EQ(slotPreviewImage(app("x")).fallbackSymbol, "app.badge.questionmark");
    EXPECT_FALSE(slotPreviewImage(app("x")).unavailable);
    EXPECT_EQ(payloadTitle(SlotDragPayload::libraryAction("nope")), "nope");
    EXPECT_EQ(payloadIcon(SlotDragPayload::libraryAction("nope")).fallbackSymbol, "bolt");
}

// The editor's own table, not the dial's: an application not installed is
// "app.badge.questionmark" (never dimmed, whatever its role), a group is
// "folder.fill", a script "terminal"; kinds that take an icon show it first.
TEST(EditorRing, EverySlotIsPicturedByTheEditorsTable) {
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    workspace.install("org.example.Editor");
    workspace.installed["org.example.Editor"].icon = "accessories-text-editor";
    MenuGroup g;
    const SlotIcon mono = SlotIcon::monogram("Q");
    const SlotIcon none = SlotIcon::automatic();
    const auto make = [](SlotType type, SlotIcon icon = SlotIcon::automatic()) {
        return SlotConfig::make(std::move(type), "T", std::move(icon));
    };
    struct Row {
        SlotConfig slot;
        SlotIcon icon;
        std::string symbol;
        std::string appIcon;
    };
    const Row rows[] = {
        {app("org.example.Editor"), none, "app", "accessories-text-editor"},
        {app("com.apple.MobileSMS"), none, "app.badge.questionmark", ""},
        {app("com.apple.Safari"), none, "app.badge.questionmark", ""},  // a role no application plays
        {make(SlotType::app("org.example.Gone"), mono), none, "app.badge.questionmark", ""},
        {make(SlotType::action(SystemAction::Kind::lockScreen), mono), none, "lock", ""},
        {make(SlotType::group(g), mono), mono, "folder.fill", ""},
        {make(SlotType::keystroke({})), none, "keyboard", ""},
        {make(SlotType::script({})), none, "terminal", ""},
        {make(SlotType::script({}), mono), mono, "terminal", ""},
        {make(SlotType::snippet("x")), none, "doc.on.clipboard", ""},
        {make(SlotType::dynamic({})), none, "gauge.with.dots.needle.bottom.50percent", ""},
        {make(SlotType::cycling({})), none, "arrow.triangle.2.circlepath", ""},
        {make(SlotType::cycling({}), mono), mono, "arrow.triangle.2.circlepath", ""},
        {make(SlotType::transport(TransportCommand::toggle), mono), none, "play.fill", ""},
        {make(SlotType::transport(TransportCommand::prev)), none, "backward.end.fill", ""},
        {make(SlotType::modeSwitch(DialMode::standard), mono), none, "circle.grid.cross", ""},
        {make(SlotType::profileTarget("Work"), mono), mono, "person.crop.rectangle.stack", ""},
        {make(SlotType::volumeScrub(), mono), none, "speaker.wave.2.fill", ""},
        {make(SlotType::profileSwitch()), none, "person.crop.rectangle.stack", ""},
    };
    for (const Row& row : rows) {
        const SlotImage shown = slotPreviewImage(row.slot);
        EXPECT_EQ(shown.icon, row.icon) << row.symbol;
        EXPECT_EQ(shown.fallbackSymbol, row.symbol);
        EXPECT_EQ(shown.appIcon, row.appIcon) << row.symbol;
        EXPECT_FALSE(shown.unavailable) << row.symbol;
    }

    // The ghost: an application as its slot would be, an action's symbol,
    // "bolt" and the raw identifier for one no action has; a wedge has none.
    const std::tuple<SlotDragPayload, std::string, std::string, std::string> ghosts[] = {
        {SlotDragPayload::libraryApp("org.example.Editor", "Editor"), "Editor", "app", "accessories-text-editor"},
        {SlotDragPayload::libraryApp("org.example.Gone", "Gone"), "Gone", "app.badge.questionmark", ""},
        {SlotDragPayload::libraryAction("lock_screen"), "Lock Screen", "lock", ""},
        {SlotDragPayload::libraryAction("set_volume"), "set_volume", "bolt", ""},
        {SlotDragPayload::libraryKeystroke({}, "Copy"), "Copy", "keyboard", ""},
        {SlotDragPayload::existingSlot(Uuid::random()), "", "", ""},
    };
    for (const auto& [payload, title, symbol, appIcon] : ghosts) {
        EXPECT_EQ(payloadTitle(payload), title);
        EXPECT_EQ(payloadIcon(payload).fallbackSymbol, symbol) << title;
        EXPECT_EQ(payloadIcon(payload).appIcon, appIcon) << title;
        EXPECT_TRUE(payloadIcon(payload).icon.isAuto()) << title;
    }
    const auto items = ringLayoutItems({app("org.example.Editor")},
                                       {DragState::LibraryDrag{SlotDragPayload::libraryAction("no_such_action"), 0}});
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].title, "no_such_action");
    EXPECT_EQ(items[0].icon.fallbackSymbol, "bolt");

    // The stock dial on a desktop without a browser: titled as the dial titles it.
    std::vector<std::string> titles;
    for (const auto& item : ringLayoutItems(AppConfig::defaultMenu().slots, {DragState::Idle{}}))
        titles.push_back(item.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Web Browser", "Messages", "Apps", "System", "Music", "Profiles"}));
}

TEST(SlotLibrary, AppFiltersAndSearch) {
    SlotLibraryModel m({LibrarySegment::apps, LibrarySegment::actions}, {}, {});
    m.systemPrefixes = {"/usr/share/applications/"};
    m.setApps({{Uuid::random(), "Files", "org.gnome.Nautilus", "", "file:///usr/share/applications/org.gnome.Nautilus.desktop"},
               {Uuid::random(), "My Tool", "mytool", "", "file:///home/u/.local/share/applications/mytool.desktop"},
               {Uuid::random(), "Flat Finder", "com.finder", "",
                "file:///var/lib/flatpak/exports/share/applications/com.finder.desktop"},
               {Uuid::random(), "Sharer", "sharer", "", "file:///usr/share/applications.desktop"}});
    m.runningBundleIds = {"mytool"};
    auto names = [&] {
        std::string out;
        for (const AppInfo* a : m.filteredApps()) out += a->name + ";";
        return out;
    };
    struct Row {
        AppFilter filter;
        std::string search, expected;
    };
    const Row rows[] = {
        {AppFilter::all, "", "Files;My Tool;Flat Finder;Sharer;"},
        {AppFilter::system, "", "Files;"},
        {AppFilter::installed, "", "My Tool;Flat Finder;Sharer;"},
        {AppFilter::running, "", "My Tool;"},
        {AppFilter::all, "FINDER", "Flat Finder;"},
        {AppFilter::all, "nautilus", "Files;"},  // by identifier
        {AppFilter::all, " finder", "Flat Finder;"},  // not trimmed: the name has the space
        {AppFilter::all, " tool", "My Tool;"},
        {AppFilter::all, " ", "My Tool;Flat Finder;"},
    };
    for (const Row& r : rows) {
        m.appFilter = r.filter;
        m.search = r.search;
        EXPECT_EQ(names(), r.expected) << appFilterTitle(r.filter) << " '" << r.search << "'";
    }
    m.search = "zzz";
    EXPECT_EQ(m.entries().front().text, "No matches");
    m.isLoadingApps = true;
    EXPECT_EQ(m.entries().size(), 1u);
    EXPECT_EQ(m.entries().front().kind, LibraryEntry::Kind::loading);
    EXPECT_TRUE(isSystemLocation("file:///usr/share/applications/a.desktop", {"/usr/share/applications/"}));
}

TEST(SlotLibrary, ActionSections) {
    SlotLibraryModel m({LibrarySegment::actions}, {}, {});
    m.normaliseSegment();
    EXPECT_EQ(m.segment, LibrarySegment::actions);
    EXPECT_FALSE(m.showsSegmentPicker());
    auto rows = [&] {
        std::string out;
        for (const auto& e : m.entries()) {
            if (e.kind == LibraryEntry::Kind::header) out += "[" + e.text + "]";
            else if (e.kind == LibraryEntry::Kind::message) out += "(" + e.text + ")";
            else out += e.text + ";";
        }
        return out;
    };
    struct Row {
        std::optional<ActionCategory> filter;
        std::string search, expected;
    };
    const Row table[] = {
        {std::nullopt, "volume", "[Audio]Volume Up;Volume Down;Set Volume\u2026;"},
        {ActionCategory::audio, "volume", "Volume Up;Volume Down;Set Volume\u2026;"},
        {ActionCategory::audio, "mute", "Mute;Set Volume\u2026;"},
        {ActionCategory::audio, "shut", "(No matches)"},
        {std::nullopt, "zzz", "(No matches)"},
        {ActionCategory::connectivity, "", "Toggle Wi-Fi;Toggle Do Not Disturb;"},
    };
    for (const Row& r : table) {
        m.actionFilter = r.filter;
        m.search = r.search;
        EXPECT_EQ(rows(), r.expected) << r.search;
    }
    m.actionFilter.reset();
    m.search.clear();
    EXPECT_EQ(m.actionFilterLabel(), "All Categories");
    EXPECT_EQ(m.entries().size(), 6u + 28u + 2u);
    EXPECT_EQ(libraryRowToolTip(true, "x", "T"), "Already in this dial");
    EXPECT_EQ(libraryRowToolTip(false, std::nullopt, "T"), "T");
    EXPECT_EQ(parameterisedChoice(SystemAction::setVolume(0.5), 0.4), SystemAction::setVolume(0.4));
}

TEST(AppPicker, CategoriesSearchAndEmptyTexts) {
    AppPickerModel none({});
    EXPECT_EQ(none.visibleCategories().size(), 3u);
    AppPickerModel m(AppMenuPreset::all());
    ASSERT_EQ(m.visibleCategories().size(), 4u);
    EXPECT_EQ(appCategoryTitle(m.visibleCategories()[3]), "Templates");
    m.allApps = {{Uuid::random(), "Firefox", "firefox-esr", "", ""}, {Uuid::random(), "Files", "org.gnome.Nautilus", "", ""}};
    struct Row {
        AppCategory category;
        std::string search;
        std::size_t count;
        std::string empty;
    };
    const Row rows[] = {
        {AppCategory::all, "FIRE", 1, "No matches for \u201CFIRE\u201D"},
        {AppCategory::all, "gnome", 1, ""},
        {AppCategory::thirdParty, "fire", 0, "No matches for \u201Cfire\u201D"},
        {AppCategory::thirdParty, "", 0, "No apps in this category."},
        {AppCategory::all, " ", 0, "No matches for \u201C \u201D"},
    };
    for (const Row& r : rows) {
        m.selectedCategory = r.category;
        m.searchText = r.search;
        EXPECT_EQ(m.filteredApps().size(), r.count) << r.search;
        if (!r.empty.empty()) {
            EXPECT_EQ(m.emptyStateMessage(), r.empty);
        }
    }
    m.selectedCategory = AppCategory::templates;
    m.searchText = "";
    EXPECT_FALSE(m.showsLoading());  // templates show while the apps load
    EXPECT_EQ(m.filteredTemplates().size(), AppMenuPreset::all().size());
    m.searchText = "zzz";
    EXPECT_TRUE(m.filteredTemplates().empty());
}

TEST(ActionPicker, SelectionLevelAndTitle) {
    std::vector<SystemAction> told;
    ActionPickerModel m(SystemAction::setVolume(0.3), [&](const SystemAction& a) { told.push_back(a); });
    m.appear();
    EXPECT_DOUBLE_EQ(m.parameter(), 0.3);
    EXPECT_EQ(m.customTitle(), SystemAction::setVolume(0.3).title());
    EXPECT_TRUE(m.isSelected(m.actionsInCategory(ActionCategory::audio).back()));
    EXPECT_EQ(m.actionsInCategory(ActionCategory::audio).size(), 5u);
    EXPECT_EQ(m.actionsInCategory(ActionCategory::display).size(), 7u);

    m.setParameter(0.7);
    m.choose(SystemAction::setBrightness(0.1));  // takes the shared level
    EXPECT_EQ(m.selectedAction(), SystemAction::setBrightness(0.7));
    EXPECT_EQ(m.customTitle(), SystemAction::setBrightness(0.7).title());
    m.choose(SystemAction::Kind::lockScreen);
    EXPECT_FALSE(m.showsLevelEditor());
    m.setParameter(0.2);  // a parameterless selection stays
    EXPECT_EQ(m.selectedAction(), SystemAction(SystemAction::Kind::lockScreen));

    m.setUseCustomTitle(true);
    m.setCustomTitle("  ");
    m.choose(SystemAction::Kind::restart);
    EXPECT_EQ(m.customTitle(), "  ");
    EXPECT_TRUE(m.canAdd());
    m.setCustomTitle("");
    EXPECT_FALSE(m.canAdd());
    m.setUseCustomTitle(false);
    EXPECT_EQ(m.customTitle(), SystemAction(SystemAction::Kind::restart).title());
    EXPECT_EQ(told.back(), SystemAction(SystemAction::Kind::restart));
}

TEST(AddSlotPopover, RowsInDisplayOrder) {
    std::string titles;
    for (const auto& o : addSlotOptions()) titles += o.title + ";";
    EXPECT_EQ(titles, "Keystroke;Snippet;Script;Dynamic;Cycling;Profile Switcher;");
}
