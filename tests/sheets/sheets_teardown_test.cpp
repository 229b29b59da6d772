// Sheets, the group editor, the dial editor and the pickers torn down in the
// risky orders: the parent first while what it opened (a recorder that is
// listening, the macro recorder, the icon picker, a picker still loading,
// a popover, a nested sheet, the full-dial prompt) is still open. Run under
// the address sanitizer, a use of anything already freed fails the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "config/config_fixture.h"
#include "editor/dial_editor_view.h"
#include "editor/picker_views.h"
#include "editor/slot_library_column.h"
#include "fakes/fake_system_platform.h"
#include "icons/icon_picker_view.h"
#include "sheets/cycling_slot_editor_sheet.h"
#include "sheets/group_editor_view.h"
#include "sheets/icon_picker_row.h"
#include "sheets/keystroke_slot_editor_sheet.h"
#include "sheets/macro_recorder_overlay.h"
#include "sheets/sheet_test_support.h"
#include "sheets/slot_editor_view.h"
#include "sheets/slot_lists.h"
#include "sheets/slot_sheet_factory.h"
#include "sheets/step_list_editor.h"
#include "sheets/step_rows.h"
#include "slots/system_app_provider.h"

namespace orbel::testing {
namespace {

class SheetsTeardownTest : public ConfigFixture {
protected:
    fakes::Installed<fakes::FakeWorkspace, platform::Workspace> workspace;
    fakes::Installed<fakes::FakeAppDirectory, platform::AppDirectory> directory;
    SystemAppProvider provider;
    fakes::ReplaceShared<SystemAppProvider> useProvider{provider};
    Saves saves;
};

// A keystroke sheet with a chord row listening, the macro recorder
// listening and the icon picker open over it.
KeystrokeSlotEditorSheet* busyKeystrokeSheet(KeystrokeSlotEditorSheet* sheet) {
    QTest::mouseClick(sheet->stepList()->addButton("Add Chord"), Qt::LeftButton);
    auto* chord = qobject_cast<ChordRow*>(sheet->stepList()->rowWidget(0));
    EXPECT_TRUE(chord);
    if (chord) chord->toggleRecording();
    EXPECT_TRUE(chord && chord->isRecording());
    sheet->stepList()->openRecorder();
    EXPECT_TRUE(QTest::qWaitFor([&] { return sheet->stepList()->recorder()->isListening(); }));
    QTest::mouseClick(sheet->iconRow()->chooseButton(), Qt::LeftButton);
    EXPECT_TRUE(sheet->findChild<IconPickerView*>());
    return sheet;
}

// Drops a library application on the ring of a full dial: the full-dial
// prompt opens over the dial editor.
void promptOnFullDial(editor::RadialDialEditor* dial) {
    QMimeData mime;
    mime.setText(QString::fromStdString(SlotDragPayload::libraryApp("firefox-esr", "Firefox ESR").exportString()));
    const QPoint at(static_cast<int>(editor::kRingWidgetSide / 2), 40);
    QWidget* ring = dial->ring();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ring, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ring, &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ring, &drop);
}

TEST_F(SheetsTeardownTest, ParentsGoBeforeWhatTheyOpened) {
    // A keystroke sheet deleted with everything it opened still open.
    QPointer<KeystrokeSlotEditorSheet> keystroke =
        busyKeystrokeSheet(shown(new KeystrokeSlotEditorSheet(std::nullopt, saves.callback())));
    QPointer<MacroRecorderOverlay> recorder = keystroke->stepList()->recorder();
    delete keystroke.data();
    EXPECT_FALSE(recorder);
    settle();

    // The macro recorder deleted first, while listening; then its sheet.
    keystroke = busyKeystrokeSheet(shown(new KeystrokeSlotEditorSheet(std::nullopt, saves.callback())));
    delete keystroke->stepList()->recorder();
    QTest::mouseClick(keystroke->stepList()->addButton("Add Chord"), Qt::LeftButton);
    delete keystroke.data();
    settle();

    // A cycling sheet with the application picker still loading.
    QPointer<CyclingSlotEditorSheet> cycling = shown(new CyclingSlotEditorSheet(std::nullopt, saves.callback()));
    QTest::mouseClick(cycling->addAppButton(), Qt::LeftButton);
    ASSERT_TRUE(cycling->openPicker());
    delete cycling.data();
    settle();

    // A group editor of a full dial with the full-dial prompt and the
    // library's valued-action popover open.
    GroupEditorRequest request{groupOf(6), {"Default Menu"}, true, 6, std::nullopt};
    const auto onGroup = [&](const MenuGroup&) { saves.slots.push_back(snippet("g")); };
    QPointer<GroupEditorView> group = shown(new GroupEditorView(request, onGroup, makeSlotSheetFactory()));
    promptOnFullDial(group->dialEditor());
    EXPECT_TRUE(group->dialEditor()->findChild<QMessageBox*>());
    group->library()->setSegment(editor::LibrarySegment::actions);
    for (int row = 0; row < 200 && !group->library()->parameterPopover(); ++row)
        group->library()->openParameterPopover(row);
    EXPECT_TRUE(group->library()->parameterPopover());
    delete group.data();
    settle();

    // One with room: its add-slot popover, and a nested group editor whose
    // keystroke sheet is busy.
    request.group = groupOf(4);
    group = shown(new GroupEditorView(request, onGroup, makeSlotSheetFactory()));
    group->addNestedGroup();
    auto* nested = group->findChild<GroupEditorView*>();
    ASSERT_TRUE(nested);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(nested));
    nested->openAddSlotPopover();
    nested->pick(editor::AddSlotKind::keystroke);
    auto* inner = nested->findChild<KeystrokeSlotEditorSheet*>();
    ASSERT_TRUE(inner);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(inner));
    busyKeystrokeSheet(inner);
    group->openAddSlotPopover();
    delete group.data();
    settle();

    // The page deleted with a busy sheet and the popover open, then the
    // window under it.
    AppConfig c;
    c.rootGroup.slots = {SlotConfig::make(SlotType::keystroke({}), "Keys")};
    live().setConfig(c);
    auto window = std::make_unique<QWidget>();
    QPointer<SlotEditorView> page = new SlotEditorView(live(), makeSlotSheetFactory(), window.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    page->editSlot(0);
    QPointer<KeystrokeSlotEditorSheet> edited = window->findChild<KeystrokeSlotEditorSheet*>();
    ASSERT_TRUE(edited);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(edited));
    busyKeystrokeSheet(edited);
    page->openAddSlotPopover();
    delete page.data();
    EXPECT_FALSE(edited);  // the sheets go with the page
    window.reset();
    settle();
    EXPECT_TRUE(saves.slots.empty());
    EXPECT_EQ(live().config().rootGroup.slots, c.rootGroup.slots);
}

}  // namespace
}  // namespace orbel::testing
