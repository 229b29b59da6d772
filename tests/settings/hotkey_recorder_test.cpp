#include <QAction>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "settings/hotkey_recorder_model.h"
#include "settings/hotkey_recorder_view.h"
#include "support/widget_pictures.h"

namespace orbel {
namespace {

constexpr std::uint16_t kA = 0, kQ = 12, kSpace = 49, kEscape = 53;
constexpr std::uint32_t kShift = modifier::kShift, kCtrl = modifier::kControl, kAlt = modifier::kOption;
const KeyCombination kAltSpace{kSpace, kAlt, std::nullopt};

struct Press {
    std::uint16_t key;
    std::uint32_t modifiers;
};
struct RecordingCase {
    const char* name;
    std::vector<Press> presses;
    std::optional<KeyCombination> recorded;
    bool stillRecording;
};
void PrintTo(const RecordingCase& c, std::ostream* os) { *os << c.name; }

class RecorderPresses : public ::testing::TestWithParam<RecordingCase> {};

TEST_P(RecorderPresses, RecordIgnoreOrCancel) {
    const auto& c = GetParam();
    // The bound value's mouse button never survives a recording.
    HotkeyRecorderModel model(KeyCombination{0, 0, 3});
    QSignalSpy recorded(&model, &HotkeyRecorderModel::hotkeyRecorded);
    model.toggle();
    for (const auto& p : c.presses) EXPECT_TRUE(model.handleKey(p.key, p.modifiers));
    EXPECT_EQ(model.isRecording(), c.stillRecording);
    EXPECT_EQ(model.hotkey(), c.recorded.value_or(KeyCombination{0, 0, 3}));
    ASSERT_EQ(recorded.size(), c.recorded ? 1 : 0);
    if (c.recorded) {
        EXPECT_EQ(recorded[0][0].value<KeyCombination>(), *c.recorded);
    }
    if (c.stillRecording) {
        EXPECT_EQ(model.displayText(), "Press keys…");
    }
}

INSTANTIATE_TEST_SUITE_P(
    HotkeyRecorder, RecorderPresses,
    ::testing::Values(RecordingCase{"ShiftA", {{kA, kShift}}, KeyCombination{kA, kShift, std::nullopt}, false},
                      RecordingCase{"BareLetterIgnored", {{kA, 0}}, std::nullopt, true},
                      // Caps Lock (0x400) and other flags are not modifiers.
                      RecordingCase{"CapsLockOnlyIgnored", {{kA, 0x400}}, std::nullopt, true},
                      RecordingCase{"ThenAChord", {{kA, 0}, {kQ, kCtrl | 0x400}},
                                    KeyCombination{kQ, kCtrl, std::nullopt}, false},
                      RecordingCase{"ShiftEscapeCancels", {{kA, 0}, {kEscape, kShift}}, std::nullopt, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HotkeyRecorderModel, ASecondClickOrTheHostEndsWithoutAResult) {
    HotkeyRecorderModel model(kAltSpace);
    QSignalSpy recorded(&model, &HotkeyRecorderModel::hotkeyRecorded);
    model.toggle();
    model.toggle();
    EXPECT_FALSE(model.isRecording());
    model.setRecording(true);
    model.setRecording(false);
    EXPECT_FALSE(model.handleKey(kA, kShift)) << "keys pass once it stopped";
    EXPECT_EQ(model.hotkey(), kAltSpace);
    EXPECT_EQ(recorded.size(), 0);
}

// The real widget, keys sent through the application as X would.
class HotkeyRecorderViewTest : public ::testing::Test {
public:
    HotkeyRecorderViewTest() {
        quit = window.addAction(QStringLiteral("Quit"));
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        quit->setShortcutContext(Qt::ApplicationShortcut);
        auto* box = new QWidget;
        auto* layout = new QVBoxLayout(box);
        layout->addWidget(recorder = new HotkeyRecorderView(kAltSpace));
        layout->addWidget(other = new QWidget);
        other->setFocusPolicy(Qt::StrongFocus);
        window.setCentralWidget(box);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        other->setFocus();
    }
    QMainWindow window;
    QAction* quit;
    HotkeyRecorderView* recorder;
    QWidget* other;
};

TEST_F(HotkeyRecorderViewTest, RecordsShiftAIgnoresBareKeysAndSwallowsShortcuts) {
    QSignalSpy quits(quit, &QAction::triggered);
    QSignalSpy recorded(recorder, &HotkeyRecorderView::hotkeyRecorded);
    QTest::keyClick(other, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(quits.size(), 1) << "the shortcut works while idle";

    QTest::mouseClick(recorder, Qt::LeftButton);
    EXPECT_TRUE(recorder->isRecording());
    QTest::keyClick(other, Qt::Key_A);
    QTest::keyClick(other, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_TRUE(recorder->isRecording()) << "neither a bare letter nor a modifier alone ends it";
    QTest::keyClick(other, Qt::Key_A, Qt::ShiftModifier);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->hotkey(), (KeyCombination{kA, kShift, std::nullopt}));

    QTest::mouseClick(recorder, Qt::LeftButton);
    QTest::keyClick(other, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits.size(), 1) << "recorded, not acted on";
    EXPECT_EQ(recorder->hotkey(), (KeyCombination{kQ, kCtrl, std::nullopt}));
    ASSERT_EQ(recorded.size(), 2);
}

TEST_F(HotkeyRecorderViewTest, EscapeAndHidingCancel) {
    QSignalSpy recorded(recorder, &HotkeyRecorderView::hotkeyRecorded);
    recorder->setRecording(true);
    QTest::keyClick(other, Qt::Key_Escape);
    EXPECT_FALSE(recorder->isRecording());
    recorder->setRecording(true);
    recorder->hide();
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->hotkey(), kAltSpace);
    EXPECT_EQ(recorded.size(), 0);
}

TEST_F(HotkeyRecorderViewTest, HoldsTheKeyboardOnlyWhileRecording) {
    // Every way out lets the grab go: a chord, Escape, a second click, the
    // host's flag and hiding.
    const std::vector<std::pair<const char*, std::function<void()>>> endings{
        {"chord", [&] { QTest::keyClick(other, Qt::Key_A, Qt::ShiftModifier); }},
        {"escape", [&] { QTest::keyClick(other, Qt::Key_Escape); }},
        {"second click", [&] { QTest::mouseClick(recorder, Qt::LeftButton); }},
        {"host", [&] { recorder->setRecording(false); }},
        {"hidden", [&] { recorder->hide(); }},
    };
    // Its window is the active one: a recording there holds the keyboard.
    recorder->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(recorder->window()));
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        recorder->show();
        EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
        QTest::mouseClick(recorder, Qt::LeftButton);
        ASSERT_TRUE(recorder->isRecording());
        EXPECT_EQ(QWidget::keyboardGrabber(), recorder);
        QTest::keyClick(other, Qt::Key_B);  // ignored: still recording, still grabbed
        EXPECT_EQ(QWidget::keyboardGrabber(), recorder);
        end();
        EXPECT_FALSE(recorder->isRecording());
        EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    }
}

TEST_F(HotkeyRecorderViewTest, Pictures) {
    testing::savePictures(*recorder, "settings", "hotkey-recorder-idle");
    recorder->setRecording(true);
    testing::savePictures(*recorder, "settings", "hotkey-recorder-recording");
    recorder->setRecording(false);
}

}  // namespace
}  // namespace orbel
