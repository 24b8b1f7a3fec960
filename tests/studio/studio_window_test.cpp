#include "studio_test_support.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/log_pane.h"
#include "studio/project_session.h"
#include "studio/studio_window.h"

#include "platform/drive_map.h"
#include "platform/message_pump.h"
#include "services/gui_works.h"
#include "services/plugin_hub.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <memory>
#include <optional>

namespace avrtazu {
namespace {

using Calls = std::vector<std::string>;

// The window over a fake plug-in: what the window does around the plug-in's calls.
class StudioWindowTest : public ::testing::Test {
protected:
    StudioWindowTest() {
        project = folder.write("proj/demo.aps", test::sampleProject("demo"));
        window = std::make_unique<StudioWindow>(folder.path());
    }

    void openDemo() {
        ASSERT_TRUE(window->openProject(project));
        script().calls.clear();
    }

    // Opens proj/main.c through the plug-in's host and types into it; gives its path.
    std::string editMain() {
        const std::string main = folder.write("proj/main.c", "int main;\n");
        EXPECT_EQ(script().host->OpenFile(toWide(DriveMap::toWindows(main)), 0), S_OK);
        window->editors().currentEditor()->insertPlainText(QStringLiteral("// edited\n"));
        return main;
    }

    const std::vector<ScriptedDialogService::Message>& messages() {
        return environment.dialogs.messages();
    }
    test::FakePluginScript& script() { return fake.script(); }

    test::TempFolder folder;
    test::StudioEnvironment environment;
    test::FakePluginInstallation fake;
    std::string project;
    std::unique_ptr<StudioWindow> window;
};

TEST_F(StudioWindowTest, OpensAProjectAsTheIdeDoesAndFollowsThePlugIn) {
    ASSERT_TRUE(window->openProject(project));
    // The plug-in's section is written once more after the opening, to compare later saves.
    EXPECT_EQ(script().calls, Calls({"GetSetup", "Init", "Event 101", "Event 12"}));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("demo[*] - AVR TAZU Studio"));
    EXPECT_TRUE(window->fileAction("action-save")->isEnabled());
    script().host->SetCommandState(8, 0);
    EXPECT_FALSE(window->commandAction(8)->isEnabled());
    script().host->SetCommandState(8, 4);
    EXPECT_TRUE(window->commandAction(8)->isEnabled());
    // The log shows each level; debug lines only on request.
    PlugInUtility& utility = PlugInUtility::instance();
    utility.logInfo("Renamed");
    utility.logWarning("Part differs");
    utility.logError("Failed");
    utility.logDebug("Fake::step()", "detail");
    const QStringList rows = window->log().visibleRows();
    EXPECT_EQ(rows.mid(rows.size() - 3),
              QStringList({"Information: tazu plug-in: Renamed",
                           "Warning: tazu plug-in: Part differs", "Error: tazu plug-in: Failed"}));
    window->log().setShowDebug(true);
    EXPECT_EQ(window->log().visibleRows().back(), "Debug: tazu plug-in: Fake::step() detail");
    EXPECT_EQ(window->log().entryCount(LogPane::kDebug), 1);
    window->discardProject();
    EXPECT_EQ(script().calls.back(), "Close");
    EXPECT_FALSE(window->commandAction(0)->isEnabled());

    const std::string broken = folder.write("broken.aps", "<AVRStudio><unclosed>");
    script().calls.clear();
    EXPECT_FALSE(window->openProject(broken));
    EXPECT_TRUE(script().calls.empty());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages().front().icon, MessageIcon::Error);
    EXPECT_NE(messages().front().text.find("broken.aps"), std::string::npos);
    EXPECT_FALSE(window->commandAction(0)->isEnabled());
}

TEST_F(StudioWindowTest, EveryCommandHasAMenuEntryAndItsShortcut) {
    const std::pair<long, const char*> cases[] = {
        {0, "F7"}, {1, ""}, {2, ""}, {3, "Ctrl+F7"}, {4, ""}, {5, ""}, {6, ""}, {7, "F1"}, {8, ""}};
    openDemo();
    // Compile needs a file in the editor.
    window->runCommand(3);
    EXPECT_TRUE(script().calls.empty());
    editMain();
    for (const auto& [command, shortcut] : cases) {
        QAction* action = window->commandAction(command);
        ASSERT_NE(action, nullptr) << command;
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(shortcut))) << command;
        script().calls.clear();
        action->trigger();
        EXPECT_EQ(script().calls, Calls({"Command " + std::to_string(command)}));
    }
}

// The setup file the plug-in hands to a host describes the menus this window shows.
TEST_F(StudioWindowTest, TheSetupFileNamesTheMenuEntriesOfTheWindow) {
    pugi::xml_document setup;
    ASSERT_TRUE(setup.load_file(AVRTAZU_TEST_SOURCE_DIR "/data/avrtazuplugin.xml"));
    int described = 0;
    for (const pugi::xml_node command : setup.child("AVRSTUDIO_PLUGIN").child("COMMANDS")) {
        const long id = command.attribute("id").as_int(-1);
        QAction* action = window->commandAction(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_EQ(action->text().toStdString(), command.attribute("text").value()) << id;
        EXPECT_EQ(action->shortcut(),
                  QKeySequence(QString::fromUtf8(command.attribute("shortcut").value())))
            << id;
        QStringList menus;
        for (QObject* holder : action->associatedObjects()) {
            if (auto* menu = qobject_cast<QMenu*>(holder)) {
                menus << menu->title().remove(QLatin1Char('&'));
            }
        }
        EXPECT_EQ(menus, QStringList{QString::fromUtf8(command.attribute("menu").value())}) << id;
        ++described;
    }
    EXPECT_EQ(described, 9);
}

// A build saves the editors first; while it runs, the window takes no second command and does
// not close. So also for a command the plug-in's own window starts: it clears the output, then
// keeps the window alive through the message pump while the tools run.
TEST_F(StudioWindowTest, ACommandSavesTheEditorsFirstAndLocksTheWindowWhileItRuns) {
    openDemo();
    const std::string main = editMain();
    std::string seenByBuild;
    bool busy = false;
    bool buildEnabled = true;
    bool closed = true;
    script().duringCommand = [&](long) {
        seenByBuild = test::readFile(main);
        busy = window->isBusy();
        buildEnabled = window->commandAction(0)->isEnabled();
        closed = window->close();
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

    window->editors().currentEditor()->insertPlainText(QStringLiteral("// again\n"));
    script().calls.clear();
    script().host->ClearOutput();
    EXPECT_EQ(test::readFile(main), "// edited\n// again\nint main;\n");
    closed = true;
    QTimer::singleShot(0, window.get(), [&] {
        window->runCommand(0);
        closed = window->close();
    });
    MessagePump::pump();
    EXPECT_TRUE(script().calls.empty());
    EXPECT_FALSE(closed);
    EXPECT_FALSE(window->isBusy());
}

TEST_F(StudioWindowTest, EventsOfTheObjectFileAndThePartShowInTheStatusBar) {
    openDemo();
    script().duringCommand = [](long) {
        IPluginHub* hub = PlugInUtility::instance().hub();
        hub->SetPartName(L"ATmega16");
        hub->SendEvent(kEventObjectFile, L"Z:\\p\\default\\demo.cof");
    };
    window->runCommand(0);
    EXPECT_EQ(window->partText(), QStringLiteral("Device: ATmega16"));
    EXPECT_EQ(window->objectFileText(), QStringLiteral("Object file demo.cof"));
    // A new build makes the old object file stale until it reports a new one.
    script().duringCommand = nullptr;
    window->runCommand(0);
    EXPECT_EQ(window->objectFileText(), QStringLiteral("Object file demo.cof (out of date)"));
}

// The set-up by the real plug-in, with an initial file, runs in the flow tests.
TEST_F(StudioWindowTest, ANewProjectWithoutAnInitialFileOrWithANameThatCannotNameTheOutput) {
    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("plain")));
    environment.dialogs.queueAnswer(MessageAnswer::No);
    window->newProject();
    EXPECT_EQ(script().calls, Calls({"GetSetup", "Init", "Event 56", "Event 12", "Event 12"}));
    EXPECT_EQ(script().initialFile, "");
    EXPECT_NE(test::readFile(folder.file("plain.aps")).find("<ProjectName>plain</ProjectName>"),
              std::string::npos);
    EXPECT_EQ(messages().back().text, "Create the initial file plain.c?");

    window->discardProject();
    script().calls.clear();
    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("my project.aps")));
    window->newProject();
    EXPECT_TRUE(script().calls.empty());
    EXPECT_EQ(test::readFile(folder.file("my project.aps")), "<missing>");
    EXPECT_NE(messages().back().text.find("\"my project\" cannot be the name"), std::string::npos);
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
        folder.write("proj/demo.aps", test::sampleProject("demo"));
        const std::string before = test::readFile(project);
        script().loadLog = {{c.error, 2}};
        script().state = 0;
        openDemo();
        environment.dialogs.clear();
        if (c.answer) {
            environment.dialogs.queueAnswer(*c.answer);
        }
        script().state = 3;
        window->saveAll();
        ASSERT_EQ(messages().size(), c.answer ? 1u : 0u) << c.error;
        if (c.answer) {
            EXPECT_NE(messages().front().text.find(c.error), std::string::npos);
        }
        EXPECT_EQ(test::readFile(project) != before, c.saved) << c.error;
        window->discardProject();
    }
}

TEST_F(StudioWindowTest, UnsavedEditorsArePartOfTheQuestionWhenClosing) {
    openDemo();
    const std::string main = editMain();
    script().host->AddOutputMessage(L"Build succeeded with 0 Warnings...", kOutputPlain);
    ASSERT_FALSE(window->summaryText().isEmpty());
    environment.dialogs.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(window->closeProject());
    // The project is saved as the IDE saves it before the plug-in closes.
    EXPECT_EQ(Calls(script().calls.end() - 3, script().calls.end()),
              Calls({"Event 12", "Event 12", "Close"}));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages().front().text.find(main), std::string::npos);
    EXPECT_EQ(test::readFile(main), "// edited\nint main;\n");
    EXPECT_EQ(window->editors().count(), 0);
    EXPECT_TRUE(window->summaryText().isEmpty());
}

} // namespace
} // namespace avrtazu
