#include <gtest/gtest.h>

#include "fakes/fake_alerts.h"
#include "fakes/fake_platform_basics.h"
#include "fakes/replace_shared.h"
#include "slots/alert_utility.h"

namespace orbel {
namespace {

using platform::AlertStyle;

class AlertUtilityTest : public ::testing::Test {
protected:
    fakes::Installed<fakes::FakeAlerts, platform::Alerts> alerts;
    fakes::Installed<fakes::FakeMainQueue, platform::MainQueue> mainQueue;
};

TEST_F(AlertUtilityTest, ShowOnceShowsEachKeyOnlyOncePerRun) {
    AlertUtility::showOnce("test.once.a", "Title A", "Message A");
    AlertUtility::showOnce("test.once.a", "Title A", "Message A");  // the first is still on screen
    ASSERT_EQ(alerts.shown.size(), 1u);
    alerts.dismiss(0);
    AlertUtility::showOnce("test.once.a", "Title A", "Message A");  // and after it was closed
    AlertUtility::showOnce("test.once.b", "Title B", "Message B");
    ASSERT_EQ(alerts.shown.size(), 2u);

    EXPECT_EQ(alerts.shown[0].alert, (platform::Alert{"Title A", "Message A", AlertStyle::informational, {"OK"}, ""}));
}

TEST_F(AlertUtilityTest, ErrorAlertIsCriticalAndReportsItsDismissal) {
    bool dismissed = false;
    AlertUtility::showError("Script slot \"Build\" failed", "Exit 2\n", [&] { dismissed = true; });
    AlertUtility::showError("Cannot switch profile", "The configuration manager is unavailable.");
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[0].alert,
              (platform::Alert{"Script slot \"Build\" failed", "Exit 2\n", AlertStyle::critical, {"OK"}, ""}));
    EXPECT_FALSE(dismissed) << "the alert does not block and has not been closed yet";
    alerts.dismiss(0);
    EXPECT_TRUE(dismissed);
    alerts.dismiss(1);  // no completion given
}

// Whatever shows it, an alert first runs the hook that closes the dial,
// so the dial never covers it; the first dial waits for every open alert.
TEST_F(AlertUtilityTest, EveryAlertRunsTheBeforeShowHookFirst) {
    std::vector<std::size_t> shownAtHook;
    platform::Alerts::setBeforeShow([&] { shownAtHook.push_back(alerts.shown.size()); });
    AlertUtility::showError("No profiles saved", "Create a profile first.");
    AlertUtility::showOnce("test.hook", "Title", "Message");
    AlertUtility::showHotkeyConflict({49, modifier::kOption, std::nullopt}, {});
    platform::Alerts::setBeforeShow({});
    AlertUtility::showError("After", "No hook any more.");
    EXPECT_EQ(shownAtHook, (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(alerts.shown.size(), 4u);

    // Work waiting for the alerts (the first dial) runs once all are answered.
    int ran = 0;
    alerts.whenNoneOpen([&] { ++ran; });
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ran, 0);
        alerts.dismiss(i, 1);
    }
    EXPECT_EQ(ran, 1);
    alerts.whenNoneOpen([&] { ++ran; });
    EXPECT_EQ(ran, 2) << "none open: at once";
}

// A slot fired over and over while its alert is up stacks no copies: the
// one open answers every caller, and once it is closed the alert can come
// again. A different text is a different alert.
TEST_F(AlertUtilityTest, AnAlertEqualToOneOpenIsNotShownAgain) {
    int hooks = 0;
    platform::Alerts::setBeforeShow([&] { ++hooks; });
    std::vector<int> answered;
    for (int i = 0; i < 33; ++i) AlertUtility::showError("No profiles saved", "Create one.", [&, i] { answered.push_back(i); });
    AlertUtility::showError("No profiles saved", "Another text.");
    platform::Alerts::setBeforeShow({});
    EXPECT_EQ(hooks, 34) << "the dial still closes each time";
    ASSERT_EQ(alerts.shown.size(), 2u);
    int ran = 0;
    alerts.whenNoneOpen([&] { ++ran; });
    alerts.dismiss(0);
    EXPECT_EQ(answered.size(), 33u);
    EXPECT_EQ(ran, 0) << "the other one is still open";
    AlertUtility::showError("No profiles saved", "Create one.");
    EXPECT_EQ(alerts.shown.size(), 3u) << "closed: shown again";
    alerts.dismiss(1);
    alerts.dismiss(2);
    EXPECT_EQ(ran, 1);
}

TEST_F(AlertUtilityTest, HotkeyConflictNamesTheCombinationAndAnswersTheChoice) {
    const KeyCombination optionSpace{49, modifier::kOption, std::nullopt};
    std::vector<bool> answers;
    for (int button : {0, 1}) {
        AlertUtility::showHotkeyConflict(optionSpace, [&](bool chosen) { answers.push_back(chosen); });
        alerts.dismiss(alerts.shown.size() - 1, button);
    }
    EXPECT_EQ(answers, (std::vector<bool>{true, false}));

    const platform::Alert& shown = alerts.shown[0].alert;
    EXPECT_EQ(shown.title, "Hotkey Conflict Detected");
    EXPECT_EQ(shown.text, "The hotkey combination 'Alt+Space' is already in use by another application or the system."
                          "\n\nWould you like to choose a different hotkey combination?");
    EXPECT_EQ(shown.buttons, (std::vector<std::string>{"Choose Different Hotkey", "Cancel"}));
    EXPECT_EQ(shown.style, AlertStyle::warning);
    EXPECT_EQ(shown.footnote, "Tip: Try using different modifier keys like Ctrl+Alt+Space or Alt+Super+Space");
}

TEST(CarbonModifiers, EventFlagsAndQtModifiers) {
    struct Case {
        std::uint64_t flags;
        std::uint32_t carbon;
    };
    const Case cases[] = {
        {eventflag::kControl | eventflag::kOption | eventflag::kShift | eventflag::kCommand, 0x1B00},
        {eventflag::kFunction | eventflag::kNumericPad | eventflag::kHelp | eventflag::kControl, 0x1000},
        {(std::uint64_t{1} << 32) | eventflag::kOption, 0x800},  // only the low 32 bits count
    };
    for (const Case& c : cases) EXPECT_EQ(carbonModifiers(c.flags), c.carbon) << std::hex << c.flags;

    EXPECT_EQ(carbonModifiersFromQt(Qt::MetaModifier | Qt::ShiftModifier), 0x300u);
    EXPECT_EQ(carbonModifiersFromQt(Qt::ControlModifier | Qt::AltModifier | Qt::KeypadModifier), 0x1800u);
}

}  // namespace
}  // namespace orbel
