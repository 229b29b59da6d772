// Decodes arbitrary bytes as a backup document. Every failure must be an
// OrbelBackupCodecError (anything else escapes and is a finding); see
// round_trip.h for what must hold of whatever decodes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (orbel::fuzz::backupRoundTrip(bytes) == orbel::fuzz::RoundTrip::broken) std::abort();
    return 0;
}
