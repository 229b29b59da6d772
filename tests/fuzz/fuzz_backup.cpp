// Decodes arbitrary bytes as a backup document. Every failure must be an
// OrbelBackupCodecError; whatever decodes must encode, and the encoding must
// decode again and encode to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/orbel_backup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orbel;
    OrbelBackup backup;
    try {
        backup = OrbelBackup::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const OrbelBackupCodecError&) {
        return 0;
    }
    std::string first;
    try {
        first = backup.encode();
    } catch (const OrbelBackupCodecError&) {
        std::abort();  // a decoded date always lies in the writable range
    }
    try {
        if (OrbelBackup::decode(first).encode() != first) std::abort();
    } catch (const OrbelBackupCodecError&) {
        std::abort();
    }
    return 0;
}
