#include "studio_test_support.h"

#include "services/plug_in_utility.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/log_pane.h"
#include "studio/project_session.h"
#include "studio/studio_window.h"
#include "studio/studio_works.h"

#include "lib/host_hub.h"
#include "platform/drive_map.h"
#include "platform/message_pump.h"
#include "services/gui_works.h"
#include "services/plugin_hub.h"

#include <QAction>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

namespace avrtazu {
namespace {

using Calls = std::vector<std::string>;

// The window over a fake plug-in: what the window does around the plug-in's calls.
class StudioWindowTest : public ::testing::Test {
protected:
    StudioWindowTest() {
        project = folder.write("proj/demo.aps", test::plainProject("demo"));
        window = std::make_unique<StudioWindow>(folder.path());
    }

    void openDemo() {
        ASSERT_TRUE(window->openProject(project));
        script().calls.clear();
    }

    test::FakePluginScript& script() { return fake.script(); }

    test::TempFolder folder;
    test::StudioEnvironment environment;
    test::FakePluginInstallation fake;
    std::string project;
    std::unique_ptr<StudioWindow> window;
};

TEST_F(StudioWindowTest, OpensAProjectAsTheIdeDoes) {
    ASSERT_TRUE(window->openProject(project));
    // The plug-in's section is written once more after the opening, to compare later saves.
    EXPECT_EQ(script().calls, Calls({"GetSetup", "Init", "Event 101", "Event 12"}));
    EXPECT_TRUE(script().documentAtCreation);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("demo[*] - AVR TAZU Studio"));
    EXPECT_TRUE(window->commandAction(0)->isEnabled());
    EXPECT_TRUE(window->fileAction("action-save")->isEnabled());
    window->discardProject();
    EXPECT_EQ(script().calls.back(), "Close");
    EXPECT_FALSE(window->commandAction(0)->isEnabled());
}

TEST_F(StudioWindowTest, AProjectFileThatCannotBeReadIsReportedAndNothingStarts) {
    const std::string broken = folder.write("broken.aps", "<AVRStudio><unclosed>");
    EXPECT_FALSE(window->openProject(broken));
    EXPECT_TRUE(script().calls.empty());
    ASSERT_EQ(environment.dialogs.messages().size(), 1u);
    EXPECT_EQ(environment.dialogs.messages().front().icon, MessageIcon::Error);
    EXPECT_NE(environment.dialogs.messages().front().text.find("broken.aps"), std::string::npos);
    EXPECT_FALSE(window->session().isOpen());
    EXPECT_FALSE(window->commandAction(0)->isEnabled());
}

TEST_F(StudioWindowTest, EveryCommandHasAMenuEntryAndItsShortcut) {
    struct Case {
        long command;
        const char* shortcut;
    };
    const Case cases[] = {{0, "F7"}, {1, ""}, {2, ""},   {3, "Ctrl+F7"}, {4, ""},
                          {5, ""},   {6, ""}, {7, "F1"}, {8, ""}};
    openDemo();
    // Compile needs a file in the editor.
    ASSERT_EQ(script().host->OpenFile(
                  toWide(DriveMap::toWindows(folder.write("proj/main.c", "int main;\n"))), 0),
              S_OK);
    for (const Case& c : cases) {
        QAction* action = window->commandAction(c.command);
        ASSERT_NE(action, nullptr) << c.command;
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(c.shortcut))) << c.command;
        script().calls.clear();
        action->trigger();
        EXPECT_EQ(script().calls, Calls({"Command " + std::to_string(c.command)})) << c.command;
    }
}

TEST_F(StudioWindowTest, ABuildSavesTheEditorsFirstAndLocksTheWindowWhileItRuns) {
    openDemo();
    const std::string main = folder.write("proj/main.c", "int main;\n");
    ASSERT_EQ(script().host->OpenFile(toWide(DriveMap::toWindows(main)), 0), S_OK);
    window->editors().currentEditor()->insertPlainText(QStringLiteral("// edited\n"));
    std::string seenByBuild;
    bool busy = false;
    bool buildEnabled = true;
    bool closed = true;
    script().onCommand = [&](long) {
        seenByBuild = test::readFile(main);
        busy = window->isBusy();
        buildEnabled = window->commandAction(0)->isEnabled();
        closed = window->close();
        // A second command while one runs does not reach the plug-in.
        window->runCommand(4);
    };
    window->commandAction(0)->trigger();
    EXPECT_EQ(seenByBuild, "// edited\nint main;\n");
    EXPECT_TRUE(busy);
    EXPECT_FALSE(buildEnabled);
    EXPECT_FALSE(closed);
    EXPECT_EQ(script().calls, Calls({"Command 0"}));
    EXPECT_FALSE(window->isBusy());
    EXPECT_TRUE(window->commandAction(0)->isEnabled());
}

TEST_F(StudioWindowTest, CompileWithoutAnOpenFileDoesNotReachThePlugIn) {
    openDemo();
    window->runCommand(3);
    EXPECT_TRUE(script().calls.empty());
}

TEST_F(StudioWindowTest, EventsOfTheObjectFileAndThePartShowInTheStatusBar) {
    openDemo();
    script().onCommand = [](long) {
        IPluginHub* hub = PlugInUtility::instance().hub();
        hub->SetPartName(L"ATmega16");
        hub->SendEvent(kEventObjectFile, L"Z:\\p\\default\\demo.cof");
    };
    window->runCommand(0);
    EXPECT_EQ(window->partText(), QStringLiteral("Device: ATmega16"));
    EXPECT_EQ(window->objectFileText(), QStringLiteral("Object file demo.cof"));
    PlugInUtility::instance().hub()->SendEvent(AVREVENT_OBJECTFILE_DIRTY, Bstr());
    EXPECT_EQ(window->objectFileText(), QStringLiteral("Object file demo.cof (out of date)"));
    // A new build makes the old object file stale until it reports a new one.
    script().onCommand = nullptr;
    PlugInUtility::instance().hub()->SendEvent(kEventObjectFile, L"Z:\\p\\default\\demo.cof");
    window->runCommand(0);
    EXPECT_EQ(window->objectFileText(), QStringLiteral("Object file demo.cof (out of date)"));
}

TEST_F(StudioWindowTest, TheLibraryHelpFollowsItsCommandState) {
    openDemo();
    script().host->SetCommandState(8, 0);
    EXPECT_FALSE(window->commandAction(8)->isEnabled());
    script().host->SetCommandState(8, 4);
    EXPECT_TRUE(window->commandAction(8)->isEnabled());
}

TEST_F(StudioWindowTest, ThePlugInsLogReachesTheLogPane) {
    openDemo();
    PlugInUtility::instance().logError("Failed to do it");
    PlugInUtility::instance().logDebug("Fake::step()", "detail");
    EXPECT_EQ(window->log().visibleRows().back(),
              QStringLiteral("Error: tazu plug-in: Failed to do it"));
    EXPECT_EQ(window->log().entryCount(LogPane::kDebug), 1);
}

TEST_F(StudioWindowTest, SaveWritesThePlugInsSectionIntoTheFile) {
    openDemo();
    script().state = 7;
    EXPECT_TRUE(window->session().syncAndCheckChanged());
    window->fileAction("action-save")->trigger();
    EXPECT_EQ(script().calls.back(), "Event 12");
    EXPECT_NE(test::readFile(project).find("<STATE>7</STATE>"), std::string::npos);
    EXPECT_FALSE(window->session().isChanged());
}

TEST_F(StudioWindowTest, NewProjectMakesTheFileAndSendsEvent56WithTheInitialFile) {
    const std::string aps = folder.file("new/blinky.aps");
    std::filesystem::create_directories(folder.file("new"));
    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("new/blinky")));
    environment.dialogs.queueAnswer(MessageAnswer::Yes);
    window->newProject();
    EXPECT_EQ(script().calls, Calls({"GetSetup", "Init", "Event 56", "Event 12", "Event 12"}));
    EXPECT_EQ(script().initialFile, DriveMap::toWindows(folder.file("new/blinky.c")));
    EXPECT_NE(test::readFile(aps).find("<ProjectName>blinky</ProjectName>"), std::string::npos);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("blinky[*] - AVR TAZU Studio"));
    // The question for the initial file came before the plug-in started.
    ASSERT_EQ(environment.dialogs.messages().size(), 1u);
    EXPECT_EQ(environment.dialogs.messages().front().text, "Create the initial file blinky.c?");
}

TEST_F(StudioWindowTest, NewProjectWithoutInitialFileOrWithABadNameOrCancelled) {
    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("plain.aps")));
    environment.dialogs.queueAnswer(MessageAnswer::No);
    window->newProject();
    EXPECT_TRUE(script().initialFile.empty());
    EXPECT_TRUE(window->session().isOpen());
    window->discardProject();

    script().calls.clear();
    environment.dialogs.clear();
    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("my project.aps")));
    window->newProject();
    EXPECT_TRUE(script().calls.empty());
    EXPECT_EQ(test::readFile(folder.file("my project.aps")), "<missing>");
    ASSERT_EQ(environment.dialogs.messages().size(), 1u);
    EXPECT_NE(environment.dialogs.messages().front().text.find("\"my project\" cannot be the name"),
              std::string::npos);

    environment.dialogs.clear();
    window->newProject();
    EXPECT_TRUE(script().calls.empty());
    EXPECT_TRUE(environment.dialogs.messages().empty());
}

TEST_F(StudioWindowTest, AProjectReadWithErrorsIsOverwrittenOnlyWhenTheUserSaysSo) {
    struct Case {
        const char* error;
        std::optional<MessageAnswer> answer;
        bool saved;
    };
    const Case cases[] = {
        {"XML: Failed getting srcfile nodes", MessageAnswer::No, false},
        {"XML: Failed getting srcfile nodes", MessageAnswer::Yes, true},
        // A missing source file says nothing about the project file itself.
        {"The project file Z:\\p\\gone.c does not exist.", std::nullopt, true},
    };
    for (const Case& c : cases) {
        folder.write("proj/demo.aps", test::plainProject("demo"));
        const std::string before = test::readFile(project);
        script().errorWhileReading = c.error;
        script().state = 0;
        openDemo();
        environment.dialogs.clear();
        if (c.answer) {
            environment.dialogs.queueAnswer(*c.answer);
        }
        script().state = 3;
        window->saveAll();
        ASSERT_EQ(environment.dialogs.messages().size(), c.answer ? 1u : 0u) << c.error;
        if (c.answer) {
            EXPECT_NE(environment.dialogs.messages().front().text.find(c.error), std::string::npos);
        }
        EXPECT_EQ(test::readFile(project) != before, c.saved) << c.error;
        window->discardProject();
    }
}

TEST_F(StudioWindowTest, UnsavedEditorsArePartOfTheQuestionWhenClosing) {
    openDemo();
    const std::string main = folder.write("proj/main.c", "int main;\n");
    ASSERT_EQ(script().host->OpenFile(toWide(DriveMap::toWindows(main)), 0), S_OK);
    window->editors().currentEditor()->insertPlainText(QStringLiteral("// edited\n"));
    script().host->AddOutputMessage(L"Build succeeded with 0 Warnings...", kOutputPlain);
    ASSERT_FALSE(window->summaryText().isEmpty());
    environment.dialogs.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(window->closeProject());
    // The project is saved as the IDE saves it before the plug-in closes.
    EXPECT_EQ(Calls(script().calls.end() - 3, script().calls.end()),
              Calls({"Event 12", "Event 12", "Close"}));
    ASSERT_EQ(environment.dialogs.messages().size(), 1u);
    EXPECT_NE(environment.dialogs.messages().front().text.find(main), std::string::npos);
    EXPECT_EQ(test::readFile(main), "// edited\nint main;\n");
    EXPECT_EQ(window->editors().count(), 0);
    EXPECT_TRUE(window->summaryText().isEmpty());
}

TEST_F(StudioWindowTest, ACommandThePlugInsWindowStartedAlsoLocksTheWindow) {
    openDemo();
    const std::string main = folder.write("proj/main.c", "int main;\n");
    ASSERT_EQ(script().host->OpenFile(toWide(DriveMap::toWindows(main)), 0), S_OK);
    window->editors().currentEditor()->insertPlainText(QStringLiteral("// edited\n"));
    // The plug-in's tree runs a build on its own: output cleared, then the pump while the
    // tools run.
    script().host->ClearOutput();
    EXPECT_EQ(test::readFile(main), "// edited\nint main;\n");
    bool closed = true;
    QTimer::singleShot(0, window.get(), [&] {
        window->runCommand(0);
        closed = window->close();
    });
    MessagePump::pump();
    EXPECT_TRUE(script().calls.empty());
    EXPECT_FALSE(closed);
    EXPECT_FALSE(window->isBusy());
}

} // namespace
} // namespace avrtazu
