// The texts of the settings window and the alerts around it held to one
// style: a count of one is singular, chords are quoted alike, every
// confirmation of what cannot be undone says so the same way, the names of a
// kind of slot agree, and nothing names a Mac-only tool or a way that is not
// the one Orbel offers.
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
        EXPECT_EQ(text.find("on collision"), std::string::npos) << text;
    }

    const KeyCombination chord{49, modifier::kOption, std::nullopt};
    const std::string quoted = "\u2018" + chord.displayString() + "\u2019";
    for (const std::string& text : {PreferencesModel::conflictMessage(chord), PreferencesModel::musicTakenMessage(chord),
                                    AlertUtility::hotkeyConflictText(chord, std::nullopt)})
        EXPECT_NE(text.find(quoted), std::string::npos) << text;

    model->requestReset();
    for (const std::string& text : {alertText(), ProfilesTabModel::deleteMessage("Work"),
                                    PerAppMenusModel::removeMessage("XTerm", 2),
                                    std::string(BackupRestoreModel::kReplaceText)})
        EXPECT_NE(text.find("This can't be undone."), std::string::npos) << text;

    // The popover's kinds and the sheets they open go by the same name.
    const auto& options = editor::addSlotOptions();
    ASSERT_EQ(options.front().id, editor::AddSlotKind::keystroke);
    EXPECT_EQ(KeystrokeSlotEditorModel().sheetTitle(), "New " + options.front().title);
    for (const auto& option : options) EXPECT_EQ(option.subtitle.find("AppleScript"), std::string::npos);

    // Seconds are not counted, nor is the network's own reason given.
    EXPECT_EQ(UpdateChecker::helpText(1700000000, 1700000000), "Last checked just now.");
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
