#pragma once

// Identifiers of slots, groups and sheets.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orbel {

// A 128-bit identifier written as upper-case 8-4-4-4-12 hexadecimal text.
class Uuid {
public:
    Uuid() = default;  // the nil UUID
    static Uuid random();
    // Accepts exactly 36 characters in the 8-4-4-4-12 layout, hex digits in
    // either case; anything else gives nothing.
    static std::optional<Uuid> parse(std::string_view text);

    std::string toString() const;  // upper case
    bool isNil() const;

    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;
    std::size_t hash() const;

private:
    std::uint64_t hi_ = 0;
    std::uint64_t lo_ = 0;
};

}  // namespace orbel

template <>
struct std::hash<orbel::Uuid> {
    std::size_t operator()(const orbel::Uuid& u) const noexcept { return u.hash(); }
};
