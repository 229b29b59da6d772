#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orbel::platform {

// One Orbel per session. The first process claims the application id on the
// session bus; a later one hands its arguments (paths of files to open) to
// it and exits, or, started at login, says nothing to it. Paths are the
// file system's bytes, handed over as they are. GUI thread.
class SingleInstance {
public:
    // `refused`: the running one is another version, which took neither
    // form of the request; `unanswered`: it gave no answer, or failed.
    enum class Role { primary, handedOver, refused, unanswered, alone };

    virtual ~SingleInstance() = default;
    // What a later launch asks of the running one: to open its files (with
    // none, to show itself, as a user's second start does), or nothing (a
    // start at login finding Orbel already running).
    enum class Request { open, nothing };

    // Claims the id. When another process holds it, sends it `files` (unless
    // `request` is `nothing`) and answers `handedOver`, `refused` or
    // `unanswered` (this process should then end). The paths go as bytes;
    // when the running one refuses those (another version) and every name is
    // valid UTF-8, as strings again. `alone` when there is no session bus to
    // ask: this process then runs as if it were the only one. `onRequest`
    // runs on the GUI thread in the primary for each later launch that asks,
    // with its files, whichever form they came in.
    virtual Role claim(const std::vector<std::string>& files, Request request,
                       std::function<void(std::vector<std::string> files)> onRequest) = 0;
};

std::unique_ptr<SingleInstance> makeSingleInstance();

}  // namespace orbel::platform
