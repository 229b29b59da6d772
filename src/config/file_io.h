#pragma once

// Whole-file writes that never leave a truncated file behind.

#include <optional>
#include <string>

namespace orbel {

// Writes to a temporary file beside `path` and renames it into place.
// Returns the reason on failure; the previous file is then untouched.
std::optional<std::string> writeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace orbel
