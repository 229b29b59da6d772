// Edit Slots… of the per-app override sheet: the sheets' own group editor
// over it, without the library and under the application's name. Its Save
// Group changes only the sheet's draft; the sheet's Save stores slots, size
// and the rest in one change; Cancel and a replaced configuration store none.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <cmath>
#include <numbers>

#include "config/config_fixture.h"
#include "editor/dial_editor_view.h"
#include "model/json_writer.h"
#include "profiles/per_app_views.h"
#include "sheets/group_editor_view.h"
#include "support/shown_text.h"
#include "support/widget_pictures.h"

using namespace orbel;
using namespace orbel::testing;

namespace {

// A keystroke from the library, dropped on the group editor's ring.
void dropKeystroke(GroupEditorView* editor, const std::string& title, std::uint16_t key, double turn) {
    auto* ring = editor->dialEditor()->ring();
    QMimeData mime;
    mime.setText(QString::fromStdString(
        SlotDragPayload::libraryKeystroke({KeyCombination{key, 0x1000, std::nullopt}}, title).exportString()));
    const double c = editor::kRingWidgetSide / 2, r = 114.375, a = 2 * std::numbers::pi * turn;
    const QPoint at = QPointF(c + r * std::sin(a), c - r * std::cos(a)).toPoint();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ring, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ring, &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ring, &drop);
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

class PerAppSlotsTest : public ConfigFixture {
protected:
    void SetUp() override {
        view = std::make_unique<PerAppMenusEditorView>(live(), [](const std::string& id) -> std::optional<std::string> {
            if (id == "firefox") return "Firefox";
            return std::nullopt;
        });
        view->resize(640, 480);
        view->show();
    }
    void TearDown() override { view.reset(); }

    PerAppOverrideSheet* editRow(const std::string& id) {
        view->row(id)->findChild<QPushButton*>("edit")->click();
        PerAppOverrideSheet* sheet = view->overrideSheet();
        EXPECT_TRUE(sheet && QTest::qWaitForWindowExposed(sheet));
        return sheet;
    }
    GroupEditorView* editSlots(PerAppOverrideSheet* sheet) {
        EXPECT_TRUE(sheet->editSlotsButton()->isEnabled());
        QTest::mouseClick(sheet->editSlotsButton(), Qt::LeftButton);
        auto* editor = sheet->findChild<GroupEditorView*>();
        EXPECT_TRUE(editor && QTest::qWaitForWindowExposed(editor));
        return editor;
    }

    std::unique_ptr<PerAppMenusEditorView> view;
};

TEST_F(PerAppSlotsTest, EditSlotsChangesTheDraftAndSaveStoresItInOneChange) {
    view->model().addApp("firefox", "Firefox");  // stored at once, no slots yet
    view->openSheet();
    PerAppOverrideSheet* sheet = view->overrideSheet();
    ASSERT_TRUE(sheet && QTest::qWaitForWindowExposed(sheet));
    EXPECT_TRUE(showsText(sheet, "No slots yet — open the editor to add some."));
    EXPECT_TRUE(showsText(sheet, "Same scale as Settings → General: 0 is compact, 10 is large."));

    QPointer<GroupEditorView> editor = editSlots(sheet);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->library(), nullptr);
    EXPECT_EQ(editor->width(), 480);
    EXPECT_EQ(editor->nameField()->text(), "Firefox");
    EXPECT_EQ(editor->breadcrumbText(), "Firefox \u203a Firefox");
    EXPECT_EQ(editor->windowTitle(), "Edit Group");
    EXPECT_EQ(editor->saveButton()->text(), "Save Group");
    EXPECT_EQ(editor->helpBanner()->text(), "These slots only show while Firefox is the active app.");
    dropKeystroke(editor, "New Tab", 17, 0.0);
    dropKeystroke(editor, "Close Tab", 13, 0.99);
    ASSERT_EQ(editor->countLabel()->text(), "2 items");
    savePictures(*editor, "profiles", "override-sheet-group-editor");

    const std::string before = live().config().encodeDocument();
    QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_TRUE(showsText(sheet, "2 configured."));
    EXPECT_EQ(live().config().encodeDocument(), before);  // nothing stored before Save
    savePictures(*sheet, "profiles", "override-sheet-after-edit-slots");

    sheet->sectionSwitch(0)->click();
    sheet->sizeSlider()->setValue(4);  // 2.0: 140 points
    QSignalSpy changes(&live(), &ConfigManager::configChanged);
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_FALSE(view->overrideSheet());
    const AppOverride& stored = live().config().appOverrides.at("firefox");
    ASSERT_TRUE(stored.slots);
    ASSERT_EQ(stored.slots->size(), 2u);
    EXPECT_EQ((*stored.slots)[0].title, "New Tab");
    EXPECT_EQ((*stored.slots)[1].title, "Close Tab");
    EXPECT_EQ(stored.menuRadius, 140);
    live().flushSaves();
    // and so is the file
    EXPECT_EQ(json::write(make()->config().appOverrides.at("firefox").toJson()), json::write(stored.toJson()));

    // Opened again, the editor starts from the stored slots.
    sheet = editRow("firefox");
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(showsText(sheet, "2 configured."));
    editor = editSlots(sheet);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->model().slots, *stored.slots);
    editor->reject();
    sheet->cancelButton()->click();
}

TEST_F(PerAppSlotsTest, CancelAndAReplacedConfigurationStoreNoEditedSlots) {
    AppConfig c = live().config();
    c.appOverrides["firefox"].slots = withSnippets(1).rootGroup.slots;
    live().setConfig(c);

    // Slots saved in the group editor, then the sheet cancelled.
    PerAppOverrideSheet* sheet = editRow("firefox");
    QPointer<GroupEditorView> editor = editSlots(sheet);
    ASSERT_TRUE(editor);
    dropKeystroke(editor, "New Tab", 17, 0.5);
    QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(showsText(sheet, "2 configured."));
    sheet->cancelButton()->click();
    settle();
    EXPECT_FALSE(view->overrideSheet());
    EXPECT_EQ(live().config().appOverrides.at("firefox"), c.appOverrides.at("firefox"));

    // The configuration replaced under the open group editor: both sheets go
    // and the editor's Save Group never reaches a draft.
    QPointer<PerAppOverrideSheet> open = editRow("firefox");
    editor = editSlots(open);
    ASSERT_TRUE(editor);
    dropKeystroke(editor, "New Tab", 17, 0.5);
    live().flushSaves();
    writeFile(configPath(), R"({"version":1,"appOverrides":{"firefox":{"menuRadius":120}}})");
    live().load();
    if (editor) QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(open);
    EXPECT_FALSE(editor);
    EXPECT_FALSE(live().config().appOverrides.at("firefox").slots);
    EXPECT_TRUE(view->notice()->isVisible());
}

}  // namespace
