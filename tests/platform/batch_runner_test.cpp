#include "platform/batch_runner.h"
#include "platform/drive_map.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

namespace avrtazu {
namespace {

// A program that leaves its folder, arguments and search path in a file beside it, and ends
// with the status it is told.
const char* const recorder = "#!/bin/sh\n"
                             "{ pwd; echo \"args:$*\"; echo \"path:$PATH\"; } > \"$0.txt\"\n"
                             "exit ${STATUS:-0}\n";

class BatchRunnerTest : public ::testing::Test {
protected:
    test::TempDrive drive;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(BatchRunnerTest, RunsBuildBatInItsFolderWithItsSearchPath) {
    drive.write("tazu/bin/fakemake.exe", recorder, true);
    drive.makeFolder("work/demo/default");
    BatchRunner runner(out, err);
    const std::string inherited = runner.variable("PATH").value_or("");
    const int status =
        runner.runText("@ECHO OFF\r\n"
                       "SET STATUS=5\r\n"
                       "REM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT*********\r\n"
                       "PATH=C:\\make\\;C:\\tazu\\bin;%PATH%\r\n"
                       "pushd C:\\work\\demo\\default\\\r\n"
                       "mode con codepage select=850 > NUL\r\n"
                       "fakemake \r\n",
                       {"build.bat"});
    EXPECT_EQ(status, 5);
    EXPECT_EQ(drive.read("tazu/bin/fakemake.exe.txt"),
              drive.linux("work/demo/default") + "\nargs:\npath:" + drive.linux("make") + ":" +
                  drive.linux("tazu/bin") + ":" + inherited + "\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(runner.currentFolder(), drive.linux("work/demo/default"));
}

TEST_F(BatchRunnerTest, EndsWithTheStatusOfTheLastProgramOrFailure) {
    drive.write("bin/ok.exe", "#!/bin/sh\nexit 0\n", true);
    drive.write("bin/fail.exe", "#!/bin/sh\nexit 4\n", true);
    drive.write("bin/plain", "#!/bin/sh\nexit 6\n", true);
    const std::string notRecognized =
        "' is not recognized as an internal or external command, operable program or batch "
        "file.\n";
    const std::string unsupported = " is not supported by this batch-file runner.\n";
    struct Case {
        std::string text; // after "@echo off" and "PATH=C:\bin"
        int status;
        std::string message;
    } cases[] = {
        {"fail\nok\n", 0, ""},
        // Lines that run no program keep the status.
        {"ok\nfail.exe\nrem later lines change nothing\n\n", 4, ""},
        {"plain\n", 6, ""},         // a Linux program without ".exe"
        {"C:\\bin\\fail\n", 4, ""}, // a path, not looked up
        {"fail\nexit /b 9\nok\n", 9, ""},
        {"nosuchtool -x\n", BatchRunner::notRecognized, "'nosuchtool" + notRecognized},
        {"C:\\none\\x.exe\n", BatchRunner::notRecognized, "'C:\\none\\x.exe" + notRecognized},
        {"IF EXIST x echo y\n", 1, "IF" + unsupported},
        {"sort | more\n", 1, "Pipes are not supported by this batch-file runner.\n"},
        {"pushd C:\\does\\not\\exist\\\n", 1, "The system cannot find the path specified.\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream messages;
        BatchRunner runner(out, messages);
        EXPECT_EQ(runner.runText("@echo off\nPATH=C:\\bin\n" + c.text, {"t.bat"}), c.status)
            << c.text;
        EXPECT_EQ(messages.str(), c.message) << c.text;
        EXPECT_EQ(runner.currentFolder().find(drive.root()), std::string::npos) << c.text;
    }

    std::ostringstream messages;
    BatchRunner runner(out, messages);
    EXPECT_EQ(runner.runFile("C:\\missing.bat"), BatchRunner::notRecognized);
    EXPECT_EQ(messages.str(), "'C:\\missing.bat" + notRecognized);
}

TEST_F(BatchRunnerTest, EchoAndVariables) {
    drive.makeFolder("w");
    const std::pair<std::string, std::string> cases[] = {
        {"@echo off\necho hello  world\n", "hello  world\n"},
        {"@echo off\necho.\necho:x\n", "\nx\n"},
        {"@echo off\necho\n", "ECHO is off.\n"},
        {"@echo off\nset NAME=tazu\necho %NAME%-%name%-%UNSET%-100%%\n", "tazu-tazu--100%\n"},
        {"@echo off\necho %0 %1 [%2] %*\n", "t.bat a [\"b c\"] a \"b c\"\n"},
        {"@echo off\necho %~2\n", "b c\n"},
        {"@echo off\nset X=1\nset X=\necho [%X%]\n", "[]\n"},
        {"@echo off\npushd C:\\w\necho %CD%\n", "C:\\w\n"},
        {"@echo off\nmode con codepage select=850 > NUL\nchcp 850\ncls\n", ""},
        {"@echo off\necho one > NUL\necho two\n", "two\n"},
        {"@pushd C:\\w\necho on\n", "C:\\w>echo on\n"},
        {"@echo off\n:label\n:: comment\nREM echo no\n", ""},
    };
    for (const auto& [text, expected] : cases) {
        std::ostringstream output;
        BatchRunner runner(output, err);
        runner.runText(text, {"t.bat", "a", "\"b c\""});
        EXPECT_EQ(output.str(), expected) << text;
    }
}

TEST_F(BatchRunnerTest, SearchPathEntriesBecomeLinuxFolders) {
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

TEST_F(BatchRunnerTest, RedirectsProgramOutputAndRunsOtherBatchFiles) {
    drive.write("bin/talk.exe", "#!/bin/sh\necho out\necho err >&2\nexit 1\n", true);
    drive.write("inner.bat", "@echo off\r\necho inner %1> C:\\inner.txt\r\nexit /b 3\r\n");
    BatchRunner runner(out, err);
    const int status = runner.runText("@echo off\r\n"
                                      "PATH=C:\\bin\r\n"
                                      "talk > C:\\both.txt 2>&1\r\n"
                                      "talk >> C:\\both.txt 2> NUL\r\n"
                                      "call C:\\inner.bat arg\r\n"
                                      "echo after call > C:\\after.txt\r\n",
                                      {"t.bat"});
    EXPECT_EQ(status, 3);
    EXPECT_EQ(drive.read("both.txt"), "out\nerr\nout\n");
    EXPECT_EQ(drive.read("inner.txt"), "inner arg\n");
    EXPECT_EQ(drive.read("after.txt"), "after call \n");
}

} // namespace
} // namespace avrtazu
