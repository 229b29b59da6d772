#pragma once

// What the title cache knows about one dynamic slot.

#include <optional>
#include <string>

#include "slots/script_error.h"

namespace orbel {

struct DynamicTitleState {
    std::optional<std::string> title;          // the last label produced; none until a run succeeded
    std::optional<ScriptError> lastError;      // the most recent failure; cleared by the next success
    std::optional<double> lastRefreshedAt;     // seconds since 1970 of the last success

    bool operator==(const DynamicTitleState&) const = default;
};

}  // namespace orbel
