// The root dial's slot editor page against a real configuration manager on
// a temporary folder: every change reaches the file, once.

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "config/config_fixture.h"
#include "sheets/group_editor_model.h"
#include "sheets/slot_editor_model.h"
#include "sheets/slot_lists.h"

namespace orbel::testing {
namespace {

class SlotEditorModelTest : public ConfigFixture {
protected:
    // The root slots as the file on disk holds them.
    std::vector<std::string> onDisk() {
        live().flushSaves();
        return titles(make()->config().rootGroup.slots);
    }
    void start(int n) {
        AppConfig c;
        c.rootGroup = groupOf(n);
        live().setConfig(c);
        live().save();
    }
};

TEST_F(SlotEditorModelTest, EachChangeIsPublishedAndSavedOnce) {
    start(3);
    SlotEditorModel page(live());
    QSignalSpy changed(&live(), &ConfigManager::configChanged);
    struct Case {
        const char* name;
        std::function<bool()> op;
        bool changes;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"insert first", [&] { return page.insert(snippet("x"), 0); }, true, {"x", "a", "b", "c"}},
        {"insert past end", [&] { return page.insert(snippet("y"), 40); }, true, {"x", "a", "b", "c", "y"}},
        {"remove first", [&] { return page.remove(0); }, true, {"a", "b", "c", "y"}},
        {"remove bad index", [&] { return page.remove(4); }, false, {"a", "b", "c", "y"}},
        {"swap", [&] { return page.swap(0, 3); }, true, {"y", "b", "c", "a"}},
        {"swap same", [&] { return page.swap(1, 1); }, false, {"y", "b", "c", "a"}},
        {"replace", [&] { return page.replace(1, snippet("r")); }, true, {"y", "r", "c", "a"}},
        {"library duplicate", [&] { return page.addFromLibrary(snippet("c")); }, false, {"y", "r", "c", "a"}},
        {"library new", [&] { return page.addFromLibrary(snippet("n")); }, true, {"y", "r", "c", "a", "n"}},
        {"append sixth", [&] { return page.append(snippet("s")); }, true, {"y", "r", "c", "a", "n", "s"}},
        {"append seventh", [&] { return page.append(snippet("t")); }, false, {"y", "r", "c", "a", "n", "s"}},
        {"invalid slot", [&] { return page.replace(0, SlotConfig::make(SlotType::cycling({}), "C")); }, false,
         {"y", "r", "c", "a", "n", "s"}},
    };
    for (const auto& c : cases) {
        const int before = static_cast<int>(changed.count());
        EXPECT_EQ(c.op(), c.changes) << c.name;
        EXPECT_EQ(changed.count() - before, c.changes ? 1 : 0) << c.name;
        EXPECT_EQ(titles(page.slots()), c.after) << c.name;
        EXPECT_EQ(onDisk(), c.after) << c.name;
    }
    EXPECT_TRUE(page.lastError());
}

TEST_F(SlotEditorModelTest, AddButtonsAtTheCap) {
    start(5);
    SlotEditorModel page(live());
    EXPECT_EQ(page.countText(), "5 slots");
    EXPECT_TRUE(page.canAdd());
    EXPECT_EQ(page.addSlotTooltip(), "Add a new slot to the dial");
    EXPECT_EQ(page.addGroupTooltip(), "");
    MenuGroup group = GroupEditorModel::newGroup();
    EXPECT_TRUE(page.appendGroup(group));
    EXPECT_EQ(page.slots().back().type.get<SlotType::Group>()->group->id, group.id);
    EXPECT_FALSE(page.canAdd());
    EXPECT_EQ(page.addSlotTooltip(), "Dial holds 6 slots \u2014 remove one to add another");
    EXPECT_EQ(page.addGroupTooltip(), page.addSlotTooltip());
    EXPECT_FALSE(page.appendGroup(GroupEditorModel::newGroup()));
    EXPECT_EQ(onDisk().size(), 6u);
    // A sheet opened at five slots saves after the dial filled: it is told.
    EXPECT_FALSE(page.append(snippet("late")));
    EXPECT_EQ(page.lastError(), SlotEditorModel::notAddedText("late"));
    EXPECT_EQ(onDisk().size(), 6u);
}

TEST_F(SlotEditorModelTest, EditCommitsToTheSlotItBeganOn) {
    start(3);
    SlotEditorModel page(live());
    EXPECT_FALSE(page.beginEdit(3));
    ASSERT_TRUE(page.beginEdit(2));
    const SlotConfig original = page.editing()->slot;
    EXPECT_TRUE(page.commitEdit(mergeEdited(original, snippet("C"))));
    EXPECT_FALSE(page.editing());
    EXPECT_EQ(page.slots()[2].id, original.id);
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"a", "b", "C"}));

    // The slot moved while its sheet was open: the edit follows it.
    ASSERT_TRUE(page.beginEdit(2));
    page.swap(0, 2);
    EXPECT_TRUE(page.commitEdit(mergeEdited(page.editing()->slot, snippet("moved"))));
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"moved", "b", "a"}));

    // A profile switch from the dial replaced the root slots: the edit is dropped.
    AppConfig other;
    other.rootGroup.title = "Main Menu";
    other.rootGroup.slots = {snippet("p0"), snippet("p1"), snippet("p2")};
    live().profileStore().save(other, "Work");
    ASSERT_TRUE(page.beginEdit(1));
    live().switchToProfile("Work");
    EXPECT_FALSE(page.commitEdit(mergeEdited(page.editing()->slot, snippet("lost"))));
    EXPECT_FALSE(page.editing());
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"p0", "p1", "p2"}));

    ASSERT_TRUE(page.beginEdit(0));
    page.cancelEdit();
    EXPECT_FALSE(page.commitEdit(snippet("none")));
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"p0", "p1", "p2"}));
}

TEST_F(SlotEditorModelTest, ASheetOpenedBeforeTheConfigurationWasReplacedSavesNothing) {
    // No file: the built-in defaults, whose slot ids stay the same all run.
    SlotEditorModel page(live());
    ASSERT_FALSE(page.slots().empty());
    const std::vector<std::string> defaults = titles(page.slots());
    ASSERT_TRUE(page.beginEdit(0));
    const std::uint64_t openedAt = page.generation();
    // Reload of a file that is refused falls back to the same defaults.
    writeFile(configPath(), "{ not json");
    live().load();
    ASSERT_EQ(page.slots()[0].id, page.editing()->slot.id);
    const std::string file = readFile(configPath());
    EXPECT_FALSE(page.commitEdit(mergeEdited(page.editing()->slot, snippet("stale"))));
    EXPECT_FALSE(page.editing());
    EXPECT_FALSE(page.append(snippet("new"), openedAt));
    EXPECT_FALSE(page.appendGroup(GroupEditorModel::newGroup(), openedAt));
    EXPECT_EQ(page.notice(), SlotEditorModel::replacedNotice());
    EXPECT_EQ(titles(page.slots()), defaults);
    EXPECT_EQ(readFile(configPath()), file);  // nothing written

    // A sheet opened after the Reload saves, and the notice goes.
    ASSERT_TRUE(page.beginEdit(0));
    EXPECT_TRUE(page.commitEdit(mergeEdited(page.editing()->slot, snippet("fresh"))));
    ASSERT_TRUE(page.remove(1));  // room on the full default dial
    EXPECT_TRUE(page.append(snippet("new"), page.generation()));
    EXPECT_FALSE(page.notice());
    EXPECT_EQ(onDisk().front(), "fresh");
    EXPECT_EQ(onDisk().back(), "new");
}

}  // namespace
}  // namespace orbel::testing
