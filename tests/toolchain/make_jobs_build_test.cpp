// End to end: tazumake with two jobs builds the blink example with the real tools, keeps each
// compile's diagnostics under its own command line, and follows the headers tazuavr listed.

#include "build/demo_makefile.h"
#include "common/process_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes the file and dates it after anything a build made so far.
void writeNewer(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(2));
}

struct MakeRun {
    int status = -1;
    std::vector<std::string> lines;
    std::vector<std::string> compiled; // the sources of the "tazuavr -c" lines, in order
};

MakeRun make(const fs::path& folder) {
    const ProcessResult result = ProcessRunner::runCaptured(TAZU_TOOLCHAIN_DIR "/bin/tazumake.exe",
                                                            {"-C", folder.string(), "-j", "2"});
    MakeRun run;
    run.status = result.exitCode;
    std::istringstream stream(result.output);
    for (std::string line; std::getline(stream, line);) {
        if (line.rfind("tazuavr -c ", 0) == 0) {
            run.compiled.push_back(line.substr(line.find_last_of('\\') + 1));
        }
        run.lines.push_back(line);
    }
    return run;
}

TEST(MakeJobsBuildTest, TwoJobsKeepDiagnosticsUnderTheirCommandAndFollowHeaders) {
    const fs::path root = fs::temp_directory_path() / ("tazu-jobs-" + std::to_string(::getpid()));
    const fs::path demo = root / "work/demo";
    fs::remove_all(root);
    fs::create_directories(demo / "default");
    ::setenv("TAZU_DRIVES", ("C=" + root.string()).c_str(), 1);
    const std::string example = std::string(TAZU_SOURCE_DIR) + "/examples/blink/";
    const std::string mainText = readFile(example + "main.c");
    std::ofstream(demo / "main.c") << "#include \"led.h\"\n"
                                   << mainText << "static int unused_in_main;\n";
    std::ofstream(demo / "uart.c")
        << readFile(example + "uart.c") << "static int unused_in_uart;\n";
    fs::copy_file(example + "uart.h", demo / "uart.h");
    std::ofstream(demo / "led.h") << "#define LED 1\n";
    std::ofstream(demo / "default/Makefile") << test::kDemoMakefile;
    std::ofstream(demo / "default/demo.lk") << "main.o uart.o ";

    const MakeRun first = make(demo / "default");
    const std::string output = testing::PrintToString(first.lines);
    EXPECT_EQ(first.status, 0) << output;
    std::vector<std::string> compiled = first.compiled;
    std::sort(compiled.begin(), compiled.end());
    EXPECT_EQ(compiled, (std::vector<std::string>{"main.c", "uart.c"})) << output;
    for (std::size_t i = 0; i + 1 < first.lines.size(); ++i) {
        const std::string& line = first.lines[i];
        if (line.rfind("tazuavr -c ", 0) == 0) {
            const std::string source = line.substr(line.rfind(' ') + 1);
            EXPECT_EQ(first.lines[i + 1].rfind("!W " + source + "(", 0), 0u) << output;
        }
    }
    EXPECT_TRUE(fs::exists(demo / "default/demo.hex")) << output;

    writeNewer(demo / "led.h", "#define LED 2\n");
    const MakeRun touched = make(demo / "default");
    EXPECT_EQ(touched.status, 0);
    EXPECT_EQ(touched.compiled, std::vector<std::string>{"main.c"})
        << testing::PrintToString(touched.lines);

    // The dependency list still names led.h; its absence must not stop the build.
    fs::remove(demo / "led.h");
    writeNewer(demo / "main.c", mainText);
    const MakeRun deleted = make(demo / "default");
    EXPECT_EQ(deleted.status, 0) << testing::PrintToString(deleted.lines);
    EXPECT_EQ(deleted.compiled, std::vector<std::string>{"main.c"});

    ::unsetenv("TAZU_DRIVES");
    fs::remove_all(root);
}

} // namespace
} // namespace avrtazu
