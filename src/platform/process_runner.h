#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/shared_instance.h"

namespace orbel::platform {

// One process to start.
struct ProcessRequest {
    std::string program;                   // absolute path of the executable
    std::vector<std::string> arguments;    // passed as they are, no shell in between
    std::optional<std::string> stdinText;  // written to standard input, which is then closed
                                           // (absent: standard input is closed at once)
    // Ended (with everything it started) once it has run this long.
    std::optional<std::chrono::milliseconds> timeLimit;
    // A desktop tool that runs on its own: not our child, no pipes to us, not
    // ended when we quit. Its completion only tells whether it started.
    bool detached = false;

    bool operator==(const ProcessRequest&) const = default;
};

// How a process ended.
struct ProcessResult {
    enum class Status {
        exited,        // ran to its end; exitCode holds its status (0 for a detached start)
        crashed,       // ended by a signal; exitCode holds the signal number
        timedOut,      // ended by us at its time limit; exitCode holds the signal number
        launchFailed,  // never started; launchError says why
    };
    Status status = Status::exited;
    int exitCode = 0;
    std::string standardOutput;  // raw bytes, at most kOutputLimit of them
    std::string standardError;   // raw bytes, at most kOutputLimit of them
    bool outputLimited = false;  // a stream wrote more than kOutputLimit; the rest was dropped
    std::string launchError;     // the system's description, for launchFailed

    bool operator==(const ProcessResult&) const = default;
};

// Starts processes without waiting for them; the one way Orbel starts one.
// Every process starts in the user's home folder.
// Both output streams are read as the process writes them, off the GUI thread;
// the first kOutputLimit bytes of each are kept and the rest is read and
// dropped, so a process that prints without end costs neither memory nor
// the interface's time. A run ends when the process has exited and both
// streams are closed: a background process the script left holding its output
// keeps the run going until it lets go (or the time limit ends them all).
class ProcessRunner : public Shared<ProcessRunner> {
public:
    using Id = std::uint64_t;
    using Completion = std::function<void(const ProcessResult&)>;

    static constexpr std::size_t kOutputLimit = std::size_t{1} << 20;

    virtual ~ProcessRunner() = default;

    // Starts the process and returns at once. The completion runs exactly
    // once, queued on the GUI thread (never inside this call), after the run
    // has ended, failed to start, or (detached) started. Any thread.
    virtual Id start(ProcessRequest request, Completion completion) = 0;

    // Ends a running process and everything it started (SIGTERM, then
    // SIGKILL after a grace period). Its completion still runs, without
    // waiting for the output streams. Unknown or finished ids are ignored.
    virtual void terminate(Id id) = 0;

private:
    friend Shared<ProcessRunner>;
    static ProcessRunner& makeShared();
};

}  // namespace orbel::platform
