#include <QDir>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include "input/hold_binding_names.h"
#include "input/hold_binding_recorder.h"
#include "input/hold_binding_recorder_view.h"
#include "input/menu_key_recorder.h"
#include "slots/alert_utility.h"
#include "input_fixture.h"

namespace orbel {
namespace {

constexpr std::uint16_t kK = 40, kEscape = 53, kF13 = 105;

class HoldBindingRecorderTest : public testing::InputFixture {
public:
    HoldBindingRecorderTest() {
        recorder->onCapture = [this](const HoldBinding& b) { captured.push_back(b); };
    }
    HidButtonCallback hid;  // the listener's down callback
    std::unique_ptr<HoldBindingRecorder> recorder = std::make_unique<HoldBindingRecorder>(&hid, monitor);
    std::vector<HoldBinding> captured;
};

struct InputCase {
    const char* name;
    std::function<void(HoldBindingRecorder&, fakes::FakeInputMonitor&, HidButtonCallback&)> input;
    std::optional<HoldBinding> captured;  // none: refused or cancelled
    std::optional<std::string> message;
    bool stillRecording;
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

class RecorderInputs : public HoldBindingRecorderTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(RecorderInputs, AcceptRefuseOrCancel) {
    const auto& c = GetParam();
    recorder->startRecording();
    c.input(*recorder, monitor, hid);
    mainQueue.runAll();
    EXPECT_EQ(recorder->isRecording(), c.stillRecording);
    EXPECT_EQ(recorder->rejectionMessage(), c.message);
    EXPECT_EQ(captured, c.captured ? std::vector<HoldBinding>{*c.captured} : std::vector<HoldBinding>{});
    EXPECT_EQ(recorder->binding(), c.captured);
    if (c.message) {
        EXPECT_EQ(recorder->statusText(), "Try again — that input isn't allowed");
    }
}

const auto kBare = HoldBindingRecorder::bareKeyMessage();
const auto kReserved = HoldBindingRecorder::reservedButtonMessage();

INSTANTIATE_TEST_SUITE_P(
    HoldBindingRecorder, RecorderInputs,
    ::testing::Values(
        InputCase{"CommandShiftK", [](auto& r, auto&, auto&) { r.handleKeyDown(kK, 0x300); },
                  HoldBinding::keyCombination({kK, 0x300, std::nullopt}), std::nullopt, false},
        InputCase{"BareKeyIsRefused", [](auto& r, auto&, auto&) { r.handleKeyDown(kK, 0); }, std::nullopt, kBare, true},
        InputCase{"BareFunctionKey", [](auto& r, auto&, auto&) { r.handleKeyDown(kF13, 0); },
                  HoldBinding::keyCombination({kF13, 0, std::nullopt}), std::nullopt, false},
        InputCase{"ShiftEscapeCancels", [](auto& r, auto&, auto&) { r.handleKeyDown(kEscape, 0x200); }, std::nullopt,
                  std::nullopt, false},
        InputCase{"BackButton", [](auto&, auto& m, auto&) { m.click(3); }, HoldBinding::mouseButton(3), std::nullopt, false},
        InputCase{"RightClickIsRefused", [](auto& r, auto&, auto&) { r.handleMouseButton(1); }, std::nullopt, kReserved, true},
        InputCase{"LogitechLeftClick", [](auto&, auto&, auto& h) { h(0xB034, 0x50); }, HoldBinding::hidppButton(0xB034, 0x50),
                  std::nullopt, false},
        // Refused input lets recording go on; the first accepted input wins
        // even when more arrives before its commit ran.
        InputCase{"FirstAcceptableInputWins",
                  [](auto& r, auto& m, auto& h) {
                      r.handleKeyDown(kK, 0);
                      h(0xB034, 0xC3);
                      r.handleKeyDown(kK, 0x300);
                      m.click(4);
                      r.handleKeyDown(kEscape, 0);
                  },
                  HoldBinding::hidppButton(0xB034, 0xC3), std::nullopt, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HoldBindingRecorderTest, KeysReachTheWindowOnlyWhileNotRecording) {
    QLineEdit field;
    field.show();
    field.setFocus();
    recorder->startRecording();
    QTest::keyClick(&field, Qt::Key_K);  // refused, and taken
    QTest::keyClick(&field, Qt::Key_K, Qt::MetaModifier | Qt::ShiftModifier);
    mainQueue.runAll();
    EXPECT_EQ(field.text(), "");
    EXPECT_EQ(recorder->binding(), HoldBinding::keyCombination({kK, 0x300, std::nullopt}));
    QTest::keyClick(&field, Qt::Key_K);
    EXPECT_EQ(field.text(), "k");
}

TEST_F(HoldBindingRecorderTest, GoingAwayRemovesWhatItInstalledAndKeepsTheEarlierCallback) {
    int earlier = 0;
    hid = [&](std::uint16_t, std::uint16_t) { ++earlier; };
    recorder->startRecording();
    recorder->setRecording(false);
    recorder->startRecording();  // installs nothing twice
    hid(1, 2);
    EXPECT_EQ(earlier, 1);
    EXPECT_EQ(monitor.watches.size(), 1u);

    recorder.reset();
    EXPECT_TRUE(monitor.watches.empty());
    hid(1, 2);
    EXPECT_EQ(earlier, 2);
    mainQueue.runAll();
    QLineEdit field;
    QTest::keyClick(&field, Qt::Key_K);
    EXPECT_EQ(field.text(), "k");
}

TEST(HidButtonHook, EarlierCallbackRunsOncePerEventWhicheverHookGoesFirst) {
    int earlier = 0;
    std::vector<int> seen;
    HidButtonCallback field = [&](std::uint16_t, std::uint16_t) { ++earlier; };
    auto first = std::make_unique<HidButtonHook>(field, [&](std::uint16_t, std::uint16_t) { seen.push_back(1); });
    auto second = std::make_unique<HidButtonHook>(field, [&](std::uint16_t, std::uint16_t) { seen.push_back(2); });
    field(1, 2);
    first.reset();  // not in front: it only passes events on
    field(1, 2);
    second.reset();
    field(1, 2);
    EXPECT_EQ(earlier, 3);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 2}));
}

TEST(HoldBindingNames, DisplayNames) {
    using B = HoldBinding;
    const std::vector<std::pair<std::optional<B>, std::optional<std::string>>> table{
        {std::nullopt, std::nullopt},
        {B::mouseButton(3), "Mouse 4 (Back)"},
        {B::mouseButton(5), "Mouse 6"},
        {B::keyCombination({kK, 0x300, std::nullopt}), "Shift+Super+K"},
        {B::hidppButton(0xB034, 0xC3), "Logitech: Side Wheel Click"},
        {B::hidppButton(0xB034, 0x1A0), "Logitech: 0x1A0"},
    };
    for (const auto& [binding, name] : table) EXPECT_EQ(displayName(binding), name);
}

// Where pictures of the recorders go, for a person to look at.
void savePicture(QWidget& widget, const char* name) {
    const QString dir = QStringLiteral(ORBEL_BINARY_DIR "/test-artifacts/input");
    QDir().mkpath(dir);
    EXPECT_TRUE(widget.grab().save(dir + "/" + name + ".png")) << name;
}

TEST_F(HoldBindingRecorderTest, EveryStateForAPersonAndWithoutListenAccess) {
    HoldBindingRecorderView view(*recorder);
    view.resize(420, 90);
    savePicture(view, "hold_binding_recorder_idle");
    recorder->setBinding(HoldBinding::mouseButton(3));
    savePicture(view, "hold_binding_recorder_bound");
    recorder->startRecording();
    savePicture(view, "hold_binding_recorder_recording");
    recorder->handleMouseButton(1);
    mainQueue.runAll();
    savePicture(view, "hold_binding_recorder_refused");
    // Without listen access it asks for it and does not record.
    recorder->setRecording(false);
    permissions.inputMonitoring = false;
    recorder->startRecording();
    savePicture(view, "hold_binding_recorder_blocked");
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(recorder->needsInputMonitoring());
    EXPECT_EQ(recorder->statusText(), "Input Monitoring required");
    EXPECT_TRUE(QTest::qWaitFor([&] { return permissions.inputMonitoringRequests > 0; }));

    // The alert a new user meets when the window manager holds Alt+Space:
    // it names the chord its Cancel arms instead.
    platform::Alerts::setShared(nullptr);
    AlertUtility::showHotkeyConflict({49, 0x800, std::nullopt}, {}, {}, KeyCombination{49, 0xA00, std::nullopt});
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            savePicture(*box, "hotkey_conflict_alert");
            box->close();
        }
}

TEST_F(HoldBindingRecorderTest, MenuKeyRecorderTakesAnyKeyOrExtraButton) {
    MenuKeyRecorder keys;
    keys.show();
    keys.setKey({49, 0x1800, std::nullopt});
    savePicture(keys, "menu_key_recorder_idle");
    std::vector<KeyCombination> changes;
    keys.onChange = [&](const KeyCombination& k) { changes.push_back(k); };
    QTest::mouseClick(&keys, Qt::LeftButton);
    savePicture(keys, "menu_key_recorder_recording");
    QTest::keyClick(&keys, Qt::Key_Escape);
    QTest::mouseClick(&keys, Qt::LeftButton);
    QTest::mouseClick(&keys, Qt::RightButton);
    QTest::mouseClick(&keys, Qt::LeftButton);
    QTest::mouseClick(&keys, Qt::LeftButton);  // a second click cancels
    EXPECT_EQ(changes, (std::vector<KeyCombination>{{kEscape, 0, std::nullopt}, {0, 0, 1}}));
    EXPECT_FALSE(keys.isRecording());
}

// The stock X keymap names F13 to F20 XF86Tools, XF86Launch5 to 9, nothing
// and XF86AudioMicMute; Qt has no key for some of them.
TEST_F(HoldBindingRecorderTest, MenuKeyRecorderTakesF13ToF20UnderTheStockKeymap) {
    struct Press {
        int qtKey;
        quint32 xKeycode, keysym;
        std::uint16_t expected;
    };
    const std::vector<Press> presses = {
        {Qt::Key_F13, 191, 0xffca, 105},         {Qt::Key_Tools, 191, 0x1008ff81, 105},
        {Qt::Key_unknown, 192, 0x1008ff45, 107}, {Qt::Key_unknown, 193, 0x1008ff46, 113},
        {Qt::Key_unknown, 194, 0x1008ff47, 106}, {Qt::Key_unknown, 195, 0x1008ff48, 64},
        {Qt::Key_unknown, 196, 0x1008ff49, 79},  {0, 197, 0, 80},
        {Qt::Key_MicMute, 198, 0x1008ffb2, 90},
    };
    MenuKeyRecorder keys;
    keys.show();
    std::vector<std::uint16_t> recorded;
    keys.onChange = [&](const KeyCombination& k) { recorded.push_back(k.keyCode); };
    std::vector<std::uint16_t> expected;
    for (const Press& p : presses) {
        QTest::mouseClick(&keys, Qt::LeftButton);
        QKeyEvent press(QEvent::KeyPress, p.qtKey, Qt::NoModifier, p.xKeycode, p.keysym, 0);
        QApplication::sendEvent(&keys, &press);
        expected.push_back(p.expected);
    }
    EXPECT_EQ(recorded, expected);
}

}  // namespace
}  // namespace orbel
