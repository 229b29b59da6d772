#pragma once

#include <QLoggingCategory>
#include <functional>
#include <string>
#include <string_view>

namespace orbel::platform {

enum class LogCategory { hidpp, input, signpost, config };

// The logging categories "orbel.hidpp", "orbel.input", "orbel.signpost",
// "orbel.config".
const QLoggingCategory& loggingCategory(LogCategory category);

enum class LogTarget { standardOutput, category, both };

// Diagnostic lines. Callers pass whole lines with their bracketed prefix
// ("[orbel-hidpp] ..."). Safe from any thread.
class Log {
public:
    // Writes the line to standard output or the category (info level).
    // `both` writes it once: through the category when that is enabled,
    // else to standard output.
    static void write(LogCategory category, std::string_view line, LogTarget target = LogTarget::both);

    // A line written to the category would go somewhere (a sink is set, or
    // the category is enabled): callers skip composing lines nobody reads.
    static bool wanted(LogCategory category);

    // While a sink is set, every line goes to it instead (tests).
    using Sink = std::function<void(LogCategory category, const std::string& line)>;
    static void setSink(Sink sink);  // an empty function removes it
};

}  // namespace orbel::platform
