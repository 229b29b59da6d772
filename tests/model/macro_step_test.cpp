#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/macro_step.h"

using orbel::KeyCombination;
using orbel::MacroStep;
namespace json = orbel::json;

namespace {

MacroStep decode(const std::string& text) { return orbel::testing::decodeText(text, MacroStep::fromJson); }

std::string encode(const MacroStep& step) { return json::write(step.toJson(), {.escapeSlashes = false}); }

}  // namespace

TEST(MacroStep, DecodesEveryCaseWithClamps) {
    struct Case {
        const char* json;
        MacroStep expected;
        const char* written;
    };
    const KeyCombination cmdV{9, orbel::modifier::kCommand, std::nullopt};
    const Case cases[] = {
        {R"({"chord":"Cmd+V"})", MacroStep::chord(cmdV), R"({"chord":"cmd+v"})"},
        {R"({"wait":{"milliseconds":-40}})", MacroStep::wait(1), R"({"wait":{"milliseconds":1}})"},
        {R"({"wait":{"milliseconds":2.0}})", MacroStep::wait(2), R"({"wait":{"milliseconds":2}})"},
        {R"({"text":"héllo/"})", MacroStep::text("héllo/"), R"({"text":"héllo/"})"},
        {R"({"clipboardPop":{}})", MacroStep::clipboardPop(), R"({"clipboardPop":null})"},
        {R"({"waitForWindow":{"bundleId":"org.gnome.Nautilus","titleContains":"Home","timeoutMs":1500}})",
         MacroStep::waitForWindow("org.gnome.Nautilus", "Home", 1500),
         R"({"waitForWindow":{"bundleId":"org.gnome.Nautilus","titleContains":"Home","timeoutMs":1500}})"},
        {R"({"waitForWindow":{"timeoutMs":50,"bundleId":"a","titleContains":null}})",
         MacroStep::waitForWindow("a", std::nullopt, 200), R"({"waitForWindow":{"bundleId":"a","timeoutMs":200}})"},
        // Probe order: a valid chord wins, an invalid one falls through.
        {R"({"text":"t","chord":"ctrl+a"})", MacroStep::chord({0, 0x1000, std::nullopt}), R"({"chord":"ctrl+a"})"},
        {R"({"chord":"ctrl+nope","text":"t"})", MacroStep::text("t"), R"({"text":"t"})"},
        {R"({"chord":null,"wait":"x","clipboardPop":null})", MacroStep::clipboardPop(), R"({"clipboardPop":null})"},
        {R"({"text":5,"clipboardPush":null,"clipboardPop":null})", MacroStep::clipboardPush(),
         R"({"clipboardPush":null})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(encode(decode(c.json)), c.written);
        EXPECT_EQ(decode(c.written), c.expected);
    }
}

TEST(MacroStep, EncodingClampsValuesBuiltInMemory) {
    EXPECT_EQ(encode(MacroStep::wait(123456)), R"({"wait":{"milliseconds":5000}})");
    EXPECT_EQ(encode(MacroStep::waitForWindow("x", "", -1)),
              R"({"waitForWindow":{"bundleId":"x","titleContains":"","timeoutMs":200}})");
    // An absent title and an empty one are different steps.
    EXPECT_NE(MacroStep::waitForWindow("a", std::nullopt, 300), MacroStep::waitForWindow("a", "", 300));
}

