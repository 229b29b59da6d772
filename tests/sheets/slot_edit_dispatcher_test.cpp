// The edit dispatcher over a counting factory: which sheet each kind opens,
// what it is given, and what reaches the owner.

#include <gtest/gtest.h>

#include <QDialog>
#include <QPointer>

#include "sheets/slot_edit_dispatcher.h"
#include "sheets/sheet_test_support.h"

namespace orbel {
namespace {

using testing::CountingFactory;

TEST(SlotEditDispatcher, OpensOneSheetAndMergesItsResult) {
    QWidget window;
    CountingFactory counting;
    std::vector<SlotConfig> saved;
    int closed = 0;
    const auto open = [&](const SlotConfig& slot) {
        return SlotEditDispatcher::open(
            SlotEditTarget::make(0, slot), 6, counting.factory(), [&](const SlotConfig& s) { saved.push_back(s); },
            [&] { ++closed; }, &window);
    };

    SlotConfig keys = SlotConfig::make(SlotType::keystroke({}), "Copy");
    keys.scope = SlotScope::app("org.gnome.gedit");
    ASSERT_TRUE(open(keys));
    EXPECT_EQ(counting.opened.back(), SlotEditorKind::keystroke);
    EXPECT_EQ(counting.lastExisting, keys);
    EXPECT_TRUE(counting.last->isVisible());
    counting.saveSlot(SlotConfig::make(SlotType::keystroke({MacroStep::wait(5)}), "Copy all"));
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].id, keys.id);
    EXPECT_EQ(saved[0].scope, keys.scope);
    EXPECT_EQ(saved[0].title, "Copy all");
    counting.last->reject();
    EXPECT_EQ(closed, 1);

    MenuGroup group;
    group.title = "Tools";
    SlotConfig groupSlot = SlotConfig::make(SlotType::group(group), "Old title");
    ASSERT_TRUE(open(groupSlot));
    EXPECT_EQ(counting.opened.back(), SlotEditorKind::group);
    ASSERT_TRUE(counting.lastGroup);
    EXPECT_EQ(counting.lastGroup->group->id, group.id);
    EXPECT_TRUE(counting.lastGroup->breadcrumb.empty());
    EXPECT_EQ(counting.lastGroup->cap, 6);
    group.title = "Renamed";
    counting.saveGroup(group);
    EXPECT_EQ(saved.back().id, groupSlot.id);
    EXPECT_EQ(saved.back().title, "Renamed");

    // Each request makes a fresh sheet, also for the same slot twice.
    SlotConfig app = SlotConfig::make(SlotType::app("firefox"), "Firefox");
    QDialog* first = open(app);
    QDialog* second = open(app);
    EXPECT_NE(first, second);
    EXPECT_EQ(counting.opened.size(), 4u);
    EXPECT_EQ(counting.opened.back(), SlotEditorKind::rename);
}

}  // namespace
}  // namespace orbel
