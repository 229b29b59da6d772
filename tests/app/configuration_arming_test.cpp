// What is published is what is armed: the activation, the music hot key and
// the tray follow a configuration whichever path published it.
#include <gtest/gtest.h>

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
}

// A tap key another client holds is not armed (a free chord is, meanwhile)
// and is told: in the settings window while it is open, else by the hot-key
// manager's alert.
TEST_F(ConfigurationArmingTest, ATakenKeyIsToldWhereTheUserLooks) {
    auto& m = openOn("ctrl+opt+o", "ctrl+opt+m");
    hotkeys.takenByOthers = {chord(key("ctrl+opt+u")), chord(key("ctrl+opt+k"))};
    savedOutside("ctrl+opt+u", "ctrl+opt+m");
    m.setDialSize(0.5);
    EXPECT_EQ(tapChord(), chord(HotkeyManager::fallbackHotkey()));
    ASSERT_TRUE(m.alert());
    EXPECT_EQ(m.alert()->kind, SettingsAlert::Kind::hotkeyConflict);
    EXPECT_EQ(m.conflictingHotkey(), key("ctrl+opt+u"));

    model.reset();
    live().flushSaves();
    savedOutside("ctrl+opt+k", "ctrl+opt+m");
    live().change([](AppConfig& c) { c.menuRadius = 200; });
    settle();
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].alert.title, "Hotkey Conflict Detected");
    EXPECT_NE(alerts.shown[0].alert.text.find("Until you do, Alt+Space opens the dial."), std::string::npos);
    EXPECT_EQ(tapChord(), chord(HotkeyManager::fallbackHotkey()));
}

// A tap key another client holds (Alt+Space, as a window manager holds it),
// stored with the window open by Tap, Hold, reopening and Tap, or by Reload
// of another program's save: a free chord opens the dial meanwhile and the
// window's alert names it; Cancel keeps it, a suggestion is stored instead.
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
        const auto armed = tapChord();
        ASSERT_TRUE(armed);
        const KeyCombination meanwhile{armed->first, armed->second, std::nullopt};
        ASSERT_TRUE(model->alert());
        EXPECT_NE(model->alert()->message.find("Until you do, " + meanwhile.displayString() + " opens the dial."),
                  std::string::npos) << model->alert()->message;
        const KeyCombination first = model->suggestedAlternatives().front();
        model->answerAlert(reload ? 0 : int(model->alert()->buttons.size()) - 1);  // a suggestion, or Cancel
        EXPECT_EQ(tapChord(), reload ? chord(first) : armed);
        EXPECT_EQ(live().config().activation.binding, HoldBinding::keyCombination(reload ? first : kOptSpace));
        hotkeys.takenByOthers.clear();
    }
}

}  // namespace
}  // namespace orbel::testing
