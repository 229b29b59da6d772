#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orbel::platform {

// One Orbel per session. The first process claims the application id on the
// session bus; a later one hands its arguments (paths of files to open) to
// it and exits. GUI thread.
class SingleInstance {
public:
    enum class Role { primary, handedOver, alone };

    virtual ~SingleInstance() = default;
    // Claims the id. When another process holds it, sends it `files` and
    // answers `handedOver` (this process should then end, also when the other
    // one did not answer). `alone` when there is no session bus to ask: this
    // process then runs as if it were the only one. `onRequest` runs on the
    // GUI thread in the primary for each later launch, with its files.
    virtual Role claim(const std::vector<std::string>& files,
                       std::function<void(std::vector<std::string> files)> onRequest) = 0;
};

std::unique_ptr<SingleInstance> makeSingleInstance();

}  // namespace orbel::platform
