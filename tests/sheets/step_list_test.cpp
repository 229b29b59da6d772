// The step list, its rows' rules, the live recorder and the icon row texts.
#include <gtest/gtest.h>

#include "sheets/icon_row_model.h"
#include "sheets/keystroke_slot_editor_model.h"
#include "sheets/macro_recorder_model.h"
#include "sheets/step_list_model.h"

namespace orbel {
namespace {

using namespace step_rows;

const KeyCombination kCmdShiftK{40, modifier::kCommand | modifier::kShift, std::nullopt};

TEST(StepListTest, SummaryCountsChordsAndWaitsOnly) {
    const struct {
        std::vector<MacroStep> steps;
        const char* summary;
    } table[] = {
        {{}, "0 chords"},
        {{MacroStep::chord({})}, "1 chord"},
        {{MacroStep::chord(kCmdShiftK), MacroStep::wait(150), MacroStep::chord({}), MacroStep::wait(200),
          MacroStep::chord({})},
         "3 chords \u00B7 350 ms of waits"},
        {{MacroStep::wait(100)}, "0 chords \u00B7 100 ms of waits"},
        {{MacroStep::wait(1)}, "0 chords \u00B7 1 ms of waits"},
        {{MacroStep::text("x"), MacroStep::clipboardPush(), MacroStep::waitForWindow("a", {}, 9000)}, "0 chords"},
    };
    for (const auto& row : table) EXPECT_EQ(StepList(row.steps).summaryText(), row.summary) << row.summary;
}

TEST(StepListTest, AddButtonsAppendTheirStepsAtTheEnd) {
    StepList list({MacroStep::clipboardPop()});
    int resized = 0;
    list.onChange = [&](StepList::Change c) { resized += c == StepList::Change::resized; };
    list.appendChord();
    list.appendWait();
    list.appendText();
    list.appendClipboardPush();
    list.appendClipboardPop();
    list.appendWaitForWindow();
    list.appendRecordedSteps({});
    list.appendRecordedSteps({MacroStep::chord(kCmdShiftK), MacroStep::chord({36, 0, {}})});
    const std::vector<MacroStep> expected{
        MacroStep::clipboardPop(),  MacroStep::chord({}),   MacroStep::wait(100),
        MacroStep::text(""),        MacroStep::clipboardPush(), MacroStep::clipboardPop(),
        MacroStep::waitForWindow("", std::nullopt, 5000), MacroStep::chord(kCmdShiftK), MacroStep::chord({36, 0, {}})};
    EXPECT_EQ(list.steps(), expected);
    EXPECT_EQ(resized, 7);  // the empty recording changed nothing
}

// A row built before a deletion must edit its own step, never the one that
// moved into its position.
TEST(StepListTest, RowsEditTheirOwnStepAfterDeletesAndIgnoreGoneOnes) {
    StepList list({MacroStep::wait(50), MacroStep::wait(100), MacroStep::text("a")});
    const StepList::Key first = list.keyAt(0), second = list.keyAt(1), third = list.keyAt(2);
    EXPECT_TRUE(list.deleteStep(first));
    EXPECT_TRUE(list.replaceStep(second, MacroStep::wait(250)));  // now at position 0
    EXPECT_FALSE(list.replaceStep(first, MacroStep::wait(999)));  // deleted: nothing happens
    EXPECT_FALSE(list.deleteStep(first));
    EXPECT_EQ(list.steps(), (std::vector<MacroStep>{MacroStep::wait(250), MacroStep::text("a")}));
    EXPECT_EQ(list.indexOf(third), 1u);
    // Positions outside the list leave it intact.
    EXPECT_FALSE(list.replaceStepAt(2, MacroStep::wait(1)));
    EXPECT_FALSE(list.deleteStepAt(7));
    EXPECT_TRUE(list.deleteStepAt(0));
    EXPECT_EQ(list.steps(), std::vector<MacroStep>{MacroStep::text("a")});
}

TEST(StepListTest, ProblemsNameTheStepTheConfigurationWouldRefuse) {
    EXPECT_FALSE(StepList({MacroStep::text(" "), MacroStep::waitForWindow("org.gnome.Nautilus", {}, 500)}).problem());
    EXPECT_EQ(StepList({MacroStep::chord({}), MacroStep::text("")}).problem(), "Step 2 has no text to type.");
    EXPECT_EQ(StepList({MacroStep::waitForWindow(" \t", {}, 500)}).problem(),
              "Step 1 needs the bundle ID of the app to wait for.");
}

// A chord step from Add Chord holds the empty combination, which would play
// A: until something is recorded into it, it is a problem, not a chord.
TEST(StepListTest, AChordStepNothingWasRecordedIntoCannotBeSaved) {
    KeystrokeSlotEditorModel model;
    model.title = "Keys";
    model.steps.appendChord();
    model.steps.appendChord();
    EXPECT_TRUE(model.steps.isUnrecordedChord(0) && model.steps.isUnrecordedChord(1));
    EXPECT_TRUE(model.steps.replaceStep(model.steps.keyAt(0), MacroStep::chord(kCmdShiftK)));
    EXPECT_EQ(model.stepsProblem(), "Step 2 has no chord recorded.");
    EXPECT_FALSE(model.canSave());
    EXPECT_FALSE(model.build());
    // A plain A recorded into it is a chord: saved, and read back as recorded.
    EXPECT_TRUE(model.steps.replaceStepAt(1, MacroStep::chord({0, 0, {}})));
    EXPECT_EQ(model.stepsProblem(), std::nullopt);
    const auto saved = model.build();
    ASSERT_TRUE(saved);
    const KeystrokeSlotEditorModel reopened(*saved);
    EXPECT_EQ(reopened.steps.steps()[1], MacroStep::chord({0, 0, {}}));
    EXPECT_FALSE(reopened.steps.isUnrecordedChord(1));
    // Deleting the unrecorded step clears the problem too.
    model.steps.appendChord();
    EXPECT_EQ(model.stepsProblem(), "Step 3 has no chord recorded.");
    EXPECT_TRUE(model.steps.deleteStepAt(2));
    EXPECT_TRUE(model.canSave());
}

TEST(StepRowsTest, WaitClampLabelsAndTitleFilter) {
    for (auto [typed, kept] : {std::pair<std::int64_t, std::int64_t>{0, 1}, {-5, 1}, {9999, 5000}, {6000, 5000},
                              {11, 11}})
        EXPECT_EQ(clampWait(typed), kept) << typed;
    for (auto [ms, label] : {std::pair<std::int64_t, const char*>{50, "50"}, {250, "250"}, {999, "999"},
                            {1000, "1s"}, {1500, "1.50s"}, {5000, "5s"}})
        EXPECT_EQ(formatMilliseconds(ms), label) << ms;
    EXPECT_EQ(presetTooltip(1000), "Set wait to 1s");
    EXPECT_EQ(presetTooltip(500), "Set wait to 500");
    EXPECT_EQ(titleFilter(" \t "), std::nullopt);
    EXPECT_EQ(titleFilter(""), std::nullopt);
    EXPECT_EQ(titleFilter("  Inbox "), "  Inbox ");
}

TEST(StepRowsTest, ChordCapsuleAndRecordedChord) {
    const std::optional<KeyCombination> unset;
    const KeyCombination aKey{0, 0, {}};
    EXPECT_EQ(chordCapsuleText(unset, false), "Click to record");
    EXPECT_EQ(chordCapsuleText(unset, true), "Press a key…");
    EXPECT_EQ(chordCapsuleText(aKey, false), "A");  // the A key alone is a chord like any other
    EXPECT_EQ(chordCapsuleText(aKey, true), "Press to replace…");
    EXPECT_EQ(chordCapsuleText(kCmdShiftK, true), "Press to replace…");
    EXPECT_EQ(chordCapsuleText(kCmdShiftK, false), kCmdShiftK.displayString());
    EXPECT_EQ(recordedChord(kEscapeKeyCode, 0), std::nullopt);
    EXPECT_EQ(recordedChord(36, modifier::kControl), (KeyCombination{36, modifier::kControl, std::nullopt}));
}

TEST(MacroRecorderModelTest, RecordsInOrderUntilEscapeAndNeverResumes) {
    MacroRecorderModel recorder;
    EXPECT_FALSE(recorder.handleKeyDown(40, 0));  // not started: passed on
    recorder.start();
    EXPECT_TRUE(recorder.handleKeyDown(40, modifier::kCommand | modifier::kShift));
    EXPECT_TRUE(recorder.handleKeyDown(36, 0));
    EXPECT_TRUE(recorder.handleKeyDown(36, 0));  // a key repeat is one more chord
    EXPECT_TRUE(recorder.handleKeyDown(kEscapeKeyCode, 0));
    EXPECT_FALSE(recorder.isListening());
    recorder.start();
    EXPECT_FALSE(recorder.handleKeyDown(1, 0));
    EXPECT_EQ(recorder.steps(), (std::vector<MacroStep>{MacroStep::chord(kCmdShiftK), MacroStep::chord({36, 0, {}}),
                                                        MacroStep::chord({36, 0, {}})}));
    MacroRecorderModel escapedAtOnce;
    escapedAtOnce.start();
    escapedAtOnce.handleKeyDown(kEscapeKeyCode, 0);
    EXPECT_FALSE(escapedAtOnce.canFinish());
}

TEST(IconRowTest, TitleAndSubtitlePerIconKind) {
    const icon_row::PackName names = [](const IconPack& pack) { return "Pack " + pack.id(); };
    const struct {
        SlotIcon icon;
        std::string title, subtitle;
    } table[] = {
        {SlotIcon::automatic(), "Default", "The slot's built-in icon"},
        {SlotIcon::monogram("AB"), "Text", "\u201C" "AB" "\u201D"},
        {SlotIcon::customImage("/home/u/Pictures/cat.png"), "Custom image", "cat.png"},
        {SlotIcon::symbolPack(IconPack{"lucide"}, "rocket"), "Pack lucide", "rocket"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(icon_row::title(row.icon, names), row.title);
        EXPECT_EQ(icon_row::subtitle(row.icon), row.subtitle);
    }
}

TEST(KeystrokeSheetModelTest, CanSaveNeedsANameAndAPlayableStep) {
    const struct {
        const char* title;
        std::vector<MacroStep> steps;
        bool canSave;
    } table[] = {
        {"Tab", {MacroStep::wait(100), MacroStep::wait(50)}, false},
        {"Tab", {MacroStep::clipboardPush(), MacroStep::wait(50)}, false},
        {"Tab", {MacroStep::clipboardPop()}, true},
        {"Tab", {MacroStep::text("hi")}, true},
        {"Tab", {MacroStep::waitForWindow("firefox", {}, 5000)}, true},
        {"Tab", {MacroStep::chord({})}, true},
        {" \t", {MacroStep::chord({})}, false},
        {"Tab", {MacroStep::chord({}), MacroStep::text("")}, false},             // refused on the next start
        {"Tab", {MacroStep::chord({}), MacroStep::waitForWindow("", {}, 5000)}, false},
    };
    for (const auto& row : table) {
        KeystrokeSlotEditorModel model;
        model.title = row.title;
        model.steps = StepList(row.steps);
        EXPECT_EQ(model.canSave(), row.canSave) << row.title << " " << row.steps.size();
        EXPECT_EQ(model.stepsHelpText().has_value(), !model.steps.hasActionStep());
    }
}

TEST(KeystrokeSheetModelTest, StartsFromItsOwnKindAndSavesANewGlobalSlot) {
    SlotConfig existing = SlotConfig::make(SlotType::keystroke({MacroStep::chord(kCmdShiftK), MacroStep::wait(40)}),
                                           "Old", SlotIcon::monogram("K"));
    existing.scope = SlotScope::app("org.gnome.gedit");
    KeystrokeSlotEditorModel model(existing);
    EXPECT_EQ(model.sheetTitle(), "Edit Macro");
    model.title = "  New name\t";
    const auto saved = model.build();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->title, "New name");
    EXPECT_NE(saved->id, existing.id);
    EXPECT_EQ(saved->scope, SlotScope::global());
    EXPECT_EQ(saved->type, existing.type);
    EXPECT_EQ(saved->icon, existing.icon);

    const KeystrokeSlotEditorModel other(SlotConfig::make(SlotType::snippet("x"), "S", SlotIcon::monogram("S")));
    EXPECT_EQ(other.sheetTitle(), "Edit Macro");
    EXPECT_TRUE(other.title.empty() && other.steps.empty() && other.icon.isAuto());
    EXPECT_EQ(KeystrokeSlotEditorModel().sheetTitle(), "New Macro");
}

}  // namespace
}  // namespace orbel
