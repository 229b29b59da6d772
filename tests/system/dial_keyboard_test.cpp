// The real `orbel` under Xvfb and openbox: a key typed right after the dial
// shows reaches it, also one typed while Orbel was still busy and the hot key
// that opens the dial was held (its grab then held the keyboard).
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

#include "model/app_config.h"
#include "model/json_writer.h"
#include "orbel_process.h"

namespace orbel {
namespace {

using systemtest::kOrbel;
using systemtest::Orbel;
using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

class DialKeyboardSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        if (!QFile::exists(kOrbel)) GTEST_SKIP() << "orbel is not built";
        orbel_.write("config.json", config());
        orbel_.startWith({"--login-item"});
        ASSERT_TRUE(orbel_.waitForLog("step first dial"));
        spin(500);
    }
    virtual QByteArray config() const { return R"({"version":1,"hotkey":"ctrl+opt+o","showInTray":false})"; }
    // Every dial shown has closed again.
    bool allClosed() const {
        return orbel_.count("HideMenuComplete") == orbel_.count("ShowMenuVisible") &&
               orbel_.count("ShowMenuVisible") > 0;
    }
    // Runs xdotool's `commands` while Orbel is stopped, as if it were busy:
    // while the hot key is held its grab holds the keyboard, and the keys
    // typed meanwhile come to that grab, not yet read. Busy `moreMs` longer.
    void typeWhileBusy(const QStringList& commands, int moreMs = 0) {
        ASSERT_EQ(::kill(pid_t(orbel_.pid()), SIGSTOP), 0);
        xdotool(commands);
        spin(moreMs);
        ASSERT_EQ(::kill(pid_t(orbel_.pid()), SIGCONT), 0);
    }

    Orbel orbel_{Orbel::Deferred{}};
};

TEST_F(DialKeyboardSystem, AKeyTypedAsTheDialShowsReachesIt) {
    for (int i = 0; i < 5; ++i) {
        const int closed = orbel_.count("HideMenuComplete");
        ASSERT_TRUE(orbel_.openDial("ctrl+alt+o")) << "round " << i;
        xdotool({"key", "Escape"});  // the moment the dial says it is up
        EXPECT_TRUE(spinUntil([&] { return orbel_.count("HideMenuComplete") > closed; })) << "round " << i;
    }
    for (int i = 0; i < 3; ++i) {
        const int shown = orbel_.count("ShowMenuVisible");
        typeWhileBusy({"keydown", "ctrl+alt+o", "key", "Escape", "keyup", "ctrl+alt+o"});
        EXPECT_TRUE(spinUntil([&] { return orbel_.count("ShowMenuVisible") > shown && allClosed(); }))
            << "round " << i << ": Escape did not reach the dial\n" << orbel_.log().toStdString();
    }
    // With its modifier (Alt let go first): Ctrl+comma opens the settings window.
    typeWhileBusy({"keydown", "ctrl+alt+o", "keyup", "alt", "key", "comma", "keyup", "ctrl+o"});
    EXPECT_FALSE(systemtest::waitForWindowNamed("Orbel Settings").isEmpty()) << orbel_.log().toStdString();
    spin(500);
    systemtest::savePicture("dial-keyboard-settings-from-a-busy-dial");
}

// Six slots that do nothing, on Ctrl+Alt+O.
class DialKeyboardWithSlotsSystem : public DialKeyboardSystem {
protected:
    QByteArray config() const override {
        AppConfig c;
        c.activation = ActivationMode::tap(
            HoldBinding::keyCombination(KeyCombination{31, modifier::kControl | modifier::kOption, std::nullopt}));
        c.rootGroup.slots.clear();
        for (int i = 0; i < 6; ++i)
            c.rootGroup.slots.push_back(
                SlotConfig::make(SlotType::script({ScriptLanguage::shell, "true"}), "Slot " + std::to_string(i)));
        return QByteArray::fromStdString(json::write(c.toJson()));
    }
};

// Typed while the hot key was held (its modifiers let go) and Orbel was
// busy: Right, Right, Return go two wedges on from the lit one and fire
// there. Busy for three seconds, the same keys are long stale when the dial
// can take them, and fire nothing.
TEST_F(DialKeyboardWithSlotsSystem, KeysTypedWithTheHotKeyCountInOrderUnlessLongStale) {
    const QStringList keys{"keydown", "ctrl+alt+o", "keyup", "ctrl+alt", "key", "Right", "key", "Right",
                           "key", "Return", "keyup", "o"};
    xdotool({"mousemove", "960", "240"});  // straight above the centre: wedge 0
    typeWhileBusy(keys);
    ASSERT_TRUE(orbel_.waitForLog("ExecuteHighlightedSlot")) << orbel_.log().toStdString();
    EXPECT_EQ(orbel_.count("ExecuteHighlightedSlot slot=2"), 1) << orbel_.log().toStdString();
    ASSERT_TRUE(spinUntil([&] { return allClosed(); }));

    typeWhileBusy(keys, 3000);
    ASSERT_TRUE(spinUntil([&] { return orbel_.count("ShowMenuVisible") == 2; }));
    spin(1000);
    EXPECT_EQ(orbel_.count("ExecuteHighlightedSlot"), 1) << orbel_.log().toStdString();
    EXPECT_EQ(orbel_.count("HideMenuComplete"), 1);
    xdotool({"key", "Escape"});
    EXPECT_TRUE(spinUntil([&] { return allClosed(); }));
}

}  // namespace
}  // namespace orbel
