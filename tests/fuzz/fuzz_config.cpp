// Decodes arbitrary bytes as a configuration document. Whatever decodes must
// encode, and the encoding must decode again and encode to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/app_config.h"
#include "model/json_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orbel;
    AppConfig config;
    try {
        const json::Json doc = json::parse(std::string_view(reinterpret_cast<const char*>(data), size));
        config = AppConfig::fromJson(json::Node(doc));
    } catch (const json::DecodingError&) {
        return 0;
    }
    const std::string first = json::write(config.toJson(), {true, false, true});
    try {
        const json::Json again = json::parse(first);
        const std::string second = json::write(AppConfig::fromJson(json::Node(again)).toJson(), {true, false, true});
        if (second != first) std::abort();
    } catch (const json::DecodingError&) {
        std::abort();  // our own output must always read back
    }
    return 0;
}
