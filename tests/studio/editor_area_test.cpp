#include "studio_test_support.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"

#include "platform/dialog_service.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace avrtazu {
namespace {

class EditorAreaTest : public ::testing::Test {
protected:
    EditorAreaTest() { DialogService::install(&dialogs); }
    ~EditorAreaTest() override { DialogService::install(nullptr); }

    FileEditor* open(const std::string& path) {
        std::string error;
        FileEditor* editor = area.openFile(path, &error);
        EXPECT_NE(editor, nullptr) << error;
        return editor;
    }

    test::TempFolder folder;
    ScriptedDialogService dialogs;
    EditorArea area;
};

TEST_F(EditorAreaTest, OneEditorPerFileHoweverThePathIsWritten) {
    const std::string path = folder.write("src/main.c", "int main;\n");
    std::filesystem::create_symlink(folder.file("src"), folder.file("link"));
    FileEditor* first = open(path);
    const std::string otherWays[] = {folder.file("src/../src/main.c"), folder.file("link/main.c"),
                                     folder.file("src//main.c")};
    for (const std::string& other : otherWays) {
        EXPECT_EQ(open(other), first) << other;
        EXPECT_EQ(area.find(other), first) << other;
    }
    EXPECT_EQ(area.count(), 1);
    EXPECT_EQ(area.currentEditor(), first);
    EXPECT_EQ(area.find(folder.file("src/other.c")), nullptr);
}

TEST_F(EditorAreaTest, AFileThatCannotBeReadOpensNoTab) {
    std::string error;
    EXPECT_EQ(area.openFile(folder.file("missing.c"), &error), nullptr);
    EXPECT_EQ(area.count(), 0);
    EXPECT_FALSE(error.empty());
}

TEST_F(EditorAreaTest, TheTabShowsUnsavedText) {
    FileEditor* editor = open(folder.write("main.c", "a\n"));
    EXPECT_EQ(area.tabText(0), QStringLiteral("main.c"));
    editor->insertPlainText(QStringLiteral("b"));
    EXPECT_EQ(area.tabText(0), QStringLiteral("main.c *"));
    std::string error;
    ASSERT_TRUE(area.saveAll(&error)) << error;
    EXPECT_EQ(area.tabText(0), QStringLiteral("main.c"));
}

TEST_F(EditorAreaTest, ClosingUnsavedTextDoesWhatTheAnswerSays) {
    struct Case {
        const char* name;
        EditorArea::Question question;
        std::optional<MessageAnswer> answer;
        bool closed;
        const char* fileAfter;
        std::optional<MessageButtons> buttonsAsked;
    };
    const Case cases[] = {
        {"Save", EditorArea::Question::SaveDiscardCancel, MessageAnswer::Yes, true, "ba\n",
         MessageButtons::YesNoCancel},
        {"Discard", EditorArea::Question::SaveDiscardCancel, MessageAnswer::No, true, "a\n",
         MessageButtons::YesNoCancel},
        {"Keep", EditorArea::Question::SaveDiscardCancel, MessageAnswer::Cancel, false, "a\n",
         MessageButtons::YesNoCancel},
        {"NoCancelSave", EditorArea::Question::SaveDiscard, MessageAnswer::Yes, true, "ba\n",
         MessageButtons::YesNo},
        {"NoCancelDiscard", EditorArea::Question::SaveDiscard, MessageAnswer::No, true, "a\n",
         MessageButtons::YesNo},
        {"NoQuestion", EditorArea::Question::None, std::nullopt, true, "a\n", std::nullopt},
    };
    for (const Case& c : cases) {
        dialogs.clear();
        const std::string path = folder.write(std::string(c.name) + ".c", "a\n");
        FileEditor* editor = open(path);
        editor->moveCursor(QTextCursor::Start);
        editor->insertPlainText(QStringLiteral("b"));
        if (c.answer) {
            dialogs.queueAnswer(*c.answer);
        }
        EXPECT_EQ(area.closeEditor(editor, c.question), c.closed) << c.name;
        EXPECT_EQ(area.find(path) == nullptr, c.closed) << c.name;
        EXPECT_EQ(test::readFile(path), c.fileAfter) << c.name;
        ASSERT_EQ(dialogs.messages().size(), c.buttonsAsked ? 1u : 0u) << c.name;
        if (c.buttonsAsked) {
            EXPECT_EQ(dialogs.messages().front().buttons, *c.buttonsAsked) << c.name;
            EXPECT_NE(dialogs.messages().front().text.find(std::string(c.name) + ".c"),
                      std::string::npos)
                << c.name;
        }
        area.closeAll();
    }
}

TEST_F(EditorAreaTest, AnUnchangedEditorClosesWithoutAQuestion) {
    FileEditor* editor = open(folder.write("main.c", "a\n"));
    EXPECT_TRUE(area.closeEditor(editor, EditorArea::Question::SaveDiscardCancel));
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(area.count(), 0);
}

TEST_F(EditorAreaTest, AFailedSaveKeepsAnEditorThatMayStayOpen) {
    const std::string path = folder.write("gone/main.c", "a\n");
    FileEditor* editor = open(path);
    editor->insertPlainText(QStringLiteral("b"));
    std::filesystem::remove_all(folder.file("gone"));
    dialogs.queueAnswer(MessageAnswer::Yes);
    EXPECT_FALSE(area.closeEditor(editor, EditorArea::Question::SaveDiscardCancel));
    EXPECT_EQ(area.find(path), editor);
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages().back().icon, MessageIcon::Error);
}

TEST_F(EditorAreaTest, SaveAllWritesOnlyModifiedEditors) {
    const std::string changed = folder.write("changed.c", "a\n");
    const std::string untouched = folder.write("untouched.c", "a\n");
    open(changed)->insertPlainText(QStringLiteral("b"));
    open(untouched);
    // An untouched file changed on disk meanwhile keeps what is on disk.
    folder.write("untouched.c", "new\n");
    ASSERT_EQ(area.modifiedEditors().size(), 1u);
    std::string error;
    ASSERT_TRUE(area.saveAll(&error)) << error;
    EXPECT_EQ(test::readFile(changed), "ba\n");
    EXPECT_EQ(test::readFile(untouched), "new\n");
    EXPECT_TRUE(area.modifiedEditors().empty());
}

} // namespace
} // namespace avrtazu
