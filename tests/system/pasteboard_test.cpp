// The clipboard against other X clients: what they hold is snapshotted,
// replaced and put back, and they can paste from us while we hold it.
#include <gtest/gtest.h>

#include "platform/pasteboard.h"
#include "system_helpers.h"

namespace orbel {
namespace {

using platform::Pasteboard;
using systemtest::Program;

// What another process reads from the clipboard now ("text:..."/"notext",
// then "image:..."/"noimage"). The event loop runs meanwhile, so we can
// answer its requests.
std::vector<std::string> readFromOutside() {
    Program probe(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("print")});
    systemtest::spinUntil([&] { return probe.lines().size() >= 2; }, 10000);
    return probe.lines();
}

TEST(SystemPasteboard, TextOfAnotherApplicationIsRestoredAfterOurs) {
    ORBEL_REQUIRE_DISPLAY();
    Pasteboard& pasteboard = Pasteboard::shared();
    Program owner(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-text"), QStringLiteral("before ✓")});
    ASSERT_TRUE(owner.waitForLine("holding"));
    ASSERT_TRUE(systemtest::spinUntil([&] { return pasteboard.text() == std::optional<std::string>("before ✓"); }));

    const platform::PasteboardSnapshot saved = pasteboard.snapshot();
    ASSERT_FALSE(saved.empty());

    pasteboard.setText("snippet");
    const std::uint64_t placed = pasteboard.changeCount();
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"text:snippet", "noimage"}));
    EXPECT_EQ(pasteboard.changeCount(), placed) << "a paste by someone else is no change";

    pasteboard.restore(saved);
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"text:before ✓", "noimage"}));
    EXPECT_EQ(pasteboard.text(), std::optional<std::string>("before ✓"));
}

TEST(SystemPasteboard, ImageOfAnotherApplicationIsRestoredAfterOurs) {
    ORBEL_REQUIRE_DISPLAY();
    Pasteboard& pasteboard = Pasteboard::shared();
    Program sum(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("sum")});
    ASSERT_TRUE(systemtest::spinUntil([&] { return !sum.lines().empty(); }));
    const std::string expectedImage = "image:40x30:" + sum.lines().front();

    Program owner(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-image")});
    ASSERT_TRUE(owner.waitForLine("holding"));
    ASSERT_EQ(readFromOutside(), (std::vector<std::string>{"notext", expectedImage}));

    const platform::PasteboardSnapshot saved = pasteboard.snapshot();
    ASSERT_NE(saved.find("image/png"), nullptr);
    EXPECT_EQ(pasteboard.text(), std::nullopt);

    pasteboard.setText("snippet");
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"text:snippet", "noimage"}));

    pasteboard.restore(saved);
    owner.stop();  // the original owner is gone: the image now comes from us
    EXPECT_EQ(readFromOutside(), (std::vector<std::string>{"notext", expectedImage}));
}

TEST(SystemPasteboard, ACopyByAnotherApplicationChangesTheCount) {
    ORBEL_REQUIRE_DISPLAY();
    Pasteboard& pasteboard = Pasteboard::shared();
    pasteboard.setText("ours");
    const std::uint64_t placed = pasteboard.changeCount();
    systemtest::spin(100);
    EXPECT_EQ(pasteboard.changeCount(), placed);

    Program owner(QStringLiteral("orbel_clipboard_probe"), {QStringLiteral("hold-text"), QStringLiteral("theirs")});
    ASSERT_TRUE(owner.waitForLine("holding"));
    EXPECT_TRUE(systemtest::spinUntil([&] { return pasteboard.changeCount() != placed; }));
    EXPECT_EQ(pasteboard.text(), std::optional<std::string>("theirs"));
}

}  // namespace
}  // namespace orbel
