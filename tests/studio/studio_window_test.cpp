#include "studio_test_support.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/log_pane.h"
#include "studio/project_session.h"
#include "studio/studio_window.h"
#include "studio/studio_works.h"

#include "platform/drive_map.h"
#include "platform/message_pump.h"
#include "services/gui_works.h"
#include "services/plugin_hub.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QScreen>
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
        window->editors().currentEditor()->replaceSelectedText(QStringLiteral("// edited\n"));
        return main;
    }

    // What the user sees, and what the plug-in and the dialogs saw, since the last step.
    void step(const std::string& name) {
        std::string text = "== " + name + "\ncalls:";
        for (const std::string& call : script().calls) {
            text += " " + call;
        }
        const char* const icons[] = {"", "information ", "warning ", "error ", "question "};
        for (const auto& message : environment.dialogs.messages()) {
            const char* const buttons[] = {"OK", "OK/Cancel", "Yes/No", "Yes/No/Cancel"};
            text += std::string("\n") + icons[static_cast<int>(message.icon)] + "message (" +
                    buttons[static_cast<int>(message.buttons)] + "): " + message.text;
        }
        std::int16_t objectFileState = -1;
        window->works().GetObjectFileState(&objectFileState);
        text +=
            "\n" + window->windowTitle().toStdString() + " | " +
            (window->partText() + " | " + window->objectFileText() + " | " + window->summaryText())
                .toStdString() +
            (window->fileAction("action-save")->isEnabled() ? " | save" : "") +
            (window->isBusy() ? " | busy" : "") + " | object file state " +
            std::to_string(objectFileState) + " | commands";
        for (long command = 0; command <= 8; ++command) {
            text +=
                window->commandAction(command)->isEnabled() ? " " + std::to_string(command) : "";
        }
        for (int tab = 0; tab < window->editors().count(); ++tab) {
            text += " | " + window->editors().tabText(tab).toStdString();
        }
        const QStringList rows = window->log().visibleRows();
        for (qsizetype row = m_logRows; row < rows.size(); ++row) {
            text += "\nlog: " + rows[row].toStdString();
        }
        m_logRows = rows.size();
        text += test::readFile(project) == m_projectSeen ? "\n" : "\nproject file written\n";
        m_projectSeen = test::readFile(project);
        transcript += test::replaced(
            text, {{DriveMap::toWindows(folder.path()), "@F"}, {folder.path(), "@F"}});
        script().calls.clear();
        environment.dialogs.clear();
    }
    test::FakePluginScript& script() { return fake.script(); }

    test::TempFolder folder;
    test::StudioEnvironment environment;
    test::FakePluginInstallation fake;
    std::string project;
    std::unique_ptr<StudioWindow> window;
    std::string transcript;
    std::string m_projectSeen = test::readFile(project);
    qsizetype m_logRows = 0;
};

// Opening, the log, the command states, events of the plug-in, saving a project read with
// errors, a new project and closing with unsaved editors, as the user sees them.
TEST_F(StudioWindowTest, FollowsThePlugInThroughAProjectsLife) {
    ASSERT_TRUE(window->openProject(project));
    script().host->SetCommandState(8, 0);
    // The log shows each level; debug lines only on request.
    PlugInUtility& utility = PlugInUtility::instance();
    utility.logInfo("Renamed");
    utility.logWarning("Part differs");
    utility.logError("Failed");
    utility.logDebug("Fake::step()", "detail");
    step("opened in " + script().projectDirectory +
         "; library help off; a line of each level logged");
    window->log().setShowDebug(true);
    script().host->SetCommandState(8, 4);
    step("library help on; debug lines shown");
    EXPECT_EQ(window->log().entryCount(LogPane::kDebug), 1);

    // A new build makes the old object file stale until it reports a new one.
    script().duringCommand = [](long) {
        IPluginHub* hub = PlugInUtility::instance().hub();
        hub->SetPartName(L"ATmega16");
        hub->SendEvent(kEventObjectFile, L"Z:\\p\\default\\demo.cof");
    };
    window->runCommand(0);
    step("built, with device and object file");
    EXPECT_EQ(script().host->LoadObjectFile(), S_OK);
    step("object file loaded");
    script().duringCommand = nullptr;
    window->runCommand(0);
    EXPECT_EQ(script().host->LoadObjectFile(), E_FAIL);
    step("built again, without a new object file; no load");
    window->discardProject();
    step("discarded");
    // The plug-in finds its project and its toolchain through these folders.
    Bstr studio, projectFolder;
    EXPECT_EQ(window->works().GetStudioDirectory(&studio), S_OK);
    EXPECT_EQ(studio, toWide(DriveMap::toWindows(folder.path()) + "\\"));
    EXPECT_EQ(window->works().GetProjectDirectory(&projectFolder), E_FAIL);
    folder.write("broken.aps", "<AVRStudio><unclosed>");
    EXPECT_FALSE(window->openProject(folder.file("broken.aps")));
    step("a broken project file");

    // Errors that say the section is damaged make saving ask first; a missing file does not.
    for (const auto& [error, answer] :
         {std::pair("XML: Failed getting srcfile nodes", MessageAnswer::No),
          {"XML: Failed getting srcfile nodes", MessageAnswer::Yes},
          {"The project file Z:\\p\\gone.c does not exist.", MessageAnswer::No}}) {
        script().loadLog = {{error, 2}};
        script().state = 0;
        ASSERT_TRUE(window->openProject(project));
        step(std::string("opened with: ") + error);
        environment.dialogs.queueAnswer(answer);
        script().state = 3;
        window->saveAll();
        step(answer == MessageAnswer::Yes ? "saved, answering Yes" : "saved, answering No");
        window->discardProject();
        folder.write("proj/demo.aps", test::sampleProject("demo"));
        m_projectSeen = test::readFile(project);
    }
    script().loadLog.clear();

    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("plain")));
    environment.dialogs.queueAnswer(MessageAnswer::No);
    window->newProject();
    EXPECT_EQ(script().initialFile, "");
    EXPECT_NE(test::readFile(folder.file("plain.aps")).find("<ProjectName>plain</ProjectName>"),
              std::string::npos);
    step("a new project without an initial file");
    window->discardProject();
    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("my project.aps")));
    window->newProject();
    EXPECT_EQ(test::readFile(folder.file("my project.aps")), "<missing>");
    step("a new project whose name cannot name the output");

    // A build saves the editors first; while it runs, the window takes no second command and
    // does not close.
    openDemo();
    const std::string main = editMain();
    script().duringCommand = [&](long) {
        const bool closed = window->close();
        transcript += "during the build: main.c '" + test::readFile(main) + "', busy " +
                      std::to_string(window->isBusy()) + ", build " +
                      std::to_string(window->commandAction(0)->isEnabled()) + ", closed " +
                      std::to_string(closed) + "\n";
        window->runCommand(4);
    };
    window->commandAction(0)->trigger();
    script().duringCommand = nullptr;
    step("built from the menu while asking for a clean and a close");
    // So also for a command the plug-in's own window starts: it clears the output, then keeps
    // the window alive through the message pump while the tools run.
    window->editors().currentEditor()->replaceSelectedText(QStringLiteral("// again\n"));
    script().host->ClearOutput();
    bool closed = true;
    QTimer::singleShot(0, window.get(), [&] {
        window->runCommand(0);
        closed = window->close();
    });
    MessagePump::pump();
    EXPECT_FALSE(closed);
    transcript += "main.c '" + test::readFile(main) + "'\n";
    step("the plug-in's own command with a build and a close asked for");

    // The project is saved as the IDE saves it before the plug-in closes.
    window->editors().currentEditor()->replaceSelectedText(QStringLiteral("// last\n"));
    script().host->AddOutputMessage(L"Build succeeded with 0 Warnings...", kOutputPlain);
    step("an editor changed and a build told");
    environment.dialogs.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(window->closeProject());
    EXPECT_EQ(test::readFile(main), "// edited\n// again\n// last\nint main;\n");
    step("closed, answering Yes");
    test::expectGolden("window.txt", transcript);
}

// The window opens within a small screen (offscreen: 800x600) and where the user left it,
// with the panes the user closed still closed.
TEST_F(StudioWindowTest, FitsTheScreenAndOpensWhereItWasLeft) {
    const QRect room = window->screen()->availableGeometry();
    EXPECT_TRUE(room.contains(window->frameGeometry()));
    const QRect left(room.topLeft() + QPoint(30, 20), QSize(500, 400));
    window->setGeometry(left);
    window->findChild<QDockWidget*>(QStringLiteral("pane:Log"))->close();
    ASSERT_TRUE(window->close());
    window.reset();
    window = std::make_unique<StudioWindow>(folder.path());
    EXPECT_EQ(window->geometry(), left);
    EXPECT_TRUE(window->findChild<QDockWidget*>(QStringLiteral("pane:Log"))->isHidden());
    EXPECT_FALSE(window->findChild<QDockWidget*>(QStringLiteral("pane:Build"))->isHidden());
}

// The setup file the plug-in hands to a host describes the menus this window shows: each
// entry, its menu and its shortcut runs its command (Compile only with a file in the editor).
TEST_F(StudioWindowTest, TheSetupFileNamesTheMenuEntriesOfTheWindow) {
    openDemo();
    window->runCommand(3);
    EXPECT_TRUE(script().calls.empty());
    editMain();
    pugi::xml_document setup;
    ASSERT_TRUE(setup.load_file(AVRTAZU_TEST_SOURCE_DIR "/data/avrtazuplugin.xml"));
    std::string described;
    for (const pugi::xml_node command : setup.child("AVRSTUDIO_PLUGIN").child("COMMANDS")) {
        const long id = command.attribute("id").as_int(-1);
        QAction* action = window->commandAction(id);
        ASSERT_NE(action, nullptr) << id;
        QStringList menus;
        for (QObject* holder : action->associatedObjects()) {
            if (auto* menu = qobject_cast<QMenu*>(holder)) {
                menus << menu->title().remove(QLatin1Char('&'));
            }
        }
        EXPECT_EQ(menus, QStringList{QString::fromUtf8(command.attribute("menu").value())}) << id;
        EXPECT_EQ(action->text().toStdString(), command.attribute("text").value()) << id;
        EXPECT_EQ(action->shortcut().toString().toStdString(),
                  command.attribute("shortcut").value());
        script().calls.clear();
        action->trigger();
        EXPECT_EQ(script().calls, Calls({"Command " + std::to_string(id)}));
        described += action->shortcut().toString().toStdString() + ",";
    }
    EXPECT_EQ(described, "F7,,,Ctrl+F7,,,,F1,,");
}

} // namespace
} // namespace avrtazu
