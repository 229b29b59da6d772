// What is published is what is armed: the activation, the music hot key and
// the tray follow a configuration whichever path published it.
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "slots/alert_utility.h"

#include "settings/settings_fixture.h"

namespace orbel::testing {
namespace {

KeyCombination key(const char* text) { return *KeyCombination::parse(text); }

class ConfigurationArmingTest : public SettingsFixture {
protected:
    PreferencesModel& openOn(const char* hotkey, const char* music) {
        AppConfig c = AppConfig::defaultConfig();
        c.activation = ActivationMode::tap(HoldBinding::keyCombination(key(hotkey)));
        c.musicHotkey = key(music);
        auto& m = open(c);
        live().flushSaves();
        settle();  // the tray's icon is made
        return m;
    }
    void savedOutside(const char* hotkey, const char* music) {
        writeFile(configPath(), std::string(R"({"version":1,"hotkey":")") + hotkey + R"(","musicHotkey":")" + music +
                                    R"(","showInTray":false})");
    }
    std::optional<Chord> musicChord() const { return hotkeys.chordOf(HotkeyManager::kMusicId); }
};

// Another program swapped the two keys and hid the tray; a change of the
// dial's size takes its save in.
TEST_F(ConfigurationArmingTest, AnOutsideSaveTakenInByAChangeIsArmedAndWhatWasArmedGoes) {
    auto& m = openOn("ctrl+opt+o", "ctrl+opt+u");
    ASSERT_EQ(tapChord(), chord(key("ctrl+opt+o")));
    ASSERT_EQ(trayItems.live, 1);
    savedOutside("ctrl+opt+u", "ctrl+opt+o");
    m.setDialSize(0.5);
    ASSERT_EQ(live().config().activation, ActivationMode::tap(HoldBinding::keyCombination(key("ctrl+opt+u"))));
    EXPECT_EQ(tapChord(), chord(key("ctrl+opt+u")));
    EXPECT_EQ(musicChord(), chord(key("ctrl+opt+o")));
    EXPECT_EQ(hotkeys.registered.size(), 2u);
    EXPECT_EQ(trayItems.live, 0);
    settle();
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_FALSE(m.alert());

    // An edit of anything else registers nothing.
    const int registrations = hotkeys.registrations;
    m.setDialSize(0.7);
    EXPECT_EQ(hotkeys.registrations, registrations);

    // Published while a binding is recorded: armed once the recording ends.
    m.setRecordingHoldBinding(true);
    live().flushSaves();
    savedOutside("ctrl+opt+j", "ctrl+opt+o");
    m.setDialSize(0.5);
    EXPECT_FALSE(tapChord());
    m.setRecordingHoldBinding(false);
    EXPECT_EQ(tapChord(), chord(key("ctrl+opt+j")));

    // The settings model goes while a binding is recorded, as at the
    // application's teardown: nothing is armed from its destructor.
    m.setRecordingHotkey(true);
    const int before = hotkeys.registrations;
    model.reset();
    EXPECT_EQ(hotkeys.registrations, before);
}

// A tap key another client holds is not armed and is told: in the settings
// window while it is open, else by the hot-key manager's alert. Nothing is
// armed while the alert is up; its Cancel arms Option+Space.
TEST_F(ConfigurationArmingTest, ATakenKeyIsToldWhereTheUserLooks) {
    auto& m = openOn("ctrl+opt+o", "ctrl+opt+m");
    hotkeys.takenByOthers = {chord(key("ctrl+opt+u")), chord(key("ctrl+opt+k"))};
    savedOutside("ctrl+opt+u", "ctrl+opt+m");
    m.setDialSize(0.5);
    EXPECT_FALSE(tapChord());
    ASSERT_TRUE(m.alert());
    EXPECT_EQ(m.alert()->kind, SettingsAlert::Kind::hotkeyConflict);
    EXPECT_EQ(m.alert()->message, "The hotkey ‘Ctrl+Alt+U’ is already in use. Please choose an alternative:");
    EXPECT_EQ(m.conflictingHotkey(), key("ctrl+opt+u"));
    m.answerAlert(int(m.alert()->buttons.size()) - 1);  // Cancel
    EXPECT_EQ(tapChord(), chord(HotkeyManager::fallbackHotkey()));

    model.reset();
    live().flushSaves();
    savedOutside("ctrl+opt+k", "ctrl+opt+m");
    live().change([](AppConfig& c) { c.menuRadius = 200; });
    settle();
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].alert.title, "Hotkey Conflict Detected");
    EXPECT_EQ(alerts.shown[0].alert.text, "The hotkey combination 'Ctrl+Alt+K' is already in use by another "
                                          "application or the system.\n\nWould you like to choose a different "
                                          "hotkey combination?");
    EXPECT_FALSE(tapChord());
    alerts.dismiss(0, 1);  // Cancel
    EXPECT_EQ(tapChord(), chord(HotkeyManager::fallbackHotkey()));
}

// A tap key another client holds (Alt+Space, as a window manager holds it),
// stored with the window open by Tap, Hold, reopening and Tap, or by Reload
// of another program's save: nothing is armed while the window's alert is
// up, which names the free chord its Cancel arms; a suggestion is stored
// instead.
TEST_F(ConfigurationArmingTest, ATakenKeyLeavesAChordTheAlertNamesOpeningTheDial) {
    for (const bool reload : {false, true}) {
        SCOPED_TRACE(reload ? "Reload" : "Tap, Hold, reopen, Tap");
        auto& m = openOn("ctrl+opt+o", "ctrl+opt+m");
        hotkeys.takenByOthers = {chord(kOptSpace), chord(key("ctrl+opt+k"))};
        if (reload) {
            savedOutside("ctrl+opt+k", "ctrl+opt+m");
            m.reloadConfig();
        } else {
            m.setHoldMode(true);
            model.reset();
            open().setHoldMode(false);
        }
        EXPECT_FALSE(tapChord());
        ASSERT_TRUE(model->alert());
        const KeyCombination first = model->suggestedAlternatives().front();
        EXPECT_NE(model->alert()->message.find("If you cancel, " + first.displayString() + " opens the dial instead."),
                  std::string::npos) << model->alert()->message;
        model->answerAlert(reload ? 0 : int(model->alert()->buttons.size()) - 1);  // a suggestion, or Cancel
        EXPECT_EQ(tapChord(), chord(first));
        EXPECT_EQ(live().config().activation.binding, HoldBinding::keyCombination(reload ? first : kOptSpace));
        hotkeys.takenByOthers.clear();
    }
}

// Told by the hot-key manager's alert while Alt+Space is the window
// manager's: nothing is armed while it is up, and it names the chord its
// Cancel would arm. "Choose Different Hotkey" registers nothing, nor does
// the taken key recorded then, while the window's alert tells it; the
// window that was to rebind, closed without a new key, arms that chord and
// a notice names it, once.
TEST_F(ConfigurationArmingTest, ARebindLeftWithoutANewKeyArmsTheFreeChordAndSaysWhich) {
    const KeyCombination altShiftK = key("opt+shift+k");
    hotkeys.takenByOthers = {chord(key("ctrl+opt+k")), chord(kOptSpace)};
    AppConfig stored = AppConfig::defaultConfig();
    stored.activation = ActivationMode::tap(HoldBinding::keyCombination(key("ctrl+opt+k")));
    open(stored);
    model.reset();  // a launch: no window
    settle();
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_NE(alerts.shown[0].alert.text.find("If you cancel, Alt+Shift+K opens the dial instead."),
              std::string::npos) << alerts.shown[0].alert.text;
    EXPECT_FALSE(tapChord());
    QSignalSpy rebind(&hotkeyManager, &HotkeyManager::rebindRequested);
    alerts.dismiss(0, 0);
    ASSERT_EQ(rebind.count(), 1);
    EXPECT_FALSE(tapChord());
    auto& window = open();
    window.beginRebind();
    // The taken key recorded: told in the window, and still nothing armed.
    window.setRecordingHotkey(false);
    window.tapBindingCaptured(HoldBinding::keyCombination(key("ctrl+opt+k")));
    settle();
    ASSERT_TRUE(window.alert());
    EXPECT_FALSE(tapChord());
    window.answerAlert(int(window.alert()->buttons.size()) - 2);  // Choose Custom
    ASSERT_TRUE(window.isRecordingHotkey());
    window.endRecordings();
    settle();
    EXPECT_EQ(tapChord(), chord(altShiftK));
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[1].alert.text, AlertUtility::alternativeText(key("ctrl+opt+k"), altShiftK));
    window.setRecordingHotkey(true);
    window.setRecordingHotkey(false);
    settle();
    EXPECT_EQ(tapChord(), chord(altShiftK));
    EXPECT_EQ(alerts.shown.size(), 2u) << "told once";
}

}  // namespace
}  // namespace orbel::testing
