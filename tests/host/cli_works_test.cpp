#include "host_test_support.h"

#include "cli/cli_works.h"
#include "lib/project_document.h"

#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <sstream>

namespace avrtazu {
namespace {

TEST(CliWorksFailureLineTest, KnowsTheLinesOfAFailedRun) {
    const std::pair<const char*, bool> cases[] = {
        {"Build failed with 2 errors and 0 warnings...", true},
        {"Make failed with 1 errors and 3 warnings...", true},
        {"Clean failed... No make/compiler defined.", true},
        {"Compile failed... No build tools defined.", true},
        {"!E main.c(3): 'x' undeclared", true},
        {"  !E uart.c(10): expected ';'", true},
        {"tazumake: Makefile:3: *** Error: missing separator.", true},
        // A failure the Makefile lets pass is none.
        {"tazumake: *** [clean] Error 1 (ignored)", false},
        {"Build succeeded with 0 Warnings...", false},
        {"!W main.c(4):[warning] unused variable", false},
        // Only the start of a summary counts; a file named after one does not.
        {"tazuavr -c Build failed with.c", false},
        {"", false},
    };
    for (const auto& [line, failure] : cases) {
        EXPECT_EQ(CliWorks::isFailureLine(line), failure) << line;
    }
}

class CliWorksTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(document.load(folder.write("proj/blink.aps", test::sampleProject()), &error))
            << error;
    }

    test::TempFolder folder;
    ProjectDocument document;
    std::ostringstream output;
    std::ostringstream messages;
};

TEST_F(CliWorksTest, OutputLinesArrivePlainOrColouredByKind) {
    CliWorks plain(document, folder.path(), output, messages, false);
    plain.AddOutputMessage(L"!E main.c(3): oops", kOutputError);
    plain.AddOutputMessage(L"done", kOutputPlain);
    EXPECT_EQ(output.str(), "!E main.c(3): oops\ndone\n");
    EXPECT_TRUE(plain.outputReportsFailure());
    EXPECT_EQ(plain.outputLineCount(), 2u);
    plain.resetOutputWatch();
    EXPECT_FALSE(plain.outputReportsFailure());
    EXPECT_EQ(plain.outputLineCount(), 0u);

    std::ostringstream coloured;
    CliWorks terminal(document, folder.path(), coloured, messages, true);
    terminal.AddOutputMessage(L"plain", kOutputPlain);
    terminal.AddOutputMessage(L"careful", kOutputWarning);
    terminal.AddOutputMessage(L"broken", kOutputError);
    terminal.AddOutputMessage(L"tazuavr -c main.c", kOutputToolLine);
    EXPECT_EQ(coloured.str(), "plain\n\033[33mcareful\033[0m\n\033[31mbroken\033[0m\n"
                              "\033[36mtazuavr -c main.c\033[0m\n");
}

TEST_F(CliWorksTest, DockWindowsAreRealWidgetsThatEndWithTheWorks) {
    QPointer<QWidget> child;
    QPointer<QWidget> dock;
    {
        CliWorks works(document, folder.path(), output, messages, false);
        WindowHandle window = nullptr;
        ASSERT_EQ(
            works.CreateDockWindow(L"AVR TAZU", L"I/O View", L"left", 1, 253, nullptr, &window),
            S_OK);
        dock = static_cast<QWidget*>(window);
        EXPECT_EQ(dock->windowTitle(), QString("AVR TAZU"));
        child = new QWidget(dock);
        EXPECT_EQ(works.dockWindows(), std::vector<QWidget*>{dock.data()});
        // One the plug-in deleted itself is neither listed nor deleted again.
        works.CreateDockWindow(L"gone", L"", L"left", 1, 253, nullptr, &window);
        delete static_cast<QWidget*>(window);
        EXPECT_EQ(works.dockWindows().size(), 1u);
    }
    EXPECT_FALSE(dock);
    EXPECT_FALSE(child);
}

} // namespace
} // namespace avrtazu
