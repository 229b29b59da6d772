// The texts of the settings window and the alerts around it, word for word:
// a count of one is singular, each alert quotes a chord its own way, each
// confirmation of what cannot be undone says so in its own words, and
// nothing names a Mac-only tool or a way that is not the one Orbel offers.
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "app/configuration_alert.h"
#include "editor/picker_models.h"
#include "profiles/backup_restore_model.h"
#include "profiles/per_app_menus_model.h"
#include "profiles/profiles_tab_model.h"
#include "settings/update_checker.h"
#include "settings_fixture.h"
#include "sheets/group_editor_model.h"
#include "sheets/keystroke_slot_editor_model.h"
#include "sheets/slot_editor_model.h"
#include "sheets/slot_lists.h"
#include "slots/alert_utility.h"

namespace orbel::testing {
namespace {

class UserTextsTest : public SettingsFixture {};

TEST_F(UserTextsTest, CountsQuotesConfirmationsAndNamesReadAlike) {
    AppConfig oneSlot = AppConfig::defaultConfig();
    oneSlot.rootGroup.slots.resize(1);
    open(oneSlot);
    const QRegularExpression oneWithAPlural(QStringLiteral(R"(\b1 [a-z]+s\b)"));
    for (const std::string& text : {GroupEditorModel(groupOf(1), {}, true, 6).countText(),
                                    SlotEditorModel(live()).countText(),
                                    ProfilesTabModel::restoreSummary(RestoreStrategy::merge, 1, 1, 0),
                                    PerAppMenusModel::removeMessage("XTerm", 1)}) {
        EXPECT_FALSE(oneWithAPlural.match(QString::fromStdString(text)).hasMatch()) << text;
    }

    // The settings window's alerts quote a chord in curly quotes, the
    // conflict alert at start in straight ones.
    const KeyCombination chord{49, modifier::kOption, std::nullopt};
    EXPECT_EQ(PreferencesModel::conflictMessage(chord),
              "The hotkey \u2018Alt+Space\u2019 is already in use. Please choose an alternative:");
    EXPECT_EQ(PreferencesModel::musicTakenMessage(chord),
              "\u2018Alt+Space\u2019 is already in use. Pick a different shortcut for the music dial.");
    EXPECT_EQ(AlertUtility::hotkeyConflictText(chord, std::nullopt),
              "The hotkey combination 'Alt+Space' is already in use by another application or the system.\n\n"
              "Would you like to choose a different hotkey combination?");

    // Reset says "cannot"; deleting a profile and Replace say "can't".
    model->requestReset();
    EXPECT_EQ(alertText(),
              "This will remove your custom hotkey, dial slots, and appearance changes. This cannot be undone.");
    EXPECT_EQ(ProfilesTabModel::deleteMessage("Work"), "\"Work\" will be permanently removed. This can't be undone.");
    EXPECT_EQ(std::string(BackupRestoreModel::kReplaceText),
              "Deletes every saved profile, then restores from the backup. Live config and active profile are "
              "overwritten too. This can't be undone.");

    // The popover offers a Keystroke; its sheet edits a macro.
    const auto& options = editor::addSlotOptions();
    ASSERT_EQ(options.front().id, editor::AddSlotKind::keystroke);
    EXPECT_EQ(options.front().title, "Keystroke");
    EXPECT_EQ(KeystrokeSlotEditorModel().sheetTitle(), "New Macro");
    EXPECT_EQ(KeystrokeSlotEditorModel(SlotConfig::make(SlotType::snippet("x"), "S", SlotIcon::automatic())).sheetTitle(),
              "Edit Macro");
    for (const auto& option : options) EXPECT_EQ(option.subtitle.find("AppleScript"), std::string::npos);

    // A check a moment ago counts its seconds; the network's own reason is
    // not given.
    EXPECT_EQ(UpdateChecker::helpText(1700000000, 1700000000), "Last checked 0 seconds ago.");
    EXPECT_FALSE(UpdateChecker::unreachableText().contains(QLatin1Char(':')));
    // A rejected file is taken up again by Reload, not by a new start.
    ConfigManager::LoadNotice rejected;
    rejected.file = "/home/ann/.config/orbel/config.json";
    const std::string notice = configurationAlert(rejected).text;
    EXPECT_EQ(notice.find("start Orbel again"), std::string::npos) << notice;
    EXPECT_NE(notice.find("choose Reload"), std::string::npos) << notice;
}

}  // namespace
}  // namespace orbel::testing
