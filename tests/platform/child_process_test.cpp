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

using namespace std::chrono_literals;

// Hang guard only: a child that outlives it fails the test instead of blocking the run.
constexpr std::chrono::milliseconds hangGuard = 60s;

// Polls the child as the tool runner does until it has ended and the pipe is empty.
std::string outputUntilEnd(ChildProcess& child) {
    std::string output;
    char buffer[8192];
    for (const auto deadline = std::chrono::steady_clock::now() + hangGuard;
         std::chrono::steady_clock::now() < deadline;) {
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

// A process that is gone, or a zombie nobody has collected yet, no longer runs.
bool isRunning(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string content;
    std::getline(stat, content);
    const auto close = content.rfind(')');
    return close != std::string::npos && close + 2 < content.size() && content[close + 2] != 'Z';
}

class ChildProcessTest : public ::testing::Test {
protected:
    test::TempDrive drive;
};

TEST_F(ChildProcessTest, OutputArrivesThroughThePipeByteForByteAndTheEndIsSeen) {
    drive.write("my tools/say.exe", "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n", true);
    drive.write("bin/hello.exe", "#!/bin/sh\necho hello from $0\nexit 2\n", true);
    drive.makeFolder("work");
    drive.write("work/build.bat", "@ECHO OFF\r\nPATH=C:\\bin;%PATH%\r\nhello\r\ntazumake \r\n");
    const std::string hello = "hello from " + drive.linux("bin/hello.exe") + "\n";
    const struct {
        std::string commandLine;
        std::string output;
        int exitCode;
        std::optional<std::string> folder = std::nullopt;
    } cases[] = {
        // clang-format off
        {"sh -c \"printf 'a\\nb'\"", "a\nb", 0},
        {"sh -c \"echo out; echo err 1>&2; echo out2; exit 7\"", "out\nerr\nout2\n", 7},
        {"printf \"\\000\\001\\377\\r\\n\\010\"", std::string("\0\1\377\r\n\b", 6), 0},
        // More than a pipe holds: the child can only finish while the reader keeps reading.
        {"head -c 300000 /dev/zero", std::string(300000, '\0'), 0},
        {"sh -c \"cat; echo end\"", "end\n", 0}, // standard input is empty
        {"sh -c \"kill -9 $$\"", "", 128 + 9},
        // Programs by Windows path, ".exe" optional, arguments split the Windows way.
        {"\"C:\\my tools\\say.exe\" one \"two words\" a\\\"q C:\\dir\\", "[one]\n[two words]\n[a\"q]\n[C:\\dir\\]\n", 0},
        {"C:\\bin\\hello", hello, 2},
        {drive.linux("bin/hello.exe"), hello, 2},
        {"sh -c pwd", drive.linux("work") + "\n", 0, "C:\\work\\"},
        // A batch file, quoted as the tool runner does, runs through the runner; 9009 does not
        // fit an exit status: 127 stands in.
        {"\"C:\\work\\build.bat\"", hello + "'tazumake' is not recognized as an internal or external command, operable program or batch file.\n", 127},
        // clang-format on
    };
    for (const auto& c : cases) {
        ChildProcess child;
        ASSERT_TRUE(child.start(c.commandLine, c.folder))
            << c.commandLine << ": " << SystemError::lastErrorMessage();
        EXPECT_FALSE(child.exitCode());
        EXPECT_EQ(outputUntilEnd(child), c.output) << c.commandLine;
        EXPECT_EQ(child.exitCode(), c.exitCode) << c.commandLine;
        EXPECT_TRUE(child.close());
    }
}

TEST_F(ChildProcessTest, StartFailsWithTheReasonInTheLastError) {
    drive.write("bin/plain.exe", "not executable");
    const struct {
        const char* commandLine;
        int error;
        std::optional<std::string> folder = std::nullopt;
    } cases[] = {
        // clang-format off
        {"C:\\bin\\missing.exe", ENOENT}, {"no-such-program-anywhere", ENOENT},
        {"C:\\bin\\plain.exe", ENOENT}, {"Q:\\unmapped\\tool.exe", ENOENT},
        {"sh -c true", ENOENT, "C:\\no\\folder\\"}, {"", EINVAL},
        // clang-format on
    };
    for (const auto& c : cases) {
        ChildProcess child;
        errno = 0;
        EXPECT_FALSE(child.start(c.commandLine, c.folder)) << c.commandLine;
        EXPECT_EQ(SystemError::code(), c.error) << c.commandLine;
        EXPECT_FALSE(child.isStarted());
    }
}

// The build's batch file runs through the runner; stopping the build ends all it started.
TEST_F(ChildProcessTest, TerminateEndsTheChildAndEverythingItStarted) {
    drive.write("run.bat", "@echo off\r\nsh -c \"sleep 100 & echo $!; sleep 100\"\r\n");
    ChildProcess child;
    ASSERT_TRUE(child.start("C:\\run.bat"));
    ASSERT_TRUE(child.waitForOutput(hangGuard));
    EXPECT_GT(child.bytesAvailable().value_or(0), 0u);
    std::string grandchild;
    for (char c = 0; child.read(&c, 1).value_or(0) == 1 && c != '\n';) {
        grandchild.push_back(c);
    }
    ASSERT_TRUE(isRunning(grandchild)) << grandchild;
    EXPECT_FALSE(child.hasEnded());

    EXPECT_TRUE(child.terminate());
    EXPECT_TRUE(child.hasEnded());
    EXPECT_EQ(child.exitCode(), 128 + 9);
    const auto deadline = std::chrono::steady_clock::now() + hangGuard;
    while (isRunning(grandchild) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(isRunning(grandchild)) << "process " << grandchild << " still runs";
}

} // namespace
} // namespace avrtazu
