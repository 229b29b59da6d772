// The rules of the rename, script, snippet and profile switcher sheets.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "config/config_manager.h"
#include "fakes/fake_process_runner.h"
#include "fakes/replace_shared.h"
#include "sheets/profile_switch_edit_model.h"
#include "sheets/script_slot_editor_model.h"
#include "sheets/slot_rename_model.h"
#include "sheets/snippet_slot_editor_model.h"
#include "ui/parameterized_action_model.h"

namespace orbel {
namespace {

TEST(SlotRenameModelTest, SavesOnlyAChangedTrimmedTitleAndKeepsEverythingElse) {
    SlotConfig slot = SlotConfig::make(SlotType::app("org.gnome.Nautilus"), "Files", SlotIcon::monogram("F"));
    slot.scope = SlotScope::app("firefox");
    const struct {
        const char* stored;
        const char* typed;
        std::optional<std::string> saved;
    } table[] = {
        {"Files", "Files", std::nullopt},        // unchanged
        {"Files", "  Files\t", std::nullopt},    // only blanks added
        {"Files", " ", std::nullopt},
        {"Files", "", std::nullopt},
        {"Files", " Home ", "Home"},
        {" Files ", " Files ", "Files"},         // a stored title with blanks saves at once
    };
    for (const auto& row : table) {
        slot.title = row.stored;
        SlotRenameModel model(slot);
        model.title = row.typed;
        const auto saved = model.build();
        EXPECT_EQ(model.canSave(), row.saved.has_value()) << row.typed;
        if (!saved) continue;
        EXPECT_EQ(saved->title, *row.saved);
        SlotConfig rest = *saved;
        rest.title = slot.title;
        EXPECT_EQ(rest, slot);  // id, kind, icon and scope as they came
    }
}

TEST(SlotRenameModelTest, SubtitleByKind) {
    const struct {
        SlotType type;
        std::string subtitle;
    } table[] = {
        {SlotType::app("org.gnome.Nautilus"), "org.gnome.Nautilus"},
        {SlotType::action(SystemAction::setVolume(0.5)), SystemAction::setVolume(0.5).title()},
        {SlotType::profileTarget("Work"), "Work"},
        {SlotType::profileSwitch(), "All saved profiles"},
        {SlotType::transport(TransportCommand::next), ""},
        {SlotType::volumeScrub(), ""},
    };
    for (const auto& row : table)
        EXPECT_EQ(SlotRenameModel::targetSubtitle(SlotConfig::make(row.type, "t")), row.subtitle);
}

TEST(ScriptSheetModelTest, SamplesFollowTheLanguageUntilTheSourceIsEdited) {
    ScriptSlotEditorModel model;
    EXPECT_EQ(model.sheetTitle(), "New Script");
    EXPECT_EQ(model.language(), ScriptLanguage::shell);
    EXPECT_EQ(model.source, "echo \"hello from orbel\"");
    const struct {
        ScriptLanguage language;
        std::size_t length;
    } chain[] = {{ScriptLanguage::appleScript, 39}, {ScriptLanguage::jxa, 127}, {ScriptLanguage::shell, 23}};
    for (const auto& step : chain) {
        model.setLanguage(step.language);
        EXPECT_EQ(model.source, ScriptLanguage::jxa == step.language
                                    ? "const app = Application.currentApplication();\napp.includeStandardAdditions = "
                                      "true;\napp.displayNotification('Hello from Orbel');"
                                    : ScriptSlotEditorModel::sampleSource(step.language));
        EXPECT_EQ(model.source.size(), step.length);
    }
    // Another language's sample still swaps; an edited one never does.
    model.source = ScriptSlotEditorModel::sampleSource(ScriptLanguage::appleScript);
    model.setLanguage(ScriptLanguage::jxa);
    EXPECT_EQ(model.source, ScriptSlotEditorModel::sampleSource(ScriptLanguage::jxa));
    model.source += " ";
    model.setLanguage(ScriptLanguage::shell);
    EXPECT_EQ(model.source, ScriptSlotEditorModel::sampleSource(ScriptLanguage::jxa) + " ");
    EXPECT_EQ(ScriptSlotEditorModel::sampleSource(ScriptLanguage::appleScript),
              "display notification \"Hello from Orbel\"");
}

TEST(ScriptSheetModelTest, CanSaveAndWhatIsSaved) {
    const struct {
        const char* title;
        const char* source;
        bool canSave, canRun;
    } table[] = {
        {"", "ls", false, true},
        {"  ", "ls", false, true},
        {"Note", "\n \n\t", false, false},
        {"Note", "ls", true, true},
    };
    for (const auto& row : table) {
        ScriptSlotEditorModel model;
        model.title = row.title;
        model.source = row.source;
        EXPECT_EQ(model.canSave(), row.canSave) << row.title << "|" << row.source;
        EXPECT_EQ(model.canTestRun(), row.canRun);
    }
    SlotConfig existing = SlotConfig::make(SlotType::script({ScriptLanguage::jxa, "1"}), "Old", SlotIcon::monogram("J"));
    existing.scope = SlotScope::app("x");
    ScriptSlotEditorModel model(existing);
    EXPECT_EQ(model.sheetTitle(), "Edit Script");
    model.title = " Quick Note ";
    model.source = "\n\necho hi\n";
    const auto saved = model.build();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->title, "Quick Note");
    EXPECT_EQ(saved->type, SlotType::script({ScriptLanguage::jxa, "\n\necho hi\n"}));
    EXPECT_EQ(saved->icon, SlotIcon::monogram("J"));
    EXPECT_EQ(saved->scope, SlotScope::global());
    EXPECT_NE(saved->id, existing.id);
    // Another kind opens with a new script's defaults.
    const ScriptSlotEditorModel other(SlotConfig::make(SlotType::snippet("x"), "S"));
    EXPECT_EQ(other.sheetTitle(), "Edit Script");
    EXPECT_EQ(other.source, ScriptSlotEditorModel::sampleSource(ScriptLanguage::shell));
    EXPECT_TRUE(other.title.empty());
}

TEST(ScriptSheetModelTest, TestRunOutcomesAndAnEndedRunGoesNowhere) {
    fakes::Installed<fakes::FakeProcessRunner, platform::ProcessRunner> processes;
    auto model = std::make_unique<ScriptSlotEditorModel>();
    model->source = "true";
    int changes = 0;
    const struct {
        int exit;
        const char* out;
        const char* err;
        ScriptSlotEditorModel::ResultLine::Kind kind;
        const char* text;
    } table[] = {
        {0, " \n", "", ScriptSlotEditorModel::ResultLine::Kind::success, "(no output)"},
        {0, "hi\nthere\n", "", ScriptSlotEditorModel::ResultLine::Kind::success, "hi\nthere"},
        {1, "", "boom\n", ScriptSlotEditorModel::ResultLine::Kind::failure, "exit 1: boom"},
        {2, "", "", ScriptSlotEditorModel::ResultLine::Kind::failure, "exit 2"},
    };
    for (std::size_t i = 0; i < std::size(table); ++i) {
        model->testRun([&] { ++changes; });
        EXPECT_TRUE(model->isRunning());
        EXPECT_FALSE(model->canTestRun());
        EXPECT_EQ(model->resultLine().kind, ScriptSlotEditorModel::ResultLine::Kind::none);  // cleared
        processes.exit(i, table[i].exit, table[i].out, table[i].err);
        EXPECT_FALSE(model->isRunning());
        EXPECT_EQ(model->resultLine().kind, table[i].kind);
        EXPECT_EQ(model->resultLine().text, table[i].text);
    }
    EXPECT_EQ(changes, 4);
    // Without osascript, AppleScript says it cannot run here.
    model->setLanguage(ScriptLanguage::appleScript);
    model->testRun([&] { ++changes; });
    processes.failToLaunch(4, "execve: No such file or directory");
    EXPECT_EQ(model->resultLine().text, "AppleScript cannot run here: this system has no interpreter for it.");
    // A run under way when the sheet lets go: its process is ended and its
    // outcome arrives nowhere.
    model->testRun([&] { ++changes; });
    const auto id = processes.runs().back().id;
    model.reset();
    EXPECT_EQ(processes.terminated(), std::vector<platform::ProcessRunner::Id>{id});
    processes.exit(5, 0, "late");
    EXPECT_EQ(changes, 5);
}

TEST(SnippetSheetModelTest, BodyIsSavedVerbatimAndMustHoldSomething) {
    SnippetSlotEditorModel model;
    EXPECT_EQ(model.sheetTitle(), "New Snippet");
    EXPECT_FALSE(model.canSave());
    model.title = " Sig ";
    for (const char* blank : {"", "  ", "\n\t\n"}) {
        model.body = blank;
        EXPECT_FALSE(model.canSave());
    }
    model.body = "  Best,\nMe\n";
    const auto saved = model.build();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->type, SlotType::snippet("  Best,\nMe\n"));
    EXPECT_EQ(saved->title, "Sig");
    const SnippetSlotEditorModel edit(*saved);
    EXPECT_EQ(edit.sheetTitle(), "Edit Snippet");
    EXPECT_EQ(edit.body, "  Best,\nMe\n");
    EXPECT_TRUE(SnippetSlotEditorModel(SlotConfig::make(SlotType::volumeScrub(), "V")).body.empty());
}

TEST(ProfileSwitchModelTest, TitleFallbackAndCaption) {
    for (auto [typed, saved] : {std::pair<const char*, const char*>{"", "Profiles"}, {" \t ", "Profiles"},
                               {" Work ", " Work "}}) {
        ProfileSwitchEditModel model;
        model.title = typed;
        const SlotConfig slot = model.build();
        EXPECT_EQ(slot.title, saved);
        EXPECT_EQ(slot.type, SlotType::profileSwitch());
        EXPECT_TRUE(slot.icon.isAuto());
    }
    EXPECT_EQ(ProfileSwitchEditModel::caption(0), "No profiles saved yet. Create one in Settings → Profiles.");
    EXPECT_EQ(ProfileSwitchEditModel::caption(1), "1 profile will appear in the switcher.");
    EXPECT_EQ(ProfileSwitchEditModel::caption(3), "3 profiles will appear in the switcher.");
    SlotConfig existing = SlotConfig::make(SlotType::profileSwitch(), "Mine", SlotIcon::monogram("P"));
    EXPECT_EQ(ProfileSwitchEditModel(existing).title, "Mine");
    EXPECT_EQ(ProfileSwitchEditModel(existing).sheetTitle(), "Edit Profile Switcher");
    EXPECT_EQ(ProfileSwitchEditModel(SlotConfig::make(SlotType::volumeScrub(), "V")).title, "");
    EXPECT_EQ(ProfileSwitchEditModel().sheetTitle(), "New Profile Switcher");
}

TEST(ParameterizedActionTest, CaptionAndPercent) {
    using namespace parameterized_action;
    EXPECT_EQ(caption(SystemAction::Kind::setVolume), "Volume");
    EXPECT_EQ(caption(SystemAction::Kind::setBrightness), "Brightness");
    EXPECT_EQ(caption(SystemAction::Kind::lockScreen), "Value");
    for (auto [level, text] : {std::pair<double, const char*>{0, "0%"}, {0.5, "50%"}, {1, "100%"}, {0.125, "13%"},
                              {1.5, "150%"}, {0.004, "0%"}})
        EXPECT_EQ(percentText(level), text) << level;
}

}  // namespace
}  // namespace orbel
