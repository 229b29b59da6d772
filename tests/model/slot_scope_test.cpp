#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/slot_scope.h"

using namespace orbel;

namespace {

SlotScope decode(const std::string& text) { return orbel::testing::decodeText(text, SlotScope::fromJson); }

}  // namespace

TEST(SlotScope, ReadsCompactAndKeyedForms) {
    const struct {
        std::string input;
        SlotScope expected;
    } cases[] = {
        {R"("global")", SlotScope::global()},
        {R"("Global")", SlotScope::app("Global")},
        {"[]", SlotScope::global()},
        {R"(["com.a"])", SlotScope::app("com.a")},
        {R"(["com.b","com.a","com.b"])", SlotScope::apps({"com.b", "com.a", "com.b"})},
        {R"(["global"])", SlotScope::app("global")},
        // Older keyed form.
        {R"({"global":{}})", SlotScope::global()},
        {R"({"app":{"bundleId":"com.x"},"apps":{"bundleIds":["a","b"]}})", SlotScope::app("com.x")},
        {R"({"app":"text","apps":{"bundleIds":["a"]}})", SlotScope::apps({"a"})},
        {R"({"apps":{"bundleIds":[]}})", SlotScope::apps({})},
    };
    for (const auto& c : cases) EXPECT_EQ(decode(c.input), c.expected) << c.input;
}

TEST(SlotScope, WritesOneCompactValue) {
    const struct {
        SlotScope scope;
        std::string written;
        SlotScope readBack;
    } cases[] = {
        {SlotScope::app("com.a"), R"("com.a")", SlotScope::app("com.a")},
        {SlotScope::apps({"a", "b", "a"}), R"(["a","b","a"])", SlotScope::apps({"a", "b", "a"})},
        // Lists of fewer than two read back normalised, so not equal to what was written.
        {SlotScope::apps({"a"}), R"(["a"])", SlotScope::app("a")},
        // An app whose identifier is "global" cannot survive the compact form.
        {SlotScope::app("global"), R"("global")", SlotScope::global()},
    };
    for (const auto& c : cases) {
        const std::string written = json::write(c.scope.toJson(), {.escapeSlashes = false});
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(decode(written), c.readBack) << written;
    }
}

