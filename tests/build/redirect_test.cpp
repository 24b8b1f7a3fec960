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

TEST_F(RedirectTest, OutputArrivesLineByLineWithKindsCountsAndSummary) {
    constexpr long P = kOutputPlain, W = kOutputWarning, E = kOutputError, T = kOutputToolLine;
    const struct {
        const char* name;
        std::string body;
        int runKind;
        bool result;
        std::vector<Line> lines;
    } cases[] = {
        // clang-format off
        // The first matching rule gives the kind; only the markers count, and a warning word wins
        // over an error marker. Matching is case-sensitive.
        {"every kind of line; standard error shares the pipe",
         "echo 'main.c(3):[warning] unused'\necho '!W main.c(3):[warning] unused'\n"
         "echo 'warning: !E in a warning line'\necho '!E main.c(4): syntax error' >&2\n"
         "echo 'fatal error: io.h'\necho '*** Error: no rule'\necho 'tazumake: *** Stop.'\n"
         "echo 'No such file'\necho \"undefined reference to \\`f'\"\n"
         "echo 'tazuavr -c -o main.o main.c'\necho 'tazuavr main.c: error'\necho 'ERROR and Warning'\n",
         CRedirect::kRunBuild, false,
         {{"main.c(3):[warning] unused", W}, {"!W main.c(3):[warning] unused", W},
          {"warning: !E in a warning line", W}, {"!E main.c(4): syntax error", E},
          {"fatal error: io.h", E}, {"*** Error: no rule", E}, {"tazumake: *** Stop.", E},
          {"No such file", E}, {"undefined reference to `f'", E},
          {"tazuavr -c -o main.o main.c", T}, {"tazuavr main.c: error", E},
          {"ERROR and Warning", P}, {"Build failed with 1 errors and 1 warnings...", P}}},
        {"warnings alone let a build succeed", "echo '!W a'\necho '!W b'\n", CRedirect::kRunBuild,
         true, {{"!W a", W}, {"!W b", W}, {"Build succeeded with 2 Warnings...", P}}},
        {"make's own errors show but do not count", "echo 'tazumake: *** Error: no Makefile'\n",
         CRedirect::kRunMake, true,
         {{"tazumake: *** Error: no Makefile", E}, {"Make succeeded with 0 Warnings...", P}}},
        {"a counted error fails a make", "echo '!E a'\n", CRedirect::kRunMake, false,
         {{"!E a", E}, {"Make failed with 1 errors and 0 warnings...", P}}},
        {"a clean always reports success", "echo '!E cannot delete'\n", CRedirect::kRunClean, false,
         {{"!E cannot delete", E}, {"Successfully cleaned the project", P}}},
        {"line ends, backspaces and 8-bit text; no summary for an unknown run kind",
         "printf 'a\\r\\n\\r\\n\\nx\\by\\nM\\374ll\\nlast'\n", 7, true,
         {{"a", P}, {"", P}, {"", P}, {"x y", P}, {"M\xFCll", P}, {"last", P}}},
        {"the pause prompt and the rest of its read are dropped",
         "printf 'before\\nPress any key to continue . . .\\nafter\\n'\n", 7, true,
         {{"before", P}}},
        {"a zero byte ends the text of its read", "printf 'a\\000b\\nc\\n'\n", 7, true,
         {{"a", P}}},
        {"lines and the prompt split over reads",
         "printf 'tazu'\nsleep 0.3\nprintf 'avr -c a.c\\nPress any'\nsleep 0.3\n"
         "printf ' key to continue . . .\\nlost\\n'\n", 7, true, {{"tazuavr -c a.c", T}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWorks host;
        CRedirect redirect(script(c.body), &host);
        EXPECT_EQ(redirect.run(c.runKind), c.result);
        EXPECT_EQ(linesOf(host), c.lines);
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
}

TEST_F(RedirectTest, MissingProgramIsReportedWithTheSystemTextAndNoSummary) {
    CRedirect redirect(drive.windowsPath("nowhere\\build.bat"), &works);
    EXPECT_FALSE(redirect.run(CRedirect::kRunBuild));
    const std::vector<Line> expected = {{"Error creating process", kOutputError},
                                        {"No such file or directory", kOutputError}};
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
    CRedirect redirect(
        script("echo $$ > '" + pidFile + "'\necho started\nsleep 600\necho 'never here'\n"),
        &works);
    MessagePump::install([this, &redirect] {
        if (!works.output.empty()) {
            redirect.cancel();
        }
    });
    auto finished =
        std::async(std::launch::async, [&redirect] { return redirect.run(CRedirect::kRunBuild); });
    if (finished.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        // Hang guard: end the child's group so that the test can report and go on.
        ::kill(-std::stoi(drive.read("child.pid")), SIGKILL);
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
