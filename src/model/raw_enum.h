#pragma once

// Enumerations stored as text. Each enumeration lists its cases once, with
// their raw texts, in a constexpr table; the lookups both ways and the JSON
// decoding are the same for all of them:
//
//   constexpr raw_enum::Table<DialMode, 2> kDialModes{{
//       {DialMode::standard, "standard"},
//       {DialMode::music, "music"},
//   }};
//   rawValue(DialMode m) { return raw_enum::rawValue(kDialModes, m); }

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/json.h"

namespace orbel::raw_enum {

template <class E>
struct Case {
    E value;
    std::string_view raw;
};

// The cases in their declared order (the order the `all` lists give).
template <class E, std::size_t N>
using Table = std::array<Case<E>, N>;

// The case's raw text. A value outside the table (never made by the
// decoders) gives the first case's text.
template <class E, std::size_t N>
constexpr std::string_view rawValue(const Table<E, N>& table, E value) {
    for (const Case<E>& c : table) {
        if (c.value == value) return c.raw;
    }
    return table.front().raw;
}

// Exact, case-sensitive match with no trimming; anything else gives nothing.
template <class E, std::size_t N>
constexpr std::optional<E> fromRaw(const Table<E, N>& table, std::string_view raw) {
    for (const Case<E>& c : table) {
        if (c.raw == raw) return c.value;
    }
    return std::nullopt;
}

// A single JSON string holding a raw value. A non-string fails with a type
// mismatch; any other text with the data-corrupted error
// "Cannot initialize <typeName> from invalid String value <text>".
template <class E, std::size_t N>
E fromJson(const Table<E, N>& table, const json::Node& node, std::string_view typeName) {
    const std::string raw = node.asString();
    if (auto value = fromRaw(table, raw)) return *value;
    node.fail("Cannot initialize " + std::string(typeName) + " from invalid String value " + raw);
}

// The raw text as a JSON string.
template <class E, std::size_t N>
json::Json toJson(const Table<E, N>& table, E value) {
    return std::string(rawValue(table, value));
}

// Every case, in table order.
template <class E, std::size_t N>
std::vector<E> values(const Table<E, N>& table) {
    std::vector<E> out;
    out.reserve(N);
    for (const Case<E>& c : table) out.push_back(c.value);
    return out;
}

}  // namespace orbel::raw_enum
