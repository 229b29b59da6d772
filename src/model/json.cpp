#include "model/json.h"

#include <cmath>
#include <limits>

namespace orbel::json {

std::string describePath(const CodingPath& path) {
    std::string out;
    for (const auto& element : path) {
        if (element.index) {
            out += '[' + std::to_string(*element.index) + ']';
        } else {
            if (!out.empty()) out += '.';
            out += element.key;
        }
    }
    return out;
}

DecodingError::DecodingError(Kind kind, CodingPath path, std::string description)
    : kind_(kind), path_(std::move(path)), description_(std::move(description)) {}

std::string DecodingError::detailed() const {
    const std::string where = describePath(path_);
    return where.empty() ? description_ : description_ + " (at " + where + ")";
}

Json parse(std::string_view text) {
    bool tooDeep = false;
    Json::parser_callback_t limitDepth = [&tooDeep](int depth, Json::parse_event_t event, Json&) {
        if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
            depth >= kMaxDepth) {
            tooDeep = true;
            return false;  // keep nothing below the limit
        }
        return true;
    };
    Json result;
    try {
        // The parser itself is not recursive; values below the limit are
        // dropped as they are read and the document is refused afterwards.
        result = Json::parse(text.begin(), text.end(), limitDepth, /*allow_exceptions=*/true,
                             /*ignore_comments=*/false);
    } catch (const Json::exception&) {
        throw DecodingError(DecodingError::Kind::DataCorrupted, {}, "The given data was not valid JSON.");
    }
    if (tooDeep || result.is_discarded()) {
        throw DecodingError(DecodingError::Kind::DataCorrupted, {}, "The given data was not valid JSON.");
    }
    return result;
}

std::string describeType(const Json& value) {
    switch (value.type()) {
        case Json::value_t::null: return "null";
        case Json::value_t::object: return "a dictionary";
        case Json::value_t::array: return "an array";
        case Json::value_t::string: return "a string";
        case Json::value_t::boolean: return "a bool";
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::number_float: return "a number";
        default: return "an unknown value";
    }
}

namespace {
[[noreturn]] void throwMismatch(const Node& node, std::string_view expected) {
    if (node.isNull()) {
        throw DecodingError(DecodingError::Kind::ValueNotFound, node.path(),
                            "Expected " + std::string(expected) + " value but found null instead.");
    }
    throw DecodingError(DecodingError::Kind::TypeMismatch, node.path(),
                        "Expected to decode " + std::string(expected) + " but found " +
                            describeType(node.json()) + " instead.");
}
}  // namespace

void Node::typeMismatch(std::string_view expected) const { throwMismatch(*this, expected); }

std::string Node::asString() const {
    if (!value_->is_string()) throwMismatch(*this, "String");
    return value_->get_ref<const std::string&>();
}

std::int64_t Node::asInt() const {
    switch (value_->type()) {
        case Json::value_t::number_integer: return value_->get<std::int64_t>();
        case Json::value_t::number_unsigned: {
            const auto u = value_->get<std::uint64_t>();
            if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) break;
            return static_cast<std::int64_t>(u);
        }
        case Json::value_t::number_float: {
            const double d = value_->get<double>();
            // 2^63 is the first double outside the signed range.
            if (std::isfinite(d) && std::trunc(d) == d && d >= -9223372036854775808.0 &&
                d < 9223372036854775808.0) {
                return static_cast<std::int64_t>(d);
            }
            break;
        }
        default: throwMismatch(*this, "Int");
    }
    throw DecodingError(DecodingError::Kind::DataCorrupted, path_,
                        "Parsed JSON number <" + value_->dump() + "> does not fit in Int.");
}

double Node::asDouble() const {
    if (!value_->is_number()) throwMismatch(*this, "Double");
    return value_->get<double>();
}

bool Node::asBool() const {
    if (!value_->is_boolean()) throwMismatch(*this, "Bool");
    return value_->get<bool>();
}

void Node::requireObject() const {
    if (!value_->is_object()) throwMismatch(*this, "Dictionary<String, Any>");
}

void Node::requireArray() const {
    if (!value_->is_array()) throwMismatch(*this, "Array<Any>");
}

CodingPath Node::pathWithKey(std::string_view key) const {
    CodingPath path = path_;
    path.push_back(PathElement{std::string(key), std::nullopt});
    return path;
}

bool Node::has(std::string_view key) const {
    requireObject();
    return value_->find(key) != value_->end();
}

bool Node::hasValue(std::string_view key) const {
    requireObject();
    auto it = value_->find(key);
    return it != value_->end() && !it->is_null();
}

Node Node::operator[](std::string_view key) const {
    requireObject();
    auto it = value_->find(key);
    if (it == value_->end()) {
        throw DecodingError(DecodingError::Kind::KeyNotFound, path_,
                            "No value associated with key \"" + std::string(key) + "\".");
    }
    return Node(*it, pathWithKey(key));
}

std::optional<Node> Node::optional(std::string_view key) const {
    requireObject();
    auto it = value_->find(key);
    if (it == value_->end() || it->is_null()) return std::nullopt;
    return Node(*it, pathWithKey(key));
}

std::vector<std::string> Node::keys() const {
    requireObject();
    std::vector<std::string> out;
    for (auto it = value_->begin(); it != value_->end(); ++it) out.push_back(it.key());
    return out;
}

std::optional<std::string> Node::optionalString(std::string_view key) const {
    auto node = optional(key);
    if (!node) return std::nullopt;
    return node->asString();
}

std::optional<std::int64_t> Node::optionalInteger(std::string_view key) const {
    auto node = optional(key);
    if (!node) return std::nullopt;
    return node->asInt();
}

std::optional<double> Node::optionalNumber(std::string_view key) const {
    auto node = optional(key);
    if (!node) return std::nullopt;
    return node->asDouble();
}

std::optional<bool> Node::optionalBool(std::string_view key) const {
    auto node = optional(key);
    if (!node) return std::nullopt;
    return node->asBool();
}

std::size_t Node::size() const {
    requireArray();
    return value_->size();
}

Node Node::at(std::size_t index) const {
    requireArray();
    if (index >= value_->size()) {
        throw DecodingError(DecodingError::Kind::ValueNotFound, path_, "Unkeyed container is at end.");
    }
    CodingPath path = path_;
    path.push_back(PathElement{std::string(), index});
    return Node((*value_)[index], std::move(path));
}

void Node::fail(std::string description) const {
    throw DecodingError(DecodingError::Kind::DataCorrupted, path_, std::move(description));
}

void Node::failAtKey(std::string_view key, std::string description) const {
    throw DecodingError(DecodingError::Kind::DataCorrupted, pathWithKey(key), std::move(description));
}

}  // namespace orbel::json
