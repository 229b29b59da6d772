#pragma once

// Runs one user script (a zsh command, AppleScript or JavaScript for
// Automation) in a child process and reports its standard output or a
// ScriptError. The only way the application runs user scripts: script
// slots, dynamic slots' producers and click actions, and the editors'
// test runs all come through here.

#include <functional>
#include <string>
#include <string_view>

#include "model/script_invocation.h"
#include "platform/process_runner.h"
#include "slots/script_error.h"

namespace orbel {

// Where the interpreters live. AppleScript and JavaScript for Automation
// have no interpreter on this platform: unless one is installed at that
// path, their runs end in launchFailed.
struct ScriptInterpreters {
    std::string shell = "/bin/zsh";
    std::string osascript = "/usr/bin/osascript";
};

class ScriptRunner {
public:
    using Completion = std::function<void(const ScriptResult&)>;

    // Runs through the shared process runner.
    explicit ScriptRunner(ScriptInterpreters interpreters = ScriptInterpreters());

    // Starts the script and returns at once; may be called from any thread.
    // The completion runs exactly once, on the GUI thread and never inside
    // this call, after the script has ended (both its output streams closed)
    // or failed to start. Standard input is closed; environment and working
    // directory are the application's. Output beyond the process runner's
    // limit is dropped. The id ends the run through the process runner.
    platform::ProcessRunner::Id run(const ScriptInvocation& invocation, Completion completion) const;

private:
    // The process a run starts: zsh with "-lc" and the source, or osascript
    // with "-l", the language, "-e" and the source. The source is always one
    // argument, never a file or standard input.
    platform::ProcessRequest request(const ScriptInvocation& invocation) const;

    // Turns an ended process into the run's outcome.
    static ScriptResult resultFor(ScriptLanguage language, const platform::ProcessResult& process);

    // The bytes as text when they are valid UTF-8; otherwise the empty text.
    // Output cut at the size limit (`limited`) loses a character split by the cut.
    static std::string decodeOutput(std::string_view bytes, bool limited = false);

    ScriptInterpreters interpreters_;
};

// Runs the script with the shared process runner.
void runScript(const ScriptInvocation& invocation, ScriptRunner::Completion completion);

}  // namespace orbel
