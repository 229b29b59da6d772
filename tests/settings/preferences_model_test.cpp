#include <QSignalSpy>
#include <QUrlQuery>
#include <cmath>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "settings/about_info.h"
#include "model/appearance_settings.h"
#include "fakes/fake_timers.h"
#include "settings_fixture.h"

namespace orbel::testing {
namespace {

using Kind = SettingsAlert::Kind;
const HoldBinding kMouse3 = HoldBinding::mouseButton(3);
const HoldBinding kHidpp = HoldBinding::hidppButton(0xB034, 0xC3);

AppConfig withActivation(ActivationMode mode, std::optional<KeyCombination> music = std::nullopt) {
    AppConfig c = AppConfig::defaultConfig();
    c.activation = mode;
    c.musicHotkey = music;
    return c;
}

struct DraftCase {
    const char* name;
    ActivationMode stored;
    std::optional<KeyCombination> music;
    bool hold;
    std::optional<HoldBinding> holdBinding;
    HoldBinding tapBinding;
    KeyCombination currentHotkey;
};

void PrintTo(const DraftCase& c, std::ostream* os) { *os << c.name; }

class Drafts : public SettingsFixture, public ::testing::WithParamInterface<DraftCase> {};

TEST_P(Drafts, AreLoadedFromTheStoredActivation) {
    const auto& c = GetParam();
    auto& m = open(withActivation(c.stored, c.music));
    EXPECT_EQ(m.isHoldMode(), c.hold);
    EXPECT_EQ(m.holdBinding(), c.holdBinding);
    EXPECT_EQ(m.tapBinding(), c.tapBinding);
    EXPECT_EQ(m.currentHotkey(), c.currentHotkey);
    EXPECT_EQ(m.musicHotkeyIsBound(), c.music.has_value());
    EXPECT_EQ(m.musicHotkeyDraft(), c.music.value_or(kOptSpace));
}

const auto kOptSpaceBinding = HoldBinding::keyCombination(kOptSpace);
INSTANTIATE_TEST_SUITE_P(
    Settings, Drafts,
    ::testing::Values(
        DraftCase{"tap_key", ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO)), kShiftA, false, std::nullopt,
                  HoldBinding::keyCombination(kCtrlOptO), kCtrlOptO},
        DraftCase{"tap_mouse", ActivationMode::tap(kMouse3), std::nullopt, false, std::nullopt, kMouse3, kOptSpace},
        DraftCase{"hold_key", ActivationMode::hold(HoldBinding::keyCombination(kCtrlOptO)), std::nullopt, true,
                  HoldBinding::keyCombination(kCtrlOptO), kOptSpaceBinding, kOptSpace},
        DraftCase{"hold_hidpp", ActivationMode::hold(kHidpp), kCtrlOptO, true, kHidpp, kOptSpaceBinding, kOptSpace}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFixture, HoldBeforeAnyHoldBindingStoresHoldOfTheTapBindingAndRecordingSuspends) {
    auto& m = open(withActivation(ActivationMode::tap(kMouse3)));
    m.setHoldMode(true);
    EXPECT_EQ(live().config().activation, ActivationMode::hold(kMouse3));
    EXPECT_EQ(hotkeyManager.armedHoldBinding(), kMouse3);

    m.tapBindingCaptured(HoldBinding::keyCombination(kCtrlOptO));  // stored as tap, drafts stay in hold
    m.setHoldMode(false);
    ASSERT_EQ(tapChord(), chord(kCtrlOptO));
    for (auto set : {&PreferencesModel::setRecordingHotkey, &PreferencesModel::setRecordingHoldBinding,
                     &PreferencesModel::setRecordingMusicHotkey}) {
        (m.*set)(true);
        EXPECT_FALSE(tapChord());
        (m.*set)(false);
        EXPECT_EQ(tapChord(), chord(kCtrlOptO));
    }
}

TEST_F(SettingsFixture, TheFieldsShowWhatIsStored) {
    auto& m = open(withActivation(ActivationMode::tap(kMouse3)));
    EXPECT_FALSE(m.holdBinding());
    m.setHoldMode(true);
    EXPECT_EQ(m.holdBinding(), kMouse3) << "the hold field shows the key Hold now uses";
    m.setHoldMode(false);
    EXPECT_EQ(m.tapBinding(), kMouse3);

    m.musicHotkeyCaptured(kShiftA);
    AppConfig elsewhere = live().config();  // stored by another screen, a profile switch, a reload
    elsewhere.musicHotkey = kCtrlOptO;
    live().setConfig(elsewhere);
    EXPECT_EQ(m.musicHotkeyDraft(), kCtrlOptO);
    EXPECT_TRUE(m.musicHotkeyIsBound());
    m.setRecordingMusicHotkey(true);
    elsewhere.musicHotkey.reset();
    live().setConfig(elsewhere);
    EXPECT_EQ(m.musicHotkeyDraft(), kCtrlOptO) << "a recording keeps what it shows";
    m.setRecordingMusicHotkey(false);
    m.setHoldMode(true);
    m.setHoldMode(false);
    EXPECT_FALSE(m.musicHotkeyIsBound()) << "after Hold and back, the music field shows what is stored";
}

TEST_F(SettingsFixture, ATakenChordOffersAtMostThreeSuggestionsAndChangesNothing) {
    auto& m = open(withActivation(ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO))));
    const KeyCombination taken{0, modifier::kCommand | modifier::kShift, std::nullopt};
    hotkeys.takenByOthers.insert(chord(taken));
    const std::string before = live().config().encodeDocument();
    m.tapBindingCaptured(HoldBinding::keyCombination(taken));
    ASSERT_TRUE(m.alert());
    EXPECT_EQ(m.alert()->kind, Kind::hotkeyConflict);
    EXPECT_EQ(m.alert()->message, PreferencesModel::conflictMessage(taken));
    EXPECT_EQ(m.suggestedAlternatives().size(), 5u);
    EXPECT_EQ(m.alert()->buttons.size(), 3u + 2u);
    EXPECT_EQ(live().config().encodeDocument(), before);

    // Two rebind requests: the alert shows the latest.
    Q_EMIT hotkeyManager.rebindRequested(kShiftA);
    hotkeys.refuseAll = true;
    Q_EMIT hotkeyManager.rebindRequested(kOptSpace);
    EXPECT_EQ(m.conflictingHotkey(), kOptSpace);
    EXPECT_EQ(m.suggestedAlternatives(), PreferencesModel::fallbackAlternatives());
    EXPECT_EQ(alertText(), PreferencesModel::conflictMessage(kOptSpace));

    hotkeys.refuseAll = false;
    m.answerAlert(1);  // the second suggestion: Ctrl+Alt+Space
    EXPECT_EQ(live().config().activation.binding, HoldBinding::keyCombination({49, 0x1800, std::nullopt}));
    EXPECT_EQ(tapChord(), (Chord{49, 0x1800}));

    m.showConflict(kOptSpace);
    m.answerAlert(3);  // "Choose Custom"
    EXPECT_TRUE(m.isRecordingHotkey());
}

TEST_F(SettingsFixture, MusicKeyTakenOrEqualToTheActivationIsRefused) {
    auto& m = open(withActivation(ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO))));
    m.beginMusicHotkeyRecording();
    settle();
    EXPECT_TRUE(m.isRecordingMusicHotkey());
    m.setRecordingMusicHotkey(false);
    m.musicHotkeyCaptured(kCtrlOptO);
    ASSERT_TRUE(m.alert());
    EXPECT_EQ(m.alert()->kind, Kind::hotkeyError);
    EXPECT_EQ(alertText(), "‘" + kCtrlOptO.displayString() +
                               "’ is already in use. Pick a different shortcut for the music dial.");
    EXPECT_FALSE(live().config().musicHotkey);
    EXPECT_FALSE(m.musicHotkeyIsBound());

    m.musicHotkeyCaptured(kShiftA);
    EXPECT_EQ(live().config().musicHotkey, kShiftA);
    m.musicHotkeyCaptured(kShiftA);  // its own key again is not "taken"
    EXPECT_EQ(m.alert()->kind, Kind::hotkeyError);  // still the earlier alert, no new one
    m.clearMusicHotkey();
    EXPECT_FALSE(live().config().musicHotkey);
}

TEST_F(SettingsFixture, ResetAndReloadRearmWhatTheyLoad) {
    auto& m = open(withActivation(ActivationMode::hold(kMouse3), kShiftA));
    m.requestReset();
    EXPECT_EQ(live().config().activation, ActivationMode::hold(kMouse3));  // nothing before the answer
    m.answerAlert(0);
    EXPECT_EQ(live().config().activation, AppConfig::defaultConfig().activation);
    EXPECT_EQ(tapChord(), chord(kOptSpace));
    EXPECT_FALSE(hotkeyManager.armedHoldBinding());
    EXPECT_FALSE(m.isHoldMode());
    EXPECT_EQ(m.musicHotkeyDraft(), AppConfig::defaultConfig().musicHotkey);

    // Six per-app dials: five named, then how many more.
    AppConfig many;
    for (const char* id : {"a", "b", "c", "d", "e", "f"}) many.appOverrides[id].slots.emplace();
    live().setConfig(many);
    m.setAppNames([](const std::string& id) { return id == "a" ? std::optional<std::string>("Alpha") : std::nullopt; });
    EXPECT_EQ(m.resetMessage(), "This will remove your custom hotkey, dial slots, and appearance changes, and the "
                                "per-app dials for Alpha, b, c, d, e and 1 more. This cannot be undone.");

    // An outside edit, then Reload.
    live().flushSaves();
    writeFile(configPath(), R"({"version":1,"hotkey":"ctrl+opt+o","musicHotkey":"shift+a"})");
    m.reloadConfig();
    EXPECT_EQ(tapChord(), chord(kCtrlOptO));
    EXPECT_EQ(m.currentHotkey(), kCtrlOptO);
    EXPECT_EQ(m.musicHotkeyDraft(), kShiftA);

    // Reset while another client holds Option+Space offers the alternatives;
    // the first opens the dial once the alert is cancelled.
    hotkeys.takenByOthers.insert(chord(kOptSpace));
    m.resetAllSettings();
    EXPECT_FALSE(tapChord());
    ASSERT_TRUE(m.alert());
    EXPECT_EQ(m.alert()->kind, Kind::hotkeyConflict);
    m.answerAlert(int(m.alert()->buttons.size()) - 1);
    EXPECT_EQ(tapChord(), chord({49, modifier::kOption | modifier::kShift, std::nullopt}));
}

// Reload moments after another program saved a file that does not read at
// once (a level of seven slots is cut): the hot key armed is the one read
// once the file is quiet, also when the window has closed by then.
class ReloadWhileWritten : public SettingsFixture {
protected:
    ~ReloadWhileWritten() override {
        model.reset();
        manager.reset();  // before the timers
    }
    // Another program's save with this hot key and a level of seven slots.
    void savedOutside(const char* hotkey) {
        std::string menu;
        for (int i = 0; i < 7; ++i) menu += std::string(i ? "," : "") + R"({"snippet": "s", "title": "S"})";
        writeFile(configPath(), std::string(R"({"hotkey": ")") + hotkey + R"(", "menu": [)" + menu + "]}");
        const double at = clock.seconds;  // saved moments ago by the clock
        const timespec t{time_t(at), long((at - std::floor(at)) * 1e9)};
        const timespec times[2] = {t, t};
        ASSERT_EQ(::utimensat(AT_FDCWD, configPath().c_str(), times, 0), 0);
    }
    bool now = (clock.seconds = secondsNow(), true);
    fakes::FakeTimers timers{&clock};
    fakes::ReplaceShared<platform::Timers> useTimers{timers};
};

TEST_F(ReloadWhileWritten, ArmsTheHotKeyItReadsOnceTheFileIsRead) {
    auto& m = open(withActivation(ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO))));
    const auto armedKey = [&] { return chord(*live().config().activation.binding.asKeyCombination()); };
    savedOutside("ctrl+opt+p");
    m.reloadConfig();
    EXPECT_EQ(tapChord(), chord(kCtrlOptO));  // what was armed stays while the file is written
    timers.advance(std::chrono::seconds(10));
    ASSERT_FALSE(live().waitingForQuiet());
    EXPECT_EQ(live().config().rootGroup.slots.size(), 6u);
    EXPECT_EQ(armedKey(), chord(*KeyCombination::parse("ctrl+opt+p")));
    EXPECT_EQ(tapChord(), armedKey());
    EXPECT_EQ(m.currentHotkey(), *live().config().activation.binding.asKeyCombination());

    const auto first = armedKey();
    savedOutside("ctrl+opt+q");
    m.reloadConfig();
    model.reset();
    timers.advance(std::chrono::seconds(10));
    EXPECT_FALSE(live().waitingForQuiet());
    EXPECT_NE(armedKey(), first);
    EXPECT_EQ(armedKey(), chord(*KeyCombination::parse("ctrl+opt+q")));
    EXPECT_EQ(tapChord(), armedKey());
}

TEST_F(SettingsFixture, BackToTapAfterReloadRestoresTheTapKeyTheWindowKnew) {
    auto& m = open(withActivation(ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO))));
    m.setHoldMode(true);
    live().flushSaves();
    m.reloadConfig();
    EXPECT_TRUE(m.isHoldMode());
    EXPECT_EQ(m.tapBinding(), HoldBinding::keyCombination(kCtrlOptO));
    m.setHoldMode(false);
    EXPECT_EQ(live().config().activation, ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO)));
    EXPECT_EQ(tapChord(), chord(kCtrlOptO));
    EXPECT_FALSE(m.alert());
}

TEST_F(SettingsFixture, DraftsFollowAConfigurationReplacedUnderTheWindow) {
    auto& m = open(withActivation(ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO)), kShiftA));
    QSignalSpy changed(&m, &PreferencesModel::changed);
    // Another profile (or an outside edit) comes in: hold on mouse 3, no music key.
    live().flushSaves();
    writeFile(configPath(), R"({"version":1,"holdActivation":{"kind":"mouseButton","button":3}})");
    live().load();
    EXPECT_GE(changed.count(), 1);
    EXPECT_TRUE(m.isHoldMode());
    EXPECT_EQ(m.holdBinding(), kMouse3);
    EXPECT_FALSE(m.musicHotkeyIsBound());
    // Going back to Tap writes the tap key into the new configuration, not
    // the old configuration's activation and music key.
    m.setHoldMode(false);
    EXPECT_EQ(live().config().activation, ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO)));
    EXPECT_FALSE(live().config().musicHotkey);
}

TEST_F(SettingsFixture, InvalidChangesAreRefusedWithTheirMessageAndColoursAreNormalised) {
    auto& m = open();
    const std::string before = live().config().encodeDocument();
    m.tapBindingCaptured(HoldBinding::mouseButton(0));
    ASSERT_TRUE(m.alert());
    EXPECT_EQ(m.alert()->kind, Kind::saveRefused);
    EXPECT_EQ(alertText(), ConfigError::invalidHotkey().what());
    EXPECT_EQ(live().config().encodeDocument(), before);

    struct {
        const char* typed;
        std::optional<std::string> stored;
    } const colours[] = {{" ff7a59\n", "#FF7A59"}, {"#2d9cdb", "#2D9CDB"}, {"##12", std::nullopt},
                         {"fff", std::nullopt},    {"#FF7A59AA", std::nullopt}};
    for (const auto& c : colours) {
        live().setConfig(AppConfig::defaultConfig());
        EXPECT_EQ(m.setBackdropColor(c.typed), c.stored.has_value()) << c.typed;
        EXPECT_EQ(live().config().appearance.backdropColor, c.stored) << c.typed;
    }
    m.setSlotColor(std::nullopt);
    EXPECT_FALSE(live().config().appearance.slotColor);
}

TEST_F(SettingsFixture, ImportErrorsAreShownAndClearedByOKAndBackupsShowProfiles) {
    import.setErrorMessage("The backup is damaged.");
    auto& m = open();
    ASSERT_TRUE(m.alert());
    EXPECT_EQ(m.alert()->kind, Kind::importFailed);
    m.answerAlert(0);
    EXPECT_FALSE(import.errorMessage());
    EXPECT_FALSE(m.alert());
    // A backup handed over shows the Profiles tab.
    import.setPendingBackup(BackupRestoreSheetItem{Uuid::random(), {}, "/tmp/Shared.orbelbackup"});
    EXPECT_EQ(m.selectedTab(), SettingsTab::profiles);
}

TEST(AppearanceSettings, DialSizeAndRadius) {
    using namespace appearance_settings;
    const std::pair<double, double> sizes[] = {{50, 0},  {100, 0},  {200, 5},    {205, 5.5},
                                               {300, 10}, {450, 10}, {NAN, 10}, {-INFINITY, 0}};
    for (auto [radius, size] : sizes) EXPECT_EQ(dialSizeFromRadius(radius), size) << radius;
    const std::pair<double, double> radii[] = {{-1, 100}, {0, 100}, {7.5, 250}, {10, 300}, {12, 300}};
    for (auto [size, radius] : radii) EXPECT_EQ(radiusFromDialSize(size), radius) << size;
    EXPECT_EQ(dialSizeText(5), "5.0");
    EXPECT_EQ(percentText(0.55), "55%");
    EXPECT_EQ(multiplierText(0), "0.00×");
}

TEST(AppearanceSettings, RowsFollowBackdropAndSlotStyle) {
    using appearance_settings::Row;
    auto labels = [](Backdrop backdrop, SlotStyle style) {
        AppearanceConfig a;
        a.backdrop = backdrop;
        a.slotStyle = style;
        std::vector<std::string> out;
        for (const auto& r : appearance_settings::rows(a)) out.push_back(r.label + "|" + r.help.value_or("-"));
        return out;
    };
    EXPECT_EQ(labels(Backdrop::liquidGlass, SlotStyle::liquidGlass).size(), 5u);
    const auto filled = labels(Backdrop::filled, SlotStyle::filled);
    ASSERT_EQ(filled.size(), 8u);
    EXPECT_EQ(filled[2], "Backdrop Opacity|How opaque the solid color is.");
    EXPECT_EQ(filled[3], "Backdrop Color|-");
    EXPECT_EQ(filled[5], "Slot Color|-");
    EXPECT_EQ(labels(Backdrop::translucent, SlotStyle::normal)[2],
              "Backdrop Opacity|How visible the frosted glass is.");
}

TEST(AboutInfo, VersionLinksAndAcknowledgements) {
    EXPECT_EQ(about_info::versionLine("1.2", "45"), "Version 1.2 (45)");
    const QUrl feedback = about_info::feedbackUrl(QUrl("https://example.org/orbel"), "1.2", "45");
    EXPECT_EQ(feedback.path(), "/orbel/feedback");
    EXPECT_EQ(QUrlQuery(feedback).queryItemValue("v", QUrl::FullyDecoded), "1.2 (45)");
    EXPECT_EQ(about_info::siteLink(QUrl("https://example.org/"), "terms").toString(), "https://example.org/terms");

    auto entry = [](const char* name, int n) { return IconPackManifestEntry{IconPack{name}, name, std::nullopt, n}; };
    const auto sorted = about_info::sortedAcknowledgements(
        {entry("gamma", 1), entry("alpha", 2), entry("Beta", 3), entry("Alpha", 4)});
    std::vector<std::int64_t> order;
    for (const auto& e : sorted) order.push_back(e.iconCount);
    EXPECT_EQ(order, (std::vector<std::int64_t>{2, 4, 3, 1}));
    EXPECT_EQ(about_info::iconCountText(0), "0 icons");
}

}  // namespace
}  // namespace orbel::testing
