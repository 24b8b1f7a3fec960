#include "plugin/plugin_fixture.h"

#include "model/configuration.h"
#include "model/source_file.h"
#include "plugin/plugin_module.h"

#include <QApplication>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>

namespace avrtazu::test {
namespace {

// Init, opening (twice), a dock the host refuses and Close, as the host sees them.
TEST_F(PluginFixture, InitOpenAndCloseAsTheHostSeesThem) {
    std::string text;
    const auto step = [&](const std::string& name) {
        const CProjectTree* tree = plugin->tree();
        text +=
            name + ": windows " + std::to_string(plugin->windowsCreated()) +
            (tree == nullptr || tree->rootItem() == nullptr
                 ? ", no tree window"
                 : ", tree " + tree->rootItem()->text(0).toStdString() + " with " +
                       std::to_string(tree->sourceGroup()->childCount()) +
                       " sources, in the dock " + std::to_string(tree->parentWidget() == &dock)) +
            ", home " + plugin->project().homePath() + ", tools " +
            plugin->project().tazuLocation() + " and " + plugin->project().makeLocation() + "\n" +
            seen();
    };
    ASSERT_EQ(plugin->Init(&works), S_OK);
    step("Init");
    // Library help only when its file exists.
    PlugInUtility::instance().setHelpFile(drive.write("tazu/wwhelp.htm", "<html/>"));
    Zuzozuduvuruva second;
    ASSERT_EQ(second.Init(&works), S_OK);
    long ok = 0;
    EXPECT_EQ(second.SaveFile(L"C:\\work\\demo\\demo.aps", &ok) + ok, S_OK + 1);
    step("Init with library help");

    // The tool locations of the installed compiler go only to a project that uses it.
    PlugInUtility::instance().setCompilerDirectory("C:\\tazu\\bin");
    PlugInUtility::instance().setMakeDirectory("C:\\tazu\\make");
    Project project = demoProject();
    project.setUsesTazuAvr(true);
    project.addHdrFile(SourceFile("inc\\gone.h"));
    project.addSrcFile(SourceFile("C:\\elsewhere\\gone.c"));
    writeDocument(&project);
    fakes::selectNode(hub->document, "/AVRStudio/CODE_CREATION/SaveFolder").text().set("C:\\old\\");
    enterProjectFolder();
    ASSERT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
    ASSERT_EQ(works.dockRequests.size(), 1U);
    EXPECT_EQ(works.dockRequests[0].moduleInstance, PluginModule::instance().handle());
    EXPECT_FALSE(PluginModule::instance().icon(PluginModule::kDockIconResourceId).isNull());
    step("opened");
    // The tree follows the dock's size.
    dock.show();
    dock.resize(300, 500);
    QApplication::processEvents();
    EXPECT_EQ(plugin->tree()->geometry(), dock.rect());

    // Opened again: the same tree in the same dock, showing the project read anew.
    const CProjectTree* tree = plugin->tree();
    Project more = project;
    drive.write("work/demo/extra.c", "\n");
    more.addSrcFile(SourceFile("extra.c"));
    writeDocument(&more);
    EXPECT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
    EXPECT_EQ(plugin->tree(), tree);
    EXPECT_EQ(dock.findChildren<CProjectTree*>().size(), 1);
    step("opened again");

    EXPECT_EQ(plugin->Close(), S_OK);
    EXPECT_EQ(hub->partNamesSet.back() + plugin->project().part(), "");
    EXPECT_EQ(fakes::childNames(hub->document.document_element()), Strings{"IOView"});
    EXPECT_TRUE(dock.findChildren<CProjectTree*>().empty());
    step("closed");

    // A dock the host refuses or does not give is logged and asked for again later.
    for (const bool nullWindow : {false, true}) {
        plugin = std::make_unique<Zuzozuduvuruva>();
        works.dockWindowResult = nullWindow ? S_OK : E_FAIL;
        works.dockWindow = nullWindow ? nullptr : &dock;
        openProject();
        step(nullWindow ? "no dock window" : "dock refused");
        works.dockWindowResult = S_OK;
        works.dockWindow = &dock;
        EXPECT_EQ(plugin->setupWindows(), S_OK);
        step("windows set up again");
    }
    expectGolden("lifecycle.txt", text);
}

// Event 51 tells the other plug-ins that the debug object file is up to date: no project
// source or header is newer. Files are given with their times in seconds from now.
TEST_F(PluginFixture, OpeningTellsTheHubWhenTheObjectFileIsUpToDate) {
    const struct {
        std::vector<std::pair<std::string, int>> files;
        std::optional<int> objectAge;
        bool sent;
    } cases[] = {
        {{{"main.c", 0}}, std::nullopt, false},
        {{}, std::nullopt, true},
        {{{"main.c", -200}, {"main.h", -300}}, -100, true},
        {{{"main.c", -200}, {"uart.c", 0}}, -100, false},
        {{{"main.c", -200}, {"main.h", 0}}, -100, false},
    };
    const auto place = [this](const std::string& name, int age) {
        std::filesystem::last_write_time(drive.write("work/demo/" + name, "\n"),
                                         std::filesystem::file_time_type::clock::now() +
                                             std::chrono::seconds(age));
    };
    for (const auto& c : cases) {
        Project project("demo", "C:\\work\\demo\\");
        project.addConfig(Configuration("default", "demo.cof"));
        for (const auto& [name, age] : c.files) {
            if (name.ends_with(".h")) {
                project.addHdrFile(SourceFile(name));
            } else {
                project.addSrcFile(SourceFile(name));
            }
            place(name, age);
        }
        std::filesystem::remove(drive.linux("work/demo/default/demo.cof"));
        if (c.objectAge) {
            place("default/demo.cof", *c.objectAge);
        }
        plugin = std::make_unique<Zuzozuduvuruva>();
        clearRecords();
        openProject(project);
        // Make calls, logs and events come before the project files.
        const std::string seenNow = seen();
        EXPECT_EQ(seenNow.substr(0, seenNow.find("project files:")),
                  c.sent ? "event 51 C:\\work\\demo\\default\\demo.cof\n" : "")
            << &c - cases;
    }
}

TEST_F(PluginFixture, AddedFilesReachTheProjectBeforeTheWindowsAndTheTreeAfter) {
    initWith();
    clearRecords();
    plugin->addFileToProject("C:\\work\\demo\\src\\extra.c");
    plugin->addFileToProject("");
    EXPECT_EQ(seen(), "log 2: Error adding source file\ndocument written\n");
    ASSERT_EQ(plugin->setupWindows(), S_OK);
    drive.write("work/demo/notes.txt", "notes\n");
    plugin->addFileToProject("C:\\work\\demo\\notes.txt");
    EXPECT_TRUE(plugin->tree()->containsFile("C:\\work\\demo\\notes.txt"));
    EXPECT_EQ(documentFiles(),
              (Strings{"main.c", "src\\uart.c", "src\\extra.c", "main.h", "notes.txt"}));
}

// A project without an active configuration: a command or event that needs one reports the
// model's error instead of letting it escape.
TEST_F(PluginFixture, AModelErrorIsLoggedAndEndsTheCall) {
    initWith(Project("demo", "C:\\work\\demo\\"));
    EXPECT_EQ(plugin->ExecuteCommand(Zuzozuduvuruva::kBuild), E_FAIL);
    EXPECT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kObjectFileDirty, Bstr()), S_OK);
    const std::string seenNow = seen();
    EXPECT_TRUE(std::regex_search(seenNow, std::regex("(log 2: Project::[^\n]*\n){2}"))) << seenNow;
    EXPECT_EQ(seenNow.find("make"), std::string::npos);
}

} // namespace
} // namespace avrtazu::test
