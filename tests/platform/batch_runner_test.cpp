#include "platform/batch_runner.h"
#include "platform/drive_map.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <sstream>

namespace avrtazu {
namespace {

using test::TempDrive;

// A program that leaves its folder, arguments and search path in a file, and ends with the
// status it is told.
const char* const recorder = "#!/bin/sh\n"
                             "{ pwd; echo \"args:$*\"; echo \"path:$PATH\"; } > \"$RECORD\"\n"
                             "exit ${STATUS:-0}\n";

class BatchRunnerTest : public ::testing::Test {
protected:
    BatchRunnerTest() : runner(out, err) {}

    int run(const std::string& text, const std::vector<std::string>& arguments = {"t.bat"}) {
        return runner.runText(text, arguments);
    }

    TempDrive drive;
    std::ostringstream out;
    std::ostringstream err;
    BatchRunner runner;
};

TEST_F(BatchRunnerTest, RunsBuildBatInItsFolderWithItsSearchPath) {
    drive.write("tazu/bin/fakemake.exe", recorder, true);
    drive.makeFolder("work/demo/default");
    const std::string inherited = runner.variable("PATH").value_or("");
    const int status =
        run("@ECHO OFF\r\n"
            "SET RECORD=" +
            drive.linux("record.txt") +
            "\r\n"
            "SET STATUS=5\r\n"
            "REM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT*********\r\n"
            "PATH=C:\\make\\;C:\\tazu\\bin;%PATH%\r\n"
            "pushd C:\\work\\demo\\default\\\r\n"
            "mode con codepage select=850 > NUL\r\n"
            "fakemake \r\n");
    EXPECT_EQ(status, 5);
    EXPECT_EQ(drive.read("record.txt"), drive.linux("work/demo/default") +
                                            "\nargs:\npath:" + drive.linux("make") + ":" +
                                            drive.linux("tazu/bin") + ":" + inherited + "\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(runner.currentFolder(), drive.linux("work/demo/default"));
}

TEST_F(BatchRunnerTest, EndsWithTheStatusOfTheLastProgram) {
    drive.write("bin/ok.exe", "#!/bin/sh\nexit 0\n", true);
    drive.write("bin/fail.exe", "#!/bin/sh\nexit 4\n", true);
    drive.write("bin/plain", "#!/bin/sh\nexit 6\n", true);
    struct Case {
        const char* text;
        int status;
    } cases[] = {
        {"@echo off\nPATH=C:\\bin\nok\n", 0},
        {"@echo off\nPATH=C:\\bin\nfail\n", 4},
        {"@echo off\nPATH=C:\\bin\nfail\nok\n", 0},
        {"@echo off\nPATH=C:\\bin\nok\nfail.exe\nrem later lines change nothing\n", 4},
        {"@echo off\nPATH=C:\\bin\nplain\n", 6}, // a Linux program without ".exe"
        {"@echo off\nC:\\bin\\fail\n", 4},       // a path, not looked up
        {"@echo off\nPATH=C:\\bin\nfail\nexit /b 9\nok\n", 9},
        {"@echo off\nPATH=C:\\bin\nfail\n\n\n", 4},
        {"", 0},
    };
    for (const auto& c : cases) {
        BatchRunner fresh(out, err);
        EXPECT_EQ(fresh.runText(c.text, {"t.bat"}), c.status) << c.text;
    }
}

TEST_F(BatchRunnerTest, UnknownCommandsAreReportedLikeTheCommandProcessor) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"@echo off\nnosuchtool -x\n", "'nosuchtool' is not recognized as an internal or "
                                       "external command, operable program or batch file.\n"},
        {"@echo off\nPATH=C:\\bin\ntazumake \n", "'tazumake' is not recognized as an internal or "
                                                 "external command, operable program or batch "
                                                 "file.\n"},
        {"@echo off\nC:\\none\\x.exe\n", "'C:\\none\\x.exe' is not recognized as an internal or "
                                         "external command, operable program or batch file.\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream messages;
        BatchRunner fresh(out, messages);
        EXPECT_EQ(fresh.runText(c.text, {"t.bat"}), BatchRunner::notRecognized) << c.text;
        EXPECT_EQ(messages.str(), c.message) << c.text;
    }
}

TEST_F(BatchRunnerTest, UnsupportedCommandsAndPipesAreNamed) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"@echo off\nIF EXIST x echo y\n", "IF is not supported by this batch-file runner.\n"},
        {"@echo off\ngoto end\n", "goto is not supported by this batch-file runner.\n"},
        {"@echo off\nsort | more\n", "Pipes are not supported by this batch-file runner.\n"},
    };
    for (const auto& c : cases) {
        std::ostringstream messages;
        BatchRunner fresh(out, messages);
        EXPECT_EQ(fresh.runText(c.text, {"t.bat"}), 1) << c.text;
        EXPECT_EQ(messages.str(), c.message) << c.text;
    }
}

TEST_F(BatchRunnerTest, MissingFolderOrFileIsReported) {
    EXPECT_EQ(run("@echo off\npushd C:\\does\\not\\exist\\\n"), 1);
    EXPECT_EQ(err.str(), "The system cannot find the path specified.\n");
    EXPECT_EQ(runner.currentFolder().find(drive.root()), std::string::npos);

    std::ostringstream messages;
    BatchRunner fresh(out, messages);
    EXPECT_EQ(fresh.runFile("C:\\missing.bat"), BatchRunner::notRecognized);
    EXPECT_NE(messages.str().find("'C:\\missing.bat' is not recognized"), std::string::npos);
}

TEST_F(BatchRunnerTest, EchoAndVariables) {
    drive.makeFolder("w");
    struct Case {
        std::string text;
        std::string output;
    } cases[] = {
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
    for (const auto& c : cases) {
        std::ostringstream output;
        BatchRunner fresh(output, err);
        fresh.runText(c.text, {"t.bat", "a", "\"b c\""});
        EXPECT_EQ(output.str(), c.output) << c.text;
    }
}

TEST_F(BatchRunnerTest, SearchPathEntriesBecomeLinuxFolders) {
    drive.write("x", "");
    DriveMap::map('D', "/mnt/d");
    struct Case {
        const char* value;
        std::string path;
    } cases[] = {
        {"C:\\tazu\\bin;D:\\make\\", drive.linux("tazu/bin") + ":/mnt/d/make"},
        {"C:\\a;/usr/bin:/bin", drive.linux("a") + ":/usr/bin:/bin"},
        {"\"C:\\with space\";;Q:\\unmapped", drive.linux("with space")},
        {"Z:\\usr\\local\\bin", "/usr/local/bin"},
        {"relative", "relative"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BatchRunner::linuxSearchPath(c.value), c.path) << c.value;
    }
}

TEST_F(BatchRunnerTest, RedirectsProgramOutputAndRunsOtherBatchFiles) {
    drive.write("bin/talk.exe", "#!/bin/sh\necho out\necho err >&2\nexit 1\n", true);
    drive.write("inner.bat", "@echo off\r\necho inner %1> C:\\inner.txt\r\nexit /b 3\r\n");
    const int status = run("@echo off\r\n"
                           "PATH=C:\\bin\r\n"
                           "talk > C:\\both.txt 2>&1\r\n"
                           "talk >> C:\\both.txt 2> NUL\r\n"
                           "call C:\\inner.bat arg\r\n"
                           "echo after call > C:\\after.txt\r\n");
    EXPECT_EQ(status, 3);
    EXPECT_EQ(drive.read("both.txt"), "out\nerr\nout\n");
    EXPECT_EQ(drive.read("inner.txt"), "inner arg\n");
    EXPECT_EQ(drive.read("after.txt"), "after call \n");
}

} // namespace
} // namespace avrtazu
