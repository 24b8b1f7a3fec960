#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <sstream>

namespace avrtazu {
namespace {

// The parse in one line: command, project, files, registry, studio folder, verbose; or the error.
std::string parsed(const std::vector<std::string>& arguments) {
    std::string error;
    const std::optional<CliOptions> options = CliOptions::parse(arguments, &error);
    if (!options) {
        return "error: " + error;
    }
    std::ostringstream line;
    line << CliOptions::commandWord(options->command) << " [" << options->project << "]";
    for (const std::string& file : options->files) {
        line << " [" << file << "]";
    }
    line << " reg=" << options->registryFile << " studio=" << options->studioDirectory
         << (options->verbose ? " verbose" : "");
    return line.str();
}

TEST(CliOptionsTest, ParsesEveryCommandLineOrSaysWhatIsWrong) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"build", "b.aps"}, "build [b.aps] reg= studio="},
        {{"rebuild", "b.aps"}, "rebuild [b.aps] reg= studio="},
        {{"clean", "b.aps"}, "clean [b.aps] reg= studio="},
        {{"compile", "b.aps", "main.c"}, "compile [b.aps] [main.c] reg= studio="},
        {{"export-makefile", "b.aps", "o/M"}, "export-makefile [b.aps] [o/M] reg= studio="},
        {{"add", "b.aps", "a.c", "b.h"}, "add [b.aps] [a.c] [b.h] reg= studio="},
        {{"--registry", "r.reg", "--studio-dir", "/s", "--verbose", "build", "b.aps"},
         "build [b.aps] reg=r.reg studio=/s verbose"},
        {{"--registry=r.reg", "--studio-dir=/s", "clean", "b.aps"},
         "clean [b.aps] reg=r.reg studio=/s"},
        {{"build", "b.aps", "--verbose"}, "build [b.aps] reg= studio= verbose"},
        {{"add", "b.aps", "--", "--odd.c", "-"}, "add [b.aps] [--odd.c] [-] reg= studio="},
        {{"--help"}, "--help [] reg= studio="},
        {{"-h"}, "--help [] reg= studio="},
        {{"build", "--help"}, "--help [] reg= studio="},
        {{"--version"}, "--version [] reg= studio="},
        {{}, "error: no command given"},
        {{"make", "b.aps"}, "error: unknown command 'make'"},
        {{"--fast", "build", "b.aps"}, "error: unknown option '--fast'"},
        {{"build"}, "error: 'build' needs a project file (PROJECT.aps)"},
        {{"build", ""}, "error: 'build' needs a project file (PROJECT.aps)"},
        {{"build", "b.aps", "x.c"}, "error: 'build' takes nothing after the project file"},
        {{"compile", "b.aps"}, "error: 'compile' needs exactly one FILE after the project file"},
        {{"compile", "b.aps", "a.c", "b.c"},
         "error: 'compile' needs exactly one FILE after the project file"},
        {{"export-makefile", "b.aps"},
         "error: 'export-makefile' needs exactly one OUT after the project file"},
        {{"add", "b.aps"}, "error: 'add' needs at least one FILE after the project file"},
        {{"add", "b.aps", ""}, "error: 'add' was given an empty file name"},
        {{"build", "b.aps", "--registry"}, "error: option --registry needs a FILE"},
        {{"--registry=", "build", "b.aps"}, "error: option --registry needs a FILE"},
        {{"--studio-dir"}, "error: option --studio-dir needs a folder (DIR)"},
        {{"--verbose=yes", "build", "b.aps"}, "error: option --verbose takes no value"},
    };
    for (const auto& [arguments, expected] : cases) {
        EXPECT_EQ(parsed(arguments), expected);
    }
}

} // namespace
} // namespace avrtazu
