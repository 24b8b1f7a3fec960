#include "plugin/plugin_fixture.h"

#include "model/configuration.h"
#include "model/source_file.h"
#include "plugin/plugin_module.h"
#include "services/plug_in_utility.h"

#include <QApplication>

#include <optional>
#include <string>
#include <vector>

namespace avrtazu::test {
namespace {

using Strings = std::vector<std::string>;

// A project file on disk, with its modification time in seconds from now; none when it is
// only listed.
struct FileOnDisk {
    std::string name;
    std::optional<std::time_t> age;
};

struct ObjectFileCase {
    const char* name;
    std::vector<FileOnDisk> sources;
    std::vector<FileOnDisk> headers;
    std::optional<std::time_t> objectAge;
    std::string outputDir;
    bool expectEvent51;
};

void PrintTo(const ObjectFileCase& row, std::ostream* out) {
    *out << row.name;
}

class ObjectFileCheckTest : public PluginFixture,
                            public ::testing::WithParamInterface<ObjectFileCase> {};

TEST_P(ObjectFileCheckTest, TellsTheHostWhenTheObjectFileIsUpToDate) {
    const ObjectFileCase& row = GetParam();
    Project project("demo", "C:\\work\\demo\\");
    Configuration config("default", "demo.cof");
    config.setOutputDirectory(row.outputDir);
    project.addConfig(config);
    project.setUsesTazuAvr(false);
    const auto place = [&](const FileOnDisk& file) {
        if (file.age) {
            drive.write("work/demo/" + file.name, "\n");
            touch("work/demo/" + file.name, *file.age);
        }
    };
    for (const FileOnDisk& file : row.sources) {
        project.addSrcFile(SourceFile(file.name));
        place(file);
    }
    for (const FileOnDisk& file : row.headers) {
        project.addHdrFile(SourceFile(file.name));
        place(file);
    }
    std::string objectFile = row.outputDir + "demo.cof";
    if (objectFile.find(':') == std::string::npos) {
        objectFile = "C:\\work\\demo\\" + objectFile;
    }
    if (row.objectAge) {
        const std::string relative = objectFile.substr(3);
        drive.write(relative, "object");
        touch(relative, *row.objectAge);
    }

    openProject(project);

    if (row.expectEvent51) {
        ASSERT_EQ(hub->events.size(), 1U);
        EXPECT_EQ(hub->events[0].number, 51);
        EXPECT_EQ(hub->events[0].text, objectFile);
    } else {
        EXPECT_TRUE(hub->events.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Projects, ObjectFileCheckTest,
    ::testing::Values(
        ObjectFileCase{
            "MissingObjectWithSource", {{"main.c", 0}}, {}, std::nullopt, "default\\", false},
        ObjectFileCase{
            "MissingObjectWithHeader", {}, {{"main.h", 0}}, std::nullopt, "default\\", false},
        ObjectFileCase{"NoFilesMissingObject", {}, {}, std::nullopt, "default\\", true},
        ObjectFileCase{"NoFilesWithObject", {}, {}, 0, "default\\", true},
        ObjectFileCase{
            "ObjectNewest", {{"main.c", -200}}, {{"main.h", -300}}, -100, "default\\", true},
        ObjectFileCase{"SourceNewer",
                       {{"main.c", -200}, {"uart.c", 0}},
                       {{"main.h", -300}},
                       -100,
                       "default\\",
                       false},
        ObjectFileCase{
            "HeaderNewer", {{"main.c", -200}}, {{"main.h", 0}}, -100, "default\\", false},
        // A listed file that is not on disk has no time to be newer with.
        ObjectFileCase{"ListedFilesMissing",
                       {{"absent.c", std::nullopt}},
                       {},
                       std::nullopt,
                       "default\\",
                       true},
        // An output folder with a drive stands alone.
        ObjectFileCase{"OutputFolderWithDrive", {{"main.c", -200}}, {}, -100, "C:\\build\\", true},
        ObjectFileCase{"OutputFolderWithDriveMissingObject",
                       {{"main.c", -200}},
                       {},
                       std::nullopt,
                       "C:\\build\\",
                       false}),
    [](const ::testing::TestParamInfo<ObjectFileCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(PluginFixture, OpeningLogsEveryProjectFileThatDoesNotExist) {
    Project project = demoProject();
    project.addHdrFile(SourceFile("inc\\gone.h"));
    project.addSrcFile(SourceFile("C:\\elsewhere\\gone.c"));

    openProject(project);

    EXPECT_EQ(logMessages(2),
              (Strings{"The project file C:\\work\\demo\\inc\\gone.h does not exist.",
                       "The project file C:\\elsewhere\\gone.c does not exist."}));
}

TEST_F(PluginFixture, OpeningTakesTheHostsDirectoryAndAnnouncesTheFiles) {
    writeDocument(demoProject());
    fakes::selectNode(hub->document, "/AVRStudio/CODE_CREATION/SaveFolder")
        .text()
        .set("C:\\old\\demo\\");
    ASSERT_EQ(plugin->Init(&works), S_OK);
    ASSERT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);

    EXPECT_EQ(plugin->project().homePath(), "C:\\work\\demo\\");
    EXPECT_EQ(plugin->project().name(), "demo");
    const Strings announced = {"C:\\work\\demo\\main.h", "C:\\work\\demo\\main.c",
                               "C:\\work\\demo\\src\\uart.c"};
    EXPECT_EQ(works.addedSourceFiles, announced);
    EXPECT_EQ(hub->sourceFileLists,
              Strings{"C:\\work\\demo\\main.h,C:\\work\\demo\\main.c,C:\\work\\demo\\src\\uart.c"});
    EXPECT_TRUE(logMessages(2).empty());
    // The section is written back, so it names the host's directory nowhere but is complete.
    EXPECT_STREQ(
        fakes::selectNode(hub->document, "/AVRStudio/AVRTAZUPLUGIN/LASTCONFIG").child_value(),
        "default");
}

TEST_F(PluginFixture, OpeningTakesTheToolLocationsOnlyForTheInstalledCompiler) {
    PlugInUtility::instance().setCompilerDirectory("C:\\tazu\\bin");
    PlugInUtility::instance().setMakeDirectory("C:\\tazu\\make");

    openProject();
    EXPECT_EQ(plugin->project().tazuLocation(), "C:\\tools\\bin");
    EXPECT_EQ(plugin->project().makeLocation(), "C:\\tools\\bin");

    Project installed = demoProject();
    installed.setUsesTazuAvr(true);
    Zuzozuduvuruva second;
    writeDocument(installed);
    ASSERT_EQ(second.Init(&works), S_OK);
    ASSERT_EQ(second.HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
    EXPECT_EQ(second.project().tazuLocation(), "C:\\tazu\\bin");
    EXPECT_EQ(second.project().makeLocation(), "C:\\tazu\\make");
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
    EXPECT_EQ(plugin->dockWindow(), &dock);
    EXPECT_EQ(tree->parentWidget(), &dock);
    EXPECT_EQ(tree->controlId(), 2001);
    EXPECT_EQ(tree->rootItem()->text(0).toStdString(), "demo (default)");
    EXPECT_EQ(tree->sourceGroup()->childCount(), 2);

    // The tree follows the dock's size.
    dock.show();
    dock.resize(300, 500);
    QApplication::processEvents();
    EXPECT_EQ(tree->geometry(), dock.rect());

    EXPECT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
    EXPECT_EQ(plugin->setupWindows(), S_OK);
    EXPECT_EQ(works.dockRequests.size(), 1U);
    EXPECT_EQ(plugin->tree(), tree);
    EXPECT_EQ(dock.findChildren<CProjectTree*>().size(), 1);
}

TEST_F(PluginFixture, AFailedDockIsLoggedAndAskedForAgainLater) {
    works.dockWindowResult = E_FAIL;
    openProject();

    EXPECT_EQ(logMessages(2), Strings{"Failed to set up plug-in windows"});
    EXPECT_FALSE(plugin->windowsCreated());
    // The rest of the opening still runs.
    EXPECT_EQ(works.addedSourceFiles.size(), 3U);

    works.dockWindowResult = S_OK;
    EXPECT_EQ(plugin->setupWindows(), S_OK);
    EXPECT_EQ(works.dockRequests.size(), 2U);
    EXPECT_TRUE(plugin->windowsCreated());
    EXPECT_EQ(plugin->tree()->parentWidget(), &dock);
}

TEST_F(PluginFixture, ANullDockWindowIsAFailure) {
    works.dockWindow = nullptr;
    openProject();
    EXPECT_EQ(logMessages(2), Strings{"Failed to set up plug-in windows"});
    EXPECT_FALSE(plugin->windowsCreated());
}

} // namespace
} // namespace avrtazu::test
