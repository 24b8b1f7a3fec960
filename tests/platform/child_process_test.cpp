#include "platform/child_process.h"
#include "platform/system_error_text.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace avrtazu {
namespace {

using test::TempDrive;
using namespace std::chrono_literals;

// Hang guard only: a child that outlives it fails the test instead of blocking the run.
constexpr std::chrono::milliseconds hangGuard = 60s;

// Polls the child as the tool runner does until it has ended and the pipe is empty.
std::string outputUntilEnd(ChildProcess& child) {
    std::string output;
    char buffer[8192];
    const auto deadline = std::chrono::steady_clock::now() + hangGuard;
    while (std::chrono::steady_clock::now() < deadline) {
        if (child.bytesAvailable().value_or(0) > 0) {
            output.append(buffer, child.read(buffer, sizeof buffer).value_or(0));
        } else if (child.hasEnded() && child.bytesAvailable().value_or(0) == 0) {
            // Whatever the child wrote before it ended was in the pipe by then.
            return output;
        } else {
            std::this_thread::sleep_for(5ms);
        }
    }
    ADD_FAILURE() << "child did not end";
    child.terminate();
    return output;
}

std::string firstLine(ChildProcess& child) {
    std::string line;
    char c = 0;
    while (child.waitForOutput(hangGuard) && child.read(&c, 1).value_or(0) == 1 && c != '\n') {
        line.push_back(c);
    }
    return line;
}

// A process that is gone, or a zombie nobody has collected yet, no longer runs.
bool isRunning(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string content;
    if (!std::getline(stat, content)) {
        return false;
    }
    const auto close = content.rfind(')');
    return close != std::string::npos && close + 2 < content.size() && content[close + 2] != 'Z';
}

bool endsWithin(const std::string& pid) {
    const auto deadline = std::chrono::steady_clock::now() + hangGuard;
    while (isRunning(pid) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    return !isRunning(pid);
}

TEST(ChildProcessTest, OutputArrivesThroughThePipeByteForByteAndTheEndIsSeen) {
    struct Case {
        const char* commandLine;
        std::string output;
        int exitCode;
    } cases[] = {
        {"sh -c \"printf 'a\\nb'\"", "a\nb", 0},
        {"sh -c \"echo out; echo err 1>&2; echo out2; exit 7\"", "out\nerr\nout2\n", 7},
        {"printf \"\\000\\001\\377\\r\\n\\010\"", std::string("\0\1\377\r\n\b", 6), 0},
        // More than a pipe holds: the child can only finish while the reader keeps reading.
        {"head -c 300000 /dev/zero", std::string(300000, '\0'), 0},
        {"sh -c \"cat; echo end\"", "end\n", 0}, // standard input is empty
        {"sh -c \"sleep 0.2; exit 3\"", "", 3},
        {"sh -c \"kill -9 $$\"", "", 128 + 9},
    };
    for (const auto& c : cases) {
        ChildProcess child;
        ASSERT_TRUE(child.start(c.commandLine))
            << c.commandLine << ": " << SystemError::lastErrorMessage();
        EXPECT_FALSE(child.exitCode());
        EXPECT_EQ(outputUntilEnd(child), c.output) << c.commandLine;
        EXPECT_EQ(child.exitCode(), c.exitCode) << c.commandLine;
        EXPECT_TRUE(child.close());
    }
}

TEST(ChildProcessTest, WaitingForOutputEndsWhenOutputArrives) {
    ChildProcess child;
    ASSERT_TRUE(child.start("sh -c \"sleep 0.2; echo late\""));
    ASSERT_TRUE(child.waitForOutput(hangGuard));
    EXPECT_GT(child.bytesAvailable().value_or(0), 0u);
    EXPECT_EQ(outputUntilEnd(child), "late\n");
}

TEST(ChildProcessTest, ProgramsAreFoundAsWindowsPathsWithArgumentsSplitTheWindowsWay) {
    TempDrive drive;
    drive.write("my tools/say.exe", "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n", true);
    drive.write("bin/hello.exe", "#!/bin/sh\necho hello from $0\n", true);
    drive.makeFolder("work");
    struct Case {
        std::string commandLine;
        std::optional<std::string> folder;
        std::string output;
    } cases[] = {
        {"\"C:\\my tools\\say.exe\" one \"two words\" a\\\"q C:\\dir\\", std::nullopt,
         "[one]\n[two words]\n[a\"q]\n[C:\\dir\\]\n"},
        {"\"C:\\my tools\\say\"", std::nullopt, ""},
        {"C:\\bin\\hello", std::nullopt, "hello from " + drive.linux("bin/hello.exe") + "\n"},
        {drive.linux("bin/hello.exe"), std::nullopt,
         "hello from " + drive.linux("bin/hello.exe") + "\n"},
        {"sh -c pwd", std::string("C:\\work\\"), drive.linux("work") + "\n"},
    };
    for (const auto& c : cases) {
        ChildProcess child;
        ASSERT_TRUE(child.start(c.commandLine, c.folder))
            << c.commandLine << ": " << SystemError::lastErrorMessage();
        EXPECT_EQ(outputUntilEnd(child), c.output) << c.commandLine;
    }
}

TEST(ChildProcessTest, StartFailsWithTheReasonInTheLastError) {
    TempDrive drive;
    drive.write("bin/plain.exe", "not executable");
    struct Case {
        const char* commandLine;
        std::optional<std::string> folder;
        int error;
    } cases[] = {
        {"C:\\bin\\missing.exe", std::nullopt, ENOENT},
        {"no-such-program-anywhere", std::nullopt, ENOENT},
        {"C:\\bin\\plain.exe", std::nullopt, ENOENT}, // not executable: not a program
        {"Q:\\unmapped\\tool.exe", std::nullopt, ENOENT},
        {"sh -c true", std::string("C:\\no\\folder\\"), ENOENT},
        {"", std::nullopt, EINVAL},
    };
    for (const auto& c : cases) {
        ChildProcess child;
        errno = 0;
        EXPECT_FALSE(child.start(c.commandLine, c.folder)) << c.commandLine;
        EXPECT_EQ(SystemError::code(), c.error) << c.commandLine;
        EXPECT_FALSE(child.isStarted());
    }
}

TEST(ChildProcessTest, CallsWithoutAChildFailOrAreHarmless) {
    ChildProcess child;
    EXPECT_FALSE(child.bytesAvailable());
    EXPECT_EQ(SystemError::code(), EBADF);
    char c = 0;
    EXPECT_FALSE(child.read(&c, 1));
    EXPECT_FALSE(child.waitForOutput(1ms));
    EXPECT_TRUE(child.hasEnded());
    EXPECT_FALSE(child.terminate());
    EXPECT_TRUE(child.close());
    EXPECT_TRUE(child.close());
}

TEST(ChildProcessTest, TerminateEndsTheChildAndEverythingItStarted) {
    TempDrive drive;
    const std::string script = "sh -c \"sleep 100 & echo $!; sleep 100\"";
    drive.write("run.bat", "@echo off\r\n" + script + "\r\n");
    // Directly, and through the batch-file runner.
    for (const std::string& commandLine : {script, std::string("C:\\run.bat")}) {
        ChildProcess child;
        ASSERT_TRUE(child.start(commandLine));
        const std::string grandchild = firstLine(child);
        ASSERT_FALSE(grandchild.empty());
        ASSERT_TRUE(isRunning(grandchild));
        EXPECT_FALSE(child.hasEnded());

        EXPECT_TRUE(child.terminate());
        EXPECT_TRUE(child.hasEnded());
        EXPECT_EQ(child.exitCode(), 128 + 9);
        EXPECT_TRUE(endsWithin(grandchild)) << "process " << grandchild << " still runs";
    }
}

TEST(ChildProcessTest, BatchFilesRunThroughTheRunnerAndItsStatusReachesTheCaller) {
    TempDrive drive;
    drive.write("tazu/bin/fakemake.exe",
                "#!/bin/sh\necho \"make in $(pwd) target [$1]\"\necho '!E main.c(3): oops' >&2\n"
                "exit 2\n",
                true);
    drive.makeFolder("work/demo/default");
    struct Case {
        std::string text;
        std::string output;
        int exitCode;
    } cases[] = {
        {"@ECHO OFF\r\n"
         "PATH=C:\\tazu\\bin;C:\\tazu\\bin;%PATH%\r\n"
         "pushd C:\\work\\demo\\default\\\r\n"
         "fakemake clean\r\n",
         "make in " + drive.linux("work/demo/default") + " target [clean]\n!E main.c(3): oops\n",
         2},
        // Nine thousand and nine does not fit an exit status here: the shells' 127 stands in.
        {"@echo off\r\ntazumake \r\n",
         "'tazumake' is not recognized as an internal or external command, operable program or "
         "batch file.\n",
         127},
    };
    for (const auto& c : cases) {
        drive.write("work/demo/default/build.bat", c.text);
        ChildProcess child;
        // The quotes the tool runner puts around the batch file's path.
        ASSERT_TRUE(child.start("\"C:\\work\\demo\\default\\build.bat\""))
            << SystemError::lastErrorMessage();
        EXPECT_EQ(outputUntilEnd(child), c.output) << c.text;
        EXPECT_EQ(child.exitCode(), c.exitCode) << c.text;
    }
}

} // namespace
} // namespace avrtazu
