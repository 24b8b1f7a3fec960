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

// Closing an editor asks about unsaved text as told and does what the answer says; a save that
// fails keeps the editor open and modified.
TEST_F(EditorAreaTest, ClosingDoesWhatTheAnswerSays) {
    using Q = EditorArea::Question;
    const struct {
        const char* name;
        bool edited;
        Q question;
        std::optional<MessageAnswer> answer;
    } cases[] = {
        {"save.c", true, Q::SaveDiscardCancel, MessageAnswer::Yes},
        {"discard.c", true, Q::SaveDiscardCancel, MessageAnswer::No},
        {"keep.c", true, Q::SaveDiscardCancel, MessageAnswer::Cancel},
        {"untold.c", true, Q::None, std::nullopt},
        {"unchanged.c", false, Q::SaveDiscardCancel, std::nullopt},
        {"gone/main.c", true, Q::SaveDiscardCancel, MessageAnswer::Yes},
    };
    std::string text;
    for (const auto& c : cases) {
        dialogs.clear();
        FileEditor* editor = open(c.name, c.edited);
        std::filesystem::remove_all(folder.file("gone"));
        if (c.answer) {
            dialogs.queueAnswer(*c.answer);
        }
        const bool closed = area.closeEditor(editor, c.question);
        text += std::string(c.name) + ": closed " + std::to_string(closed) + ", open " +
                std::to_string(area.find(folder.file(c.name)) == editor) + ", modified " +
                std::to_string(!closed && editor->isModified()) + ", on disk '" +
                test::readFile(folder.file(c.name)) + "'\n";
        for (const auto& message : dialogs.messages()) {
            text += "  message, icon " + std::to_string(static_cast<int>(message.icon)) +
                    ", buttons " + std::to_string(static_cast<int>(message.buttons)) + ": " +
                    message.text + "\n";
        }
        area.closeAll();
    }
    const std::string folderPath = folder.path();
    for (auto at = text.find(folderPath); at != std::string::npos; at = text.find(folderPath)) {
        text.replace(at, folderPath.size(), "@F");
    }
    test::expectGolden(GOLDEN_DIR "/editor_close.txt", text);
}

} // namespace
} // namespace avrtazu
