#pragma once

// Whole-file writes that never leave a truncated file behind: the bytes go to
// a temporary file in the same folder, are synced, and replace the target in
// one rename. A failed write leaves the previous file (if any) untouched.

#include <optional>
#include <string>
#include <string_view>

namespace orbel {

// Nothing on success, else a short description of the failure.
[[nodiscard]] std::optional<std::string> writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace orbel
