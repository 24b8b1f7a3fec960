#include "studio_test_support.h"

#include "studio/file_editor.h"

#include <QTextCursor>

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

namespace avrtazu {
namespace {

struct RoundTrip {
    const char* name;
    std::string bytes;
    // What the editor shows.
    QString text;
    bool crlf;
    bool latin1;
    bool byteOrderMark;
};

void PrintTo(const RoundTrip& c, std::ostream* out) {
    *out << c.name;
}

class FileEditorRoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(FileEditorRoundTripTest, ShowsTheTextAndSavesTheSameBytes) {
    const RoundTrip& c = GetParam();
    test::TempFolder folder;
    const std::string path = folder.write("file.c", c.bytes);
    FileEditor editor;
    std::string error;
    ASSERT_TRUE(editor.load(path, &error)) << error;
    EXPECT_EQ(editor.toPlainText(), c.text);
    EXPECT_EQ(editor.encoding().crlf, c.crlf);
    EXPECT_EQ(editor.encoding().latin1, c.latin1);
    EXPECT_EQ(editor.encoding().byteOrderMark, c.byteOrderMark);
    EXPECT_FALSE(editor.isModified());

    ASSERT_TRUE(editor.save(&error)) << error;
    EXPECT_EQ(test::readFile(path), c.bytes);

    // An edit keeps the file's way of writing lines and characters.
    editor.moveCursor(QTextCursor::End);
    editor.insertPlainText(QStringLiteral("\nx"));
    ASSERT_TRUE(editor.isModified());
    ASSERT_TRUE(editor.save(&error)) << error;
    EXPECT_EQ(test::readFile(path), c.bytes + (c.crlf ? "\r\nx" : "\nx"));
    EXPECT_FALSE(editor.isModified());
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileEditorRoundTripTest,
    ::testing::Values(RoundTrip{"Unix", "int a;\nint b;\n", QStringLiteral("int a;\nint b;\n"),
                                false, false, false},
                      RoundTrip{"Windows", "int a;\r\nint b;", QStringLiteral("int a;\nint b;"),
                                true, false, false},
                      RoundTrip{"Latin1", "// caf\xE9\n", QStringLiteral("// caf\u00E9\n"), false,
                                true, false},
                      RoundTrip{"Utf8", "// caf\xC3\xA9\n", QStringLiteral("// caf\u00E9\n"), false,
                                false, false},
                      RoundTrip{"ByteOrderMark", "\xEF\xBB\xBFint a;\r\n",
                                QStringLiteral("int a;\n"), true, false, true},
                      RoundTrip{"Empty", "", QString(), false, false, false}),
    [](const ::testing::TestParamInfo<RoundTrip>& info) { return info.param.name; });

TEST(FileEditorTest, ALatin1FileTakesUtf8WhenATypedCharacterDoesNotFit) {
    test::TempFolder folder;
    const std::string path = folder.write("file.c", "// caf\xE9\n");
    FileEditor editor;
    std::string error;
    ASSERT_TRUE(editor.load(path, &error)) << error;
    editor.moveCursor(QTextCursor::End);
    editor.insertPlainText(QStringLiteral("// \u20AC"));
    ASSERT_TRUE(editor.save(&error)) << error;
    EXPECT_EQ(test::readFile(path), "// caf\xC3\xA9\n// \xE2\x82\xAC");
    EXPECT_FALSE(editor.encoding().latin1);
}

TEST(FileEditorTest, AFileThatCannotBeReadIsNotLoaded) {
    test::TempFolder folder;
    FileEditor editor;
    std::string error;
    EXPECT_FALSE(editor.load(folder.file("missing.c"), &error));
    EXPECT_NE(error.find("missing.c"), std::string::npos) << error;
    EXPECT_TRUE(editor.path().empty());
}

TEST(FileEditorTest, AFailedSaveKeepsTheTextModified) {
    test::TempFolder folder;
    const std::string path = folder.write("gone/file.c", "a\n");
    FileEditor editor;
    std::string error;
    ASSERT_TRUE(editor.load(path, &error)) << error;
    editor.insertPlainText(QStringLiteral("b"));
    std::filesystem::remove_all(folder.file("gone"));
    EXPECT_FALSE(editor.save(&error));
    EXPECT_NE(error.find("Cannot save"), std::string::npos) << error;
    EXPECT_TRUE(editor.isModified());
}

TEST(FileEditorTest, GoToLineMarksTheLineUntilTheTextChanges) {
    struct Case {
        long line;
        int expected;
    };
    const Case cases[] = {{3, 3}, {1, 1}, {0, 1}, {-4, 1}, {99, 5}};
    test::TempFolder folder;
    const std::string path = folder.write("file.c", "1\n2\n3\n4\n5");
    for (const Case& c : cases) {
        FileEditor editor;
        std::string error;
        ASSERT_TRUE(editor.load(path, &error)) << error;
        editor.goToLine(c.line);
        EXPECT_EQ(editor.currentLine(), c.expected) << c.line;
        EXPECT_EQ(editor.markedLine(), c.expected) << c.line;
        EXPECT_EQ(editor.extraSelections().size(), 1) << c.line;
        editor.insertPlainText(QStringLiteral("x"));
        EXPECT_EQ(editor.markedLine(), 0) << c.line;
        EXPECT_TRUE(editor.extraSelections().isEmpty()) << c.line;
    }
}

} // namespace
} // namespace avrtazu
