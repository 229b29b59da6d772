// Reads arbitrary bytes as JSON; whatever parses must survive writing with
// every option combination and read back equal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/json.h"
#include "model/json_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orbel::json;
    Json doc;
    try {
        doc = parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const DecodingError&) {
        return 0;
    }
    for (int bits = 0; bits < 8; ++bits) {
        const WriteOptions options{
            .pretty = (bits & 1) != 0, .sortedKeys = (bits & 2) != 0, .escapeSlashes = (bits & 4) != 0};
        const std::string text = write(doc, options);
        // Floats may be written in a shorter form, so compare the texts of a
        // second round instead of the values.
        if (write(parse(text), options) != text) std::abort();
    }
    return 0;
}
