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
constexpr auto hangGuard = 60s;

// Polls the child as the tool runner does until it has ended and the pipe is empty.
std::string outputUntilEnd(ChildProcess& child) {
    std::string output;
    char buffer[8192];
    const auto deadline = std::chrono::steady_clock::now() + hangGuard;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto waiting = child.bytesAvailable();
        if (!waiting) {
            ADD_FAILURE() << "peek failed: " << SystemError::lastErrorMessage();
            break;
        }
        if (*waiting > 0) {
            const auto got = child.read(buffer, sizeof buffer - 1);
            if (!got) {
                ADD_FAILURE() << "read failed: " << SystemError::lastErrorMessage();
                break;
            }
            output.append(buffer, *got);
        } else if (child.hasEnded()) {
            // Whatever the child wrote before it ended is in the pipe by now.
            while (child.bytesAvailable().value_or(0) > 0) {
                output.append(buffer, child.read(buffer, sizeof buffer).value_or(0));
            }
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
    const auto deadline = std::chrono::steady_clock::now() + hangGuard;
    char c = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (child.bytesAvailable().value_or(0) == 0) {
            std::this_thread::sleep_for(5ms);
            continue;
        }
        if (child.read(&c, 1).value_or(0) != 1 || c == '\n') {
            return line;
        }
        line.push_back(c);
    }
    ADD_FAILURE() << "no line from the child";
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
    while (isRunning(pid)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(ChildProcessTest, OutputArrivesThroughThePipeByteForByte) {
    struct Case {
        const char* commandLine;
        std::string output;
    } cases[] = {
        {"sh -c \"printf 'a\\nb'\"", "a\nb"},
        {"sh -c \"echo out; echo err 1>&2; echo out2\"", "out\nerr\nout2\n"},
        {"printf \"\\000\\001\\377\\r\\n\\010\"", std::string("\0\1\377\r\n\b", 6)},
        // More than a pipe holds: the child can only finish while the reader keeps reading.
        {"head -c 300000 /dev/zero", std::string(300000, '\0')},
        {"sh -c \"cat; echo end\"", "end\n"}, // standard input is empty
        {"true", ""},
    };
    for (const auto& c : cases) {
        ChildProcess child;
        ASSERT_TRUE(child.start(c.commandLine))
            << c.commandLine << ": " << SystemError::lastErrorMessage();
        EXPECT_EQ(outputUntilEnd(child), c.output) << c.commandLine;
        EXPECT_TRUE(child.close());
    }
}

TEST(ChildProcessTest, EndAndExitStatusAreSeen) {
    struct Case {
        const char* commandLine;
        int exitCode;
    } cases[] = {
        {"sh -c \"exit 0\"", 0},
        {"sh -c \"exit 7\"", 7},
        {"sh -c \"sleep 0.2; exit 3\"", 3},
        {"sh -c \"kill -9 $$\"", 128 + 9},
    };
    for (const auto& c : cases) {
        ChildProcess child;
        ASSERT_TRUE(child.start(c.commandLine)) << c.commandLine;
        EXPECT_FALSE(child.exitCode());
        outputUntilEnd(child);
        EXPECT_TRUE(child.hasEnded());
        EXPECT_EQ(child.exitCode(), c.exitCode) << c.commandLine;
    }
}

TEST(ChildProcessTest, WaitingForOutputEndsWhenOutputArrives) {
    ChildProcess child;
    ASSERT_TRUE(child.start("sh -c \"sleep 0.2; echo late\""));
    ASSERT_TRUE(
        child.waitForOutput(std::chrono::duration_cast<std::chrono::milliseconds>(hangGuard)));
    EXPECT_GT(child.bytesAvailable().value_or(0), 0u);
    EXPECT_EQ(outputUntilEnd(child), "late\n");

    ChildProcess none;
    EXPECT_FALSE(none.waitForOutput(1ms));
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
    EXPECT_TRUE(child.hasEnded());
    EXPECT_FALSE(child.terminate());
    EXPECT_TRUE(child.close());
    EXPECT_TRUE(child.close());
}

TEST(ChildProcessTest, TerminateEndsTheChildAndEverythingItStarted) {
    ChildProcess child;
    ASSERT_TRUE(child.start("sh -c \"sleep 100 & echo $!; sleep 100\""));
    const std::string grandchild = firstLine(child);
    ASSERT_FALSE(grandchild.empty());
    ASSERT_TRUE(isRunning(grandchild));
    EXPECT_FALSE(child.hasEnded());

    EXPECT_TRUE(child.terminate());
    EXPECT_TRUE(child.hasEnded());
    EXPECT_EQ(child.exitCode(), 128 + 9);
    EXPECT_TRUE(endsWithin(grandchild)) << "grandchild " << grandchild << " still runs";
    EXPECT_TRUE(child.close());
}

TEST(ChildProcessTest, BatchFilesRunThroughTheRunner) {
    TempDrive drive;
    drive.write("tazu/bin/fakemake.exe",
                "#!/bin/sh\necho \"make in $(pwd) target [$1]\"\necho '!E main.c(3): oops' >&2\n"
                "exit 2\n",
                true);
    drive.makeFolder("work/demo/default");
    drive.write("work/demo/default/build.bat",
                "@ECHO OFF\r\n"
                "REM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT*********\r\n"
                "PATH=C:\\tazu\\bin;C:\\tazu\\bin;%PATH%\r\n"
                "pushd C:\\work\\demo\\default\\\r\n"
                "mode con codepage select=850 > NUL\r\n"
                "fakemake clean\r\n");
    ChildProcess child;
    // The quotes the tool runner puts around the batch file's path.
    ASSERT_TRUE(child.start("\"C:\\work\\demo\\default\\build.bat\""))
        << SystemError::lastErrorMessage();
    EXPECT_EQ(outputUntilEnd(child), "make in " + drive.linux("work/demo/default") +
                                         " target [clean]\n!E main.c(3): oops\n");
    EXPECT_EQ(child.exitCode(), 2);
}

TEST(ChildProcessTest, BatchRunnerStatusReachesTheCaller) {
    TempDrive drive;
    struct Case {
        const char* text;
        std::string output;
        int exitCode;
    } cases[] = {
        {"@echo off\r\nsh -c \"exit 300\"\r\n", "", 300 % 256},
        {"@echo off\r\nexit /b 12\r\n", "", 12},
        // Nine thousand and nine does not fit an exit status here: the shells' 127 stands in.
        {"@echo off\r\ntazumake \r\n",
         "'tazumake' is not recognized as an internal or external command, operable program or "
         "batch file.\n",
         127},
    };
    for (const auto& c : cases) {
        drive.write("t.bat", c.text);
        ChildProcess child;
        ASSERT_TRUE(child.start("\"C:\\t.bat\"")) << c.text;
        EXPECT_EQ(outputUntilEnd(child), c.output) << c.text;
        EXPECT_EQ(child.exitCode(), c.exitCode) << c.text;
    }
}

TEST(ChildProcessTest, TerminatingABatchRunEndsTheProgramItRuns) {
    TempDrive drive;
    drive.write("run.bat", "@echo off\r\nsh -c \"sleep 100 & echo $!; sleep 100\"\r\n");
    ChildProcess child;
    ASSERT_TRUE(child.start("C:\\run.bat"));
    const std::string program = firstLine(child);
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(child.terminate());
    EXPECT_TRUE(endsWithin(program)) << "process " << program << " still runs";
}

} // namespace
} // namespace avrtazu
