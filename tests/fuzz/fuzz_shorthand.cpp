// Parses arbitrary text as a key-combination shorthand. Whatever parses must
// write a shorthand that parses back to the same value, writing must be a
// fixed point, the display text must not crash, and the JSON form must read
// back equal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/json.h"
#include "model/key_combination.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using orbel::KeyCombination;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = KeyCombination::parse(text);
    if (!parsed) return 0;

    const std::string written = parsed->shorthand();
    const auto again = KeyCombination::parse(written);
    if (!again || *again != *parsed) std::abort();
    if (again->shorthand() != written) std::abort();
    if (parsed->displayString().empty()) std::abort();

    const orbel::json::Json doc = parsed->toJson();
    try {
        if (KeyCombination::fromJson(orbel::json::Node(doc)) != *parsed) std::abort();
    } catch (const orbel::json::DecodingError&) {
        std::abort();
    }
    return 0;
}
