// The real sheets driven with QTest, and their pictures for a person.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <csignal>
#include <functional>

#include "sheets/sheet_test_support.h"
#include "support/focus_walk.h"
#include "support/widget_pictures.h"
#include "icons/icon_catalog.h"
#include "icons/icon_picker_view.h"
#include "sheets/icon_picker_row.h"
#include "sheets/cycling_slot_editor_sheet.h"
#include "sheets/dynamic_slot_editor_sheet.h"
#include "sheets/keystroke_slot_editor_sheet.h"
#include "sheets/macro_recorder_overlay.h"
#include "sheets/profile_switch_edit_sheet.h"
#include "sheets/script_slot_editor_sheet.h"
#include "sheets/slot_rename_sheet.h"
#include "sheets/snippet_slot_editor_sheet.h"
#include "sheets/step_list_editor.h"
#include "sheets/step_rows.h"
#include "ui/accent_swatch_picker.h"
#include "ui/controls.h"
#include "ui/parameterized_action_editor.h"

namespace orbel {
namespace {

const KeyCombination kCtrlShiftK{40, modifier::kControl | modifier::kShift, std::nullopt};

// Clicks `language`'s segment of a sheet's Language control.
void chooseLanguage(ui::SegmentedControl* picker, ScriptLanguage language) {
    const auto& all = allScriptLanguages();
    const int index = static_cast<int>(std::find(all.begin(), all.end(), language) - all.begin());
    QTest::mouseClick(picker, Qt::LeftButton, {}, picker->segmentRect(index).center());
}

using testing::press;
using testing::Saves;
using testing::settle;
using testing::shown;

TEST(SheetWidgetTest, EscapeClosesWithoutSavingAndReturnOnADisabledSaveDoesNothing) {
    Saves saves;
    QPointer<SnippetSlotEditorSheet> sheet = shown(new SnippetSlotEditorSheet(std::nullopt, saves.callback()));
    EXPECT_EQ(sheet->title(), "New Snippet");
    EXPECT_FALSE(sheet->saveButton()->isEnabled());
    QTest::keyClicks(sheet->nameField(), "Sig");
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);  // no text yet: Save is off
    EXPECT_TRUE(sheet->isVisible());
    sheet->bodyEditor()->setPlainText("Best,\n");
    EXPECT_TRUE(sheet->saveButton()->isEnabled());
    QTest::keyClick(sheet->nameField(), Qt::Key_Escape);
    // It holds changes: Escape asks, and closes on Discard Changes.
    ASSERT_TRUE(sheet->discardConfirmation());
    for (auto* button : sheet->discardConfirmation()->findChildren<QPushButton*>())
        if (button->text() == "Discard Changes") QTest::mouseClick(button, Qt::LeftButton);
    settle();
    EXPECT_TRUE(sheet.isNull());
    EXPECT_TRUE(saves.slots.empty());
}

TEST(SheetWidgetTest, ReturnInTheNameFieldSavesExactlyOnce) {
    Saves saves;
    QPointer<SlotRenameSheet> rename =
        shown(new SlotRenameSheet(SlotConfig::make(SlotType::app("org.gnome.Nautilus"), "Files"), saves.callback()));
    QTest::keyClick(rename->titleField(), Qt::Key_Return);  // unchanged: nothing
    EXPECT_TRUE(rename->isVisible());
    rename->titleField()->setText(" Home ");
    QTest::keyClick(rename->titleField(), Qt::Key_Return);
    settle();
    ASSERT_EQ(saves.slots.size(), 1u);
    EXPECT_EQ(saves.slots[0].title, "Home");
    EXPECT_TRUE(rename.isNull());

    QPointer<ProfileSwitchEditSheet> profiles = shown(new ProfileSwitchEditSheet(std::nullopt, saves.callback()));
    EXPECT_EQ(profiles->captionText(), QString::fromStdString(ProfileSwitchEditModel::caption(0)));
    QTest::keyClick(profiles->nameField(), Qt::Key_Return);
    settle();
    ASSERT_EQ(saves.slots.size(), 2u);
    EXPECT_EQ(saves.slots[1].title, "Profiles");
}

// Return on a focused Cancel cancels: it never saves what the user turned
// away from.
TEST(SheetWidgetTest, ReturnOnAFocusedCancelSavesNothing) {
    Saves saves;
    QPointer<SlotRenameSheet> rename =
        shown(new SlotRenameSheet(SlotConfig::make(SlotType::app("org.gnome.Nautilus"), "Files"), saves.callback()));
    rename->titleField()->setText("Home");
    QPushButton* cancel = nullptr;
    for (auto* button : rename->findChildren<QPushButton*>())
        if (button->text() == "Cancel") cancel = button;
    ASSERT_TRUE(cancel);
    cancel->setFocus(Qt::TabFocusReason);
    QTest::keyClick(cancel, Qt::Key_Return);
    settle();
    EXPECT_TRUE(rename.isNull());
    EXPECT_TRUE(saves.slots.empty());
}

TEST(SheetWidgetTest, ChordRowRecordsAndItsKeysNeverReachTheSheet) {
    Saves saves;
    // A stored chord of the A key alone reads as A.
    const SlotConfig plainA = SlotConfig::make(SlotType::keystroke({MacroStep::chord({})}), "A");
    QPointer<KeystrokeSlotEditorSheet> storedA = shown(new KeystrokeSlotEditorSheet(plainA, {}));
    EXPECT_EQ(qobject_cast<ChordRow*>(storedA->stepList()->rowWidget(0))->text(), "A");
    EXPECT_TRUE(storedA->saveButton()->isEnabled());
    storedA->reject();

    // A chord step from Add Chord records into a fresh chord; until then
    // Save is off and says why.
    const SlotConfig existing = SlotConfig::make(SlotType::keystroke({}), "T");
    QPointer<KeystrokeSlotEditorSheet> sheet = shown(new KeystrokeSlotEditorSheet(existing, saves.callback()));
    QTest::mouseClick(sheet->stepList()->addButton("Add Chord"), Qt::LeftButton);
    auto* row = qobject_cast<ChordRow*>(sheet->stepList()->rowWidget(0));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->text(), "Click to record");
    EXPECT_FALSE(sheet->saveButton()->isEnabled());
    EXPECT_EQ(sheet->stepsRow()->problem(), "Step 1 has no chord recorded.");
    settle();
    testing::savePictures(*sheet, "sheets", "keystroke-unrecorded-chord");
    QTest::mouseClick(row, Qt::LeftButton);
    EXPECT_EQ(row->text(), "Press a key…");
    QTest::keyClick(sheet->nameField(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet->model().steps.steps()[0], MacroStep::chord(kCtrlShiftK));
    EXPECT_EQ(row->text(), QString::fromStdString(kCtrlShiftK.displayString()));
    EXPECT_EQ(sheet->nameField()->text(), "T");  // the key went to the recorder only

    QTest::mouseClick(row, Qt::LeftButton);
    EXPECT_EQ(row->text(), "Press to replace…");
    QTest::keyClick(sheet->nameField(), Qt::Key_Shift, Qt::ShiftModifier);  // a modifier alone: still recording
    EXPECT_TRUE(row->isRecording());
    QTest::keyClick(sheet->nameField(), Qt::Key_Escape);
    EXPECT_FALSE(row->isRecording());
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->model().steps.steps()[0], MacroStep::chord(kCtrlShiftK));

    QTest::mouseClick(row, Qt::LeftButton);
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    settle();
    ASSERT_FALSE(sheet.isNull());
    EXPECT_TRUE(saves.slots.empty());
    EXPECT_EQ(sheet->model().steps.steps()[0], MacroStep::chord({36, 0, std::nullopt}));
    QTest::keyClick(sheet->nameField(), Qt::Key_Return);  // not recording now: Return saves
    settle();
    EXPECT_EQ(saves.slots.size(), 1u);

    // A sheet closed while a chord records leaves no recorder taking keys.
    QPointer<KeystrokeSlotEditorSheet> other = shown(new KeystrokeSlotEditorSheet(existing, {}));
    QTest::mouseClick(other->stepList()->addButton("Add Chord"), Qt::LeftButton);
    QTest::mouseClick(other->stepList()->rowWidget(0), Qt::LeftButton);
    other->reject();
    settle();
    QLineEdit field;
    field.show();
    QTest::keyClicks(&field, "ok");
    EXPECT_EQ(field.text(), "ok");
}

TEST(SheetWidgetTest, RowsEditTheStepTheyShowAfterADelete) {
    const SlotConfig existing =
        SlotConfig::make(SlotType::keystroke({MacroStep::text("first"), MacroStep::text("second")}), "T");
    QPointer<KeystrokeSlotEditorSheet> sheet = shown(new KeystrokeSlotEditorSheet(existing, {}));
    QTest::mouseClick(sheet->stepList()->deleteButton(0), Qt::LeftButton);
    settle();
    ASSERT_EQ(sheet->stepList()->rowCount(), 1);
    auto* row = qobject_cast<TextRow*>(sheet->stepList()->rowWidget(0));
    ASSERT_TRUE(row);
    EXPECT_EQ(row->field()->text(), "second");
    QTest::keyClicks(row->field(), "!");
    EXPECT_EQ(sheet->model().steps.steps(), std::vector<MacroStep>{MacroStep::text("second!")});
    // An emptied text step stops the save and says why.
    row->field()->selectAll();
    QTest::keyClick(row->field(), Qt::Key_Backspace);
    EXPECT_FALSE(sheet->saveButton()->isEnabled());
    EXPECT_EQ(sheet->stepsRow()->problem(), "Step 1 has no text to type.");
    sheet->reject();
}

TEST(SheetWidgetTest, RecorderOverlayRecordsInOrderAndLetsKeysGoWhenClosed) {
    QPointer<KeystrokeSlotEditorSheet> sheet = shown(new KeystrokeSlotEditorSheet(std::nullopt, {}));
    QTest::mouseClick(sheet->stepList()->addButton("Record"), Qt::LeftButton);
    QPointer<MacroRecorderOverlay> overlay = sheet->stepList()->recorder();
    ASSERT_TRUE(overlay);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(overlay));
    EXPECT_TRUE(overlay->isListening());
    QTest::keyClick(overlay, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(overlay, Qt::Key_Shift, Qt::ShiftModifier);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a", true);
    QApplication::sendEvent(overlay, &press);
    QApplication::sendEvent(overlay, &repeat);
    QTest::keyClick(overlay, Qt::Key_Return);  // recorded, does not press Done
    EXPECT_TRUE(overlay->isVisible());
    const KeyCombination a{0, 0, std::nullopt}, ret{36, 0, std::nullopt};
    EXPECT_EQ(overlay->recorder().captured(), (std::vector<KeyCombination>{kCtrlShiftK, a, a, ret}));
    QTest::mouseClick(overlay->doneButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(overlay.isNull());
    EXPECT_FALSE(sheet->stepList()->showingRecorder());
    EXPECT_EQ(sheet->model().steps.steps(),
              (std::vector<MacroStep>{MacroStep::chord(kCtrlShiftK), MacroStep::chord(a), MacroStep::chord(a),
                                      MacroStep::chord(ret)}));
    EXPECT_EQ(sheet->stepList()->summaryText(), "4 chords");
    QTest::keyClicks(sheet->nameField(), "ok");  // no filter left taking keys
    EXPECT_EQ(sheet->nameField()->text(), "ok");
    sheet->reject();
    settle();
}

// Real zsh through the real process runner.
TEST(SheetWidgetTest, ScriptTestRunsShowTheirOutcomeAndEndWithTheSheet) {
    QPointer<ScriptSlotEditorSheet> sheet = shown(new ScriptSlotEditorSheet(std::nullopt, {}));
    // The example a new sheet holds runs on a plain desktop, as it stands.
    const QString example = sheet->sourceEditor()->toPlainText();
    const struct {
        QString source;
        const char* shown;
    } table[] = {{example, "hello from orbel"}, {"true", "(no output)"}, {"echo boom >&2; exit 1", "exit 1: boom"}};
    for (const auto& row : table) {
        sheet->sourceEditor()->setPlainText(row.source);
        QTest::mouseClick(sheet->testButton(), Qt::LeftButton);
        EXPECT_FALSE(sheet->testButton()->isEnabled());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !sheet->model().isRunning(); }, 20000));
        EXPECT_EQ(sheet->resultText(), row.shown);
    }
    // Nothing here runs AppleScript, and the sheet says so.
    chooseLanguage(sheet->languagePicker(), ScriptLanguage::appleScript);
    QTest::mouseClick(sheet->testButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheet->model().isRunning(); }, 20000));
    EXPECT_EQ(sheet->resultText(), "AppleScript cannot run here: this system has no interpreter for it.");
    chooseLanguage(sheet->languagePicker(), ScriptLanguage::shell);
    // A looping script is ended when its sheet closes.
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    sheet->sourceEditor()->setPlainText(QString("echo $$ > '%1'; while :; do sleep 0.1; done").arg(pidFile));
    QTest::mouseClick(sheet->testButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(pidFile).size() > 0; }, 20000));
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t pid = file.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    sheet->reject();
    settle();
    EXPECT_TRUE(sheet.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(pid, 0) != 0; }, 20000)) << "the script still runs";
}

TEST(SheetWidgetTest, TheIconRowOpensTheIconPickerWhoseApplyWritesTheSheetsIcon) {
    Saves saves;
    const SlotConfig existing = SlotConfig::make(SlotType::snippet("hi"), "Hi", SlotIcon::monogram("AB"));
    QPointer<SnippetSlotEditorSheet> sheet = shown(new SnippetSlotEditorSheet(existing, saves.callback()));
    IconPickerRow* row = sheet->iconRow();
    EXPECT_EQ(row->titleText(), "Text");
    EXPECT_EQ(row->subtitleText(), "\u201C" "AB" "\u201D");
    QTest::mouseClick(row->chooseButton(), Qt::LeftButton);
    auto* picker = sheet->findChild<IconPickerView*>();
    ASSERT_TRUE(picker);
    picker->model().resetToDefault();
    picker->apply();
    settle();
    EXPECT_TRUE(row->icon().isAuto());
    EXPECT_TRUE(row->resetButton()->isHidden());
    EXPECT_EQ(row->titleText(), "Default");
    sheet->saveButton()->click();
    ASSERT_EQ(saves.slots.size(), 1u);
    EXPECT_TRUE(saves.slots[0].icon.isAuto());
}

// The icon row's tile, Reset and the picker's own controls, each clicked or
// typed into: what Apply hands back is what the sheet saves.
TEST(SheetWidgetTest, IconRowTileResetAndEveryIconPickerControl) {
    Saves saves;
    const SlotConfig existing = SlotConfig::make(SlotType::snippet("hi"), "Hi", SlotIcon::monogram("AB"));
    QPointer<SnippetSlotEditorSheet> sheet = shown(new SnippetSlotEditorSheet(existing, saves.callback()));
    IconPickerRow* row = sheet->iconRow();
    const auto openPicker = [&](QAbstractButton* opener) {
        QTest::mouseClick(opener, Qt::LeftButton);
        auto* picker = sheet->findChild<IconPickerView*>();
        EXPECT_TRUE(picker && QTest::qWaitForWindowExposed(picker));
        return picker;
    };
    const auto button = [](QWidget* in, const QString& text) {
        for (auto* b : in->findChildren<QPushButton*>())
            if (b->text() == text) return b;
        ADD_FAILURE() << "no button " << text.toStdString();
        return static_cast<QPushButton*>(nullptr);
    };

    // The tile opens the picker; a monogram typed and a tint chosen come back on Apply.
    IconPickerView* picker = openPicker(row->tile());
    ASSERT_TRUE(picker);
    picker->monogramField()->selectAll();
    QTest::keyClicks(picker->monogramField(), "XY");
    QTest::mouseClick(picker->tintPicker(), Qt::LeftButton);
    ASSERT_TRUE(picker->tintPicker()->popover());
    QTest::mouseClick(button(picker->tintPicker()->popover(), "Set"), Qt::LeftButton);  // the field's own value: none
    QTest::keyClicks(picker->tintPicker()->popover()->hexField(), "336699");
    QTest::mouseClick(button(picker->tintPicker()->popover(), "Set"), Qt::LeftButton);
    QTest::mouseClick(button(picker, "Apply"), Qt::LeftButton);
    settle();
    EXPECT_EQ(row->icon(), SlotIcon::monogram("XY", "#336699"));

    // The picker's Reset to default, then Cancel: the row keeps its icon.
    picker = openPicker(row->chooseButton());
    ASSERT_TRUE(picker);
    QTest::mouseClick(button(picker, "Reset to default"), Qt::LeftButton);
    EXPECT_TRUE(picker->model().draft().isAuto());
    QTest::mouseClick(button(picker, "Cancel"), Qt::LeftButton);
    settle();
    EXPECT_EQ(row->icon(), SlotIcon::monogram("XY", "#336699"));

    // "Choose image…" asks for a file; the one chosen becomes the icon.
    QTemporaryDir dir;
    const QString image = dir.filePath("icon.png");
    QImage(8, 8, QImage::Format_ARGB32).save(image);
    picker = openPicker(row->chooseButton());
    ASSERT_TRUE(picker);
    QTest::mouseClick(button(picker, "Choose image…"), Qt::LeftButton);
    auto* files = picker->findChild<QFileDialog*>();
    ASSERT_TRUE(files);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(files));
    auto* fileName = files->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_TRUE(fileName);
    QTest::keyClicks(fileName, image);
    QTest::keyClick(fileName, Qt::Key_Return);
    // Apply waits until the file has been read and found to hold a picture.
    ASSERT_TRUE(QTest::qWaitFor([&] { return button(picker, "Apply")->isEnabled(); }, 10000));
    QTest::mouseClick(button(picker, "Apply"), Qt::LeftButton);
    settle();
    EXPECT_EQ(row->icon(), SlotIcon::customImage(image.toStdString()));

    // The row's own Reset goes back to the kind's default icon.
    ASSERT_TRUE(row->resetButton()->isVisible());
    QTest::mouseClick(row->resetButton(), Qt::LeftButton);
    EXPECT_TRUE(row->icon().isAuto());
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    ASSERT_EQ(saves.slots.size(), 1u);
    EXPECT_TRUE(saves.slots[0].icon.isAuto());
}

// Walked with Tab, the icon tile, the form's scroll area and Save of the
// cycling, the macro and the snippet sheet each show that they have the focus.
TEST(SheetWidgetTest, TheIconTileTheFormAndSaveShowTheKeyboardFocus) {
    const auto child = [](const char* text) { return SlotConfig::make(SlotType::snippet(text), text); };
    const std::pair<const char*, std::function<SlotSheet*()>> sheets[] = {
        {"cycling", [&] { return new CyclingSlotEditorSheet(
                              SlotConfig::make(SlotType::cycling({child("a"), child("b")}), "Cycle"), {}); }},
        {"macro", [] { return new KeystrokeSlotEditorSheet(
                           SlotConfig::make(SlotType::keystroke({MacroStep::chord(kCtrlShiftK)}), "Macro"), {}); }},
        {"snippet", [] { return new SnippetSlotEditorSheet(SlotConfig::make(SlotType::snippet("hi"), "Hi"), {}); }},
    };
    for (const auto& [name, make] : sheets) {
        SlotSheet* sheet = make();
        QPointer<SlotSheet> open = shown(sheet);
        QApplication::setActiveWindow(sheet);
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
        ASSERT_TRUE(sheet->saveButton()->isEnabled()) << name;
        const std::pair<const char*, QWidget*> stops[] = {{"-icon-tile", sheet->findChild<IconPickerRow*>()->tile()},
                                                          {"-form", sheet->formArea()},
                                                          {"-save", sheet->saveButton()}};
        for (const auto& [part, stop] : stops)
            EXPECT_TRUE(testing::showsFocus(stop, sheet->cancelButton(), "sheets", QString(name) + part));
        sheet->reject();
        settle();
        EXPECT_FALSE(open);
    }
}

// The icon tile a click focused shows no mark once the picker it opened is
// gone by Escape; reached by Tab and opened with Space, it shows the mark
// again when the picker goes.
TEST(SheetWidgetTest, TheIconTileShowsTheKeyboardsFocusOnly) {
    QPointer<SnippetSlotEditorSheet> sheet =
        shown(new SnippetSlotEditorSheet(SlotConfig::make(SlotType::snippet("hi"), "Hi"), {}));
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    QAbstractButton* tile = sheet->iconRow()->tile();
    const QImage plain = tile->grab().toImage();
    const auto escapeFromPicker = [&] {
        QPointer<IconPickerView> picker;
        EXPECT_TRUE(QTest::qWaitFor([&] { return (picker = sheet->findChild<IconPickerView*>()) != nullptr; }));
        if (!picker) return;
        picker->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(picker));
        QTest::keyClick(picker, Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !picker; }));
        sheet->activateWindow();  // as the window manager does
        EXPECT_TRUE(QTest::qWaitForWindowActive(sheet));
        EXPECT_TRUE(tile->hasFocus());
    };
    QTest::mouseClick(tile, Qt::LeftButton);
    escapeFromPicker();
    EXPECT_EQ(tile->grab().toImage(), plain) << "a click's focus shows no mark";
    QTest::keyClick(sheet, Qt::Key_Shift);
    sheet->cancelButton()->setFocus(Qt::TabFocusReason);
    tile->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tile, Qt::Key_Space);
    escapeFromPicker();
    EXPECT_NE(tile->grab().toImage(), plain) << "the keyboard's focus shows its mark";
    sheet->reject();
    settle();
}

// A cycling child's remove button shows the keyboard focus with the
// accent's ring, not only the style's faint box.
TEST(SheetWidgetTest, ACyclingChildsRemoveButtonIsRingedWhileFocused) {
    const auto child = [](const char* text) { return SlotConfig::make(SlotType::snippet(text), text); };
    QPointer<CyclingSlotEditorSheet> sheet = shown(new CyclingSlotEditorSheet(
        SlotConfig::make(SlotType::cycling({child("a"), child("b")}), "Cycle"), {}));
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    EXPECT_GT(testing::accentMarkPixels(sheet->removeButton(0), sheet->cancelButton(), "sheets", "cycling-remove"),
              40);
    sheet->reject();
    settle();
}

// Tab follows what is drawn: the rows of the Cycling and the Macro sheets'
// lists before the "Add" buttons under them, also once rows came and went.
TEST(SheetWidgetTest, TabReachesTheListsRowsBeforeTheAddButtonsUnderThem) {
    // Whether Tab from `from` (once round) reaches the controls of `drawn` in their order.
    const auto inTabOrder = [](QWidget* from, const std::vector<QWidget*>& drawn) {
        QApplication::setActiveWindow(from->window());
        EXPECT_TRUE(QTest::qWaitForWindowActive(from->window()));
        from->setFocus(Qt::TabFocusReason);
        std::vector<QWidget*> reached;
        for (int i = 0; i < 40 && reached.size() < drawn.size(); ++i) {
            QWidget* now = press(Qt::Key_Tab);
            if (std::count(drawn.begin(), drawn.end(), now) && !std::count(reached.begin(), reached.end(), now))
                reached.push_back(now);
        }
        return reached == drawn;
    };
    const auto child = [](const char* text) { return SlotConfig::make(SlotType::snippet(text), text); };
    QPointer<CyclingSlotEditorSheet> cycling = shown(new CyclingSlotEditorSheet(
        SlotConfig::make(SlotType::cycling({child("a"), child("b"), child("c")}), "Cycle"), {}));
    for (int children : {3, 2}) {
        std::vector<QWidget*> drawn;
        for (int i = 0; i < children; ++i) drawn.push_back(cycling->removeButton(i));
        drawn.push_back(cycling->addAppButton());
        drawn.push_back(cycling->addActionButton());
        EXPECT_TRUE(inTabOrder(cycling->nameField(), drawn)) << children;
        QTest::mouseClick(cycling->removeButton(1), Qt::LeftButton);
        settle();
    }
    QPointer<KeystrokeSlotEditorSheet> macro = shown(new KeystrokeSlotEditorSheet(
        SlotConfig::make(SlotType::keystroke({MacroStep::chord(kCtrlShiftK), MacroStep::wait(100)}), "Macro"), {}));
    StepListEditor* steps = macro->stepList();
    for (int rows : {2, 3}) {
        std::vector<QWidget*> drawn;
        for (int i = 0; i < rows; ++i) drawn.push_back(steps->deleteButton(i));
        drawn.push_back(steps->addButton("Add Chord"));
        EXPECT_TRUE(inTabOrder(macro->nameField(), drawn)) << rows;
        QTest::mouseClick(steps->addButton("Add Wait"), Qt::LeftButton);
        settle();
    }
    cycling->reject();
    macro->reject();
    settle();
}

// Add Chord hands the focus to the chord it added, marked as the press on
// Add Chord was: by the keyboard marked, by a click not.
TEST(SheetWidgetTest, AddChordPutsTheFocusOnTheNewChordsRecorder) {
    Saves saves;
    QPointer<KeystrokeSlotEditorSheet> sheet = shown(new KeystrokeSlotEditorSheet(
        SlotConfig::make(SlotType::keystroke({MacroStep::chord(kCtrlShiftK)}), "Macro"), saves.callback()));
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    StepListEditor* steps = sheet->stepList();
    QPushButton* add = steps->addButton("Add Chord");
    QTest::keyClick(sheet, Qt::Key_Shift);
    add->setFocus(Qt::TabFocusReason);
    QTest::keyClick(add, Qt::Key_Space);
    ASSERT_EQ(steps->rowCount(), 2);
    EXPECT_EQ(QApplication::focusWidget(), steps->rowWidget(1));
    EXPECT_TRUE(qobject_cast<ChordRow*>(QApplication::focusWidget()));
    EXPECT_TRUE(ui::showsFocusMark(steps->rowWidget(1)));
    QTest::mouseClick(add, Qt::LeftButton);
    ASSERT_EQ(steps->rowCount(), 3);
    EXPECT_EQ(QApplication::focusWidget(), steps->rowWidget(2));
    EXPECT_FALSE(ui::showsFocusMark(steps->rowWidget(2)));
    EXPECT_TRUE(saves.slots.empty());
    sheet->reject();
    settle();
}

// The text boxes of the snippet, script and dynamic sheets are walked as
// any field: Tab, Shift+Tab and Ctrl+Tab leave them and type nothing, so a
// walk with Tab and a Return save the text as it stood; a pasted tab goes
// in. A box shows the keyboard's focus on its frame, as a line edit does.
TEST(SheetWidgetTest, TabLeavesEveryTextBoxTypesNothingAndTheFocusedBoxIsFramed) {
    Saves saves;
    const SlotConfig snippet = SlotConfig::make(SlotType::snippet("hello"), "Hi");
    QPointer<SnippetSlotEditorSheet> sheet = shown(new SnippetSlotEditorSheet(snippet, saves.callback()));
    QApplication::setActiveWindow(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
    QPlainTextEdit* body = sheet->bodyEditor();
    int reached = 0;
    for (int i = 0; i < 12; ++i) {  // round the whole sheet and on
        QWidget* from = QApplication::focusWidget();
        ASSERT_TRUE(from);
        QTest::keyClick(from, Qt::Key_Tab);
        if (from == body) {
            EXPECT_NE(QApplication::focusWidget(), body) << "Tab leaves the text box";
        }
        reached += QApplication::focusWidget() == body;
    }
    EXPECT_GE(reached, 1);
    for (auto [key, modifiers] : {std::pair{Qt::Key_Backtab, Qt::KeyboardModifiers(Qt::ShiftModifier)},
                                  std::pair{Qt::Key_Tab, Qt::KeyboardModifiers(Qt::ControlModifier)},
                                  std::pair{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier}}) {
        body->setFocus(Qt::TabFocusReason);
        QTest::keyClick(body, key, modifiers);
        EXPECT_NE(QApplication::focusWidget(), body) << QKeySequence(key | modifiers).toString().toStdString();
    }
    EXPECT_EQ(body->toPlainText(), "hello");

    // The frame, away from the caret: its top and left edges.
    const auto frame = [body] {
        const QImage image = body->grab().toImage();
        return std::pair{image.copy(4, 0, image.width() - 8, 1), image.copy(0, 4, 1, image.height() - 8)};
    };
    sheet->nameField()->setFocus(Qt::TabFocusReason);
    const auto unfocused = frame();
    body->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(frame(), unfocused) << "a click's focus is not framed, as a line edit's is not";
    sheet->nameField()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sheet->nameField(), Qt::Key_Shift);
    body->setFocus(Qt::TabFocusReason);
    EXPECT_NE(frame(), unfocused) << "the keyboard's focus is framed";
    testing::savePictures(*sheet, "sheets", "snippet-text-box-focused", false);
    sheet->nameField()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(frame(), unfocused);

    QTest::keyClick(sheet->nameField(), Qt::Key_Return);
    settle();
    ASSERT_EQ(saves.slots.size(), 1u);
    EXPECT_EQ(saves.slots[0].type, SlotType::snippet("hello"));

    QPointer<ScriptSlotEditorSheet> script = shown(new ScriptSlotEditorSheet(std::nullopt, {}));
    QPointer<DynamicSlotEditorSheet> dynamic = shown(new DynamicSlotEditorSheet(std::nullopt, {}, nullptr));
    for (QPlainTextEdit* box : {script->sourceEditor(), dynamic->producerEditor()}) {
        QApplication::setActiveWindow(box->window());
        ASSERT_TRUE(QTest::qWaitForWindowActive(box->window()));
        const QString before = box->toPlainText();
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), box);
        EXPECT_EQ(box->toPlainText(), before);
        QApplication::clipboard()->setText("\tindented");
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(box->toPlainText().contains("\tindented")) << "a tab comes in by pasting";
    }
    script->reject();
    dynamic->reject();
    settle();
}

// Every button of the step bar and its More menu, and the rows they add,
// used as a user would: the sheet saves the steps they made.
TEST(SheetWidgetTest, StepBarButtonsMenuAndTheRowsTheyAdd) {
    Saves saves;
    QPointer<KeystrokeSlotEditorSheet> sheet = shown(new KeystrokeSlotEditorSheet(std::nullopt, saves.callback()));
    StepListEditor* steps = sheet->stepList();
    QTest::keyClicks(sheet->nameField(), "Steps");
    QTest::mouseClick(steps->addButton("Add Wait"), Qt::LeftButton);
    settle();
    // Each preset chip sets the wait it names; 250 last.
    for (auto [label, ms] : {std::pair{"50", 50}, std::pair{"100", 100}, std::pair{"500", 500}, std::pair{"1s", 1000},
                             std::pair{"250", 250}}) {
        QAbstractButton* chip = nullptr;
        for (auto* b : steps->rowWidget(0)->findChildren<QAbstractButton*>())
            if (b->text() == label) chip = b;
        ASSERT_TRUE(chip) << label;
        QTest::mouseClick(chip, Qt::LeftButton);
        EXPECT_EQ(sheet->model().steps.steps().front(), MacroStep::wait(ms)) << label;
    }
    QTest::mouseClick(steps->addButton("Add Text"), Qt::LeftButton);
    settle();
    auto* text = qobject_cast<TextRow*>(steps->rowWidget(1));
    ASSERT_TRUE(text);
    QTest::keyClicks(text->field(), "hi");
    QToolButton* more = nullptr;
    for (auto* b : steps->findChildren<QToolButton*>())
        if (b->text() == "More") more = b;
    ASSERT_TRUE(more && more->menu());
    for (const QString item : {"Clipboard Push", "Clipboard Pop", "Wait for Window"})
        for (QAction* action : more->menu()->actions())
            if (action->text() == item) action->trigger();  // what choosing it in the open menu does
    settle();
    ASSERT_EQ(steps->rowCount(), 5);
    auto* window = qobject_cast<WaitForWindowRow*>(steps->rowWidget(4));
    ASSERT_TRUE(window);
    QTest::keyClicks(window->bundleField(), "firefox");
    QTest::keyClicks(window->titleField(), "Inbox");
    QTest::keyClick(window->timeoutField(), Qt::Key_Up);
    // The recorder's Cancel adds nothing.
    QTest::mouseClick(steps->addButton("Record"), Qt::LeftButton);
    ASSERT_TRUE(steps->recorder());
    QTest::keyClick(steps->recorder(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::mouseClick(steps->recorder()->cancelButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(steps->rowCount(), 5);
    QTest::mouseClick(sheet->saveButton(), Qt::LeftButton);
    ASSERT_EQ(saves.slots.size(), 1u);
    const std::vector<MacroStep> expected{MacroStep::wait(250), MacroStep::text("hi"), MacroStep::clipboardPush(),
                                          MacroStep::clipboardPop(),
                                          MacroStep::waitForWindow("firefox", "Inbox", 5100)};
    EXPECT_EQ(saves.slots[0].type, SlotType::keystroke(expected));
}

// The script and dynamic sheets show one Language control, and it stores the language chosen.
TEST(SheetWidgetTest, LanguagePickersOfBothSheetsChooseTheLanguage) {
    QPointer<ScriptSlotEditorSheet> script = shown(new ScriptSlotEditorSheet(std::nullopt, {}));
    QPointer<DynamicSlotEditorSheet> dynamic = shown(new DynamicSlotEditorSheet(std::nullopt, {}, nullptr));
    EXPECT_EQ(script->languagePicker()->count(), dynamic->languagePicker()->count());
    EXPECT_EQ(script->languagePicker()->sizeHint(), dynamic->languagePicker()->sizeHint());
    EXPECT_EQ(script->languagePicker()->selected(), dynamic->languagePicker()->selected());  // Shell (zsh)
    for (ScriptLanguage language : {ScriptLanguage::jxa, ScriptLanguage::appleScript, ScriptLanguage::shell}) {
        chooseLanguage(script->languagePicker(), language);
        EXPECT_EQ(script->model().language(), language);
        chooseLanguage(dynamic->languagePicker(), language);
        EXPECT_EQ(dynamic->model().language, language);
    }
    script->reject();
    dynamic->reject();
    settle();
}

TEST(SheetWidgetTest, LevelEditorWritesTheSlidersLevel) {
    ParameterizedActionEditor editor(SystemAction::setBrightness(0.9), 0.125);
    EXPECT_EQ(editor.captionText(), "Brightness");
    EXPECT_EQ(editor.percentText(), "13%");  // the level given, not the prototype's
    std::vector<double> levels;
    editor.onChange = [&](double level) { levels.push_back(level); };
    editor.slider()->setValue(37);
    EXPECT_EQ(levels, std::vector<double>{0.37});
    EXPECT_EQ(editor.percentText(), "37%");
}

// ---- Pictures.


void savePictures(const char* name, const std::function<QWidget*()>& make) { testing::saveSheetPictures(name, make); }

TEST(SheetPicturesTest, EverySheetNewAndEditInLightAndDark) {
    IconCatalog::shared().bootstrap();  // the packs' glyphs, as at launch
    const SlotConfig script = SlotConfig::make(SlotType::script({ScriptLanguage::shell, "date +%H:%M\necho done"}),
                                               "Clock", SlotIcon::monogram("CL"));
    const SlotConfig snippet = SlotConfig::make(SlotType::snippet("Best regards,\nAda"), "Signature");
    const SlotConfig allKinds = SlotConfig::make(
        SlotType::keystroke({MacroStep::chord(kCtrlShiftK), MacroStep::chord({}), MacroStep::wait(250),
                             MacroStep::text("hello"), MacroStep::waitForWindow("org.gnome.gedit", "Untitled", 5000),
                             MacroStep::clipboardPush(), MacroStep::clipboardPop()}),
        "Everything", SlotIcon::symbolPack(IconPack{"lucide"}, "rocket"));
    savePictures("keystroke_new", [] { return new KeystrokeSlotEditorSheet(std::nullopt, {}); });
    savePictures("keystroke_edit_every_row", [&] {
        auto* sheet = new KeystrokeSlotEditorSheet(allKinds, {});
        sheet->setFixedSize(620, 900);  // the whole list, for the picture
        return sheet;
    });
    savePictures("keystroke_text_step_empty", [] {
        return new KeystrokeSlotEditorSheet(
            SlotConfig::make(SlotType::keystroke({MacroStep::wait(100), MacroStep::text("")}), "Waits"), {});
    });
    savePictures("script_new", [] { return new ScriptSlotEditorSheet(std::nullopt, {}); });
    savePictures("script_edit", [&] { return new ScriptSlotEditorSheet(script, {}); });
    savePictures("script_test_failed", [] {
        auto* sheet = new ScriptSlotEditorSheet(std::nullopt, {});
        sheet->sourceEditor()->setPlainText("echo 'jq: command not found' >&2; exit 127");
        sheet->testButton()->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !sheet->model().isRunning(); }, 20000));
        return sheet;
    });
    savePictures("snippet_new", [] { return new SnippetSlotEditorSheet(std::nullopt, {}); });
    savePictures("snippet_edit", [&] { return new SnippetSlotEditorSheet(snippet, {}); });
    savePictures("profile_switch_new", [] { return new ProfileSwitchEditSheet(std::nullopt, {}); });
    savePictures("profile_switch_edit", [] {
        return new ProfileSwitchEditSheet(SlotConfig::make(SlotType::profileSwitch(), "Work dials"), {});
    });
    savePictures("rename_app", [] {
        QImage preview(64, 64, QImage::Format_ARGB32);
        preview.fill(QColor(0x34, 0x7D, 0xF6));
        return new SlotRenameSheet(
            SlotConfig::make(SlotType::app("org.example.AVeryLongApplicationIdentifierThatGoesOnAndOn.Desktop"), "Files"),
            {}, preview);
    });
    savePictures("recorder_recording", [] {
        auto* overlay = new MacroRecorderOverlay({});
        overlay->show();
        for (auto key : {Qt::Key_K, Qt::Key_Tab, Qt::Key_Return})
            QTest::keyClick(overlay, key, key == Qt::Key_K ? Qt::ControlModifier | Qt::ShiftModifier : Qt::NoModifier);
        return overlay;
    });
    savePictures("recorder_empty", [] { return new MacroRecorderOverlay({}); });
    savePictures("icon_picker_rows", [] {
        auto* box = new QWidget;
        auto* layout = new QVBoxLayout(box);
        for (const SlotIcon& icon : {SlotIcon::automatic(), SlotIcon::symbolPack(IconPack{"lucide"}, "rocket"),
                                     SlotIcon::monogram("AB", "#FF9500"), SlotIcon::customImage("/home/ada/cat.png")})
            layout->addWidget(new IconPickerRow(icon));
        box->resize(480, 240);
        return box;
    });
    savePictures("parameterized_action", [] {
        auto* editor = new ParameterizedActionEditor(SystemAction::setVolume(0.125), 0.125);
        editor->resize(320, 60);
        return editor;
    });
}

}  // namespace
}  // namespace orbel

namespace orbel {
namespace {

TEST(WaitRowWidget, ShowsTheStoredWaitClampsWhatIsTypedAndIgnoresWhatDoesNotParse) {
    std::vector<std::int64_t> reports;
    WaitRow row(8000, [&](std::int64_t ms) { reports.push_back(ms); });
    row.show();
    EXPECT_EQ(row.field()->text(), "8000") << "the stored wait until the first edit";
    EXPECT_TRUE(reports.empty());

    QLineEdit* text = row.field()->findChild<QLineEdit*>();
    ASSERT_TRUE(text);
    row.field()->setFocus();
    text->selectAll();
    QTest::keyClicks(row.field(), "-40");
    EXPECT_TRUE(reports.empty()) << "digit by digit nothing counts yet";
    QTest::keyClick(row.field(), Qt::Key_Return);
    EXPECT_EQ(row.field()->value(), 1) << "a typed negative number becomes 1";
    EXPECT_EQ(reports.back(), 1);
    EXPECT_EQ(row.draft(), 1);

    row.applyPreset(250);
    reports.clear();
    text->selectAll();
    QTest::keyClick(row.field(), Qt::Key_Backspace);  // nothing that parses
    QTest::keyClick(row.field(), Qt::Key_Return);
    EXPECT_TRUE(reports.empty()) << "no change happened, none is reported";
    EXPECT_EQ(row.field()->value(), 250);
    EXPECT_EQ(row.draft(), 250);

    row.field()->stepBy(1000);  // 10,250 by the stepper
    EXPECT_EQ(row.draft(), 5000);
    EXPECT_EQ(reports.back(), 5000);
}

}  // namespace
}  // namespace orbel
