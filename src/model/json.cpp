#include "model/json.h"

#include <cmath>
#include <limits>
#include <optional>

#include "model/json_writer.h"

namespace orbel::json {

namespace {
thread_local CorrectionLog* innermostLog = nullptr;
}  // namespace

CorrectionLog::CorrectionLog() : outer_(innermostLog) { innermostLog = this; }
CorrectionLog::~CorrectionLog() { innermostLog = outer_; }

void CorrectionLog::note(Correction correction) {
    if (innermostLog) innermostLog->corrections_.push_back(std::move(correction));
}

std::vector<std::string> CorrectionLog::lines() const {
    std::vector<std::string> out;
    for (const auto& c : corrections_)
        out.push_back(describePath(c.path) + " " + c.stored + " is not allowed; using " + c.used);
    return out;
}

double clampNoted(const CodingPath& path, double value, double lo, double hi) {
    // At or below `lo` gives `lo` (so -0 does too), above `hi` gives `hi`.
    const double used = !(value > lo) ? lo : value > hi ? hi : value;
    if (used != value) CorrectionLog::note({path, formatDouble(value), formatDouble(used)});
    return used;
}

std::int64_t clampNoted(const CodingPath& path, std::int64_t value, std::int64_t lo, std::int64_t hi) {
    const std::int64_t used = value < lo ? lo : value > hi ? hi : value;
    if (used != value) CorrectionLog::note({path, std::to_string(value), std::to_string(used)});
    return used;
}

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
    : Error(std::move(description)), kind_(kind), path_(std::move(path)) {}

std::string DecodingError::detailed() const {
    const std::string where = describePath(path_);
    return where.empty() ? std::string(what()) : what() + (" (at " + where + ")");
}

namespace {

// Builds the document like nlohmann's own parser and stops at the first
// container opened below the depth limit. The count is kept here, so the
// cost stays linear in the input (a parser callback would make nlohmann
// rescan every parent container at the end of each value).
class DepthLimitedBuilder : public nlohmann::detail::json_sax_dom_parser<Json> {
public:
    using Base = nlohmann::detail::json_sax_dom_parser<Json>;
    explicit DepthLimitedBuilder(Json& root) : Base(root, /*allow_exceptions=*/false) {}

    bool start_object(std::size_t elements) { return enter() && Base::start_object(elements); }
    bool start_array(std::size_t elements) { return enter() && Base::start_array(elements); }
    bool end_object() {
        --depth_;
        return Base::end_object();
    }
    bool end_array() {
        --depth_;
        return Base::end_array();
    }

private:
    bool enter() { return ++depth_ <= kMaxDepth; }
    int depth_ = 0;
};

// Checks the whole document and builds only the value of one member of
// the top-level object.
class MemberPicker {
public:
    MemberPicker(std::string_view key, Json& out) : key_(key), out_(out) {}

    bool null() { return scalar([](auto& b) { return b.null(); }); }
    bool boolean(bool v) { return scalar([&](auto& b) { return b.boolean(v); }); }
    bool number_integer(Json::number_integer_t v) { return scalar([&](auto& b) { return b.number_integer(v); }); }
    bool number_unsigned(Json::number_unsigned_t v) { return scalar([&](auto& b) { return b.number_unsigned(v); }); }
    bool number_float(Json::number_float_t v, const Json::string_t& s) {
        return scalar([&](auto& b) { return b.number_float(v, s); });
    }
    bool string(Json::string_t& v) { return scalar([&](auto& b) { return b.string(v); }); }
    bool binary(Json::binary_t& v) { return scalar([&](auto& b) { return b.binary(v); }); }
    bool key(Json::string_t& k) {
        if (builder_) return builder_->key(k);
        wanted_ = depth_ == 1 && k == key_;
        return true;
    }
    bool start_object(std::size_t n) { return open([&](auto& b) { return b.start_object(n); }); }
    bool start_array(std::size_t n) { return open([&](auto& b) { return b.start_array(n); }); }
    bool end_object() { return close([](auto& b) { return b.end_object(); }); }
    bool end_array() { return close([](auto& b) { return b.end_array(); }); }
    template <class Exception>
    bool parse_error(std::size_t, const std::string&, const Exception&) {
        return false;
    }

private:
    using Builder = nlohmann::detail::json_sax_dom_parser<Json>;
    void begin() {
        if (builder_ || !wanted_) return;
        wanted_ = false;
        builder_.emplace(out_, /*allow_exceptions=*/false);
        from_ = depth_;
    }
    template <class F>
    bool scalar(F f) {
        begin();
        if (!builder_) return true;
        const bool ok = f(*builder_);
        if (depth_ == from_) builder_.reset();
        return ok;
    }
    template <class F>
    bool open(F f) {
        begin();
        if (++depth_ > kMaxDepth) return false;
        return !builder_ || f(*builder_);
    }
    template <class F>
    bool close(F f) {
        const bool ok = !builder_ || f(*builder_);
        --depth_;
        if (builder_ && depth_ == from_) builder_.reset();
        return ok;
    }

    std::string_view key_;
    Json& out_;
    std::optional<Builder> builder_;
    bool wanted_ = false;
    int depth_ = 0;
    int from_ = 0;
};

}  // namespace

Json parseMember(std::string_view text, std::string_view key) {
    Json result;
    MemberPicker picker(key, result);
    bool complete = false;
    try {
        complete = Json::sax_parse(text.begin(), text.end(), &picker, nlohmann::detail::input_format_t::json,
                                   /*strict=*/true, /*ignore_comments=*/false);
    } catch (const Json::exception&) {
        complete = false;
    }
    if (!complete) throw DecodingError(DecodingError::Kind::dataCorrupted, {}, "The given data was not valid JSON.");
    return result;
}

Json parse(std::string_view text) {
    Json result;
    DepthLimitedBuilder builder(result);
    bool complete = false;
    try {
        complete = Json::sax_parse(text.begin(), text.end(), &builder, nlohmann::detail::input_format_t::json,
                                   /*strict=*/true, /*ignore_comments=*/false);
    } catch (const Json::exception&) {
        complete = false;
    }
    if (!complete || builder.is_errored()) {
        throw DecodingError(DecodingError::Kind::dataCorrupted, {}, "The given data was not valid JSON.");
    }
    return result;
}

Json objectWithRoom(std::size_t members) {
    Json out = Json::object();
    out.get_ref<Json::object_t&>().reserve(members);
    return out;
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
        throw DecodingError(DecodingError::Kind::valueNotFound, node.path(),
                            "Expected " + std::string(expected) + " value but found null instead.");
    }
    throw DecodingError(DecodingError::Kind::typeMismatch, node.path(),
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
    throw DecodingError(DecodingError::Kind::dataCorrupted, path_,
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
        throw DecodingError(DecodingError::Kind::keyNotFound, path_,
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
        throw DecodingError(DecodingError::Kind::valueNotFound, path_, "Unkeyed container is at end.");
    }
    CodingPath path = path_;
    path.push_back(PathElement{std::string(), index});
    return Node((*value_)[index], std::move(path));
}

void Node::fail(std::string description) const {
    throw DecodingError(DecodingError::Kind::dataCorrupted, path_, std::move(description));
}

void Node::failAtKey(std::string_view key, std::string description) const {
    throw DecodingError(DecodingError::Kind::dataCorrupted, pathWithKey(key), std::move(description));
}

}  // namespace orbel::json
