// The real `orbel` with a hold binding under Xvfb and openbox: while a
// mouse button (whose press gives another window the pointer) or a key is
// held, the highlight follows the pointer and the release fires the wedge
// under it; a held key's auto-repeat fires nothing more, and an alert is
// never stacked on a copy of itself.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QScreen>

#include "model/app_config.h"
#include "platform/screen_capture.h"
#include "model/json_writer.h"
#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::kOrbel;
using systemtest::Orbel;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

const KeyCombination kCtrlOptH{4, modifier::kControl | modifier::kOption, std::nullopt};

class HeldDialSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
        systemtest::run("xset", {"r", "on"});  // auto-repeat, as on a desktop
    }
    // Six script slots, each adding a line to its own marker file; slot
    // `profiles`, when given, is the profile list instead, listing
    // `profileNames` (each a copy of the dial).
    void start(const HoldBinding& hold, int profiles = -1, const QStringList& profileNames = {}) {
        AppConfig c;
        c.activation = ActivationMode::hold(hold);
        c.rootGroup.slots.clear();
        for (int i = 0; i < 6; ++i) {
            const std::string marker = dir_.filePath(QString::number(i)).toStdString();
            c.rootGroup.slots.push_back(
                i == profiles ? SlotConfig::make(SlotType::profileSwitch(), "Profiles")
                              : SlotConfig::make(SlotType::script({ScriptLanguage::shell, "echo fired >> '" + marker + "'"}),
                                                 "Slot " + std::to_string(i)));
        }
        orbel_ = std::make_unique<Orbel>(Orbel::Deferred{});
        orbel_->write("config.json", QByteArray::fromStdString(json::write(c.toJson())));
        for (const QString& name : profileNames)
            orbel_->write("profiles/" + name + ".json", QByteArray::fromStdString(c.encodeDocument()));
        orbel_->startWith({"--login-item"});
        ASSERT_TRUE(orbel_->waitForLog("[orbel-launch] step logitech"));
        spin(500);
    }
    // The slots that fired, each as often as it did.
    QStringList fired() const {
        QStringList out;
        for (int i = 0; i < 6; ++i) {
            QFile f(dir_.filePath(QString::number(i)));
            if (f.open(QIODevice::ReadOnly))
                for (int n = f.readAll().count('\n'); n > 0; --n) out << QString::number(i);
        }
        return out;
    }
    // From the lower left, in steps, to the top of the screen (or up to `top`).
    void moveToTheTop(int top = 30) {
        for (int step = 1; step <= 12; ++step)
            xdotool({"mousemove", QString::number(150 + (960 - 150) * step / 12),
                     QString::number(950 - (950 - top) * step / 12)});
    }

    QTemporaryDir dir_;
    std::unique_ptr<Orbel> orbel_;
};

TEST_F(HeldDialSystem, HeldMouseButtonFollowsThePointerAndTheReleaseFiresTheTopSlot) {
    start(HoldBinding::mouseButton(3));  // Mouse 4: X button 8
    xdotool({"mousemove", "150", "950", "mousedown", "8"});
    ASSERT_TRUE(orbel_->waitForLog("ShowMenuVisible"));
    ASSERT_TRUE(orbel_->waitForLog("HoverUpdated slot=4"));  // the lower left
    moveToTheTop();
    EXPECT_TRUE(orbel_->waitForLog("HoverUpdated slot=5")) << "the highlight followed on its way";
    EXPECT_TRUE(orbel_->waitForLog("HoverUpdated slot=0"));
    xdotool({"mouseup", "8"});
    EXPECT_TRUE(spinUntil([&] { return !fired().isEmpty(); }));
    spin(500);
    EXPECT_EQ(fired(), QStringList{"0"}) << orbel_->log().right(2000).toStdString();
}

TEST_F(HeldDialSystem, HeldKeyFollowsThePointerAndItsAutoRepeatFiresNothingMore) {
    start(HoldBinding::keyCombination(kCtrlOptH));
    xdotool({"mousemove", "150", "950", "keydown", "ctrl+alt+h"});
    ASSERT_TRUE(orbel_->waitForLog("ShowMenuVisible"));
    moveToTheTop();
    EXPECT_TRUE(orbel_->waitForLog("HoverUpdated slot=0"));
    spin(1200);  // long past the auto-repeat delay
    xdotool({"keyup", "ctrl+alt+h"});
    EXPECT_TRUE(spinUntil([&] { return !fired().isEmpty(); }));
    spin(1000);
    EXPECT_EQ(fired(), QStringList{"0"});
    EXPECT_EQ(orbel_->count("ShowMenuVisible"), 1) << "auto-repeat opened the dial again";
}

TEST_F(HeldDialSystem, HoldingTheKeyOverTheProfileListShowsOneAlertOnly) {
    start(HoldBinding::keyCombination(kCtrlOptH), 0);
    xdotool({"mousemove", "960", "120", "keydown", "ctrl+alt+h"});
    ASSERT_TRUE(orbel_->waitForLog("ShowMenuVisible"));
    spin(1500);  // repeating all the while
    xdotool({"keyup", "ctrl+alt+h"});
    ASSERT_TRUE(spinUntil([] { return !systemtest::visibleDialogs().isEmpty(); }));
    spin(1000);
    EXPECT_EQ(systemtest::visibleDialogs().size(), 1);
    EXPECT_EQ(orbel_->count("ShowMenuVisible"), 1);

    // Again while the alert is still open: the dial opens and fires, and the
    // same alert is not stacked on the first.
    xdotool({"mousemove", "960", "120", "keydown", "ctrl+alt+h"});
    EXPECT_TRUE(spinUntil([&] { return orbel_->count("ShowMenuVisible") == 2; }));
    spin(1000);
    xdotool({"keyup", "ctrl+alt+h"});
    EXPECT_TRUE(spinUntil([&] { return orbel_->count("ExecuteHighlightedSlot") >= 2; }));
    spin(1000);
    EXPECT_EQ(systemtest::visibleDialogs().size(), 1);
    EXPECT_TRUE(fired().isEmpty());
    const QImage shot = platform::ScreenCapture::shared().capture(QGuiApplication::primaryScreen()->geometry(), 1);
    QDir().mkpath(ORBEL_BINARY_DIR "/test-artifacts/dial");
    EXPECT_TRUE(shot.save(ORBEL_BINARY_DIR "/test-artifacts/dial/held-key-one-alert.png"));
}

// Released over the profile switcher, the hold opens the list and the dial
// stays; nothing in the list is lit. Pressed and released again where the
// pointer rests, the dial closes and no profile is chosen.
TEST_F(HeldDialSystem, ASecondReleaseWhereThePointerRestsClosesTheProfileListChoosingNothing) {
    start(HoldBinding::keyCombination(kCtrlOptH), 0, {"Home", "Work"});
    xdotool({"mousemove", "960", "120", "keydown", "ctrl+alt+h"});
    ASSERT_TRUE(orbel_->waitForLog("ShowMenuVisible"));
    spin(300);
    xdotool({"keyup", "ctrl+alt+h"});
    ASSERT_TRUE(orbel_->waitForLog("ExecuteHighlightedSlot"));
    spin(500);
    ASSERT_EQ(orbel_->count("HideMenuComplete"), 0) << "the list did not open";
    xdotool({"keydown", "ctrl+alt+h"});
    spin(300);
    xdotool({"keyup", "ctrl+alt+h"});
    EXPECT_TRUE(spinUntil([&] { return orbel_->count("HideMenuComplete") == 1; }));
    spin(500);
    EXPECT_EQ(orbel_->count("ExecuteHighlightedSlot"), 1) << orbel_->log().right(2000).toStdString();
    EXPECT_TRUE(fired().isEmpty());
}

// The same with a held mouse button, on the first round after a start: its
// second press over the dial's window (which Qt tells as motion first, not
// having seen the pointer get there) lights nothing, and its release where
// the pointer rests chooses no profile.
TEST_F(HeldDialSystem, ASecondReleaseOfAHeldButtonWhereThePointerRestsChoosesNoProfile) {
    start(HoldBinding::mouseButton(3), 0, {"Home", "Work"});
    xdotool({"mousemove", "150", "950", "mousedown", "8"});
    ASSERT_TRUE(orbel_->waitForLog("ShowMenuVisible"));
    moveToTheTop(420);  // onto the switcher's wedge, over the dial's own window
    ASSERT_TRUE(orbel_->waitForLog("HoverUpdated slot=0"));
    spin(200);
    xdotool({"mouseup", "8"});
    ASSERT_TRUE(orbel_->waitForLog("ExecuteHighlightedSlot"));
    spin(500);
    ASSERT_EQ(orbel_->count("HideMenuComplete"), 0) << "the list did not open";
    const int listed = int(orbel_->log().size());
    xdotool({"mousedown", "8"});
    spin(300);
    xdotool({"mouseup", "8"});
    EXPECT_TRUE(spinUntil([&] { return orbel_->count("HideMenuComplete") == 1; }));
    spin(500);
    const QString after = orbel_->log().mid(listed);
    EXPECT_FALSE(after.contains(QRegularExpression("HoverUpdated slot=[0-9]"))) << after.toStdString();
    EXPECT_EQ(orbel_->count("ExecuteHighlightedSlot"), 1) << after.toStdString();
    EXPECT_FALSE(orbel_->read("orbel.ini").contains("activeProfile")) << orbel_->read("orbel.ini").toStdString();
}

}  // namespace
}  // namespace orbel
