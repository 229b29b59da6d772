// The group editor, dynamic and cycling sheets and the edit dispatcher,
// without widgets.

#include <gtest/gtest.h>

#include "sheets/cycling_slot_editor_model.h"
#include "sheets/dynamic_slot_editor_model.h"
#include "sheets/group_editor_model.h"
#include "sheets/slot_edit_dispatch_model.h"
#include "sheets/slot_lists.h"
#include "slots/fake_producer_runner.h"

namespace orbel {
namespace {

using testing::groupOf;
using testing::snippet;
using testing::titles;

TEST(GroupEditorModel, BreadcrumbAndWidth) {
    struct Case {
        std::vector<std::string> crumbs;
        std::string title;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "  ", "Untitled"},
        {{"Default Menu"}, "  Tools\t", "Default Menu \u203a Tools"},
        {{"Default Menu", ""}, "Inner", "Default Menu \u203a  \u203a Inner"},  // empty crumb stands
        {{" Outer "}, "x\n", " Outer  \u203a x"},
    };
    for (const auto& c : cases) {
        GroupEditorModel m(std::nullopt, c.crumbs, true, 6);
        m.title = c.title;
        EXPECT_EQ(m.joinedBreadcrumb(), c.expected);
    }
    EXPECT_EQ(GroupEditorModel(std::nullopt, {}, true, 6).sheetWidth(), 880);
    EXPECT_EQ(GroupEditorModel(std::nullopt, {}, false, 6).sheetWidth(), 480);

    GroupEditorModel parent(std::nullopt, {"Default Menu"}, true, 6);
    GroupEditorModel nested(GroupEditorModel::newGroup(), parent.nestedBreadcrumb(), true, 6);
    EXPECT_EQ(nested.joinedBreadcrumb(), "Default Menu \u203a  \u203a New Group");
}

TEST(GroupEditorModel, FooterFollowsTheCap) {
    GroupEditorModel m(groupOf(5), {}, true, 6);
    EXPECT_EQ(m.countText(), "5 items");
    EXPECT_TRUE(m.canAdd());
    EXPECT_EQ(m.addSlotTooltip(), "Add a new slot to this group");
    EXPECT_TRUE(m.append(snippet("f")));
    EXPECT_FALSE(m.canAdd());
    EXPECT_EQ(m.addSlotTooltip(), "Group holds 6 slots \u2014 remove one to add another");
    EXPECT_FALSE(m.append(snippet("g")));
    EXPECT_FALSE(m.insert(snippet("g"), 0));
    EXPECT_FALSE(m.appendNestedGroup(GroupEditorModel::newGroup()));
    EXPECT_EQ(GroupEditorModel(std::nullopt, {}, true, 6).countText(), "0 items");
    EXPECT_EQ(GroupEditorModel(groupOf(1), {}, true, 6).countText(), "1 item");
}

TEST(GroupEditorModel, IndexEdits) {
    struct Case {
        const char* name;
        std::function<bool(GroupEditorModel&)> op;
        bool changed;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"insert past end appends", [](auto& m) { return m.insert(snippet("x"), 99); }, true, {"a", "b", "c", "x"}},
        {"insert before start", [](auto& m) { return m.insert(snippet("x"), -1); }, true, {"x", "a", "b", "c"}},
        {"insert in the middle", [](auto& m) { return m.insert(snippet("x"), 1); }, true, {"a", "x", "b", "c"}},
        {"swap", [](auto& m) { return m.swap(0, 2); }, true, {"c", "b", "a"}},
        {"swap equal", [](auto& m) { return m.swap(1, 1); }, false, {"a", "b", "c"}},
        {"swap out of range", [](auto& m) { return m.swap(0, 3); }, false, {"a", "b", "c"}},
        {"remove", [](auto& m) { return m.remove(0); }, true, {"b", "c"}},
        {"remove out of range", [](auto& m) { return m.remove(-1); }, false, {"a", "b", "c"}},
        {"replace", [](auto& m) { return m.replace(2, snippet("z")); }, true, {"a", "b", "z"}},
        {"replace out of range", [](auto& m) { return m.replace(3, snippet("z")); }, false, {"a", "b", "c"}},
        {"library duplicate", [](auto& m) { return m.addFromLibrary(snippet("b")); }, false, {"a", "b", "c"}},
        {"library new", [](auto& m) { return m.addFromLibrary(snippet("n")); }, true, {"a", "b", "c", "n"}},
    };
    for (const auto& c : cases) {
        GroupEditorModel m(groupOf(3), {}, true, 6);
        EXPECT_EQ(c.op(m), c.changed) << c.name;
        EXPECT_EQ(titles(m.slots), c.after) << c.name;
        EXPECT_EQ(m.hasChanges(), c.changed) << c.name;
    }
}

// What Escape and the close button ask about: a change, until it is undone.
TEST(SheetChanges, FollowTheFieldsBackToWhereTheyStarted) {
    GroupEditorModel group(groupOf(2), {}, true, 6);
    group.icon = SlotIcon::monogram("T");
    EXPECT_TRUE(group.hasChanges());
    group.icon = groupOf(2).icon;
    group.title = "Renamed";
    EXPECT_TRUE(group.hasChanges());
    group.title = groupOf(2).title;
    EXPECT_FALSE(group.hasChanges());
    GroupEditorModel fresh(std::nullopt, {}, true, 6);
    EXPECT_FALSE(fresh.hasChanges());
    EXPECT_TRUE(fresh.append(snippet("x")) && fresh.hasChanges());

    DynamicSlotEditorModel dynamic;
    dynamic.chooseInterval();
    EXPECT_TRUE(dynamic.hasChanges());
    dynamic.chooseMenuOpen();
    EXPECT_FALSE(dynamic.hasChanges());
    CyclingSlotEditorModel cycling;
    cycling.appendApp("org.gnome.Nautilus", "Files");
    EXPECT_TRUE(cycling.hasChanges());
    EXPECT_TRUE(cycling.removeChild(0));
    EXPECT_FALSE(cycling.hasChanges());
}

TEST(GroupEditorModel, EditNestAndSave) {
    const MenuGroup bound = groupOf(3);
    GroupEditorModel m(bound, {}, true, 6);
    EXPECT_FALSE(m.editTarget(3));
    auto target = m.editTarget(1);
    ASSERT_TRUE(target);
    const Uuid slotId = m.slots[1].id;
    m.swap(0, 1);  // the edited slot moved: the edit follows it
    EXPECT_TRUE(m.commitEdit(*target, mergeEdited(target->slot, snippet("B"))));
    EXPECT_EQ(titles(m.slots), (std::vector<std::string>{"B", "a", "c"}));
    EXPECT_EQ(m.slots[0].id, slotId);
    m.remove(0);
    EXPECT_FALSE(m.commitEdit(*target, snippet("gone")));

    EXPECT_FALSE(m.appendNestedGroup(std::nullopt));
    MenuGroup nested = GroupEditorModel::newGroup();
    ASSERT_TRUE(m.appendNestedGroup(nested));
    const SlotConfig& added = m.slots.back();
    EXPECT_EQ(added.title, "New Group");
    EXPECT_NE(added.id, nested.id);
    EXPECT_EQ(added.type.get<SlotType::Group>()->group->id, nested.id);
    EXPECT_TRUE(added.type.get<SlotType::Group>()->group->slots.empty());

    m.title = " \t ";
    EXPECT_FALSE(m.canSave());
    EXPECT_FALSE(m.build());
    m.title = "  Tools ";
    auto saved = m.build();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->id, bound.id);
    EXPECT_EQ(saved->title, "Tools");
    EXPECT_EQ(saved->slots.size(), 3u);

    GroupEditorModel fresh(std::nullopt, {}, false, 6);
    fresh.title = "G";
    EXPECT_NE(fresh.build()->id, fresh.build()->id);
    // A slot the configuration would refuse keeps Save disabled, with the reason.
    fresh.slots.push_back(SlotConfig::make(SlotType::cycling({}), "Empty cycle"));
    ASSERT_TRUE(fresh.saveProblem());
    EXPECT_NE(fresh.saveProblem()->find("at least one child"), std::string::npos);
}

TEST(DynamicSlotEditorModel, DefaultsAndInterval) {
    DynamicSlotEditorModel m;
    EXPECT_EQ(m.sheetTitle(), "New Dynamic Slot");
    EXPECT_EQ(m.language, ScriptLanguage::shell);
    EXPECT_FALSE(m.showsIntervalRow());
    m.chooseInterval();
    EXPECT_EQ(m.refreshPolicy(), RefreshPolicy::interval(30));
    m.stepInterval(-1);
    EXPECT_EQ(m.refreshPolicy(), RefreshPolicy::interval(25));
    m.chooseMenuOpen();
    m.chooseInterval();
    EXPECT_EQ(m.intervalText(), "25 seconds");
    m.setIntervalSeconds(1);
    EXPECT_EQ(m.intervalSeconds(), 5);
    m.setIntervalSeconds(99999);
    EXPECT_EQ(m.refreshPolicy(), RefreshPolicy::interval(3600));

    DynamicSlotConfig config{ScriptInvocation{ScriptLanguage::jxa, "x"}, DynamicClickAction::action(SystemAction()),
                             RefreshPolicy::interval(120)};
    SlotConfig existing = SlotConfig::make(SlotType::dynamic(config), "Branch");
    DynamicSlotEditorModel edit(existing);
    EXPECT_EQ(edit.sheetTitle(), "Edit Dynamic Slot");
    EXPECT_TRUE(edit.showsIntervalRow());
    EXPECT_EQ(edit.intervalText(), "120 seconds");
    EXPECT_EQ(DynamicSlotEditorModel(snippet("s")).sheetTitle(), "Edit Dynamic Slot");
    EXPECT_EQ(DynamicSlotEditorModel(snippet("s")).title, "");
}

TEST(DynamicSlotEditorModel, TestRunLabels) {
    struct Case {
        ScriptResult result;
        std::string status;
    };
    const Case cases[] = {
        {ScriptResult::success("  \nmain\nother\n"), "Label: \"main\""},
        {ScriptResult::success(std::string(30, 'x')), "Label: \"" + std::string(24, 'x') + "\u2026\""},
        {ScriptResult::success(std::string(24, 'y')), "Label: \"" + std::string(24, 'y') + "\""},
        {ScriptResult::success(" \n\t\n"), "(no output)"},
        {ScriptResult::failure(ScriptError::nonzeroExit(2, "boom\n")), "exit 2: boom"},
    };
    fakes::FakeClock clock;
    fakes::FakeTimers timers{&clock};
    fakes::FakeProducerRunner runner;
    int changes = 0;
    for (const auto& c : cases) {
        DynamicSlotEditorModel m;
        m.source = "echo";
        EXPECT_TRUE(m.canTestRun());
        m.testRun(runner, timers, [&] { ++changes; });
        EXPECT_FALSE(m.canTestRun());
        runner.complete(runner.runs.size() - 1, c.result);
        EXPECT_FALSE(m.isRunning());
        EXPECT_EQ(m.testStatusText(), c.status);
    }
    EXPECT_EQ(changes, 5);

    // A producer that never ends is ended at the dial's limit and reported;
    // a run under way when the sheet goes is ended and its outcome dropped.
    DynamicSlotEditorModel m;
    m.source = "sleep 999";
    m.testRun(runner, timers, [&] { ++changes; });
    timers.advance(DynamicTitleCache::kProducerTimeLimit);
    EXPECT_TRUE(runner.runs.back().ended);
    runner.fail(runner.runs.size() - 1, ScriptError::nonzeroExit(143, ""));
    EXPECT_EQ(m.testStatusText(), "exit 143");
    {
        DynamicSlotEditorModel gone;
        gone.source = "sleep 999";
        gone.testRun(runner, timers, [&] { ++changes; });
    }
    EXPECT_TRUE(runner.runs.back().ended);
    runner.succeed(runner.runs.size() - 1, "late");
    EXPECT_EQ(changes, 6);
}

TEST(DynamicSlotEditorModel, SaveRules) {
    DynamicSlotEditorModel m;
    m.title = "Branch";
    m.source = " \n\t";
    EXPECT_FALSE(m.canTestRun());
    EXPECT_FALSE(m.canSave());
    m.source = "git branch --show-current\n";
    m.title = "  ";
    EXPECT_FALSE(m.canSave());
    m.title = " Branch\t";
    auto slot = m.build();
    ASSERT_TRUE(slot);
    EXPECT_EQ(slot->title, "Branch");
    const auto& d = slot->type.get<SlotType::Dynamic>()->config;
    EXPECT_EQ(d.producer.source, "git branch --show-current\n");
    EXPECT_EQ(d.clickAction, DynamicClickAction::rerunProducer());

    // An edited slot keeps its stored click action, and gets a new id.
    DynamicSlotConfig config{ScriptInvocation{ScriptLanguage::shell, "date"},
                             DynamicClickAction::runScript(ScriptInvocation{ScriptLanguage::shell, "open"}),
                             RefreshPolicy::menuOpen()};
    SlotConfig existing = SlotConfig::make(SlotType::dynamic(config), "Date");
    existing.scope = SlotScope::app("x.app");
    auto edited = DynamicSlotEditorModel(existing).build();
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->type.get<SlotType::Dynamic>()->config.clickAction, config.clickAction);
    EXPECT_NE(edited->id, existing.id);
    EXPECT_EQ(edited->scope, SlotScope::global());
}

TEST(CyclingSlotEditorModel, ChildrenAndSave) {
    CyclingSlotEditorModel m;
    EXPECT_EQ(m.sheetTitle(), "New Cycling Slot");
    m.title = " Apps ";
    EXPECT_EQ(m.saveProblem(), "Add at least one child to save.");
    m.appendApp("org.gnome.Terminal", "Terminal");
    m.appendApp("org.gnome.Terminal", "Terminal");
    m.appendAction(SystemAction(SystemAction::Kind::lockScreen), "");
    m.appendAction(SystemAction(SystemAction::Kind::lockScreen), "  ");
    ASSERT_EQ(m.children.size(), 4u);
    EXPECT_NE(m.children[0].id, m.children[1].id);
    EXPECT_EQ(m.children[2].title, SystemAction(SystemAction::Kind::lockScreen).title());
    EXPECT_EQ(m.children[3].title, "  ");
    EXPECT_EQ(CyclingSlotEditorModel::positionLabel(0), "1.");
    auto slot = m.build();
    ASSERT_TRUE(slot);
    EXPECT_EQ(slot->title, "Apps");
    EXPECT_EQ(slot->type.get<SlotType::Cycling>()->children.size(), 4u);

    while (!m.children.empty()) m.removeChild(0);
    EXPECT_FALSE(m.removeChild(0));
    EXPECT_FALSE(m.canSave());

    // Children the validation refuses (a group) keep Save disabled.
    m.children.push_back(SlotConfig::makeGroup("G", {}));
    EXPECT_FALSE(m.canSave());
    m.children = {SlotConfig::make(SlotType::app("a"), "")};
    EXPECT_EQ(m.childLabel(0), "(untitled)");

    SlotConfig notCycling = snippet("s");
    CyclingSlotEditorModel edit(notCycling);
    EXPECT_EQ(edit.sheetTitle(), "Edit Cycling Slot");
    EXPECT_TRUE(edit.title.empty());
    EXPECT_TRUE(edit.children.empty());
}

// What the sheets show under a row: only refusals the user cannot see
// coming, never the plain "fill this in".
TEST(SlotSheetRefusals, OnlyOnceTheFieldsAreFilledIn) {
    CyclingSlotEditorModel cycling;
    cycling.children = {SlotConfig::makeGroup("G", {})};
    EXPECT_FALSE(cycling.refusal());  // no name yet: that is the problem
    cycling.title = "Rotate";
    EXPECT_EQ(cycling.refusal(), "Invalid slot configuration: Cycling slot children cannot be groups");
    cycling.removeChild(0);
    EXPECT_FALSE(cycling.refusal());  // no children: nothing refused, just nothing yet
}

TEST(SlotEditDispatch, EditorKindForEveryType) {
    using K = SlotEditorKind;
    const std::pair<SlotType, K> cases[] = {
        {SlotType::app("a"), K::rename},
        {SlotType::action(SystemAction()), K::rename},
        {SlotType::group(groupOf(1)), K::group},
        {SlotType::keystroke({}), K::keystroke},
        {SlotType::script(ScriptInvocation{}), K::script},
        {SlotType::snippet("t"), K::snippet},
        {SlotType::dynamic(DynamicSlotConfig{}), K::dynamic},
        {SlotType::cycling({}), K::cycling},
        {SlotType::transport(TransportCommand::next), K::rename},
        {SlotType::modeSwitch(DialMode::music), K::rename},
        {SlotType::profileTarget("Work"), K::rename},
        {SlotType::volumeScrub(), K::rename},
        {SlotType::profileSwitch(), K::profileSwitch},
    };
    for (const auto& [type, kind] : cases) EXPECT_EQ(editorKindFor(type), kind) << type.toJson().dump();
}

TEST(SlotEditDispatch, MergeKeepsIdAndScope) {
    SlotConfig target = SlotConfig::make(SlotType::keystroke({}), "Old", SlotIcon::customImage("/a.png"));
    target.scope = SlotScope::app("org.gnome.Terminal");
    const SlotConfig result =
        SlotConfig::make(SlotType::keystroke({MacroStep::wait(10)}), "New", SlotIcon::monogram("N"));
    for (auto kind : {SlotEditorKind::keystroke, SlotEditorKind::profileSwitch}) {
        SlotConfig merged = mergeResult(kind, target, result);
        EXPECT_EQ(merged.id, target.id);
        EXPECT_EQ(merged.scope, target.scope);
        EXPECT_EQ(merged.title, "New");
        EXPECT_EQ(merged.type, result.type);
        // The profile switcher has no icon control: the slot keeps its own.
        EXPECT_EQ(merged.icon, kind == SlotEditorKind::profileSwitch ? target.icon : result.icon);
    }
    EXPECT_EQ(mergeResult(SlotEditorKind::rename, target, result), result);

    SlotConfig groupSlot = SlotConfig::makeGroup("Slot title", {});
    groupSlot.scope = SlotScope::app("x");
    MenuGroup edited = groupOf(2);
    edited.icon = SlotIcon::monogram("G");
    SlotConfig wrapped = groupSlotWithGroup(groupSlot, edited);
    EXPECT_EQ(wrapped.id, groupSlot.id);
    EXPECT_EQ(wrapped.scope, groupSlot.scope);
    EXPECT_EQ(wrapped.title, "Apps");
    EXPECT_EQ(wrapped.icon, edited.icon);
    EXPECT_EQ(wrapped.type.get<SlotType::Group>()->group->slots.size(), 2u);
}

}  // namespace
}  // namespace orbel
