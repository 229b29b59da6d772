#pragma once

#include <string>

namespace orbel::platform {

// Where Orbel keeps its files.
class AppPaths {
public:
    virtual ~AppPaths() = default;
    // $XDG_CONFIG_HOME/orbel, else ~/.config/orbel. Not created here.
    virtual std::string configDir() const = 0;

    static AppPaths& shared();
    static void setShared(AppPaths* paths);  // tests; nullptr restores the default
};

}  // namespace orbel::platform
