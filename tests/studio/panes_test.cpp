#include "studio/file_editor.h"
#include "studio/help_viewer.h"
#include "studio/output_pane.h"

#include "host/host_test_support.h"
#include "services/gui_works.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

class FileEditorTest : public ::testing::Test {
protected:
    void load(const std::string& bytes) {
        std::string error;
        ASSERT_TRUE(editor.load(folder.write("file.c", bytes), &error)) << error;
    }
    void typeAtEnd(const QString& text) { editor.append(text); }
    std::string saved() {
        std::string error;
        EXPECT_TRUE(editor.save(&error)) << error;
        return test::readFile(folder.file("file.c"));
    }

    test::TempFolder folder;
    FileEditor editor;
};

// Line ends, a byte order mark and Latin-1 text survive a load and a save, also an edited one.
TEST_F(FileEditorTest, ShowsTheTextAndSavesTheSameBytes) {
    struct Case {
        std::string bytes;
        QString text;
        const char* newLine;
        bool latin1;
    };
    const Case cases[] = {
        {"int a;\nint b;\n", QStringLiteral("int a;\nint b;\n"), "\n", false},
        {"int a;\r\nint b;", QStringLiteral("int a;\nint b;"), "\r\n", false},
        {"// caf\xE9\n", QStringLiteral("// caf\u00E9\n"), "\n", true},
        {"// caf\xC3\xA9\n", QStringLiteral("// caf\u00E9\n"), "\n", false},
        {"\xEF\xBB\xBFint a;\r\n", QStringLiteral("int a;\n"), "\r\n", false},
    };
    for (const Case& c : cases) {
        load(c.bytes);
        EXPECT_EQ(editor.text(), c.text);
        EXPECT_EQ(editor.encoding().latin1, c.latin1) << c.bytes;
        EXPECT_FALSE(editor.isModified());
        EXPECT_EQ(saved(), c.bytes);
        typeAtEnd(QStringLiteral("\nx"));
        ASSERT_TRUE(editor.isModified());
        EXPECT_EQ(saved(), c.bytes + c.newLine + "x");
        EXPECT_FALSE(editor.isModified());
    }
}

TEST_F(FileEditorTest, ALatin1FileTakesUtf8WhenATypedCharacterDoesNotFit) {
    load("// caf\xE9\n");
    typeAtEnd(QStringLiteral("// \u20AC"));
    EXPECT_EQ(saved(), "// caf\xC3\xA9\n// \xE2\x82\xAC");
    EXPECT_FALSE(editor.encoding().latin1);
}

TEST_F(FileEditorTest, GoToLineMarksTheLineUntilTheTextChanges) {
    const std::pair<long, int> cases[] = {{3, 3}, {0, 1}, {99, 5}};
    for (const auto& [line, expected] : cases) {
        load("1\n2\n3\n4\n5");
        editor.goToLine(line);
        EXPECT_EQ(editor.currentLine(), expected) << line;
        EXPECT_EQ(editor.markedLine(), expected) << line;
        EXPECT_NE(editor.markersAtLine(expected - 1), 0) << line;
        editor.replaceSelectedText(QStringLiteral("x"));
        EXPECT_EQ(editor.markedLine(), 0) << line;
        EXPECT_EQ(editor.markersAtLine(expected - 1), 0) << line;
    }
}

// The summary lines the status bar shows; the last stays until the next one.
TEST(OutputPaneTest, TheLastSummaryStaysUntilTheNextOne) {
    test::expectEachLine("summary_lines.txt", [](const std::string& line) {
        return std::string(OutputPane::isSummaryLine(QString::fromStdString(line)) ? "summary"
                                                                                   : "-");
    });
    OutputPane pane;
    QSignalSpy summaries(&pane, &OutputPane::summaryChanged);
    pane.addLine(QStringLiteral("Build succeeded with 0 Warnings...\r\n"), kOutputPlain);
    pane.clearLines();
    pane.addLine(QStringLiteral("tazuavr -c main.c"), kOutputToolLine);
    EXPECT_EQ(pane.lastSummary(), QStringLiteral("Build succeeded with 0 Warnings..."));
    pane.addLine(QStringLiteral("Build failed with 1 errors and 0 warnings..."), kOutputError);
    EXPECT_EQ(pane.lastSummary(), QStringLiteral("Build failed with 1 errors and 0 warnings..."));
    EXPECT_EQ(summaries.count(), 2);
    EXPECT_EQ(pane.count(), 2);
    pane.clearSummary();
    EXPECT_TRUE(pane.lastSummary().isEmpty());
}

HelpViewer* viewer = nullptr;

std::string show(const std::string& request) {
    const char* const results[] = {"shown", "unknown topic", "unknown file", "not a request"};
    const int result = static_cast<int>(viewer->showRequest(request));
    // The page opens with its title; a refusal is told whole.
    const QString text = viewer->toPlainText();
    return results[result] +
           (", topic '" + viewer->currentTopic() +
            "': " + (result <= 1 ? text.section('\n', 0, 0) : text.split('\n').join(" | ")))
               .toStdString();
}

// Every topic the plug-in asks for has its section in the plug-in's help page; a request the
// viewer cannot show says why.
TEST(HelpViewerTest, ShowsEveryTopicThePlugInAsksForAndSaysSoWhenItCannot) {
    HelpViewer shown;
    viewer = &shown;
    test::expectEachLine("help_requests.txt", show);
}

} // namespace
} // namespace avrtazu
