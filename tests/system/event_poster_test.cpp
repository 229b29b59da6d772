// XTest input typed into a real Qt window.
#include <gtest/gtest.h>

#include "model/key_combination.h"
#include "platform/event_poster.h"
#include "platform/permissions.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using platform::EventPoster;
using systemtest::Program;

using modifier::kControl;
using modifier::kShift;

TEST(SystemEventPoster, ChordsAndLiteralTextReachALineEditWhateverTheUserHolds) {
    ORBEL_REQUIRE_DISPLAY();
    ASSERT_TRUE(platform::Permissions::shared().accessibilityTrusted(false));
    Program window(QStringLiteral("orbel_test_window"), {QStringLiteral("Orbel typing target")});
    ASSERT_TRUE(window.waitForLine("ready")) << "the test window never got the focus";

    EventPoster& poster = EventPoster::shared();
    // Letters through chords: h, then Shift+i.
    ASSERT_TRUE(poster.postChord(4, 0));
    ASSERT_TRUE(poster.postChord(34, kShift));
    ASSERT_TRUE(window.waitForLine("text:hI"));

    // Ctrl+A selects everything, so the literal text replaces it; the text
    // holds characters the US layout lacks.
    ASSERT_TRUE(poster.postChord(0, kControl));
    const std::string literal = "Zé→ ok! ü";
    ASSERT_TRUE(poster.typeText(literal));
    EXPECT_TRUE(window.waitForLine("text:" + literal)) << window.lastLineStartingWith("text:");

    // Backspace as a chord removes the last character.
    ASSERT_TRUE(poster.postChord(51, 0));
    EXPECT_TRUE(window.waitForLine("text:Zé→ ok! ")) << window.lastLineStartingWith("text:");

    // The borrowed keycodes go back once typing is over; typing the same
    // character again much later still works.
    systemtest::spin(1700);
    ASSERT_TRUE(poster.typeText("é"));
    EXPECT_TRUE(window.waitForLine("text:Zé→ ok! é")) << window.lastLineStartingWith("text:");

    // Shift held the way a user finishing a hot key would (by a second
    // process, so that the server sees a real held key) does not leak in.
    ASSERT_TRUE(poster.postChord(0, kControl));
    systemtest::xdotool({"keydown", "shift"});
    poster.typeText("abc");
    systemtest::xdotool({"keyup", "shift"});
    EXPECT_TRUE(window.waitForLine("text:abc")) << window.lastLineStartingWith("text:");
}

}  // namespace
}  // namespace orbel
