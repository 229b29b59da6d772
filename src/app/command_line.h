#pragma once

// What `orbel`'s arguments ask for, read before anything starts: to run
// (opening the files named), to print the usage or the version, or nothing at
// all when an argument is no option Orbel or the toolkit knows, an option
// lacks its value, or an argument is empty.

#include <string>
#include <vector>

namespace orbel {

struct CommandLine {
    enum class Action { run, help, version, refuse };
    Action action = Action::run;
    // With `refuse`: the argument at fault, and what is wrong with it
    // ("unrecognized option '-x'").
    std::string refused;
    std::string complaint;
    // With `run`: the files, as the bytes given (a name need not be valid
    // UTF-8); whether the start is the session's at login; and the
    // positions in argv of the toolkit's options and their values, in order,
    // which are all the toolkit is given.
    std::vector<std::string> files;
    bool atLogin = false;
    std::vector<int> toolkit;
};

// An argument that starts with "-" is an option: Orbel's own, or one the
// toolkit documents (as "-platform xcb" or "--platform xcb"; "-style=Fusion"),
// with the value that follows it when it takes one. Any other starting with
// "-" is refused. "--" ends the options: what follows is a file even when it
// starts with "-" (as "./-name" is).
CommandLine readCommandLine(int argc, const char* const* argv);

// "Usage: orbel [--help] [--version] [FILE...]".
std::string usageLine();

}  // namespace orbel
