// Programs: command lines split the Windows way, child processes, the batch-file runner and
// the opener of documents.

#include "golden.h"
#include "platform/batch_runner.h"
#include "platform/child_process.h"
#include "platform/command_line.h"
#include "platform/drive_map.h"
#include "platform/shell.h"
#include "platform/system_error_text.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>

namespace avrtazu {
namespace {

using Words = std::vector<std::string>;

TEST(CommandLineTest, SplitsTheWindowsWayAndQuotedArgumentsComeBackUnchanged) {
    const std::pair<const char*, Words> cases[] = {
        // clang-format off
        {"  tazumake   ", {"tazumake"}}, {"p \"two words\" three", {"p", "two words", "three"}},
        // The program word knows no escapes: a quoted folder keeps its last backslash.
        {"\"C:\\dir\\\" x", {"C:\\dir\\", "x"}},
        {"p a\\\"b", {"p", "a\"b"}}, {"p a\\\\\"b c\"", {"p", "a\\b c"}}, {"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {"p C:\\dir\\ \\\\server\\share", {"p", "C:\\dir\\", "\\\\server\\share"}},
        {"p \"\" x", {"p", "", "x"}}, {"p \"a\"\"b\"", {"p", "a\"b"}}, {"p\ta\tb", {"p", "a", "b"}},
        {"   ", {}},
        // clang-format on
    };
    for (const auto& [line, words] : cases) {
        EXPECT_EQ(CommandLine::split(line), words) << line;
    }
    // Joined words split back unchanged.
    for (const Words& words :
         {Words{"prog", "two words", ""}, Words{"C:\\Program Files\\t.exe", "a\\\\\"b", "\\"},
          Words{"prog", "C:\\dir with space\\", "say \"hi\"", "tab\there", "end\\"}}) {
        EXPECT_EQ(CommandLine::split(CommandLine::join(words)), words) << CommandLine::join(words);
    }
}

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

TEST_F(ChildProcessTest, OutputArrivesThroughThePipeByteForByteAndTheEndIsSeenOrStartFails) {
    drive.write("my tools/say.exe", "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done\n", true);
    drive.write("bin/hello.exe", "#!/bin/sh\necho hello from $0\nexit 2\n", true);
    drive.makeFolder("work");
    drive.write("bin/plain.exe", "not executable");
    drive.write("work/build.bat", "@ECHO OFF\r\nPATH=C:\\bin;%PATH%\r\nhello\r\ntazumake \r\n");
    // $PPID tells who started the program: this process when nothing stood between.
    drive.write("bin/parent.exe", "#!/bin/sh\necho $PPID\npwd\nexit 5\n", true);
    drive.makeFolder("work/sub");
    drive.write("work/direct.bat",
                "@ECHO OFF\r\nPATH=C:\\bin;%PATH%\r\npushd C:\\work\\sub\\\r\nparent\r\n");
    const std::string hello = "hello from " + drive.linux("bin/hello.exe") + "\n";
    const std::string noFile = "not started: No such file or directory";
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
        // One that only prepares and starts one program has that program for the child.
        {"C:\\work\\direct.bat", std::to_string(::getpid()) + "\n" + drive.linux("work/sub") + "\n", 5},
        // A program that is missing or not executable, or a folder that is missing, is the
        // reason start fails.
        {"C:\\bin\\missing.exe", noFile, -1}, {"no-such-program-anywhere", noFile, -1},
        {"C:\\bin\\plain.exe", noFile, -1}, {"Q:\\unmapped\\tool.exe", noFile, -1},
        {"sh -c true", noFile, -1, "C:\\no\\folder\\"}, {"", "not started: Invalid argument", -1},
        // clang-format on
    };
    for (const auto& c : cases) {
        ChildProcess child;
        errno = 0;
        if (!child.start(c.commandLine, c.folder)) {
            EXPECT_EQ("not started: " + SystemError::text(SystemError::code()), c.output);
            EXPECT_FALSE(child.isStarted());
            continue;
        }
        EXPECT_FALSE(child.exitCode());
        EXPECT_EQ(outputUntilEnd(child), c.output) << c.commandLine;
        EXPECT_EQ(child.exitCode(), c.exitCode) << c.commandLine;
        EXPECT_TRUE(child.close());
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

// golden/runner.bat runs from C:\; what it writes, messages included, is golden/runner.txt.
TEST(BatchRunnerTest, RunsABatchFileLineByLine) {
    test::TempDrive drive;
    // A program that leaves its folder, arguments and search path in a file beside it, and
    // ends with the status it is told.
    drive.write("bin/record.exe",
                "#!/bin/sh\n{ pwd; echo \"args:$*\"; echo \"path:$PATH\"; } > \"$0.txt\"\n"
                "exit ${STATUS:-0}\n",
                true);
    drive.write("bin/ok.exe", "#!/bin/sh\nexit 0\n", true);
    drive.write("bin/fail.exe", "#!/bin/sh\nexit 4\n", true);
    drive.write("bin/plain", "#!/bin/sh\nexit 6\n", true); // a Linux program without ".exe"
    drive.write("bin/talk.exe", "#!/bin/sh\necho out\necho err >&2\nexit 1\n", true);
    drive.write("bin/inner.bat", "@echo off\r\necho inner %1> C:\\inner.txt\r\nexit /b 3\r\n");
    drive.write("runner.bat", test::golden("runner.bat"));
    drive.makeFolder("work/demo/default");
    std::ostringstream out;
    BatchRunner runner(out, out);
    EXPECT_EQ(runner.runFile("C:\\runner.bat", {"a", "\"b c\""}), 9);
    test::expectGolden("runner.txt", out.str());
    EXPECT_EQ(drive.read("bin/record.exe.txt"),
              drive.linux("work/demo/default") + "\nargs:\npath:" + drive.linux("make") + ":" +
                  drive.linux("bin") + ":" + std::getenv("PATH") + "\n");
    EXPECT_EQ(runner.currentFolder(), drive.linux("bin"));
    EXPECT_EQ(drive.read("both.txt"), "out\nerr\nout\n");
    EXPECT_EQ(drive.read("inner.txt"), "inner arg\n");
    EXPECT_EQ(drive.read("after.txt"), "after call \n");

    std::ostringstream messages;
    EXPECT_EQ(BatchRunner(out, messages).runFile("C:\\missing.bat"), BatchRunner::notRecognized);
    EXPECT_EQ(messages.str(), "'C:\\missing.bat' is not recognized as an internal or external "
                              "command, operable program or batch file.\n");
}

// A file comes down to one program only when the runner would do nothing else; looking does
// not run anything.
TEST(BatchRunnerTest, ADirectStartIsFoundOnlyWhereTheRunnerWouldJustStartOneProgram) {
    test::TempDrive drive;
    drive.write("bin/record.exe", "#!/bin/sh\necho ran > \"$0.txt\"\n", true);
    drive.write("bin/inner.bat", "@echo off\r\n");
    drive.makeFolder("work");
    const std::string prepare = "@ECHO OFF\r\nREM made\r\nPATH=C:\\bin;%PATH%\r\n"
                                "pushd C:\\work\\\r\nmode con codepage select=850 > NUL\r\n";
    const std::pair<std::string, bool> cases[] = {
        {prepare + "record %1 \"b c\"\r\n", true},
        {prepare + "record\r\n\r\nREM done\r\n:end\r\n", true},
        {"record\r\n", false}, // ECHO on shows the line
        {prepare + "echo building\r\nrecord\r\n", false},
        {prepare + "echo x> C:\\written.txt\r\nrecord\r\n", false},
        {prepare + "record\r\nrecord\r\n", false},
        {prepare + "record\r\nexit /b 3\r\n", false},
        {prepare + "record > C:\\written.txt\r\n", false},
        {prepare + "call C:\\bin\\inner.bat\r\n", false},
        {prepare + "missing\r\n", false},
        {prepare + "pushd C:\\nowhere\\\r\nrecord\r\n", false},
        {prepare, false},
    };
    for (const auto& [text, direct] : cases) {
        drive.write("build.bat", text);
        const auto start = BatchRunner::directStart(drive.linux("build.bat"), {"a"}, drive.root());
        ASSERT_EQ(start.has_value(), direct) << text;
        EXPECT_FALSE(drive.exists("written.txt") || drive.exists("bin/record.exe.txt")) << text;
        if (!start) {
            continue;
        }
        EXPECT_EQ(start->program, drive.linux("bin/record.exe"));
        EXPECT_EQ(start->folder, drive.linux("work"));
        const auto path = std::find(start->environment.begin(), start->environment.end(),
                                    "PATH=" + drive.linux("bin") + ":" + std::getenv("PATH"));
        EXPECT_NE(path, start->environment.end()) << text;
        if (text.find("%1") != std::string::npos) {
            EXPECT_EQ(start->arguments, Words({"a", "b c"}));
        }
    }
}

TEST(BatchRunnerTest, SearchPathEntriesBecomeLinuxFolders) {
    test::TempDrive drive;
    DriveMap::map('D', "/mnt/d");
    const std::pair<const char*, std::string> cases[] = {
        {"C:\\tazu\\bin;D:\\make\\", drive.linux("tazu/bin") + ":/mnt/d/make"},
        {"C:\\a;/usr/bin:/bin", drive.linux("a") + ":/usr/bin:/bin"},
        {"\"C:\\with space\";;Q:\\unmapped", drive.linux("with space")},
        {"relative", "relative"},
    };
    for (const auto& [value, path] : cases) {
        EXPECT_EQ(BatchRunner::linuxSearchPath(value), path) << value;
    }
}

TEST(ShellTest, OpensExistingDocumentsWithTheOpenerIfThereIsOne) {
    test::TempDrive drive;
    drive.write("doc/main.lis", "listing");
    // The opener leaves the document it was given where the test can see it.
    Shell::setOpener(drive.write(
        "bin/opener", "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n", true));
    EXPECT_EQ(Shell::open("C:\\doc\\missing.lis"), Shell::fileNotFound);
    EXPECT_EQ(Shell::open("Q:\\doc\\main.lis"), Shell::fileNotFound);
    EXPECT_EQ(Shell::open("C:\\doc\\main.lis"), Shell::started);
    EXPECT_GT(Shell::started, 32);
    // The opener runs detached; wait for it as a hang guard only.
    const std::string expected = drive.linux("doc/main.lis") + "\n";
    for (int i = 0; i < 6000 && drive.read("bin/opened.txt") != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(drive.read("bin/opened.txt"), expected);

    Shell::setOpener("no-such-opener-program");
    EXPECT_EQ(Shell::open("C:\\doc\\main.lis"), Shell::noAssociation);
    Shell::setOpener("xdg-open");
}

} // namespace
} // namespace avrtazu
