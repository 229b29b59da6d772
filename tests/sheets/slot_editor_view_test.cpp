// The Customization tab's page over a real configuration manager on a
// temporary folder, driven through its widgets with the real sheets:
// drops from the library, the trash, double-click editing, Add Slot and
// the cap, each checked in the file on disk.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <numbers>

#include "config/config_fixture.h"
#include "editor/dial_editor_view.h"
#include "editor/picker_views.h"
#include "editor/slot_library_column.h"
#include "fakes/fake_system_platform.h"
#include "sheets/group_editor_view.h"
#include "sheets/slot_editor_view.h"
#include "sheets/slot_lists.h"
#include "sheets/slot_rename_sheet.h"
#include "sheets/slot_sheet_factory.h"
#include "sheets/snippet_slot_editor_sheet.h"
#include "slots/system_app_provider.h"
#include "support/widget_pictures.h"

namespace orbel::testing {
namespace {

// A drag of `payload` entering `target` at `from` and dropped at `to`.
void dropOn(QWidget* target, const SlotDragPayload& payload, QPoint from, QPoint to) {
    QMimeData mime;
    mime.setText(QString::fromStdString(payload.exportString()));
    QDragEnterEvent enter(from, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(to, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(to, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

QPoint ringPoint(double f) {
    const double a = 2 * std::numbers::pi * f, r = 114.375, c = editor::kRingWidgetSide / 2;
    return QPointF(c + r * std::sin(a), c - r * std::cos(a)).toPoint();
}

// The one visible top-level widget of type T, if any.
template <class T>
T* openSheet() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) return t;
    return nullptr;
}

class SlotEditorViewTest : public ConfigFixture {
protected:
    void start(std::vector<SlotConfig> slots) {
        AppConfig c;
        c.rootGroup.title = "Main Menu";
        c.rootGroup.slots = std::move(slots);
        live().setConfig(c);
        live().save();
        window = std::make_unique<QWidget>();
        window->resize(920, 600);
        page = new SlotEditorView(live(), makeSlotSheetFactory(), window.get());
        page->resize(window->size());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    std::vector<std::string> onDisk() {
        live().flushSaves();
        return titles(make()->config().rootGroup.slots);
    }
    void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    editor::EditorRing* ring() const { return page->dialEditor()->ring(); }

    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    std::unique_ptr<QWidget> window;
    SlotEditorView* page = nullptr;
};

TEST_F(SlotEditorViewTest, DropsTrashAndEditsReachTheFileAndTheDial) {
    const SlotConfig files = SlotConfig::make(SlotType::app("org.gnome.Nautilus"), "Files");
    start({files, snippet("b"), snippet("c")});
    EXPECT_EQ(page->countLabel()->text(), "3 slots");

    // A library application dropped into the gap after the first wedge.
    dropOn(ring(), SlotDragPayload::libraryApp("firefox-esr", "Firefox ESR"), ringPoint(0.1), ringPoint(0.25));
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"Files", "Firefox ESR", "b", "c"}));
    EXPECT_EQ(page->dialEditor()->slots().size(), 4u);
    EXPECT_EQ(page->countLabel()->text(), "4 slots");
    // The same application again is refused by the library's rule.
    EXPECT_TRUE(page->model().isAdded(SlotConfig::make(SlotType::app("firefox-esr"), "x")));

    // A wedge dragged onto the trash goes, from the file too.
    dropOn(page->dialEditor()->trash(), SlotDragPayload::existingSlot(page->model().slots()[2].id), {20, 20},
           {30, 20});
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->model().count() == 3; }, 5000));
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"Files", "Firefox ESR", "c"}));

    // A double click opens the rename sheet; its Save renames the slot in
    // place, keeping its id.
    QTest::mouseDClick(ring(), Qt::LeftButton, {}, ring()->hitTargetCentre(0).toPoint());
    QPointer<SlotRenameSheet> rename = openSheet<SlotRenameSheet>();
    ASSERT_TRUE(rename);
    rename->titleField()->setText("My Files");
    QTest::mouseClick(rename->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(rename.isNull());
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"My Files", "Firefox ESR", "c"}));
    EXPECT_EQ(live().config().rootGroup.slots[0].id, files.id);
    EXPECT_EQ(page->dialEditor()->slots()[0].title, "My Files");

    // A profile switch while the sheet is open: the edit is dropped and the
    // page shows the profile's slots.
    AppConfig work;
    work.rootGroup.title = "Main Menu";
    work.rootGroup.slots = {snippet("w0"), snippet("w1")};
    live().profileStore().save(work, "Work");
    QTest::mouseDClick(ring(), Qt::LeftButton, {}, ring()->hitTargetCentre(1).toPoint());
    rename = openSheet<SlotRenameSheet>();
    ASSERT_TRUE(rename);
    live().switchToProfile("Work");
    rename->titleField()->setText("Lost");
    QTest::mouseClick(rename->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"w0", "w1"}));
    EXPECT_EQ(titles(page->dialEditor()->slots()), (std::vector<std::string>{"w0", "w1"}));
    EXPECT_EQ(page->countLabel()->text(), "2 slots");
}

TEST_F(SlotEditorViewTest, AddSlotMakesASnippetAndTheCapDisablesBothButtons) {
    start({snippet("a"), snippet("b"), snippet("c"), snippet("d"), snippet("e")});
    EXPECT_TRUE(page->addSlotButton()->isEnabled());
    EXPECT_EQ(page->addSlotButton()->toolTip(), "Add a new slot to the dial");
    EXPECT_TRUE(page->addGroupButton()->isEnabled());
    EXPECT_TRUE(page->addGroupButton()->toolTip().isEmpty());

    QTest::mouseClick(page->addSlotButton(), Qt::LeftButton);
    QPointer<editor::AddSlotPopover> popover = page->addSlotPopover();
    ASSERT_TRUE(popover && popover->isVisible());
    QTest::mouseClick(popover->row(editor::AddSlotKind::snippet), Qt::LeftButton);
    settle();
    EXPECT_TRUE(popover.isNull() || !popover->isVisible());
    QPointer<SnippetSlotEditorSheet> sheet = openSheet<SnippetSlotEditorSheet>();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->title(), "New Snippet");
    QTest::keyClicks(sheet->nameField(), "Sig");
    sheet->bodyEditor()->setPlainText("Best,\n");
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"a", "b", "c", "d", "e", "Sig"}));

    const QString full = "Dial holds 6 slots \u2014 remove one to add another";
    EXPECT_EQ(page->countLabel()->text(), "6 slots");
    EXPECT_FALSE(page->addSlotButton()->isEnabled());
    EXPECT_FALSE(page->addGroupButton()->isEnabled());
    EXPECT_EQ(page->addSlotButton()->toolTip(), full);
    EXPECT_EQ(page->addGroupButton()->toolTip(), full);
    page->addGroup();  // refused at the cap: nothing opens
    settle();
    EXPECT_EQ(openSheet<QDialog>(), nullptr);
}

// Every sheet the page opens closes on its Cancel button, storing nothing;
// the rename sheet's Save stores the new title.
TEST_F(SlotEditorViewTest, EverySheetsCancelClosesItUnsavedAndRenameSaves) {
    start({SlotConfig::make(SlotType::app("org.gnome.Nautilus"), "Files")});
    const std::string before = live().config().encodeDocument();
    const auto cancelOf = [](QDialog* sheet) -> QPushButton* {
        for (auto* b : sheet->findChildren<QPushButton*>())
            if (b->text() == "Cancel" && b->window() == sheet) return b;
        return nullptr;
    };
    const auto closesOnCancel = [&](const char* what) {
        ASSERT_EQ(page->openSheets().size(), 1) << what;
        QDialog* sheet = page->openSheets().front();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet)) << what;
        QPushButton* cancel = cancelOf(sheet);
        ASSERT_TRUE(cancel) << what;
        for (auto* field : sheet->findChildren<QLineEdit*>())  // its name, typed then dropped
            if (field->placeholderText().startsWith("e.g.") || field->objectName() == "groupName")
                QTest::keyClicks(field, "Draft");
        QTest::mouseClick(cancel, Qt::LeftButton);
        settle();
        EXPECT_TRUE(page->openSheets().empty()) << what;
    };
    for (const auto& option : editor::addSlotOptions()) {
        page->pick(option.id);
        closesOnCancel(option.title.c_str());
    }
    QTest::mouseClick(page->addGroupButton(), Qt::LeftButton);
    closesOnCancel("group editor");
    QTest::mouseDClick(ring(), Qt::LeftButton, {}, ring()->hitTargetCentre(0).toPoint());
    closesOnCancel("rename");
    EXPECT_EQ(live().config().encodeDocument(), before);

    QTest::mouseDClick(ring(), Qt::LeftButton, {}, ring()->hitTargetCentre(0).toPoint());
    auto* rename = openSheet<SlotRenameSheet>();
    ASSERT_TRUE(rename);
    rename->titleField()->selectAll();
    QTest::keyClicks(rename->titleField(), "Home");
    QTest::mouseClick(rename->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(onDisk(), std::vector<std::string>{"Home"});
}

TEST_F(SlotEditorViewTest, AddGroupSavesANewGroupSlotUnderDefaultMenu) {
    start({snippet("a")});
    QTest::mouseClick(page->addGroupButton(), Qt::LeftButton);
    QPointer<GroupEditorView> groupEditor = openSheet<GroupEditorView>();
    ASSERT_TRUE(groupEditor);
    EXPECT_EQ(groupEditor->breadcrumbText(), "Default Menu \u203a New Group");
    groupEditor->nameField()->setText("Tools");
    QTest::mouseClick(groupEditor->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"a", "Tools"}));
    EXPECT_NE(live().config().rootGroup.slots[1].type.get<SlotType::Group>(), nullptr);
}

TEST_F(SlotEditorViewTest, SheetsCloseUnsavedWhenTheConfigurationIsReplacedUnderThem) {
    start({snippet("a"), snippet("b")});
    // An edit and a new slot's sheet open; Reload takes in an outside edit.
    page->editSlot(0);
    QPointer<QDialog> edit = page->openSheets().value(0);
    ASSERT_TRUE(edit);
    page->pick(editor::AddSlotKind::snippet);
    QPointer<SnippetSlotEditorSheet> added = openSheet<SnippetSlotEditorSheet>();
    ASSERT_TRUE(added);
    added->nameField()->setText("Sig");
    added->bodyEditor()->setPlainText("Best,\n");
    EXPECT_FALSE(page->noticeLabel()->isVisible());
    AppConfig outside;
    outside.rootGroup.slots = {snippet("x")};
    writeFile(configPath(), outside.encodeDocument());
    live().load();
    EXPECT_FALSE(edit && edit->isVisible());
    EXPECT_FALSE(added && added->isVisible());
    EXPECT_TRUE(page->openSheets().isEmpty());
    EXPECT_FALSE(page->model().editing());
    EXPECT_TRUE(page->noticeLabel()->isVisible());
    EXPECT_EQ(page->noticeLabel()->text().toStdString(), SlotEditorModel::replacedNotice());
    savePictures(*window, "sheets", "page-replaced-notice");
    settle();
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"x"}));

    // A group editor with a nested sheet open closes on a profile switch.
    AppConfig work;
    work.rootGroup.slots = {snippet("w")};
    live().profileStore().save(work, "Work");
    page->addGroup();
    QPointer<GroupEditorView> group = openSheet<GroupEditorView>();
    ASSERT_TRUE(group);
    group->nameField()->setText("Tools");
    group->pick(editor::AddSlotKind::snippet);
    QPointer<SnippetSlotEditorSheet> nested = group->findChild<SnippetSlotEditorSheet*>();
    ASSERT_TRUE(nested);
    live().switchToProfile("Work");
    EXPECT_FALSE(group && group->isVisible());
    EXPECT_FALSE(nested && nested->isVisible());
    settle();
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"w"}));
    EXPECT_TRUE(page->noticeLabel()->isVisible());
    // The next change that goes through clears the notice.
    page->pick(editor::AddSlotKind::snippet);
    added = openSheet<SnippetSlotEditorSheet>();
    ASSERT_TRUE(added);
    added->nameField()->setText("Sig");
    added->bodyEditor()->setPlainText("Best,\n");
    QTest::mouseClick(added->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(onDisk(), (std::vector<std::string>{"w", "Sig"}));
    EXPECT_FALSE(page->noticeLabel()->isVisible());
}

}  // namespace
}  // namespace orbel::testing
