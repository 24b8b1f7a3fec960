#include "studio_test_support.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/help_viewer.h"
#include "studio/output_pane.h"
#include "studio/studio_works.h"

#include "lib/project_document.h"
#include "platform/dialog_service.h"
#include "platform/drive_map.h"
#include "plugin/plugin_module.h"

#include <QDockWidget>
#include <QMainWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace avrtazu {
namespace {

class StudioWorksTest : public ::testing::Test {
protected:
    StudioWorksTest() {
        DialogService::install(&dialogs);
        works.setNoteHandler(
            [this](long level, const std::string& text) { notes.emplace_back(level, text); });
        works.setChangeHandler([this](StudioWorks::Change change) { changes.push_back(change); });
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
    std::vector<std::pair<long, std::string>> notes;
    std::vector<StudioWorks::Change> changes;
};

TEST_F(StudioWorksTest, DockedWindowsGoWhereThePlugInAsks) {
    struct Case {
        const wchar_t* side;
        Qt::DockWidgetArea area;
    };
    const Case cases[] = {{L"left", Qt::LeftDockWidgetArea},
                          {L"right", Qt::RightDockWidgetArea},
                          {L"top", Qt::TopDockWidgetArea},
                          {L"bottom", Qt::BottomDockWidgetArea},
                          {L"middle", Qt::LeftDockWidgetArea}};
    for (const Case& c : cases) {
        WindowHandle handle = nullptr;
        ASSERT_EQ(works.CreateDockWindow(L"AVR TAZU", L"", c.side, 1,
                                         PluginModule::kDockIconResourceId,
                                         PluginModule::instance().handle(), &handle),
                  S_OK);
        QDockWidget* dock = works.docks().back();
        auto* client = static_cast<QWidget*>(handle);
        EXPECT_EQ(dock->widget(), client);
        EXPECT_EQ(dock->windowTitle(), QStringLiteral("AVR TAZU"));
        EXPECT_EQ(window.dockWidgetArea(dock), c.area);
        EXPECT_FALSE(dock->windowIcon().isNull());
    }
    EXPECT_EQ(works.docks().size(), 5u);
    works.removeDocks();
    EXPECT_TRUE(works.docks().empty());
    EXPECT_TRUE(window.findChildren<QDockWidget*>().isEmpty());
    EXPECT_EQ(works.CreateDockWindow(L"x", L"", L"left", 1, 0, nullptr, nullptr), E_POINTER);
}

TEST_F(StudioWorksTest, ADockedWindowJoinsItsAnchorAsATab) {
    auto* anchor = new QDockWidget(QStringLiteral("I/O View"), &window);
    window.addDockWidget(Qt::LeftDockWidgetArea, anchor);
    WindowHandle handle = nullptr;
    ASSERT_EQ(works.CreateDockWindow(L"AVR TAZU", L"I/O View", L"left", 1, 0, nullptr, &handle),
              S_OK);
    EXPECT_EQ(window.tabifiedDockWidgets(anchor), QList<QDockWidget*>({works.docks().front()}));
}

TEST_F(StudioWorksTest, EditorsOpenAtTheLineAndTellTheActiveFile) {
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
    EXPECT_EQ(works.CloseFile(windowsPath(main)), S_OK);
    ASSERT_EQ(works.IsFileOpen(windowsPath(main), &open), S_OK);
    EXPECT_EQ(open, 0);
    EXPECT_TRUE(notes.empty());
}

TEST_F(StudioWorksTest, AFileThatCannotBeOpenedFailsAndIsNoted) {
    const Bstr missing = windowsPath(folder.file("missing.c"));
    EXPECT_NE(works.OpenFile(missing, 0), S_OK);
    EXPECT_NE(works.OpenFileAtLine(missing, 4, 0), S_OK);
    // A drive letter that names no folder.
    EXPECT_NE(works.OpenFile(L"Q:\\nowhere\\main.c", 0), S_OK);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].first, 1);
    EXPECT_NE(notes[0].second.find("missing.c"), std::string::npos) << notes[0].second;
    EXPECT_NE(notes[2].second.find("Q:\\nowhere\\main.c"), std::string::npos) << notes[2].second;
    EXPECT_EQ(editors->count(), 0);
}

TEST_F(StudioWorksTest, ClosingAFileWithEditsAsksToKeepThem) {
    struct Case {
        MessageAnswer answer;
        const char* fileAfter;
    };
    for (const Case& c : {Case{MessageAnswer::Yes, "xa\n"}, Case{MessageAnswer::No, "a\n"}}) {
        const std::string path = folder.write("main.c", "a\n");
        ASSERT_EQ(works.OpenFile(windowsPath(path), 0), S_OK);
        editors->currentEditor()->insertPlainText(QStringLiteral("x"));
        dialogs.queueAnswer(c.answer);
        EXPECT_EQ(works.CloseFile(windowsPath(path)), S_OK);
        EXPECT_EQ(editors->find(path), nullptr);
        EXPECT_EQ(test::readFile(path), c.fileAfter);
    }
    // The plug-in goes on with its rename or delete: the question has no Cancel.
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages().front().buttons, MessageButtons::YesNo);
}

TEST_F(StudioWorksTest, DirectoriesAreWindowsFoldersEndingInABackslash) {
    Bstr path;
    ASSERT_EQ(works.GetStudioDirectory(&path), S_OK);
    EXPECT_EQ(path, windowsPath(folder.path()) + L"\\");

    EXPECT_EQ(works.GetProjectDirectory(&path), E_FAIL);
    EXPECT_TRUE(path.empty());
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(folder.write("p/blink.aps", test::plainProject("blink")), &error));
    works.setDocumentSource([&document] { return &document; });
    ASSERT_EQ(works.GetProjectDirectory(&path), S_OK);
    EXPECT_EQ(path, windowsPath(folder.file("p")) + L"\\");

    ASSERT_EQ(works.GetInitialFileName(&path), S_OK);
    EXPECT_TRUE(path.empty());
    works.setInitialFileName("Z:\\p\\blink.c");
    ASSERT_EQ(works.GetInitialFileName(&path), S_OK);
    EXPECT_EQ(path, L"Z:\\p\\blink.c");
}

TEST_F(StudioWorksTest, TheObjectFileFollowsEvents51And58AndTheLoad) {
    std::int16_t state = 9;
    ASSERT_EQ(works.GetObjectFileState(&state), S_OK);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(works.objectFileText(), "");
    EXPECT_NE(works.LoadObjectFile(), S_OK);

    works.objectFileBuilt("Z:\\p\\default\\blink.cof");
    ASSERT_EQ(works.GetObjectFileState(&state), S_OK);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(works.objectFileText(), "Object file blink.cof");
    EXPECT_EQ(works.LoadObjectFile(), S_OK);
    EXPECT_EQ(works.objectFileText(), "Object file blink.cof (loaded)");

    works.objectFileDirty();
    EXPECT_EQ(works.objectFileText(), "Object file blink.cof (out of date)");
    EXPECT_NE(works.LoadObjectFile(), S_OK);
    ASSERT_EQ(works.GetObjectFileState(&state), S_OK);
    EXPECT_EQ(state, 1);

    works.forgetObjectFile();
    ASSERT_EQ(works.GetObjectFileState(&state), S_OK);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(std::count(changes.begin(), changes.end(), StudioWorks::Change::ObjectFile), 4);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[1],
              std::make_pair(0L, std::string("Object file Z:\\p\\default\\blink.cof loaded")));
}

TEST_F(StudioWorksTest, OutputHelpAndCommandStatesReachTheWindow) {
    EXPECT_EQ(works.AddOutputMessage(L"!E main.c(1): x", kOutputError), S_OK);
    ASSERT_EQ(output->count(), 1);
    EXPECT_EQ(output->kindOf(0), kOutputError);
    EXPECT_EQ(works.ClearOutput(), S_OK);
    EXPECT_EQ(output->count(), 0);

    EXPECT_EQ(works.commandState(8), -1);
    EXPECT_EQ(works.SetCommandState(8, 0), S_OK);
    EXPECT_EQ(works.commandState(8), 0);
    EXPECT_EQ(works.SetCommandState(8, 4), S_OK);
    EXPECT_EQ(works.commandState(8), 4);

    EXPECT_EQ(works.ShowHelp(L"<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC>Paths</TOPIC>"
                             L"</SHOW_HELP>"),
              S_OK);
    EXPECT_EQ(help->currentTopic(), QStringLiteral("Paths"));
    EXPECT_EQ(changes, std::vector<StudioWorks::Change>(
                           {StudioWorks::Change::OutputCleared, StudioWorks::Change::CommandState,
                            StudioWorks::Change::CommandState, StudioWorks::Change::Help}));
}

} // namespace
} // namespace avrtazu
