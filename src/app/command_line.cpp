#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/login_item.h"

namespace orbel {

namespace {

// The toolkit's documented options, in their one-dash form (each is taken
// with two dashes as well). Those followed by a value: the application's,
// the widgets', and the X11 platform's (whether or not the platform in use
// reads them, their value is no file).
constexpr std::array kTakesAValue = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry", "-qwindowicon",
    "-qwindowtitle", "-session", "-qmljsdebugger", "-style", "-stylesheet",
    // X11
    "-display", "-geometry", "-name", "-title", "-icon", "-visual", "-fn", "-font", "-bg", "-background",
    "-fg", "-foreground", "-btn", "-button", "-ncols", "-im", "-inputstyle"};
// Those that stand alone.
constexpr std::array kFlags = {"-reverse", "-widgetcount", "-testability", "-nograb", "-dograb", "-sync",
                               "-cmap", "-noxim"};
// Those that carry their value after "=".
constexpr std::array kWithEquals = {"-style=", "-stylesheet=", "-qmljsdebugger=", "-dialogs=", "-fontengine="};

template <std::size_t N>
bool among(std::string_view option, const std::array<const char*, N>& options) {
    return std::any_of(options.begin(), options.end(), [&](std::string_view o) { return option == o; });
}

CommandLine refusal(std::string_view argument, std::string complaint) {
    CommandLine line;
    line.action = CommandLine::Action::refuse;
    line.refused = std::string(argument);
    line.complaint = std::move(complaint);
    return line;
}

}  // namespace

CommandLine readCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    bool help = false, version = false, options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        // An empty argument names no file (it would be the current folder).
        if (argument.empty()) return refusal(argument, "empty argument");
        if (!options || argument.front() != '-') {
            line.files.emplace_back(argument);
            continue;
        }
        if (argument == "--") {
            options = false;
            continue;
        }
        if (argument == "--help") help = true;
        else if (argument == "--version") version = true;
        else if (argument == platform::LoginItem::kLoginArgument) line.atLogin = true;
        else {
            // The toolkit's, in either form: "--platform" is "-platform".
            const std::string_view option = argument.substr(argument.starts_with("--") ? 1 : 0);
            const auto equals = option.find('=');
            if (among(option, kTakesAValue)) {
                if (i + 1 >= argc)
                    return refusal(argument, "option '" + std::string(argument) + "' requires an argument");
                line.toolkit.push_back(i);
                line.toolkit.push_back(++i);
            } else if (among(option, kFlags) ||
                       (equals != std::string_view::npos && among(option.substr(0, equals + 1), kWithEquals))) {
                line.toolkit.push_back(i);
            } else {
                return refusal(argument, "unrecognized option '" + std::string(argument) + "'");
            }
        }
    }
    if (help || version) {
        CommandLine asked;
        asked.action = help ? CommandLine::Action::help : CommandLine::Action::version;
        return asked;
    }
    return line;
}

std::string usageLine() { return "Usage: orbel [--help] [--version] [FILE...]"; }

}  // namespace orbel
