#pragma once

// JSON reading and decoding helpers.
//
// Documents are parsed into nlohmann::ordered_json (insertion order kept, so
// encoders can hand keys over in the order the stored format fixes) and
// decoded through `Node`, a cursor that knows its coding path and raises
// `DecodingError`s with the same kinds and texts everywhere.
//
// Tolerance conventions used by every decoder:
//   - null counts as absent (`optional`, `hasValue`);
//   - readers probe keys or shapes in a fixed order, the first match wins;
//   - a value no form matches fails with `Node::fail` (data corrupted).

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/error.h"

namespace orbel::json {

using Json = nlohmann::ordered_json;

// Deepest nesting the reader accepts.
inline constexpr int kMaxDepth = 512;

struct PathElement {
    std::string key;                 // object member name, or empty for an index
    std::optional<std::size_t> index;  // array position
    bool operator==(const PathElement&) const = default;
};
using CodingPath = std::vector<PathElement>;

// "menu.slots[2].type"; the root is the empty text.
std::string describePath(const CodingPath& path);

// what() is the description without the path.
class DecodingError : public Error {
public:
    enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

    DecodingError(Kind kind, CodingPath path, std::string description);

    Kind kind() const { return kind_; }
    const CodingPath& codingPath() const { return path_; }
    // The description followed by the coding path, for logs and for the
    // errors that carry a decoding failure on.
    std::string detailed() const;

private:
    Kind kind_;
    CodingPath path_;
};

// Parses a whole document. Fails with a data-corrupted error
// "The given data was not valid JSON." (root path) on bad syntax, invalid
// UTF-8 or nesting deeper than kMaxDepth.
Json parse(std::string_view text);

// One member of a whole document's top-level object, built alone: the rest
// is only checked, never built. Null when the member is absent or the
// document is not an object; fails like parse() on a broken document.
Json parseMember(std::string_view text, std::string_view key);

// An empty object with room for `members` members. An object keeps its
// members in a vector whose growth copies, not moves, what it already holds,
// so an object that will hold large values is made with its final room.
Json objectWithRoom(std::size_t members);

// Name of a JSON value's type as the decoder's messages use it
// ("a string", "a number", "null", ...).
std::string describeType(const Json& value);

// Read-only cursor on one value of a document, with its coding path.
// The document must outlive every Node made from it.
class Node {
public:
    explicit Node(const Json& root) : value_(&root) {}
    Node(const Json& value, CodingPath path) : value_(&value), path_(std::move(path)) {}

    const Json& json() const { return *value_; }
    const CodingPath& path() const { return path_; }

    bool isNull() const { return value_->is_null(); }
    bool isString() const { return value_->is_string(); }
    bool isObject() const { return value_->is_object(); }
    bool isArray() const { return value_->is_array(); }
    bool isNumber() const { return value_->is_number(); }
    bool isBool() const { return value_->is_boolean(); }

    // Single values. A null fails with ValueNotFound, another type with
    // TypeMismatch. asInt accepts integral floating-point numbers and fails
    // with DataCorrupted on a fraction or a number outside 64-bit range.
    std::string asString() const;
    std::int64_t asInt() const;
    double asDouble() const;
    bool asBool() const;

    // Keyed access. All of these fail with TypeMismatch when this is not an
    // object.
    bool has(std::string_view key) const;       // present, null included
    bool hasValue(std::string_view key) const;  // present and not null
    Node operator[](std::string_view key) const;  // KeyNotFound when absent
    std::optional<Node> optional(std::string_view key) const;  // absent or null: nothing
    std::vector<std::string> keys() const;

    // Shorthands for the common keyed reads.
    std::string string(std::string_view key) const { return (*this)[key].asString(); }
    std::int64_t integer(std::string_view key) const { return (*this)[key].asInt(); }
    double number(std::string_view key) const { return (*this)[key].asDouble(); }
    bool boolean(std::string_view key) const { return (*this)[key].asBool(); }
    std::optional<std::string> optionalString(std::string_view key) const;
    std::optional<std::int64_t> optionalInteger(std::string_view key) const;
    std::optional<double> optionalNumber(std::string_view key) const;
    std::optional<bool> optionalBool(std::string_view key) const;

    // Unkeyed access. Fails with TypeMismatch when this is not an array.
    std::size_t size() const;
    Node at(std::size_t index) const;
    template <class F>
    auto map(F&& decodeOne) const {
        using T = decltype(decodeOne(std::declval<const Node&>()));
        std::vector<T> out;
        const std::size_t n = size();
        out.reserve(n);
        for (std::size_t i = 0; i < n; ++i) out.push_back(decodeOne(at(i)));
        return out;
    }

    void requireObject() const;
    void requireArray() const;

    // Data-corrupted error at this value, or at one of its keys.
    [[noreturn]] void fail(std::string description) const;
    [[noreturn]] void failAtKey(std::string_view key, std::string description) const;
    [[noreturn]] void typeMismatch(std::string_view expected) const;

    CodingPath pathWithKey(std::string_view key) const;

private:
    const Json* value_;
    CodingPath path_;
};

// A value a decoder changed to make it usable (a number clamped into its
// range, an unknown name replaced by the default): where it was, what the
// document holds and what is used instead.
struct Correction {
    CodingPath path;
    std::string stored;
    std::string used;
    bool operator==(const Correction&) const = default;
};

// Collects the corrections decoders make on this thread while it lives, so
// that a loader can report them; the innermost of nested collectors gets
// them. Without a collector, corrections are made silently.
class CorrectionLog {
public:
    CorrectionLog();
    ~CorrectionLog();
    CorrectionLog(const CorrectionLog&) = delete;
    CorrectionLog& operator=(const CorrectionLog&) = delete;

    const std::vector<Correction>& corrections() const { return corrections_; }
    // "menuRadius 20 is not allowed; using 50": one line per correction.
    std::vector<std::string> lines() const;

    static void note(Correction correction);

private:
    CorrectionLog* outer_;
    std::vector<Correction> corrections_;
};

// `value` clamped into [lo, hi]; a change is noted at `path`.
double clampNoted(const CodingPath& path, double value, double lo, double hi);
std::int64_t clampNoted(const CodingPath& path, std::int64_t value, std::int64_t lo, std::int64_t hi);

// Runs `attempt`; a DecodingError becomes nothing. For the "first matching
// form wins" probes whose failures are discarded.
template <class F>
auto attempt(F&& f) -> std::optional<decltype(f())> {
    try {
        return f();
    } catch (const DecodingError&) {
        return std::nullopt;
    }
}

}  // namespace orbel::json
