// Reads arbitrary bytes as an icon catalogue and as a pack manifest. What
// decodes must read back equal from its own JSON form, and every codepoint
// must give a Unicode scalar or nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "icons/icon_catalog.h"
#include "model/json_writer.h"

namespace {

template <class T>
std::string encode(const std::vector<T>& items) {
    orbel::json::Json array = orbel::json::Json::array();
    for (const auto& item : items) array.push_back(item.toJson());
    return orbel::json::write(array, {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orbel;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto entries = decodeIconCatalog(text)) {
        for (const auto& entry : *entries) {
            if (const auto scalar = IconCatalog::glyphScalar(entry)) {
                if (*scalar > 0x10FFFF || (*scalar >= 0xD800 && *scalar <= 0xDFFF)) std::abort();
            }
            if (entry.svgBody && IconCatalog::svgDocument(entry, 30).find(*entry.svgBody) == std::string::npos)
                std::abort();
        }
        const auto again = decodeIconCatalog(encode(*entries));
        if (!again || *again != *entries) std::abort();
    }
    if (const auto manifest = decodeIconPackManifest(text)) {
        const auto again = decodeIconPackManifest(encode(*manifest));
        if (!again || *again != *manifest) std::abort();
    }
    return 0;
}
