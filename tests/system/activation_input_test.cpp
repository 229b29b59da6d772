// Global hot keys and extra mouse buttons against the real X server:
// xdotool presses, another X client competes for chords and the keyboard.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>

#include "fakes/fake_alerts.h"
#include "fakes/replace_shared.h"
#include "input/hotkey_manager.h"
#include "platform/global_hotkeys.h"
#include "platform/linux/x11_input.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using systemtest::spin;
using systemtest::spinUntil;
using systemtest::xdotool;

const KeyCombination kCtrlOptO{31, modifier::kControl | modifier::kOption, std::nullopt};
const KeyCombination kCtrlOptH{4, modifier::kControl | modifier::kOption, std::nullopt};
const KeyCombination kCtrlOptP{35, modifier::kControl | modifier::kOption, std::nullopt};

// Another X client: it grabs chords and the keyboard as a window manager or
// an open dial would.
class OtherClient {
public:
    OtherClient() : conn_(xcb_connect(nullptr, nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        symbols_ = xcb_key_symbols_alloc(conn_);
    }
    ~OtherClient() {
        xcb_key_symbols_free(symbols_);
        xcb_disconnect(conn_);
    }
    bool grabKey(xcb_keysym_t keysym, std::uint16_t mods) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        free(codes);
        auto* error = xcb_request_check(
            conn_, xcb_grab_key_checked(conn_, 1, root_, mods, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        free(error);
        return code && !error;
    }
    bool grabKeyboard() {
        auto* reply = xcb_grab_keyboard_reply(
            conn_, xcb_grab_keyboard(conn_, 1, root_, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr);
        const bool ok = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
        free(reply);
        return ok;
    }
    // A press and release of a key that may have no keysym (xdotool needs one).
    void tapKeycode(xcb_keycode_t code) {
        for (std::uint8_t type : {XCB_KEY_PRESS, XCB_KEY_RELEASE})
            xcb_test_fake_input(conn_, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
    }
    // Presses the keys in order and lets go of them the other way round,
    // then waits until the server has handled them.
    void chord(std::initializer_list<xcb_keysym_t> keysyms) {
        std::vector<xcb_keycode_t> codes;
        for (xcb_keysym_t keysym : keysyms) {
            xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols_, keysym);
            codes.push_back(found ? found[0] : 0);
            free(found);
        }
        for (xcb_keycode_t code : codes)
            xcb_test_fake_input(conn_, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        for (auto it = codes.rbegin(); it != codes.rend(); ++it)
            xcb_test_fake_input(conn_, XCB_KEY_RELEASE, *it, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
    }
    void autoRepeat(bool on) {
        const std::uint32_t mode = on ? XCB_AUTO_REPEAT_MODE_ON : XCB_AUTO_REPEAT_MODE_OFF;
        free(xcb_request_check(conn_, xcb_change_keyboard_control_checked(conn_, XCB_KB_AUTO_REPEAT_MODE, &mode)));
    }

private:
    xcb_connection_t* conn_;
    xcb_window_t root_;
    xcb_key_symbols_t* symbols_;
};

class ActivationInputTest : public ::testing::Test {
public:
    void SetUp() override {
        ORBEL_REQUIRE_DISPLAY();
        manager = std::make_unique<HotkeyManager>();
        manager->onHotkeyPressed = [this] { fired.push_back("tap"); };
        manager->onHoldOpen = [this] { fired.push_back("open"); };
        manager->onHoldRelease = [this] { fired.push_back("release"); };
    }
    void TearDown() override { manager.reset(); }
    // Waits for `count` callbacks, then a little more for any stray one.
    std::vector<std::string> settle(std::size_t count) {
        if (count) spinUntil([&] { return fired.size() >= count; });
        spin(200);
        return std::exchange(fired, {});
    }

    fakes::Installed<fakes::FakeAlerts, platform::Alerts> alerts;
    std::unique_ptr<HotkeyManager> manager;
    std::vector<std::string> fired;
    OtherClient other;
};

TEST_F(ActivationInputTest, TapChordFiresOncePerPressNeverRepeatsEvenUnderOurGrabAndStopsAfterUnregistering) {
    other.autoRepeat(true);
    manager->apply(ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO)));
    ASSERT_EQ(manager->currentHotkey(), kCtrlOptO);
    xdotool({"key", "ctrl+alt+o"});
    xdotool({"key", "ctrl+alt+o"});
    EXPECT_EQ(settle(2), (std::vector<std::string>{"tap", "tap"}));

    xdotool({"keydown", "ctrl+alt+o"});
    spin(1200);  // long past the auto-repeat delay
    xdotool({"keyup", "ctrl+alt+o"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"tap"});

    // A lit Num Lock or Caps Lock does not hide the chord.
    xdotool({"key", "Num_Lock"});
    xdotool({"key", "ctrl+alt+o"});
    xdotool({"key", "Num_Lock", "Caps_Lock"});
    xdotool({"key", "ctrl+alt+o"});
    xdotool({"key", "Caps_Lock"});
    EXPECT_EQ(settle(2), (std::vector<std::string>{"tap", "tap"}));

    // Chords still fire while our own window holds the keyboard.
    ASSERT_TRUE(manager->registerMusicHotkey(kCtrlOptP));
    manager->onMusicHotkeyPressed = [this] { fired.push_back("music"); };
    QLineEdit dial;
    dial.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dial));
    dial.grabKeyboard();
    spin(200);
    ASSERT_FALSE(other.grabKeyboard()) << "our window holds the keyboard";
    xdotool({"key", "ctrl+alt+o"});
    xdotool({"key", "ctrl+alt+p"});
    xdotool({"key", "x"});
    EXPECT_EQ(settle(2), (std::vector<std::string>{"tap", "music"}));
    EXPECT_EQ(dial.text(), "x") << "the window gets every other key";
    dial.releaseKeyboard();

    manager->suspendActivation();
    xdotool({"key", "ctrl+alt+o"});
    EXPECT_TRUE(settle(0).empty());
    EXPECT_TRUE(alerts.shown.empty());
}

// A press xcb read off the socket while the program waited for a reply to
// something else sits in xcb's queue, and the socket has nothing more to
// say: it is handled before the program next waits, not whenever a later
// request happens to look at the queue (a Reload re-arming the hot key
// once opened the dial over the settings window that way, seconds late).
TEST_F(ActivationInputTest, AChordReadWhileWaitingForAReplyFiresWithoutWaitingForMore) {
    auto* x = platform::x11::InputConnection::shared();
    ASSERT_TRUE(x);
    manager->apply(ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO)));
    EXPECT_TRUE(settle(0).empty());
    other.chord({0xffe3 /* Control_L */, 0xffe9 /* Alt_L */, 'o'});
    // A round trip of our own reads the press (and release) into the queue.
    free(xcb_get_input_focus_reply(x->connection(), xcb_get_input_focus(x->connection()), nullptr));
    EXPECT_EQ(settle(1), std::vector<std::string>{"tap"});
}

TEST_F(ActivationInputTest, HeldChordReleasesOnceEvenWhileAnotherClientHoldsTheKeyboard) {
    other.autoRepeat(true);
    manager->apply(ActivationMode::hold(HoldBinding::keyCombination(kCtrlOptH)));
    xdotool({"keydown", "ctrl+alt+h"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"open"});
    EXPECT_TRUE(other.grabKeyboard()) << "the press handed the keyboard back";
    spin(800);
    xdotool({"keyup", "ctrl+alt+h"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"release"});
}

// The press says where the pointer was, once; a chord our own window hears
// as its key event says nothing of it.
TEST_F(ActivationInputTest, AChordPressSaysWhereThePointerWasOnce) {
    manager->apply(ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO)));
    auto& hotkeys = platform::GlobalHotkeys::shared();
    (void)hotkeys.takePressPointer();
    // Each press is stamped when it came, not when it was taken: after it
    // was typed, and a later press later.
    std::optional<platform::GlobalHotkeys::PressPointer> last;
    for (const QPoint at : {QPoint(321, 234), QPoint(123, 45)}) {
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
        const auto typed = std::chrono::steady_clock::now();
        xdotool({"key", "ctrl+alt+o"});
        ASSERT_EQ(settle(1), std::vector<std::string>{"tap"});
        const auto press = hotkeys.takePressPointer();
        ASSERT_TRUE(press);
        EXPECT_EQ(press->device, at);
        EXPECT_GE(press->at, typed);
        if (last) {
            EXPECT_GT(press->at, last->at);
        }
        EXPECT_FALSE(hotkeys.takePressPointer());
        last = press;
    }

    QLineEdit window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.grabKeyboard();
    spin(200);
    xdotool({"key", "ctrl+alt+o"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"tap"});
    EXPECT_FALSE(hotkeys.takePressPointer());
    window.releaseKeyboard();
}

TEST_F(ActivationInputTest, TypingElsewhereWakesNothingWhileNoChordIsHeld) {
    static int events = 0;  // listeners live as long as the process
    static bool listening = false;
    auto* x = platform::x11::InputConnection::shared();
    ASSERT_TRUE(x);
    if (!std::exchange(listening, true)) x->addListener([](const xcb_generic_event_t*) { ++events; });
    manager->apply(ActivationMode::hold(HoldBinding::keyCombination(kCtrlOptH)));
    spin(200);
    events = 0;
    xdotool({"type", "--delay", "1", "typing in another window"});
    spin(300);
    EXPECT_EQ(events, 0) << "key events read while no chord is held";

    xdotool({"keydown", "ctrl+alt+h"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"open"});
    xdotool({"keyup", "ctrl+alt+h"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"release"});
    events = 0;
    xdotool({"type", "--delay", "1", "and after it"});
    spin(300);
    EXPECT_EQ(events, 0) << "raw releases still selected after the chord's release";
}

TEST_F(ActivationInputTest, ChordsOtherClientsHoldAreConflictsAndTheAlternativesAreFree) {
    ASSERT_TRUE(other.grabKey('p', XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    EXPECT_TRUE(manager->hasConflict(kCtrlOptP));
    EXPECT_FALSE(manager->registerHotkey(kCtrlOptP));
    EXPECT_TRUE(spinUntil([&] { return !alerts.shown.empty(); }));
    // The fallback, Alt+Space, is taken too: the alert names the first free
    // alternative, which its Cancel arms.
    const KeyCombination altShiftP{kCtrlOptP.keyCode, modifier::kOption | modifier::kShift, std::nullopt};
    EXPECT_FALSE(manager->currentHotkey());
    EXPECT_NE(alerts.shown[0].alert.text.find("If you cancel, Alt+Shift+P opens the dial instead."), std::string::npos);
    alerts.dismiss(0, 1);
    EXPECT_EQ(manager->currentHotkey(), altShiftP);

    // The stored default, Alt+Space, is the window manager's window menu.
    const KeyCombination optSpace = HotkeyManager::fallbackHotkey();
    EXPECT_TRUE(manager->hasConflict(optSpace));
    const auto alternatives = manager->suggestAlternatives(optSpace);
    EXPECT_EQ(alternatives.size(), 5u);
    for (const auto& k : alternatives) EXPECT_TRUE(manager->forceRegisterHotkey(k)) << k.displayString();
}

TEST_F(ActivationInputTest, ExtraMouseButtonOpensAndReleases) {
    manager->apply(ActivationMode::hold(HoldBinding::mouseButton(3)));
    xdotool({"mousedown", "8"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"open"});
    xdotool({"click", "1"});
    xdotool({"mouseup", "8"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"release"});

    manager->apply(ActivationMode::tap(HoldBinding::mouseButton(4)));
    xdotool({"click", "9"});
    xdotool({"click", "4"});  // scrolling is never a button
    EXPECT_EQ(settle(1), std::vector<std::string>{"tap"});
}

TEST_F(ActivationInputTest, F13ToF20AreHotKeysUnderTheStockKeymap) {
    // The stock keymap names them XF86Tools, XF86Launch5... and F19 not at all.
    const std::vector<std::pair<std::uint16_t, QString>> keys = {
        {105, "XF86Tools"}, {107, "XF86Launch5"}, {113, "XF86Launch6"}, {106, "XF86Launch7"},
        {64, "XF86Launch8"}, {79, "XF86Launch9"}, {80, ""}, {90, "XF86AudioMicMute"}};
    for (const auto& [keyCode, keysym] : keys) {
        SCOPED_TRACE(keyCode);
        const KeyCombination key{keyCode, 0, std::nullopt};
        EXPECT_FALSE(manager->hasConflict(key));
        ASSERT_TRUE(manager->registerHotkey(key));
        if (keysym.isEmpty()) other.tapKeycode(197);
        else xdotool({"key", keysym});
        EXPECT_EQ(settle(1), std::vector<std::string>{"tap"});
    }
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(ActivationInputTest, AChordFollowsItsKeyToAnotherLayout) {
    struct UsLayoutAfter {
        ~UsLayoutAfter() { QProcess::execute("setxkbmap", {"us"}); }
    } restore;
    manager->apply(ActivationMode::tap(HoldBinding::keyCombination(kCtrlOptO)));
    xdotool({"key", "ctrl+alt+o"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"tap"});
    ASSERT_EQ(QProcess::execute("setxkbmap", {"-layout", "us", "-variant", "dvorak"}), 0);
    spin(300);
    xdotool({"key", "ctrl+alt+o"});  // another key now
    EXPECT_EQ(settle(1), std::vector<std::string>{"tap"});
    xdotool({"key", "ctrl+alt+r"});  // the key that typed "o" before
    EXPECT_TRUE(settle(0).empty());
    ASSERT_EQ(QProcess::execute("setxkbmap", {"us"}), 0);
    spin(300);
    xdotool({"key", "ctrl+alt+o"});
    EXPECT_EQ(settle(1), std::vector<std::string>{"tap"});
}

}  // namespace
}  // namespace orbel
