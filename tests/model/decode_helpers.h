#pragma once

// Small helpers for the value-type decoding tests.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "model/json.h"
#include "model/json_writer.h"

namespace orbel::testing {

template <class Decode>
auto decodeText(std::string_view text, Decode&& decode) {
    const json::Json doc = json::parse(text);
    return decode(json::Node(doc));
}

// Decodes `text` with `decode`, expecting a DecodingError; returns it.
template <class Decode>
json::DecodingError decodeError(std::string_view text, Decode&& decode) {
    const json::Json doc = json::parse(text);
    try {
        decode(json::Node(doc));
    } catch (const json::DecodingError& e) {
        return e;
    }
    ADD_FAILURE() << "decoding succeeded: " << text;
    return json::DecodingError(json::DecodingError::Kind::dataCorrupted, {}, "<no error>");
}

// One expected decoding failure: input text, error kind, description
// (nullptr: not checked) and coding path.
struct ErrorCase {
    std::string text;
    json::DecodingError::Kind kind;
    const char* description;
    std::string path;
};

template <class Decode>
void expectDecodeErrors(const std::vector<ErrorCase>& cases, Decode&& decode) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const json::DecodingError e = decodeError(c.text, decode);
        EXPECT_EQ(e.kind(), c.kind);
        if (c.description) {
            EXPECT_EQ(std::string(e.what()), c.description);
        }
        EXPECT_EQ(json::describePath(e.codingPath()), c.path);
    }
}

inline std::string compact(const json::Json& j) { return json::write(j, {false, false, false}); }

}  // namespace orbel::testing
