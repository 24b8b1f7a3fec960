#include "studio_test_support.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/help_viewer.h"
#include "studio/output_pane.h"
#include "studio/studio_works.h"

#include "platform/dialog_service.h"
#include "platform/drive_map.h"
#include "plugin/plugin_module.h"

#include <QDockWidget>
#include <QMainWindow>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

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
            editor->replaceSelectedText(QStringLiteral("b"));
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
    // A file that cannot be opened is left to the works' test, which shows its note.
    EXPECT_EQ(area.find(folder.file("src/other.c")), nullptr);
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
    test::expectGolden("editor_close.txt", test::replaced(text, {{folder.path(), "@F"}}));
}

class StudioWorksTest : public ::testing::Test {
protected:
    StudioWorksTest() {
        DialogService::install(&dialogs);
        works.setNoteHandler([this](long level, const std::string& text) {
            notes.push_back(std::to_string(level) + " " + text);
        });
    }
    ~StudioWorksTest() override { DialogService::install(nullptr); }

    static Bstr windowsPath(const std::string& linuxPath) {
        return toWide(DriveMap::toWindows(linuxPath));
    }

    test::TempFolder folder;
    ScriptedDialogService dialogs;
    QMainWindow window;
    EditorArea* editors = new EditorArea(&window);
    OutputPane* output = new OutputPane(&window);
    HelpViewer* help = new HelpViewer(&window);
    StudioWorks works{window, *editors, *output, *help, folder.path()};
    std::vector<std::string> notes;
};

TEST_F(StudioWorksTest, DockedWindowsGoWhereThePlugInAsks) {
    auto* anchor = new QDockWidget(QStringLiteral("I/O View"), &window);
    window.addDockWidget(Qt::BottomDockWidgetArea, anchor);
    const std::pair<const wchar_t*, Qt::DockWidgetArea> cases[] = {
        {L"left", Qt::LeftDockWidgetArea},
        {L"right", Qt::RightDockWidgetArea},
        {L"top", Qt::TopDockWidgetArea},
        {L"bottom", Qt::BottomDockWidgetArea}};
    for (const auto& [side, area] : cases) {
        WindowHandle handle = nullptr;
        ASSERT_EQ(works.CreateDockWindow(L"AVR TAZU", L"I/O View", side, 1,
                                         PluginModule::kDockIconResourceId,
                                         PluginModule::instance().handle(), &handle),
                  S_OK);
        QDockWidget* dock = works.docks().back();
        EXPECT_EQ(dock->widget(), static_cast<QWidget*>(handle));
        EXPECT_EQ(dock->windowTitle(), QStringLiteral("AVR TAZU"));
        EXPECT_EQ(window.dockWidgetArea(dock), area);
        EXPECT_FALSE(dock->windowIcon().isNull());
    }
    // A window of the anchor's name on the same side takes the new one in as a tab.
    EXPECT_EQ(window.tabifiedDockWidgets(anchor), QList<QDockWidget*>({works.docks().back()}));
    works.removeDocks();
    EXPECT_TRUE(works.docks().empty());
    EXPECT_EQ(window.findChildren<QDockWidget*>(), QList<QDockWidget*>({anchor}));
}

TEST_F(StudioWorksTest, EditorsOpenAtTheLineAndTellTheActiveFileOrWhyNot) {
    const std::string main = folder.write("main.c", "1\n2\n3\n4\n");
    const std::string uart = folder.write("uart.c", "u\n");
    Bstr active = L"stale";
    ASSERT_EQ(works.GetActiveFile(&active), S_OK);
    EXPECT_TRUE(active.empty());
    EXPECT_EQ(works.OpenFileAtLine(windowsPath(main), 3, 0), S_OK);
    EXPECT_EQ(editors->currentEditor()->currentLine(), 3);
    EXPECT_EQ(works.OpenFile(windowsPath(uart), 0), S_OK);
    ASSERT_EQ(works.GetActiveFile(&active), S_OK);
    EXPECT_EQ(active, windowsPath(uart));

    std::int16_t open = 0;
    ASSERT_EQ(works.IsFileOpen(windowsPath(main), &open), S_OK);
    EXPECT_NE(open, 0);
    // The plug-in goes on with its rename or delete: the question has no Cancel.
    editors->find(main)->replaceSelectedText(QStringLiteral("x"));
    dialogs.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(works.CloseFile(windowsPath(main)), S_OK);
    ASSERT_EQ(works.IsFileOpen(windowsPath(main), &open), S_OK);
    EXPECT_EQ(open, 0);
    EXPECT_EQ(test::readFile(main), "1\n2\nx3\n4\n");
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages().front().buttons, MessageButtons::YesNo);

    // A file that cannot be opened fails and is noted.
    EXPECT_EQ(works.OpenFile(windowsPath(folder.file("missing.c")), 0), E_FAIL);
    EXPECT_EQ(works.OpenFileAtLine(L"Q:\\nowhere\\main.c", 4, 0), E_FAIL);
    EXPECT_EQ(editors->count(), 1);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].rfind("1 Cannot open " + folder.file("missing.c"), 0), 0u) << notes[0];
    EXPECT_EQ(notes[1], "1 Cannot open Q:\\nowhere\\main.c: it is on no drive of this system");
}

} // namespace
} // namespace avrtazu
