// The keys a window gets as it takes the keyboard over from the hot key's
// grab, with server times made up for each case.
#include <gtest/gtest.h>

#include <string>

#include "platform/linux/key_hand_over.h"

namespace orbel::platform::x11 {
namespace {

// X key codes of the stock keyboard.
constexpr xcb_keycode_t kCtrl = 37, kAlt = 64, kReturn = 36, kRight = 114, kDown = 116, kA = 38, kB = 56;

xcb_key_press_event_t down(xcb_keycode_t code, xcb_timestamp_t time) {
    xcb_key_press_event_t e{};
    e.response_type = XCB_KEY_PRESS;
    e.detail = code;
    e.time = time;
    return e;
}
xcb_key_press_event_t up(xcb_keycode_t code, xcb_timestamp_t time) {
    xcb_key_press_event_t e = down(code, time);
    e.response_type = XCB_KEY_RELEASE;
    return e;
}

// "+38@100" for a press of key 38 at 100, "-38@130" for its release.
std::vector<std::string> described(const std::vector<xcb_key_press_event_t>& keys) {
    std::vector<std::string> out;
    for (const auto& k : keys)
        out.push_back(((k.response_type & 0x7f) == XCB_KEY_PRESS ? "+" : "-") + std::to_string(k.detail) + "@" +
                      std::to_string(k.time));
    return out;
}

TEST(KeyHandOver, KeysGoInTheOrderTheyWereTypedWhicheverWayTheyCame) {
    // Right typed under the hot key's grab; Right and Return at the window:
    // two steps, then Return.
    EXPECT_EQ(described(handOverOrder({down(kRight, 100), up(kRight, 110)},
                                      {down(kRight, 150), up(kRight, 160), down(kReturn, 170), up(kReturn, 180)}, 140)),
              (std::vector<std::string>{"+114@100", "-114@110", "+114@150", "-114@160", "+36@170", "-36@180"}));
    // Interleaved, and a tie: the grab's key, handled first, goes first.
    EXPECT_EQ(described(handOverOrder({down(kA, 100), up(kA, 130), down(kDown, 150)},
                                      {down(kB, 120), up(kB, 140), down(kReturn, 150)}, 150)),
              (std::vector<std::string>{"+38@100", "+56@120", "-38@130", "-56@140", "+116@150", "+36@150"}));
}

TEST(KeyHandOver, AKeyTypedMoreThanASecondBeforeTheGrabIsDropped) {
    // Typed at once, read 3 s later by a busy program: the grab came at 3100.
    EXPECT_TRUE(handOverOrder({down(kDown, 100), up(kDown, 120), down(kReturn, 200), up(kReturn, 220)}, {}, 3100)
                    .empty());
    // A second before the grab still counts; its press gone, a release does not.
    EXPECT_EQ(described(handOverOrder({down(kA, 1999), up(kA, 2100), down(kB, 2000), up(kB, 2900)}, {}, 3000)),
              (std::vector<std::string>{"+56@2000", "-56@2900"}));
    // Across the wrap of the server's clock.
    EXPECT_EQ(described(handOverOrder({down(kA, 0xFFFFF000u), down(kB, 0xFFFFFF00u)}, {}, 200)),
              (std::vector<std::string>{"+56@4294967040"}));
}

// The server's clock wraps between keys: those typed before the wrap (the
// larger times) still go before those typed after it, whichever way they came.
TEST(KeyHandOver, KeysTypedAcrossTheWrapOfTheServersClockKeepTheirOrder) {
    EXPECT_EQ(described(handOverOrder({down(kA, 0xFFFFFF00u), up(kA, 0xFFFFFFF0u)}, {down(kB, 0x10), up(kB, 0x20)}, 0x8)),
              (std::vector<std::string>{"+38@4294967040", "-38@4294967280", "+56@16", "-56@32"}));
    EXPECT_EQ(described(handOverOrder({down(kA, 0xFFFFFFF0u), down(kB, 0x10)}, {down(kReturn, 0xFFFFFFF8u)}, 0x20)),
              (std::vector<std::string>{"+38@4294967280", "+36@4294967288", "+56@16"}));
}

TEST(KeyHandOver, TheChordsModifiersLetGoAreNotHandedOver) {
    EXPECT_EQ(described(handOverOrder({up(kAlt, 100), down(kDown, 110), up(kDown, 120), up(kCtrl, 130)},
                                      {up(kReturn, 150)}, 140)),
              (std::vector<std::string>{"+116@110", "-116@120", "-36@150"}));
}

}  // namespace
}  // namespace orbel::platform::x11
