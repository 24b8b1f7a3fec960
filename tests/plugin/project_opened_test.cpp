#include "plugin/plugin_fixture.h"

#include "model/configuration.h"
#include "model/source_file.h"
#include "plugin/plugin_module.h"

#include <QApplication>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu::test {
namespace {

// Event 51 tells the other plug-ins that the debug object file is up to date: no project
// source or header is newer. Files are given with their times in seconds from now.
TEST_F(PluginFixture, OpeningTellsTheHubWhenTheObjectFileIsUpToDate) {
    using Files = std::vector<std::pair<std::string, std::time_t>>;
    const struct {
        const char* name;
        Files sources;
        Files headers;
        std::optional<std::time_t> objectAge;
        bool sent;
    } cases[] = {
        {"missing object with a source", {{"main.c", 0}}, {}, std::nullopt, false},
        {"no files, no object", {}, {}, std::nullopt, true},
        {"object newest", {{"main.c", -200}}, {{"main.h", -300}}, -100, true},
        {"source newer", {{"main.c", -200}, {"uart.c", 0}}, {}, -100, false},
        {"header newer", {{"main.c", -200}}, {{"main.h", 0}}, -100, false},
    };
    const auto place = [this](const std::string& name, std::time_t age) {
        std::filesystem::last_write_time(drive.write("work/demo/" + name, "\n"),
                                         std::filesystem::file_time_type::clock::now() +
                                             std::chrono::seconds(age));
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Project project("demo", "C:\\work\\demo\\");
        project.addConfig(Configuration("default", "demo.cof"));
        for (const auto& [name, age] : c.sources) {
            project.addSrcFile(SourceFile(name));
            place(name, age);
        }
        for (const auto& [name, age] : c.headers) {
            project.addHdrFile(SourceFile(name));
            place(name, age);
        }
        std::filesystem::remove(drive.linux("work/demo/default/demo.cof"));
        if (c.objectAge) {
            place("default/demo.cof", *c.objectAge);
        }
        plugin = std::make_unique<Zuzozuduvuruva>();
        clearRecords();

        openProject(project);

        ASSERT_EQ(hub->events.size(), c.sent ? 1U : 0U);
        if (c.sent) {
            EXPECT_EQ(hub->events[0].number, 51);
            EXPECT_EQ(hub->events[0].text, "C:\\work\\demo\\default\\demo.cof");
        }
    }
}

// The tool locations of the installed compiler go only to a project that uses it.
TEST_F(PluginFixture, OpeningTakesTheHostsDirectoryAndToolsAndLogsMissingFiles) {
    PlugInUtility::instance().setCompilerDirectory("C:\\tazu\\bin");
    PlugInUtility::instance().setMakeDirectory("C:\\tazu\\make");
    Project project = demoProject();
    project.setUsesTazuAvr(true);
    project.addHdrFile(SourceFile("inc\\gone.h"));
    project.addSrcFile(SourceFile("C:\\elsewhere\\gone.c"));
    writeDocument(&project);
    fakes::selectNode(hub->document, "/AVRStudio/CODE_CREATION/SaveFolder").text().set("C:\\old\\");
    ASSERT_EQ(plugin->Init(&works), S_OK);
    ASSERT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);

    EXPECT_EQ(plugin->project().homePath(), "C:\\work\\demo\\");
    EXPECT_EQ(plugin->project().tazuLocation(), "C:\\tazu\\bin");
    EXPECT_EQ(plugin->project().makeLocation(), "C:\\tazu\\make");
    EXPECT_EQ(logMessages(2),
              (Strings{"The project file C:\\work\\demo\\inc\\gone.h does not exist.",
                       "The project file C:\\elsewhere\\gone.c does not exist."}));
    EXPECT_EQ(hub->sourceFileLists.size(), 1U) << "project files announced";
}

TEST_F(PluginFixture, WindowSetUpPutsTheTreeInTheHostsDockOnce) {
    enterProjectFolder();
    openProject();

    ASSERT_EQ(works.dockRequests.size(), 1U);
    const auto& request = works.dockRequests[0];
    EXPECT_EQ(request.title, "AVR TAZU");
    EXPECT_EQ(request.anchor, "I/O View");
    EXPECT_EQ(request.side, "left");
    EXPECT_EQ(request.flags, 1);
    EXPECT_EQ(request.iconResourceId, 253);
    EXPECT_EQ(request.moduleInstance, PluginModule::instance().handle());
    EXPECT_FALSE(PluginModule::instance().icon(request.iconResourceId).isNull());

    CProjectTree* tree = plugin->tree();
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(plugin->windowsCreated());
    EXPECT_EQ(tree->parentWidget(), &dock);
    EXPECT_EQ(tree->rootItem()->text(0).toStdString(), "demo (default)");
    EXPECT_EQ(tree->sourceGroup()->childCount(), 2);
    // The tree follows the dock's size.
    dock.show();
    dock.resize(300, 500);
    QApplication::processEvents();
    EXPECT_EQ(tree->geometry(), dock.rect());

    // Opened again: the same tree in the same dock, showing the project read anew.
    Project more = demoProject();
    drive.write("work/demo/extra.c", "\n");
    more.addSrcFile(SourceFile("extra.c"));
    writeDocument(&more);
    EXPECT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
    EXPECT_EQ(works.dockRequests.size(), 1U);
    EXPECT_EQ(plugin->tree(), tree);
    EXPECT_EQ(dock.findChildren<CProjectTree*>().size(), 1);
    EXPECT_EQ(tree->sourceGroup()->childCount(), 3);
}

TEST_F(PluginFixture, AFailedDockIsLoggedAndAskedForAgainLater) {
    for (const bool nullWindow : {false, true}) {
        SCOPED_TRACE(nullWindow ? "null window" : "failed call");
        plugin = std::make_unique<Zuzozuduvuruva>();
        clearRecords();
        works.dockWindowResult = nullWindow ? S_OK : E_FAIL;
        works.dockWindow = nullWindow ? nullptr : &dock;
        openProject();

        EXPECT_EQ(logMessages(2), Strings{"Failed to set up plug-in windows"});
        EXPECT_FALSE(plugin->windowsCreated());
        // The rest of the opening still runs.
        EXPECT_EQ(works.addedSourceFiles.size(), 3U);

        works.dockWindowResult = S_OK;
        works.dockWindow = &dock;
        EXPECT_EQ(plugin->setupWindows(), S_OK);
        EXPECT_EQ(works.dockRequests.size(), 2U);
        EXPECT_EQ(plugin->tree()->parentWidget(), &dock);
    }
}

} // namespace
} // namespace avrtazu::test
