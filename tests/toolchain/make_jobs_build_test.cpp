// End to end: tazumake with two jobs builds the blink example with the real tools.

#include "common/process_runner.h"
#include "golden.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;

TEST(MakeJobsBuildTest, KeepsEachCompilesWarningUnderItAndRemakesWhatIncludesAHeader) {
    const fs::path root = fs::temp_directory_path() / ("tazu-jobs-" + std::to_string(::getpid()));
    const fs::path demo = root / "work/demo";
    fs::remove_all(root);
    fs::create_directories(demo / "default");
    ::setenv("TAZU_DRIVES", ("C=" + root.string()).c_str(), 1);
    for (const char* name : {"main.c", "uart.c", "uart.h"}) {
        fs::copy_file(fs::path(TAZU_SOURCE_DIR) / "examples/blink" / name, demo / name);
    }
    std::ofstream(demo / "main.c", std::ios::app) << "#include \"led.h\"\nstatic int unused;\n";
    std::ofstream(demo / "uart.c", std::ios::app) << "static int unused;\n";
    std::ofstream(demo / "led.h") << "#define LED 1\n";
    std::ofstream(demo / "default/Makefile") << test::golden("demo.mk");
    std::ofstream(demo / "default/demo.lk") << "main.o uart.o ";
    const auto make = [&] {
        const ProcessResult result = ProcessRunner::runCaptured(
            TAZU_TOOLCHAIN_DIR "/bin/tazumake.exe", {"-C", (demo / "default").string(), "-j2"});
        EXPECT_EQ(result.exitCode, 0) << result.output;
        return result.output;
    };

    const std::string first = make();
    for (const char* source : {"C:\\work\\demo\\main.c", "C:\\work\\demo\\uart.c"}) {
        EXPECT_THAT(first, HasSubstr(source + std::string("\n!W ") + source + "("));
    }
    fs::last_write_time(demo / "led.h", fs::file_time_type::clock::now() + std::chrono::seconds(2));
    const std::string touched = make();
    EXPECT_THAT(touched, HasSubstr("tazuavr -c"));
    EXPECT_THAT(touched, Not(HasSubstr("uart.c"))) << touched;

    ::unsetenv("TAZU_DRIVES");
    fs::remove_all(root);
}

} // namespace
} // namespace avrtazu
