// Imports arbitrary text as a slot drag payload. Import must either throw the
// one payload error or succeed; whatever imports must export a text that
// imports back equal, and exporting that again must give the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/slot_drag_payload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using orbel::SlotDragPayload;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SlotDragPayload payload;
    try {
        payload = SlotDragPayload::importString(text);
    } catch (const orbel::SlotDragPayloadError&) {
        return 0;
    }
    const std::string exported = payload.exportString();
    if (!exported.starts_with(SlotDragPayload::kPrefix)) std::abort();
    try {
        const SlotDragPayload again = SlotDragPayload::importString(exported);
        if (!(again == payload)) std::abort();
        if (again.exportString() != exported) std::abort();
    } catch (const orbel::SlotDragPayloadError&) {
        std::abort();
    }
    return 0;
}
