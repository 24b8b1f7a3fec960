#include "avrtazu_run.h"
#include "host_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>

namespace avrtazu {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

// The example project, built by a Makefile of its own in ext/ (no compiler needed); with
// brokenTools, by a toolchain folder whose tools cannot run.
std::string project(const test::TempFolder& folder, const std::string& makefile,
                    bool brokenTools = false) {
    std::string tools = "Z:" + folder.file("tools");
    std::replace(tools.begin(), tools.end(), '/', '\\');
    std::string aps = test::readFile(AVRTAZU_EXAMPLE_DIR "/blink.aps");
    const auto replace = [&aps](const std::string& from, const std::string& to) {
        aps.replace(aps.find(from), from.size(), to);
    };
    replace("MAKEFILE>NO<", "MAKEFILE>YES<");
    replace("MAKEFILE />", "MAKEFILE>ext\\Makefile</EXTERNALMAKEFILE>");
    if (brokenTools) {
        folder.write("tools/tazumake.exe", "");
        folder.write("tools/tazuavr.exe", "");
        replace("AVR>1<", "AVR>0<");
        replace("<TAZU_LOC />", "<TAZU_LOC>" + tools + "</TAZU_LOC>");
        replace("<MAKE_LOC />", "<MAKE_LOC>" + tools + "</MAKE_LOC>");
    }
    folder.write("main.c", "");
    folder.write("ext/Makefile", makefile);
    // Tells the tool's process group, then works on until it is stopped.
    folder.write("ext/hang.sh", "echo group $(cut -d' ' -f5 /proc/$$/stat)\nexec sleep 120\n");
    return folder.write("blink.aps", aps);
}

// avrtazu on a PATH without the toolchain.
test::AvrtazuRun run(const std::string& folder, const QStringList& arguments, int signal = 0) {
    return test::avrtazu(folder, arguments, "/usr/bin:/bin", signal);
}

TEST(CliExitStatusTest, OnlyARealSuccessExitsZero) {
    struct Case {
        QStringList arguments;
        std::string makefile;
        bool brokenTools;
        // An object file of an earlier build, which must not hide a failure.
        bool oldOutput;
        int status;
        const char* shown;
    };
    const Case cases[] = {
        {{"build"}, "all:\n\tfalse\n", false, true, 1, "tazumake: *** Stop."},
        {{"clean"}, "clean:\n\tfalse\n", false, true, 1, "Successfully cleaned the project"},
        {{"compile", "main.c"}, "", false, true, 1, "Make succeeded with 0 Warnings..."},
        {{"build"}, "all:\n\ttrue\n", true, true, 1, "'tazumake' is not recognized as an"},
        {{"build"}, "all:\n\ttrue\n", false, false, 1, "Build succeeded with 0 Warnings..."},
        // A rebuild is judged by its build, not by a clean that found no clean target.
        {{"rebuild"}, "all:\n\ttouch blink.cof\n", false, false, 0, "Build succeeded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        const test::TempFolder folder;
        project(folder, c.makefile, c.brokenTools);
        if (c.oldOutput) {
            folder.write("ext/blink.cof", "old");
        }
        const test::AvrtazuRun r =
            run(folder.path(), QStringList{c.arguments[0], "blink.aps"} + c.arguments.mid(1));
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        EXPECT_THAT(r.out, HasSubstr(c.shown));
    }
}

TEST(CliExitStatusTest, AnInterruptEndsTheRunningToolWithEverythingItStarted) {
    // The tool's processes come to this process when their parent is killed, so that it can
    // collect them and tell when none is left.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        const test::TempFolder folder;
        const std::string aps = project(folder, "all:\n\tsh hang.sh\n");
        const test::AvrtazuRun r = run(folder.path(), {"build", "blink.aps"}, signal);
        EXPECT_EQ(r.status, status) << r.out << r.err;
        EXPECT_THAT(r.out, HasSubstr("\nCancelled.\n"));
        ASSERT_THAT(r.out, HasSubstr("group "));
        const pid_t group = std::stoi(r.out.substr(r.out.find("group ") + 6));
        for (int i = 0; i < 1000 && (::kill(-group, 0) == 0 || errno != ESRCH); ++i) {
            while (::waitpid(-group, nullptr, WNOHANG) > 0) {
            }
            std::this_thread::sleep_for(20ms);
        }
        EXPECT_EQ(::kill(-group, SIGKILL), -1) << "processes of the tool were left";
        // Written whole.
        EXPECT_THAT(test::readFile(aps), HasSubstr("</AVRStudio>"));
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

} // namespace
} // namespace avrtazu
