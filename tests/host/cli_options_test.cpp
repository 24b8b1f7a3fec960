#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

using Command = CliOptions::Command;

struct Accepted {
    const char* name;
    std::vector<std::string> arguments;
    Command command;
    std::string project;
    std::vector<std::string> files;
    std::string registry;
    std::string studio;
    bool verbose;
};

class CliOptionsAcceptTest : public ::testing::TestWithParam<Accepted> {};

TEST_P(CliOptionsAcceptTest, Parses) {
    const Accepted& c = GetParam();
    std::string error;
    const std::optional<CliOptions> options = CliOptions::parse(c.arguments, &error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->command, c.command);
    EXPECT_EQ(options->project, c.project);
    EXPECT_EQ(options->files, c.files);
    EXPECT_EQ(options->registryFile, c.registry);
    EXPECT_EQ(options->studioDirectory, c.studio);
    EXPECT_EQ(options->verbose, c.verbose);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CliOptionsAcceptTest,
    ::testing::Values(
        Accepted{"Build", {"build", "b.aps"}, Command::Build, "b.aps", {}, "", "", false},
        Accepted{"Rebuild", {"rebuild", "b.aps"}, Command::Rebuild, "b.aps", {}, "", "", false},
        Accepted{"Clean", {"clean", "b.aps"}, Command::Clean, "b.aps", {}, "", "", false},
        Accepted{"Compile",
                 {"compile", "b.aps", "main.c"},
                 Command::Compile,
                 "b.aps",
                 {"main.c"},
                 "",
                 "",
                 false},
        Accepted{"Export",
                 {"export-makefile", "b.aps", "out/Makefile"},
                 Command::ExportMakefile,
                 "b.aps",
                 {"out/Makefile"},
                 "",
                 "",
                 false},
        Accepted{"AddMany",
                 {"add", "b.aps", "a.c", "b.h"},
                 Command::Add,
                 "b.aps",
                 {"a.c", "b.h"},
                 "",
                 "",
                 false},
        Accepted{"OptionsBefore",
                 {"--registry", "r.reg", "--studio-dir", "/s", "--verbose", "build", "b.aps"},
                 Command::Build,
                 "b.aps",
                 {},
                 "r.reg",
                 "/s",
                 true},
        Accepted{"OptionsWithEquals",
                 {"--registry=r.reg", "--studio-dir=/s", "clean", "b.aps"},
                 Command::Clean,
                 "b.aps",
                 {},
                 "r.reg",
                 "/s",
                 false},
        Accepted{"OptionAfterCommand",
                 {"build", "b.aps", "--verbose"},
                 Command::Build,
                 "b.aps",
                 {},
                 "",
                 "",
                 true},
        Accepted{"DashDashEndsOptions",
                 {"add", "b.aps", "--", "--odd.c", "-"},
                 Command::Add,
                 "b.aps",
                 {"--odd.c", "-"},
                 "",
                 "",
                 false},
        Accepted{"Help", {"--help"}, Command::Help, "", {}, "", "", false},
        Accepted{"ShortHelp", {"-h"}, Command::Help, "", {}, "", "", false},
        Accepted{"HelpWinsOverCommand", {"build", "--help"}, Command::Help, "", {}, "", "", false},
        Accepted{"Version", {"--version"}, Command::Version, "", {}, "", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct Refused {
    const char* name;
    std::vector<std::string> arguments;
    std::string message;
};

class CliOptionsRefuseTest : public ::testing::TestWithParam<Refused> {};

TEST_P(CliOptionsRefuseTest, SaysWhatIsWrong) {
    const Refused& c = GetParam();
    std::string error;
    EXPECT_FALSE(CliOptions::parse(c.arguments, &error));
    EXPECT_EQ(error, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CliOptionsRefuseTest,
    ::testing::Values(
        Refused{"Nothing", {}, "no command given"},
        Refused{"OnlyOptions", {"--verbose"}, "no command given"},
        Refused{"UnknownCommand", {"make", "b.aps"}, "unknown command 'make'"},
        Refused{"UnknownOption", {"--fast", "build", "b.aps"}, "unknown option '--fast'"},
        Refused{"NoProject", {"build"}, "'build' needs a project file (PROJECT.aps)"},
        Refused{"EmptyProject", {"build", ""}, "'build' needs a project file (PROJECT.aps)"},
        Refused{"BuildWithExtra",
                {"build", "b.aps", "main.c"},
                "'build' takes nothing after the project file"},
        Refused{"CompileWithoutFile",
                {"compile", "b.aps"},
                "'compile' needs exactly one FILE after the project file"},
        Refused{"CompileTwoFiles",
                {"compile", "b.aps", "a.c", "b.c"},
                "'compile' needs exactly one FILE after the project file"},
        Refused{"ExportWithoutOut",
                {"export-makefile", "b.aps"},
                "'export-makefile' needs exactly one OUT after the project file"},
        Refused{
            "AddNothing", {"add", "b.aps"}, "'add' needs at least one FILE after the project file"},
        Refused{"AddEmptyName", {"add", "b.aps", ""}, "'add' was given an empty file name"},
        Refused{"RegistryWithoutFile",
                {"build", "b.aps", "--registry"},
                "option --registry needs a FILE"},
        Refused{
            "RegistryEmpty", {"--registry=", "build", "b.aps"}, "option --registry needs a FILE"},
        Refused{"StudioWithoutDir", {"--studio-dir"}, "option --studio-dir needs a folder (DIR)"},
        Refused{"FlagWithValue",
                {"--verbose=yes", "build", "b.aps"},
                "option --verbose takes no value"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace avrtazu
