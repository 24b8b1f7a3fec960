#include "studio_test_support.h"

#include "studio/file_editor.h"

#include <QTextCursor>

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

class FileEditorTest : public ::testing::Test {
protected:
    void load(const std::string& bytes) {
        std::string error;
        ASSERT_TRUE(editor.load(folder.write("file.c", bytes), &error)) << error;
    }
    void typeAtEnd(const QString& text) {
        editor.moveCursor(QTextCursor::End);
        editor.insertPlainText(text);
    }
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
        EXPECT_EQ(editor.toPlainText(), c.text);
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
        EXPECT_EQ(editor.extraSelections().size(), 1) << line;
        editor.insertPlainText(QStringLiteral("x"));
        EXPECT_EQ(editor.markedLine(), 0) << line;
        EXPECT_TRUE(editor.extraSelections().isEmpty()) << line;
    }
}

} // namespace
} // namespace avrtazu
