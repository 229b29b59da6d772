#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

// One child process to start.
struct ProcessRequest {
    std::string program;                   // absolute path of the executable
    std::vector<std::string> arguments;    // passed as they are, no shell in between
    std::optional<std::string> stdinText;  // written to standard input, which is then closed
                                           // (absent: standard input is closed at once)
    bool operator==(const ProcessRequest&) const = default;
};

// How a process ended.
struct ProcessResult {
    enum class Status {
        exited,        // ran to its end; exitCode holds its status
        crashed,       // ended by a signal; exitCode holds the signal number
        launchFailed,  // never started; launchError says why
    };
    Status status = Status::exited;
    int exitCode = 0;
    std::string standardOutput;  // raw bytes, everything the process wrote
    std::string standardError;   // raw bytes
    std::string launchError;     // the system's description, for launchFailed

    bool operator==(const ProcessResult&) const = default;
};

// Starts child processes without waiting for them. Both output streams are
// read while the process runs, so any amount of output is collected.
class ProcessRunner : public Shared<ProcessRunner> {
public:
    using Id = std::uint64_t;
    using Completion = std::function<void(const ProcessResult&)>;

    virtual ~ProcessRunner() = default;

    // Starts the process and returns at once. The completion runs exactly
    // once, queued on the GUI thread (never inside this call), after the
    // process has ended or failed to start. May be called from any thread.
    virtual Id start(ProcessRequest request, Completion completion) = 0;

    // Asks a running process to end (SIGTERM, then SIGKILL after a grace
    // period). Its completion still runs. Unknown or finished ids are ignored.
    virtual void terminate(Id id) = 0;

private:
    friend Shared<ProcessRunner>;
    static ProcessRunner& makeShared();
};

}  // namespace orbel::platform
