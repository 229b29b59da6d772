#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/command_line.h"

using namespace orbel;

namespace {

CommandLine read(std::initializer_list<const char*> arguments) {
    std::vector<const char*> argv{"orbel"};
    argv.insert(argv.end(), arguments);
    return readCommandLine(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

TEST(CommandLine, FilesAndKnownOptionsRunOrbel) {
    EXPECT_EQ(read({}).action, CommandLine::Action::run);
    EXPECT_EQ(read({"--login-item"}).action, CommandLine::Action::run);
    EXPECT_EQ(read({"./-name.orbelbackup", "Work.orbelbackup"}).action, CommandLine::Action::run);
    // The toolkit's own, and the value that follows one ("-x" is no option here).
    EXPECT_EQ(read({"-platform", "xcb", "-session", "-x", "-reverse", "-style=Fusion"}).action,
              CommandLine::Action::run);
}

TEST(CommandLine, HelpAndVersionAskForNothingElse) {
    EXPECT_EQ(read({"--help"}).action, CommandLine::Action::help);
    EXPECT_EQ(read({"file.orbelbackup", "--version"}).action, CommandLine::Action::version);
    EXPECT_EQ(read({"--version", "--help"}).action, CommandLine::Action::help);
    EXPECT_EQ(usageLine(), "Usage: orbel [--help] [--version] [FILE...]");
}

TEST(CommandLine, AnyOtherOptionIsRefusedAndNamed) {
    for (const char* option : {"-x", "--bogus", "-", "-help", "--login-item=1"}) {
        const CommandLine line = read({"file.orbelbackup", option, "--help"});
        EXPECT_EQ(line.action, CommandLine::Action::refuse) << option;
        EXPECT_EQ(line.refused, option);
    }
}

// Every option the toolkit documents is left to it, with one dash or two and
// with its value; "--" ends the options; files are the bytes given.
TEST(CommandLine, TheToolkitsOptionsGoToItAndFilesAreTheBytesGiven) {
    const CommandLine line = read({"--platform", "xcb", "-name", "-x", "-qmljsdebugger=port:1", "Work.orbelbackup",
                                   "--style=Fusion", "-reverse", "--nograb", "-display", ":9", "-geometry", "1x1",
                                   "caf\xe9.orbelbackup", "--login-item", "--", "-platform", "--help", "--",
                                   "--login-item"});
    ASSERT_EQ(line.action, CommandLine::Action::run) << line.complaint;
    EXPECT_EQ(line.toolkit, (std::vector<int>{1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(line.files, (std::vector<std::string>{"Work.orbelbackup", "caf\xe9.orbelbackup", "-platform", "--help",
                                                     "--", "--login-item"}));
    EXPECT_TRUE(line.atLogin);
    EXPECT_FALSE(read({"--", "--login-item"}).atLogin) << "a file of that name";
    EXPECT_FALSE(read({"-session", "--login-item"}).atLogin) << "a value";
    for (const char* flag : {"-widgetcount", "--testability", "-dograb", "-sync", "-cmap", "--stylesheet=a.qss",
                             "-dialogs=none", "-fontengine=freetype"})
        EXPECT_EQ(read({flag}).toolkit, std::vector<int>{1}) << flag;
}

// An option that wants a value and has none, and an empty argument (which
// would name the current folder), are refused, whatever else is asked.
TEST(CommandLine, AMissingValueAndAnEmptyArgumentAreRefused) {
    for (const char* option : {"-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
                               "-qwindowicon", "-qwindowtitle", "-session", "-qmljsdebugger", "-style",
                               "-stylesheet", "-display", "-geometry", "-name", "-title", "-icon", "-visual",
                               "--style", "--display"}) {
        const CommandLine line = read({"--help", option});
        EXPECT_EQ(line.action, CommandLine::Action::refuse) << option;
        EXPECT_EQ(line.complaint, "option '" + std::string(option) + "' requires an argument");
        EXPECT_EQ(read({option, ""}).action, CommandLine::Action::run) << "an empty value is still its value";
    }
    EXPECT_EQ(read({"Work.orbelbackup", "", "--version"}).complaint, "empty argument");
    EXPECT_EQ(read({"--", ""}).action, CommandLine::Action::refuse);
}
