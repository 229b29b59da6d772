#include "app/command_line.h"

#include <string_view>

#include "platform/login_item.h"

namespace orbel {

namespace {

// The toolkit's own options, which it takes out of the arguments when the
// application is made: those followed by a value, and those without one.
bool takesAValue(std::string_view argument) {
    for (const std::string_view option : {"-platform", "-platformpluginpath", "-platformtheme", "-plugin",
                                          "-qwindowgeometry", "-qwindowicon", "-qwindowtitle", "-session",
                                          "-display", "-geometry", "-style", "-stylesheet"})
        if (argument == option) return true;
    return false;
}

bool isToolkitFlag(std::string_view argument) {
    return argument == "-reverse" || argument == "-widgetcount" || argument.substr(0, 7) == "-style=" ||
           argument.substr(0, 12) == "-stylesheet=";
}

}  // namespace

CommandLine readCommandLine(int argc, const char* const* argv) {
    bool help = false, version = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.empty() || argument.front() != '-') continue;  // a file
        if (argument == "--help") help = true;
        else if (argument == "--version") version = true;
        else if (takesAValue(argument)) ++i;  // its value is no file either
        else if (argument != platform::LoginItem::kLoginArgument && !isToolkitFlag(argument))
            return {CommandLine::Action::refuse, std::string(argument)};
    }
    if (help) return {CommandLine::Action::help, {}};
    if (version) return {CommandLine::Action::version, {}};
    return {};
}

std::string usageLine() { return "Usage: orbel [--help] [--version] [FILE...]"; }

}  // namespace orbel
