#include <gtest/gtest.h>

#include <initializer_list>
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
    EXPECT_EQ(read({"./-name.orbelbackup", "Work.orbelbackup", ""}).action, CommandLine::Action::run);
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
    for (const char* option : {"-x", "--bogus", "-", "--", "-help", "--login-item=1", "--platform"}) {
        const CommandLine line = read({"file.orbelbackup", option, "--help"});
        EXPECT_EQ(line.action, CommandLine::Action::refuse) << option;
        EXPECT_EQ(line.refused, option);
    }
}
