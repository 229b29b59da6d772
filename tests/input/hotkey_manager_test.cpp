#include <QSignalSpy>
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

struct ArmingCase {
    const char* name;
    ActivationMode mode;
    std::function<void(HotkeyManagerTest&)> events;
    std::vector<std::string> expected;
};

void PrintTo(const ArmingCase& c, std::ostream* os) { *os << c.name; }

class ArmingMatrix : public HotkeyManagerTest, public ::testing::WithParamInterface<ArmingCase> {};

TEST_P(ArmingMatrix, DeliversExactlyTheCallbacksOfTheBinding) {
    manager.apply(GetParam().mode);
    mainQueue.runAll();
    GetParam().events(*this);
    EXPECT_EQ(run(), GetParam().expected);
}

const auto kTapKey = ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO));
const auto kHoldKey = ActivationMode::hold(HoldBinding::keyCombination(kCtrlOptO));

INSTANTIATE_TEST_SUITE_P(
    HotkeyManager, ArmingMatrix,
    ::testing::Values(
        ArmingCase{"TapKey", kTapKey,
                   [](auto& t) {
                       t.hotkeys.send(HotkeyManager::kTapId, Event::pressed);
                       t.hotkeys.send(HotkeyManager::kTapId, Event::released);
                   },
                   {"tap"}},
        ArmingCase{"TapMouse", ActivationMode::tap(HoldBinding::mouseButton(3)),
                   [](auto& t) {
                       t.monitor.click(3);
                       t.monitor.click(4);
                       t.monitor.click(3);
                   },
                   {"tap", "tap"}},
        ArmingCase{"TapHidpp", ActivationMode::tap(HoldBinding::hidppButton(kMaster, kSideWheel)),
                   [](auto& t) {
                       t.manager.hidppButtonDown(kMaster, kSideWheel);
                       t.manager.hidppButtonUp(kMaster, kSideWheel);
                       t.manager.hidppButtonDown(kOther, kSideWheel);
                   },
                   {"tap"}},
        ArmingCase{"HoldKeyReportsEveryPress", kHoldKey,
                   [](auto& t) {
                       t.hotkeys.send(HotkeyManager::kHoldId, Event::pressed);
                       t.hotkeys.send(HotkeyManager::kHoldId, Event::pressed);
                       t.hotkeys.send(HotkeyManager::kHoldId, Event::released);
                       t.hotkeys.send(HotkeyManager::kTapId, Event::pressed);
                   },
                   {"open", "open", "release"}},
        ArmingCase{"HoldMouse", ActivationMode::hold(HoldBinding::mouseButton(3)),
                   [](auto& t) {
                       t.monitor.button(3, false);
                       t.monitor.button(3, true);
                       t.monitor.button(3, true);
                       t.monitor.button(2, true);
                       t.monitor.button(3, false);
                   },
                   {"open", "release"}},
        ArmingCase{"HoldHidppIsDeduplicated", ActivationMode::hold(HoldBinding::hidppButton(kMaster, kSideWheel)),
                   [](auto& t) {
                       t.manager.hidppButtonUp(kMaster, kSideWheel);
                       t.manager.hidppButtonDown(kMaster, kSideWheel);
                       t.manager.hidppButtonDown(kMaster, kSideWheel);
                       t.manager.hidppButtonDown(kOther, kSideWheel);
                       t.manager.hidppButtonUp(kOther, kSideWheel);
                       t.manager.hidppButtonUp(kMaster, kSideWheel);
                       t.manager.hidppButtonUp(kMaster, kSideWheel);
                   },
                   {"open", "release"}}),
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
    EXPECT_NE(alerts.shown[0].alert.text.find("'⌃⌥O'"), std::string::npos);
    alerts.dismiss(0, 1);  // Cancel
    EXPECT_EQ(manager.currentHotkey(), kOptSpace);
    EXPECT_EQ(hotkeys.chordOf(HotkeyManager::kTapId), chord(kOptSpace));
    EXPECT_EQ(rebind.count(), 0);
}

TEST_F(HotkeyManagerTest, CancelWhenTheFallbackIsTakenTooLeavesNoHotkeyAndSaysSo) {
    hotkeys.takenByOthers = {chord(kCtrlOptO), chord(kOptSpace)};
    manager.apply(kTapKey);
    run();
    alerts.dismiss(0, 1);
    EXPECT_FALSE(manager.currentHotkey());
    EXPECT_EQ(logs.lines().back().text,
              "[orbel-input] fallback hot key ⌥Space could not be registered (another application holds it, or the keyboard lacks the key)");
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

TEST_F(HotkeyManagerTest, SuggestsTheFirstFiveFreeAlternatives) {
    const auto k = [](std::uint16_t code, std::uint32_t mods) { return KeyCombination{code, mods, std::nullopt}; };
    EXPECT_EQ(manager.suggestAlternatives(kOptSpace),
              (std::vector<KeyCombination>{k(49, 0xA00), k(49, 0x100), k(49, 0x900), k(49, 0x1800), k(49, 0x300)}));

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
