#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "model/json_writer.h"
#include "model/slot_scope.h"

using namespace orbel;
using json::DecodingError;

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
        {R"(" com.a ")", SlotScope::app(" com.a ")},
        {"[]", SlotScope::global()},
        {R"(["com.a"])", SlotScope::app("com.a")},
        {R"(["com.b","com.a","com.b"])", SlotScope::apps({"com.b", "com.a", "com.b"})},
        {R"(["global"])", SlotScope::app("global")},
        // Older keyed form.
        {R"({"global":{}})", SlotScope::global()},
        {R"({"global":5})", SlotScope::global()},
        {R"({"app":{"bundleId":"com.x"},"global":{}})", SlotScope::global()},
        {R"({"app":{"bundleId":"com.x"},"apps":{"bundleIds":["a","b"]}})", SlotScope::app("com.x")},
        {R"({"app":"text","apps":{"bundleIds":["a"]}})", SlotScope::apps({"a"})},
        {R"({"apps":{"bundleIds":[]}})", SlotScope::apps({})},
    };
    for (const auto& c : cases) EXPECT_EQ(decode(c.input), c.expected) << c.input;
}

TEST(SlotScope, DecodingErrors) {
    using K = DecodingError::Kind;
    const std::vector<orbel::testing::ErrorCase> cases = {
        {R"({"app":{},"apps":{"bundleIds":["a","b"]}})", K::keyNotFound, "No value associated with key \"bundleId\".",
         "app"},
        {R"({"app":{"bundleId":7}})", K::typeMismatch, "Expected to decode String but found a number instead.",
         "app.bundleId"},
        {R"({"apps":{}})", K::keyNotFound, "No value associated with key \"bundleIds\".", "apps"},
        {R"({"apps":{"bundleIds":["a",1]}})", K::typeMismatch, "Expected to decode String but found a number instead.",
         "apps.bundleIds[1]"},
        {R"({"app":"text"})", K::dataCorrupted, "Unknown SlotScope payload", ""},
        {"{}", K::dataCorrupted, "Unknown SlotScope payload", ""},
        {"5", K::typeMismatch, "Expected to decode Dictionary<String, Any> but found a number instead.", ""},
        {R"(["a",1])", K::typeMismatch, "Expected to decode Dictionary<String, Any> but found an array instead.", ""},
    };
    orbel::testing::expectDecodeErrors(cases, SlotScope::fromJson);
    // The payload error sits on the object's own path.
    const auto nested = orbel::testing::decodeError(R"({"scope":{"x":1}})",
                                                    [](const json::Node& n) { return SlotScope::fromJson(n["scope"]); });
    EXPECT_EQ(json::describePath(nested.codingPath()), "scope");
}

TEST(SlotScope, WritesOneCompactValue) {
    const struct {
        SlotScope scope;
        std::string written;
        SlotScope readBack;
    } cases[] = {
        {SlotScope::global(), R"("global")", SlotScope::global()},
        {SlotScope::app("com.a"), R"("com.a")", SlotScope::app("com.a")},
        {SlotScope::apps({"a", "b", "a"}), R"(["a","b","a"])", SlotScope::apps({"a", "b", "a"})},
        // Lists of fewer than two read back normalised, so not equal to what was written.
        {SlotScope::apps({"a"}), R"(["a"])", SlotScope::app("a")},
        {SlotScope::apps({}), "[]", SlotScope::global()},
        // An app whose identifier is "global" cannot survive the compact form.
        {SlotScope::app("global"), R"("global")", SlotScope::global()},
    };
    for (const auto& c : cases) {
        const std::string written = json::write(c.scope.toJson(), {.escapeSlashes = false});
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(decode(written), c.readBack) << written;
    }
}

TEST(SlotScope, EqualityKeepsCaseAndOrder) {
    EXPECT_NE(SlotScope::app("a"), SlotScope::apps({"a"}));
    EXPECT_NE(SlotScope::apps({"a", "b"}), SlotScope::apps({"b", "a"}));
    EXPECT_NE(SlotScope::app("com.A"), SlotScope::app("com.a"));
    EXPECT_NE(SlotScope::global(), SlotScope::apps({}));
}
