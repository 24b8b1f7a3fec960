#include "golden_file.h"
#include "platform/batch_runner.h"
#include "platform/drive_map.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <utility>

namespace avrtazu {
namespace {

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
    test::expectGolden(out.str(), "runner.txt");
    EXPECT_EQ(drive.read("bin/record.exe.txt"),
              drive.linux("work/demo/default") + "\nargs:\npath:" + drive.linux("make") + ":" +
                  drive.linux("bin") + ":" + std::getenv("PATH") + "\n");
    EXPECT_EQ(runner.currentFolder(), drive.linux("work/demo/default"));
    EXPECT_EQ(drive.read("both.txt"), "out\nerr\nout\n");
    EXPECT_EQ(drive.read("inner.txt"), "inner arg\n");
    EXPECT_EQ(drive.read("after.txt"), "after call \n");

    std::ostringstream messages;
    EXPECT_EQ(BatchRunner(out, messages).runFile("C:\\missing.bat"), BatchRunner::notRecognized);
    EXPECT_EQ(messages.str(), "'C:\\missing.bat' is not recognized as an internal or external "
                              "command, operable program or batch file.\n");
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

} // namespace
} // namespace avrtazu
