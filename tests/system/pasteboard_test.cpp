// The clipboard against other X clients: they can paste from us, and their
// copies change the count. Snapshot and restore are covered through the
// snippet paste tests.
#include <gtest/gtest.h>

#include "platform/pasteboard.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using platform::Pasteboard;
using systemtest::Program;

const auto readFromOutside = systemtest::readClipboardFromOutside;

TEST(SystemPasteboard, ACopyByAnotherApplicationChangesTheCount) {
    ORBEL_REQUIRE_DISPLAY();
    Pasteboard& pasteboard = Pasteboard::shared();
    pasteboard.setText("ours");
    const std::uint64_t placed = pasteboard.changeCount();
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"text:ours", "noimage"}));
    EXPECT_EQ(pasteboard.changeCount(), placed) << "a paste by someone else is no change";

    Program owner(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-text"), QStringLiteral("theirs")});
    ASSERT_TRUE(owner.waitForLine("holding"));
    EXPECT_TRUE(systemtest::spinUntil([&] { return pasteboard.changeCount() != placed; }));
    EXPECT_EQ(systemtest::clipboardText(), std::optional<std::string>("theirs"));
}

}  // namespace
}  // namespace orbel
