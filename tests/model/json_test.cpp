#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "model/json.h"
#include "model/json_writer.h"

using namespace orbel::json;

namespace {

// One small document exercising nesting, empty containers, slashes,
// escapes, integers and doubles.
Json sampleDocument() {
    Json doc = Json::object();
    doc["zeta"] = "a/b";
    doc["alpha"] = Json::array({1, 2.5, true, nullptr});
    doc["empty"] = Json::object();
    doc["list"] = Json::array();
    doc["nested"] = Json::object();
    doc["nested"]["b"] = 1.0;
    doc["nested"]["a"] = "tab\there \"q\" \x01";
    return doc;
}

}  // namespace

// The bytes of every preset are part of a stored format.
TEST(JsonWriter, GoldenBytesForEveryPreset) {
    const Json doc = sampleDocument();
    const std::pair<WriteOptions, const char*> cases[] = {
        {kCompact,
         R"({"zeta":"a\/b","alpha":[1,2.5,true,null],"empty":{},"list":[],"nested":{"b":1,"a":"tab\there \"q\" \u0001"}})"},
        {kSortedCompact,
         R"({"alpha":[1,2.5,true,null],"empty":{},"list":[],"nested":{"a":"tab\there \"q\" \u0001","b":1},"zeta":"a\/b"})"},
        {kConfigDocument,
         "{\n  \"zeta\" : \"a\\/b\",\n  \"alpha\" : [\n    1,\n    2.5,\n    true,\n    null\n  ],\n"
         "  \"empty\" : {\n\n  },\n  \"list\" : [\n\n  ],\n  \"nested\" : {\n    \"b\" : 1,\n"
         "    \"a\" : \"tab\\there \\\"q\\\" \\u0001\"\n  }\n}"},
        {kBackupDocument,
         "{\n  \"alpha\" : [\n    1,\n    2.5,\n    true,\n    null\n  ],\n  \"empty\" : {\n\n  },\n"
         "  \"list\" : [\n\n  ],\n  \"nested\" : {\n    \"a\" : \"tab\\there \\\"q\\\" \\u0001\",\n"
         "    \"b\" : 1\n  },\n  \"zeta\" : \"a/b\"\n}"},
    };
    for (const auto& [options, expected] : cases) {
        const std::string out = write(doc, options);
        EXPECT_EQ(out, expected);
        // The text reads back to a document that is written the same way again.
        EXPECT_EQ(write(parse(out), options), out);
    }
}

TEST(JsonWriter, NumbersAndTextEdgeCases) {
    EXPECT_EQ(formatDouble(1.0), "1");
    EXPECT_EQ(formatDouble(1700000000.5), "1700000000.5");
    EXPECT_EQ(std::stod(formatDouble(1.0 / 3.0)), 1.0 / 3.0);
    EXPECT_EQ(formatDouble(std::nan("")), "0");
    EXPECT_EQ(write(Json(static_cast<std::int64_t>(-9223372036854775807LL - 1))), "-9223372036854775808");
    EXPECT_EQ(write(Json("é ✓ 😀")), "\"é ✓ 😀\"");
    // A byte that is not UTF-8 is replaced rather than written raw.
    EXPECT_EQ(write(Json(std::string("a\xff") + "b")), "\"a\xEF\xBF\xBD" "b\"");
    // Sorting is by bytes, upper case before lower case.
    EXPECT_EQ(write(parse(R"({"b":1,"B":2,"a":3})"), kSortedCompact), R"({"B":2,"a":3,"b":1})");
}

TEST(JsonReader, RejectsBadSyntaxAndDeepNesting) {
    for (const char* bad : {"", "[1,]", "{\"a\" 1}", "\"\xff\""}) EXPECT_THROW(parse(bad), DecodingError) << bad;
    try {
        parse("{");
    } catch (const DecodingError& e) {
        EXPECT_EQ(e.kind(), DecodingError::Kind::dataCorrupted);
        EXPECT_STREQ(e.what(), "The given data was not valid JSON.");
    }
    EXPECT_NO_THROW(parse(std::string(512, '[') + std::string(512, ']')));
    EXPECT_THROW(parse(std::string(513, '[') + std::string(513, ']')), DecodingError);
    EXPECT_THROW(parse(std::string(100000, '[')), DecodingError);
}

// The depth limit must not cost more than linear time: a check that rescans
// every parent array took minutes for a long flat array. The bound is far
// above what a linear reader needs even in a sanitizer build.
// Ten times the elements cost at most about twenty times the time: a
// quadratic reader would take a hundred times. The small document is read
// ten times per measurement, so that both spans are alike against a loaded
// machine; the fastest of five measurements counts, the freeing is left out.
TEST(JsonReader, LongFlatArraysReadInLinearTime) {
    const auto fastest = [](int elements, int reads) {
        std::string text = "[{}";
        for (int i = 1; i < elements; ++i) text += ",{}";
        text += "]";
        auto best = std::chrono::steady_clock::duration::max();
        for (int attempt = 0; attempt < 5; ++attempt) {
            std::vector<Json> documents(static_cast<std::size_t>(reads));
            const auto start = std::chrono::steady_clock::now();
            for (Json& document : documents) document = parse(text);
            best = std::min(best, std::chrono::steady_clock::now() - start);
            EXPECT_EQ(documents.back().size(), std::size_t(elements));
        }
        return std::chrono::duration<double>(best).count() / reads;
    };
    const double small = fastest(20000, 10), large = fastest(200000, 1);
    EXPECT_LT(large / small, 20.0) << small << " s against " << large << " s";
}

TEST(JsonNode, ErrorsCarryKindAndCodingPath) {
    const Json doc = parse(R"({"a":{"list":[1,"x",null,2.5]},"n":null,"f":5.0,"big":1e30})");
    const Node root(doc);
    auto expectError = [](auto&& f, DecodingError::Kind kind, const std::string& path, const std::string& text) {
        try {
            f();
            ADD_FAILURE() << "no error";
        } catch (const DecodingError& e) {
            EXPECT_EQ(e.kind(), kind);
            EXPECT_EQ(describePath(e.codingPath()), path);
            EXPECT_EQ(std::string(e.what()), text);
        }
    };
    using K = DecodingError::Kind;
    expectError([&] { root["a"]["list"].at(1).asInt(); }, K::typeMismatch, "a.list[1]",
                "Expected to decode Int but found a string instead.");
    expectError([&] { root.string("n"); }, K::valueNotFound, "n", "Expected String value but found null instead.");
    expectError([&] { root["a"]["list"].at(3).asInt(); }, K::dataCorrupted, "a.list[3]",
                "Parsed JSON number <2.5> does not fit in Int.");
    expectError([&] { root["a"]["list"]["k"]; }, K::typeMismatch, "a.list",
                "Expected to decode Dictionary<String, Any> but found an array instead.");

    EXPECT_EQ(root.integer("f"), 5);
    EXPECT_FALSE(root.optional("n").has_value());
}
