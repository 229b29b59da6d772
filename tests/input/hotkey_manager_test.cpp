#include <QSignalSpy>
#include <cctype>
#include <sstream>
#include <gtest/gtest.h>

#include "input/hotkey_manager.h"
#include "input_fixture.h"

namespace orbel {
namespace {

using Event = platform::GlobalHotkeys::Event;
using Chord = fakes::FakeGlobalHotkeys::Chord;

const KeyCombination kCtrlOptO{31, modifier::kControl | modifier::kOption, std::nullopt};
const KeyCombination kOptSpace = HotkeyManager::fallbackHotkey();
constexpr std::uint16_t kMaster = 0xB034, kOther = 0xB023, kSideWheel = 0xC3;

class HotkeyManagerTest : public testing::InputFixture {
public:
    HotkeyManagerTest() {
        manager.onHotkeyPressed = [this] { fired.push_back("tap"); };
        manager.onHoldOpen = [this] { fired.push_back("open"); };
        manager.onHoldRelease = [this] { fired.push_back("release"); };
        manager.onMusicHotkeyPressed = [this] { fired.push_back("music"); };
    }
    std::vector<std::string> run() {
        mainQueue.runAll();
        return std::exchange(fired, {});
    }
    static Chord chord(const KeyCombination& k) { return {k.keyCode, k.modifiers}; }

    HotkeyManager manager{hotkeys, monitor};
    std::vector<std::string> fired;
};

const auto kTapKey = ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO));
const auto kHoldKey = ActivationMode::hold(HoldBinding::keyCombination(kCtrlOptO));

struct ArmingCase {
    const char* name;
    ActivationMode mode;
    // The tap (T) or hold (H) hot key, mouse button n, the side wheel of the
    // Master (M) or of another mouse (O); + a press, - a release.
    std::string steps;
    std::vector<std::string> expected;
};

void PrintTo(const ArmingCase& c, std::ostream* os) { *os << c.name; }

class ArmingMatrix : public HotkeyManagerTest, public ::testing::WithParamInterface<ArmingCase> {};

TEST_P(ArmingMatrix, DeliversExactlyTheCallbacksOfTheBinding) {
    manager.apply(GetParam().mode);
    mainQueue.runAll();
    std::istringstream steps(GetParam().steps);
    for (std::string s; steps >> s;) {
        const bool down = s[1] == '+';
        const auto event = down ? Event::pressed : Event::released;
        const std::uint16_t mouse = s[0] == 'M' ? kMaster : kOther;
        if (s[0] == 'T' || s[0] == 'H') hotkeys.send(s[0] == 'T' ? HotkeyManager::kTapId : HotkeyManager::kHoldId, event);
        else if (std::isdigit(s[0])) monitor.button(s[0] - '0', down);
        else if (down) manager.hidppButtonDown(mouse, kSideWheel);
        else manager.hidppButtonUp(mouse, kSideWheel);
    }
    EXPECT_EQ(run(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    HotkeyManager, ArmingMatrix,
    ::testing::Values(
        ArmingCase{"TapKey", kTapKey, "T+ T-", {"tap"}},
        ArmingCase{"TapMouse", ActivationMode::tap(HoldBinding::mouseButton(3)), "3+ 3- 4+ 4- 3+ 3-", {"tap", "tap"}},
        ArmingCase{"TapHidpp", ActivationMode::tap(HoldBinding::hidppButton(kMaster, kSideWheel)), "M+ M- O+", {"tap"}},
        ArmingCase{"HoldKeyReportsEveryPress", kHoldKey, "H+ H+ H- T+", {"open", "open", "release"}},
        ArmingCase{"HoldMouse", ActivationMode::hold(HoldBinding::mouseButton(3)), "3- 3+ 3+ 2+ 3-", {"open", "release"}},
        ArmingCase{"HoldHidppIsDeduplicated", ActivationMode::hold(HoldBinding::hidppButton(kMaster, kSideWheel)),
                   "M- M+ M+ O+ O- M- M-", {"open", "release"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HotkeyManagerTest, ApplyArmsOnlyTheLatestBinding) {
    manager.apply(kTapKey);
    EXPECT_EQ(hotkeys.chordOf(HotkeyManager::kTapId), chord(kCtrlOptO));
    manager.apply(ActivationMode::hold(HoldBinding::mouseButton(3)));
    EXPECT_FALSE(manager.currentHotkey());
    EXPECT_FALSE(hotkeys.chordOf(HotkeyManager::kTapId));
    EXPECT_TRUE(manager.holdEventTap().isListening());
    manager.apply(kHoldKey);
    EXPECT_FALSE(manager.holdEventTap().isListening());
    EXPECT_EQ(hotkeys.chordOf(HotkeyManager::kHoldId), chord(kCtrlOptO));
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(HotkeyManagerTest, ReRegisteringTheOwnHotkeySkipsTheProbe) {
    ASSERT_TRUE(manager.registerHotkey(kCtrlOptO));
    const int before = hotkeys.registrations;
    EXPECT_TRUE(manager.registerHotkey(kCtrlOptO));
    EXPECT_EQ(hotkeys.registrations - before, 1);
    EXPECT_EQ(manager.currentHotkey(), kCtrlOptO);
}

TEST_F(HotkeyManagerTest, ConflictThenCancelFallsBackToOptionSpace) {
    hotkeys.takenByOthers.insert(chord(kCtrlOptO));
    QSignalSpy rebind(&manager, &HotkeyManager::rebindRequested);
    manager.apply(kTapKey);
    EXPECT_TRUE(alerts.shown.empty()) << "the alert is queued";
    run();
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_NE(alerts.shown[0].alert.text.find("The hotkey combination 'Ctrl+Alt+O' is already in use"), std::string::npos);
    alerts.dismiss(0, 1);  // Cancel
    EXPECT_EQ(manager.currentHotkey(), kOptSpace);
    EXPECT_EQ(hotkeys.chordOf(HotkeyManager::kTapId), chord(kOptSpace));
    EXPECT_EQ(rebind.count(), 0);
}

TEST_F(HotkeyManagerTest, WhenTheFallbackIsTakenTooTheFirstFreeAlternativeOpensTheDial) {
    // As under openbox, which holds Alt+Space: the stored default and the
    // fallback are the same taken chord.
    const KeyCombination altShiftSpace{49, modifier::kOption | modifier::kShift, std::nullopt};
    hotkeys.takenByOthers = {chord(kOptSpace)};
    manager.apply(ActivationMode::tap(HoldBinding::keyCombination(kOptSpace)));
    run();
    EXPECT_FALSE(manager.currentHotkey()) << "nothing is armed while the alert is up";
    ASSERT_EQ(alerts.shown.size(), 1u);
    const platform::Alert& alert = alerts.shown[0].alert;
    EXPECT_EQ(alert.text, "The hotkey combination 'Alt+Space' is already in use by another application or the "
                          "system.\n\nWould you like to choose a different hotkey combination?\n\nIf you cancel, "
                          "Alt+Shift+Space opens the dial instead.");
    EXPECT_EQ(alert.footnote, "Tip: Try using different modifier keys like Alt+Shift+Space or Super+Space");
    alerts.dismiss(0, 1);  // Cancel arms the alternative the alert named, and tells nothing more
    EXPECT_EQ(manager.currentHotkey(), altShiftSpace);
    EXPECT_EQ(logs.lines().back().text, "[orbel-input] Alt+Space is taken; Alt+Shift+Space opens the dial instead");
    EXPECT_EQ(alerts.shown.size(), 1u);
}

TEST_F(HotkeyManagerTest, ConflictThenChooseAsksForARebindAndRegistersNothing) {
    ASSERT_TRUE(manager.registerHotkey(kOptSpace));
    hotkeys.takenByOthers.insert(chord(kCtrlOptO));
    QSignalSpy rebind(&manager, &HotkeyManager::rebindRequested);
    EXPECT_FALSE(manager.registerHotkey(kCtrlOptO));
    EXPECT_EQ(manager.currentHotkey(), kOptSpace) << "a failed probe keeps the previous hot key";
    run();
    alerts.dismiss(0, 0);
    ASSERT_EQ(rebind.count(), 1);
    EXPECT_EQ(rebind[0][0].value<KeyCombination>(), kCtrlOptO);

    // Cancel while a hot key is still registered changes nothing.
    EXPECT_FALSE(manager.registerHotkey(kCtrlOptO));
    run();
    alerts.dismiss(1, 1);
    EXPECT_EQ(manager.currentHotkey(), kOptSpace);
}

TEST_F(HotkeyManagerTest, SuggestsTheFirstFiveFreeAlternativesInOrder) {
    const auto k = [](std::uint16_t code, std::uint32_t mods) { return KeyCombination{code, mods, std::nullopt}; };
    hotkeys.takenByOthers = {{49, 0x100}, {49, 0x1800}};
    EXPECT_EQ(manager.suggestAlternatives(kOptSpace),
              (std::vector<KeyCombination>{k(49, 0xA00), k(49, 0x900), k(49, 0x300), k(36, 0x800), k(48, 0x800)}));

    hotkeys.refuseAll = true;
    const int before = hotkeys.registrations;
    EXPECT_TRUE(manager.suggestAlternatives(kOptSpace).empty());
    EXPECT_EQ(hotkeys.registrations - before, 12);
}

TEST_F(HotkeyManagerTest, MusicHotkeyIsIndependentOfActivation) {
    const KeyCombination music{46, modifier::kControl | modifier::kOption, std::nullopt};
    ASSERT_TRUE(manager.registerMusicHotkey(music));
    manager.apply(kTapKey);
    manager.suspendActivation();
    manager.apply(kHoldKey);
    EXPECT_EQ(hotkeys.chordOf(HotkeyManager::kMusicId), chord(music));
    hotkeys.send(HotkeyManager::kMusicId, Event::pressed);
    hotkeys.send(HotkeyManager::kMusicId, Event::released);
    EXPECT_EQ(run(), std::vector<std::string>{"music"});

    EXPECT_TRUE(manager.registerMusicHotkey(std::nullopt));
    EXPECT_FALSE(hotkeys.chordOf(HotkeyManager::kMusicId));
    EXPECT_EQ(hotkeys.chordOf(HotkeyManager::kHoldId), chord(kCtrlOptO));
}

TEST_F(HotkeyManagerTest, SuspendKeepsAnArmedHidppBindingWorking) {
    struct {
        HidButtonCallback onButtonDown, onButtonUp;
    } listener;
    manager.attachHIDListener(listener);
    manager.apply(ActivationMode::tap(HoldBinding::hidppButton(kMaster, kSideWheel)));
    manager.suspendActivation();
    listener.onButtonDown(kMaster, kSideWheel);
    listener.onButtonUp(kMaster, kSideWheel);
    EXPECT_EQ(run(), std::vector<std::string>{"tap"});
}

TEST_F(HotkeyManagerTest, ForeignHotkeyEventsAreNotHandled) {
    EXPECT_FALSE(manager.handleHotkeyEvent(HotkeyManager::kProbeId, Event::pressed));
    EXPECT_TRUE(manager.handleHotkeyEvent(HotkeyManager::kMusicId, Event::released));
    EXPECT_TRUE(run().empty());
}

}  // namespace
}  // namespace orbel
