#include "build/redirect.h"

#include "golden.h"
#include "services/fake_host_support.h"
#include "services/gui_works.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

#include <string>

namespace avrtazu {
namespace {

using fakes::RecordingWorks;
class RedirectTest : public ::testing::Test {
protected:
    // A shell script as the child; its Linux path is the command line.
    std::string script(const std::string& body) {
        return drive.write("child" + std::to_string(++scripts) + ".sh", "#!/bin/sh\n" + body, true);
    }

    test::ScratchDrive drive;
    RecordingWorks works;
    int scripts = 0;
};

// Each child's lines as the host got them ("kind: text"), the result and the counts.
TEST_F(RedirectTest, OutputArrivesLineByLineWithKindsCountsAndSummary) {
    const struct {
        const char* name;
        std::string body; // empty: a program that does not exist
        int runKind;
        bool host = true;
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
         CRedirect::kRunBuild},
        {"warnings alone let a build succeed", "echo '!W a'\necho '!W b'\n", CRedirect::kRunBuild},
        {"make's own errors show but do not count", "echo 'tazumake: *** Error: no Makefile'\n", CRedirect::kRunMake},
        {"a counted error fails a make", "echo '!E a'\n", CRedirect::kRunMake},
        {"a clean always reports success", "echo '!E cannot delete'\n", CRedirect::kRunClean},
        {"without a host lines are dropped but counted", "echo '!E one'\necho '!W two'\n", CRedirect::kRunBuild, false},
        {"a missing program is reported with the system's text and no summary", "", CRedirect::kRunBuild},
        {"line ends, backspaces and 8-bit text; no summary for an unknown run kind",
         "printf 'a\\r\\n\\r\\n\\nx\\by\\nM\\374ll\\nlast'\n", 7},
        {"the pause prompt and the rest of its read are dropped",
         "printf 'before\\nPress any key to continue . . .\\nafter\\n'\n", 7},
        {"a zero byte ends the text of its read", "printf 'a\\000b\\nc\\n'\n", 7},
        {"lines and the prompt split over reads",
         "printf 'tazu'\nsleep 0.3\nprintf 'avr -c a.c\\nPress any'\nsleep 0.3\n"
         "printf ' key to continue . . .\\nlost\\n'\n", 7},
        // clang-format on
    };
    std::string all;
    for (const auto& c : cases) {
        RecordingWorks host;
        CRedirect redirect(c.body.empty() ? drive.windowsPath("nowhere\\build.bat")
                                          : script(c.body),
                           c.host ? &host : nullptr);
        const bool ok = redirect.run(c.runKind);
        all += std::string("## ") + c.name + "\nresult " + std::to_string(ok) + ", errors " +
               std::to_string(redirect.errorCount()) + ", warnings " +
               std::to_string(redirect.warningCount()) + "\n";
        for (const auto& line : host.output) {
            all += std::to_string(line.kind) + ": " + line.text + "\n";
        }
    }
    test::expectGolden("redirect.txt", all);
}

TEST_F(RedirectTest, ChildThatWritesMuchAndEndsAtOnceLosesNothing) {
    // More than a pipe holds, a long line that spans several reads, and text without line
    // ends, which goes on in pieces of 64 KB.
    const std::string longLine(20000, 'x');
    CRedirect redirect(script("seq 1 30000\necho " + longLine +
                              "\nhead -c 150000 /dev/zero | tr '\\0' y\nprintf tail\n"),
                       &works);
    EXPECT_TRUE(redirect.run(CRedirect::kRunBuild));
    ASSERT_EQ(works.output.size(), 30005u);
    for (int i = 0; i < 30000; ++i) {
        ASSERT_EQ(works.output[i].text, std::to_string(i + 1));
    }
    EXPECT_EQ(works.output[30000].text, longLine);
    EXPECT_EQ(works.output[30002].text, std::string(65536, 'y'));
    EXPECT_EQ(works.output[30003].text, std::string(150000 - 2 * 65536, 'y') + "tail");
}

} // namespace
} // namespace avrtazu
