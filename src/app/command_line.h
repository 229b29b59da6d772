#pragma once

// What `orbel`'s arguments ask for, read before anything starts: to run
// (opening the files named), to print the usage or the version, or nothing at
// all when an argument looks like an option Orbel does not know.

#include <string>

namespace orbel {

struct CommandLine {
    enum class Action { run, help, version, refuse };
    Action action = Action::run;
    // With `refuse`: the first argument that is no known option.
    std::string refused;
};

// An argument that starts with "-" is an option: Orbel's own, or one of the
// toolkit's (as "-platform xcb", which the toolkit takes out of the
// arguments). Any other starting with "-" is refused; a file whose name
// starts with "-" is named as "./-name".
CommandLine readCommandLine(int argc, const char* const* argv);

// "Usage: orbel [--help] [--version] [FILE...]".
std::string usageLine();

}  // namespace orbel
