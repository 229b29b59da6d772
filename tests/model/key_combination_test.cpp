#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "model/key_combination.h"

using orbel::KeyCombination;
namespace modifier = orbel::modifier;

namespace {

KeyCombination key(std::uint16_t code, std::uint32_t mods = 0) { return {code, mods, std::nullopt}; }
KeyCombination mouse(std::int64_t button) { return {0, 0, button}; }

}  // namespace

TEST(KeyCombination, ParsesAndWritesCanonicalShorthand) {
    struct Case {
        const char* input;
        KeyCombination expected;
        const char* canonical;
    };
    const std::uint32_t shiftCmd = modifier::kShift | modifier::kCommand;
    const Case cases[] = {
        {" \t CMD+Shift+4\u00A0 ", key(21, shiftCmd), "shift+cmd+4"},
        {"command+meta+super+shift+4", key(21, shiftCmd), "shift+cmd+4"},
        {"ctrl+option+K", key(40, 0x1800), "ctrl+opt+k"},
        {"enter", key(36), "return"},
        {"fwddelete", key(117), "key#117"},
        {"key#7", key(7), "x"},
        {"\\", key(42), "\\"},
        {"ctrl+`", key(50, modifier::kControl), "ctrl+`"},
        {"MOUSE:+3", mouse(3), "mouse:3"},
        {"mouse:9223372036854775807", mouse(std::numeric_limits<std::int64_t>::max()),
         "mouse:9223372036854775807"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(KeyCombination::parse(c.input), c.expected);
        EXPECT_EQ(c.expected.shorthand(), c.canonical);
        EXPECT_EQ(KeyCombination::parse(c.canonical), c.expected);
    }
}

TEST(KeyCombination, RejectsMalformedShorthand) {
    const char* inputs[] = {
        "", "   ", "cmd", "a+b", "cmd++a", "a+", "ctrl + a", "key#65536", "key#-1", "key#+7",
        "mouse:0", "mouse:99999999999999999999", "ctrl+mouse:2", "home", "\na",
    };
    for (const char* input : inputs) {
        EXPECT_EQ(KeyCombination::parse(input), std::nullopt) << '"' << input << '"';
    }
}

TEST(KeyCombination, WriterDropsUnknownBitsAndOrdersModifiers) {
    EXPECT_EQ(key(0, 0x0400).shorthand(), "a");
    EXPECT_EQ(key(117, modifier::kShift | modifier::kCommand).shorthand(), "shift+cmd+key#117");
    EXPECT_EQ(key(1, 0xFFFFFFFF).shorthand(), "ctrl+opt+shift+cmd+s");
    // A mouse value ignores whatever key and modifiers it carries.
    EXPECT_EQ((KeyCombination{5, modifier::kCommand, 4}).shorthand(), "mouse:4");
}

TEST(KeyCombination, DisplayString) {
    const std::pair<KeyCombination, const char*> cases[] = {
        {key(49, modifier::kOption), "Alt+Space"},
        {key(31, modifier::kOption | modifier::kControl), "Ctrl+Alt+O"},
        {key(40, modifier::kShift | modifier::kCommand), "Shift+Super+K"},
        {key(126, 0xFFFFFFFF), "Ctrl+Alt+Shift+Super+Up"},
        {key(51), "Backspace"},
        {key(117), "Delete"},
        {key(115), "Key 115"},
        {mouse(2), "Mouse 3"},
        {mouse(std::numeric_limits<std::int64_t>::max()), "Mouse 9223372036854775808"},
        {mouse(std::numeric_limits<std::int64_t>::min()), "Mouse -9223372036854775807"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(value.displayString(), expected) << expected;
}

TEST(KeyCombination, TablesAreSafeToBuildFromManyThreads) {
    std::vector<std::thread> threads;
    std::vector<std::string> results(8);
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&results, i] { results[i] = KeyCombination::parse("cmd+esc")->shorthand(); });
    }
    for (auto& t : threads) t.join();
    for (const auto& r : results) EXPECT_EQ(r, "cmd+esc");
}

