#include "model/json_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace orbel::json {

std::string formatDouble(double value) {
    if (!std::isfinite(value)) return "0";  // JSON has no NaN or infinity
    if (value == 0) return "0";
    if (std::trunc(value) == value && std::fabs(value) < 1e15) {
        char buf[32];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
        return std::string(buf, res.ptr);
    }
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when invalid.
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len;
    std::uint32_t cp;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) { len = 2; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { len = 3; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { len = 4; cp = c & 0x07; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return len;
}

class Writer {
public:
    Writer(const WriteOptions& options) : options_(options) {}

    void value(const Json& v, int depth) {
        switch (v.type()) {
            case Json::value_t::null: out_ += "null"; break;
            case Json::value_t::boolean: out_ += v.get<bool>() ? "true" : "false"; break;
            case Json::value_t::number_integer: out_ += std::to_string(v.get<std::int64_t>()); break;
            case Json::value_t::number_unsigned: out_ += std::to_string(v.get<std::uint64_t>()); break;
            case Json::value_t::number_float: out_ += formatDouble(v.get<double>()); break;
            case Json::value_t::string: string(v.get_ref<const std::string&>()); break;
            case Json::value_t::array: array(v, depth); break;
            case Json::value_t::object: object(v, depth); break;
            default: out_ += "null"; break;
        }
    }

    std::string take() { return std::move(out_); }

private:
    void newline(int depth) {
        out_ += '\n';
        out_.append(static_cast<std::size_t>(depth) * 2, ' ');
    }

    void open(char bracket, int depth) {
        out_ += bracket;
        if (options_.pretty) out_ += '\n';
        (void)depth;
    }

    void close(char bracket, int depth) {
        if (options_.pretty) newline(depth);
        out_ += bracket;
    }

    void separator(bool first, int depth) {
        if (!first) out_ += ',';
        if (options_.pretty) {
            if (!first) out_ += '\n';
            out_.append(static_cast<std::size_t>(depth + 1) * 2, ' ');
        }
    }

    void array(const Json& v, int depth) {
        open('[', depth);
        bool first = true;
        for (const auto& element : v) {
            separator(first, depth);
            first = false;
            value(element, depth + 1);
        }
        close(']', depth);
    }

    void object(const Json& v, int depth) {
        std::vector<std::pair<const std::string*, const Json*>> members;
        members.reserve(v.size());
        for (auto it = v.begin(); it != v.end(); ++it) members.emplace_back(&it.key(), &it.value());
        if (options_.sortedKeys) {
            std::stable_sort(members.begin(), members.end(),
                             [](const auto& a, const auto& b) { return *a.first < *b.first; });
        }
        open('{', depth);
        bool first = true;
        for (const auto& [key, member] : members) {
            separator(first, depth);
            first = false;
            string(*key);
            out_ += options_.pretty ? " : " : ":";
            value(*member, depth + 1);
        }
        close('}', depth);
    }

    void string(const std::string& s) {
        out_ += '"';
        for (std::size_t i = 0; i < s.size();) {
            const char c = s[i];
            switch (c) {
                case '"': out_ += "\\\""; ++i; continue;
                case '\\': out_ += "\\\\"; ++i; continue;
                case '\n': out_ += "\\n"; ++i; continue;
                case '\r': out_ += "\\r"; ++i; continue;
                case '\t': out_ += "\\t"; ++i; continue;
                case '\b': out_ += "\\b"; ++i; continue;
                case '\f': out_ += "\\f"; ++i; continue;
                case '/':
                    out_ += options_.escapeSlashes ? "\\/" : "/";
                    ++i;
                    continue;
                default: break;
            }
            const auto uc = static_cast<unsigned char>(c);
            if (uc < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", uc);
                out_ += buf;
                ++i;
                continue;
            }
            const std::size_t len = utf8Length(s, i);
            if (len == 0) {
                out_ += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not UTF-8
                ++i;
            } else {
                out_.append(s, i, len);
                i += len;
            }
        }
        out_ += '"';
    }

    const WriteOptions& options_;
    std::string out_;
};

}  // namespace

std::string write(const Json& value, const WriteOptions& options) {
    Writer writer(options);
    writer.value(value, 0);
    return writer.take();
}

}  // namespace orbel::json
