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

    // Opens a new file holding "a\n", typed "b" into when edited.
    FileEditor* open(const std::string& name, bool edited = true) {
        std::string error;
        FileEditor* editor = area.openFile(folder.write(name, "a\n"), &error);
        EXPECT_NE(editor, nullptr) << error;
        if (editor != nullptr && edited) {
            editor->moveCursor(QTextCursor::Start);
            editor->insertPlainText(QStringLiteral("b"));
        }
        return editor;
    }

    test::TempFolder folder;
    ScriptedDialogService dialogs;
    EditorArea area;
};

TEST_F(EditorAreaTest, OneEditorPerFileHoweverThePathIsWritten) {
    FileEditor* first = open("src/main.c", false);
    std::filesystem::create_symlink(folder.file("src"), folder.file("link"));
    for (const std::string& other :
         {folder.file("src/../src/main.c"), folder.file("link/main.c")}) {
        std::string error;
        EXPECT_EQ(area.openFile(other, &error), first) << other;
        EXPECT_EQ(area.find(other), first) << other;
    }
    EXPECT_EQ(area.count(), 1);
    EXPECT_EQ(area.currentEditor(), first);
    EXPECT_EQ(area.find(folder.file("src/other.c")), nullptr);

    std::string error;
    EXPECT_EQ(area.openFile(folder.file("missing.c"), &error), nullptr);
    EXPECT_NE(error.find("missing.c"), std::string::npos) << error;
    EXPECT_EQ(area.count(), 1);
}

TEST_F(EditorAreaTest, TheTabShowsUnsavedTextAndSaveAllWritesOnlyModifiedEditors) {
    open("changed.c");
    EXPECT_EQ(area.tabText(0), QStringLiteral("changed.c *"));
    open("untouched.c", false);
    // An untouched file changed on disk meanwhile keeps what is on disk.
    folder.write("untouched.c", "new\n");
    ASSERT_EQ(area.modifiedEditors().size(), 1u);
    std::string error;
    ASSERT_TRUE(area.saveAll(&error)) << error;
    EXPECT_EQ(test::readFile(folder.file("changed.c")), "ba\n");
    EXPECT_EQ(test::readFile(folder.file("untouched.c")), "new\n");
    EXPECT_TRUE(area.modifiedEditors().empty());
    EXPECT_EQ(area.tabText(0), QStringLiteral("changed.c"));
}

TEST_F(EditorAreaTest, ClosingDoesWhatTheAnswerSays) {
    struct Case {
        const char* name;
        bool edited;
        EditorArea::Question question;
        std::optional<MessageAnswer> answer;
        bool closed;
        const char* fileAfter;
        std::optional<MessageButtons> buttonsAsked;
    };
    using Q = EditorArea::Question;
    const Case cases[] = {
        {"Save", true, Q::SaveDiscardCancel, MessageAnswer::Yes, true, "ba\n",
         MessageButtons::YesNoCancel},
        {"Discard", true, Q::SaveDiscardCancel, MessageAnswer::No, true, "a\n",
         MessageButtons::YesNoCancel},
        {"Keep", true, Q::SaveDiscardCancel, MessageAnswer::Cancel, false, "a\n",
         MessageButtons::YesNoCancel},
        {"NoQuestion", true, Q::None, std::nullopt, true, "a\n", std::nullopt},
        {"Unchanged", false, Q::SaveDiscardCancel, std::nullopt, true, "a\n", std::nullopt},
    };
    for (const Case& c : cases) {
        dialogs.clear();
        const std::string path = folder.file(std::string(c.name) + ".c");
        FileEditor* editor = open(std::string(c.name) + ".c", c.edited);
        if (c.answer) {
            dialogs.queueAnswer(*c.answer);
        }
        EXPECT_EQ(area.closeEditor(editor, c.question), c.closed) << c.name;
        EXPECT_EQ(area.find(path) == nullptr, c.closed) << c.name;
        EXPECT_EQ(test::readFile(path), c.fileAfter) << c.name;
        ASSERT_EQ(dialogs.messages().size(), c.buttonsAsked ? 1u : 0u) << c.name;
        if (c.buttonsAsked) {
            EXPECT_EQ(dialogs.messages().front().buttons, *c.buttonsAsked) << c.name;
            EXPECT_NE(dialogs.messages().front().text.find(path.substr(path.rfind('/') + 1)),
                      std::string::npos)
                << c.name;
        }
        area.closeAll();
    }
}

TEST_F(EditorAreaTest, AFailedSaveKeepsAnEditorThatMayStayOpen) {
    FileEditor* editor = open("gone/main.c");
    std::filesystem::remove_all(folder.file("gone"));
    dialogs.queueAnswer(MessageAnswer::Yes);
    EXPECT_FALSE(area.closeEditor(editor, EditorArea::Question::SaveDiscardCancel));
    EXPECT_EQ(area.find(folder.file("gone/main.c")), editor);
    EXPECT_TRUE(editor->isModified());
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages().back().icon, MessageIcon::Error);
    EXPECT_NE(dialogs.messages().back().text.find("Cannot save"), std::string::npos);
}

} // namespace
} // namespace avrtazu
