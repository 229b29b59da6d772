#pragma once

#include <string>

#include "platform/shared_instance.h"

namespace orbel::platform {

// Where Orbel keeps its files.
class AppPaths : public Shared<AppPaths> {
public:
    virtual ~AppPaths() = default;
    // $XDG_CONFIG_HOME/orbel, else ~/.config/orbel. Not created here.
    virtual std::string configDir() const = 0;

private:
    friend Shared<AppPaths>;
    static AppPaths& makeShared();
};

}  // namespace orbel::platform
