#pragma once

// Small helpers for the value-type decoding tests.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

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

inline std::string compact(const json::Json& j) { return json::write(j, {.escapeSlashes = false}); }

}  // namespace orbel::testing
