#include "build/redirect.h"

#include "platform/message_pump.h"
#include "services/fake_host_support.h"
#include "services/gui_works.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <future>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu {
namespace {

using fakes::RecordingWorks;
using Line = std::pair<std::string, long>;

std::vector<Line> linesOf(const RecordingWorks& host) {
    std::vector<Line> lines;
    for (const auto& line : host.output) {
        lines.emplace_back(line.text, line.kind);
    }
    return lines;
}

class RedirectTest : public ::testing::Test {
protected:
    ~RedirectTest() override { MessagePump::install(nullptr); }

    // A shell script as the child; its Linux path is the command line.
    std::string script(const std::string& body) {
        return drive.write("child" + std::to_string(++scripts) + ".sh", "#!/bin/sh\n" + body, true);
    }

    test::ScratchDrive drive;
    RecordingWorks works;
    int scripts = 0;
};

TEST(RedirectClassifyTest, FirstMatchingRuleGivesKindAndCount) {
    struct Case {
        const char* line;
        long kind;
        bool warning;
        bool error;
    } cases[] = {
        {"main.c(3):[warning] unused variable", kOutputWarning, false, false},
        {"!W main.c(3):[warning] unused variable", kOutputWarning, true, false},
        {"!W", kOutputWarning, true, false},
        // A warning word wins over an error marker, which then is not counted.
        {"warning: !E in a warning line", kOutputWarning, false, false},
        {"!W and !E", kOutputWarning, true, false},
        {"!E main.c(4): syntax error", kOutputError, false, true},
        {"fatal error: io.h", kOutputError, false, false},
        {"tazumake: *** Error: no rule", kOutputError, false, false},
        {"tazumake: *** Stop.", kOutputError, false, false},
        {"cc: No such file or directory", kOutputError, false, false},
        {"main.o: undefined reference to `f'", kOutputError, false, false},
        // Matching is case-sensitive.
        {"ERROR in capitals", kOutputPlain, false, false},
        {"Warning with a capital", kOutputPlain, false, false},
        {"!e and !w", kOutputPlain, false, false},
        {"tazuavr -c -o main.o main.c", kOutputToolLine, false, false},
        {"tazuavr main.c: error", kOutputError, false, false},
        {"TAZUAVR -c main.c", kOutputPlain, false, false},
        {"", kOutputPlain, false, false},
        {"Linking demo.cof", kOutputPlain, false, false},
    };
    for (const Case& c : cases) {
        const CRedirect::LineClass result = CRedirect::classify(c.line);
        EXPECT_EQ(result.kind, c.kind) << c.line;
        EXPECT_EQ(result.countsWarning, c.warning) << c.line;
        EXPECT_EQ(result.countsError, c.error) << c.line;
    }
}

TEST(RedirectSummaryTest, WordingFollowsRunKindAndCounts) {
    struct Case {
        int kind;
        int errors;
        int warnings;
        const char* summary;
    } cases[] = {
        {1, 0, 0, "Build succeeded with 0 Warnings..."},
        {1, 0, 3, "Build succeeded with 3 Warnings..."},
        {1, 1, 1, "Build failed with 1 errors and 1 warnings..."},
        {2, 0, 2, "Make succeeded with 2 Warnings..."},
        {2, 4, 0, "Make failed with 4 errors and 0 warnings..."},
        {3, 0, 0, "Successfully cleaned the project"},
        {3, 5, 2, "Successfully cleaned the project"},
        {0, 0, 0, ""},
        {4, 1, 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CRedirect::summary(c.kind, c.errors, c.warnings), c.summary)
            << c.kind << " " << c.errors << " " << c.warnings;
    }
}

TEST_F(RedirectTest, OutputArrivesLineByLineWithKindsCountsAndSummary) {
    struct Case {
        const char* name;
        std::string body;
        int runKind;
        std::vector<Line> lines; // without the summary
        int errors;
        int warnings;
        bool result;
        const char* summary;
    } cases[] = {
        {"markers are counted",
         "echo 'tazuavr -c main.c'\necho '!W main.c(2):[warning] w'\necho '!E main.c(3): e'\n",
         1,
         {{"tazuavr -c main.c", 3}, {"!W main.c(2):[warning] w", 1}, {"!E main.c(3): e", 2}},
         1,
         1,
         false,
         "Build failed with 1 errors and 1 warnings..."},
        {"make's own errors show but do not count",
         "echo 'tazumake: *** Error: cannot read Makefile'\necho 'tazumake: *** Stop.'\n",
         2,
         {{"tazumake: *** Error: cannot read Makefile", 2}, {"tazumake: *** Stop.", 2}},
         0,
         0,
         true,
         "Make succeeded with 0 Warnings..."},
        {"a clean always reports success",
         "echo '!E cannot delete'\n",
         3,
         {{"!E cannot delete", 2}},
         1,
         0,
         false,
         "Successfully cleaned the project"},
        {"an unknown run kind has no summary", "echo hello\n", 7, {{"hello", 0}}, 0, 0, true, ""},
        {"carriage returns vanish and empty lines stay",
         "printf 'a\\r\\n\\r\\n\\nb\\n'\n",
         1,
         {{"a", 0}, {"", 0}, {"", 0}, {"b", 0}},
         0,
         0,
         true,
         "Build succeeded with 0 Warnings..."},
        {"backspaces become blanks",
         "printf 'x\\by\\n'\n",
         1,
         {{"x y", 0}},
         0,
         0,
         true,
         "Build succeeded with 0 Warnings..."},
        {"standard error shares the pipe",
         "echo out\necho '!E err' >&2\n",
         1,
         {{"out", 0}, {"!E err", 2}},
         1,
         0,
         false,
         "Build failed with 1 errors and 0 warnings..."},
        {"the pause prompt and the rest of its read are dropped",
         "printf 'before\\nPress any key to continue . . .\\nafter\\n'\n",
         1,
         {{"before", 0}},
         0,
         0,
         true,
         "Build succeeded with 0 Warnings..."},
        {"a prompt split over two reads is dropped too",
         "printf 'keep\\nPress any'\nsleep 0.3\nprintf ' key to continue . . .\\nlost\\n'\n",
         1,
         {{"keep", 0}},
         0,
         0,
         true,
         "Build succeeded with 0 Warnings..."},
        {"a line split over two reads arrives whole",
         "printf 'tazu'\nsleep 0.3\nprintf 'avr -c a.c\\n'\n",
         1,
         {{"tazuavr -c a.c", 3}},
         0,
         0,
         true,
         "Build succeeded with 0 Warnings..."},
        {"a last line without a line feed is sent",
         "printf 'a\\r\\nb'\n",
         1,
         {{"a", 0}, {"b", 0}},
         0,
         0,
         true,
         "Build succeeded with 0 Warnings..."},
        {"8-bit text passes unchanged",
         "printf 'M\\374ll\\n'\n",
         1,
         {{"M\xFCll", 0}},
         0,
         0,
         true,
         "Build succeeded with 0 Warnings..."},
    };
    for (const Case& c : cases) {
        RecordingWorks host;
        CRedirect redirect(script(c.body), &host);
        EXPECT_EQ(redirect.run(c.runKind), c.result) << c.name;
        std::vector<Line> expected = c.lines;
        if (*c.summary != '\0') {
            expected.push_back({c.summary, 0});
        }
        EXPECT_EQ(linesOf(host), expected) << c.name;
        EXPECT_EQ(redirect.errorCount(), c.errors) << c.name;
        EXPECT_EQ(redirect.warningCount(), c.warnings) << c.name;
    }
}

TEST_F(RedirectTest, ChildThatWritesMuchAndEndsAtOnceLosesNothing) {
    // More than a pipe holds, and a long line that spans several reads.
    const std::string longLine(20000, 'x');
    CRedirect redirect(script("seq 1 30000\necho " + longLine + "\nprintf tail\n"), &works);
    EXPECT_TRUE(redirect.run(CRedirect::kRunBuild));
    ASSERT_EQ(works.output.size(), 30003u);
    for (int i = 0; i < 30000; ++i) {
        ASSERT_EQ(works.output[i].text, std::to_string(i + 1));
    }
    EXPECT_EQ(works.output[30000].text, longLine);
    EXPECT_EQ(works.output[30001].text, "tail");
    EXPECT_EQ(works.output[30002].text, "Build succeeded with 0 Warnings...");
}

TEST_F(RedirectTest, ChildRunsInTheGivenWorkingDirectory) {
    drive.makeFolder("work/out");
    CRedirect redirect(script("pwd\n"), &works, drive.windowsPath("work\\out"));
    redirect.run(CRedirect::kRunBuild);
    ASSERT_FALSE(works.output.empty());
    EXPECT_EQ(works.output[0].text, drive.linuxPath("work/out"));
}

TEST_F(RedirectTest, BatchFilesRunThroughTheBatchRunner) {
    drive.write("b\\build.bat", "@ECHO OFF\r\nREM comment\r\necho tazuavr from batch\r\n");
    CRedirect redirect(drive.windowsPath("b\\build.bat"), &works);
    EXPECT_TRUE(redirect.run(CRedirect::kRunBuild));
    ASSERT_EQ(works.output.size(), 2u);
    EXPECT_EQ(works.output[0].text, "tazuavr from batch");
    EXPECT_EQ(works.output[0].kind, kOutputToolLine);
}

TEST_F(RedirectTest, MissingProgramIsReportedWithTheSystemTextAndNoSummary) {
    CRedirect redirect(drive.windowsPath("nowhere\\build.bat"), &works);
    EXPECT_FALSE(redirect.run(CRedirect::kRunBuild));
    const std::vector<Line> expected = {{"Error creating process", 2},
                                        {"No such file or directory", 2}};
    EXPECT_EQ(linesOf(works), expected);
    EXPECT_EQ(redirect.errorCount(), 0);
}

TEST_F(RedirectTest, WithoutHostLinesAreDroppedButCounted) {
    CRedirect redirect(script("echo '!E one'\necho '!W two'\n"), nullptr);
    EXPECT_FALSE(redirect.run(CRedirect::kRunBuild));
    EXPECT_EQ(redirect.errorCount(), 1);
    EXPECT_EQ(redirect.warningCount(), 1);
}

TEST_F(RedirectTest, MessageQueueIsPumpedWhileTheChildRuns) {
    int pumps = 0;
    MessagePump::install([&pumps] { ++pumps; });
    CRedirect redirect(script("echo one\nsleep 0.5\necho two\n"), &works);
    redirect.run(CRedirect::kRunBuild);
    // At most a poll interval apart while the child sleeps: several pumps.
    EXPECT_GE(pumps, 3);
    EXPECT_EQ(works.output.size(), 3u);
}

TEST_F(RedirectTest, CancelTerminatesAHungChildAndItsChildren) {
    const std::string pidFile = drive.linuxPath("child.pid");
    const std::string child =
        script("echo $$ > '" + pidFile + "'\necho started\nsleep 600\necho 'never here'\n");
    CRedirect redirect(child, &works);
    MessagePump::install([this, &redirect] {
        if (!works.output.empty()) {
            redirect.cancel();
        }
    });
    auto finished =
        std::async(std::launch::async, [&redirect] { return redirect.run(CRedirect::kRunBuild); });
    if (finished.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        // Hang guard: end the child's group so that the test can report and go on.
        const int pid = std::stoi(drive.read("child.pid"));
        ::kill(-pid, SIGKILL);
        ADD_FAILURE() << "cancel did not end the child";
    }
    EXPECT_TRUE(finished.get());
    const std::vector<Line> expected = {{"started", 0},
                                        {"", 0},
                                        {"Cancelled.", 0},
                                        {"", 0},
                                        {"Process terminated successfully.", 0},
                                        {"Build succeeded with 0 Warnings...", 0}};
    EXPECT_EQ(linesOf(works), expected);
}

} // namespace
} // namespace avrtazu
