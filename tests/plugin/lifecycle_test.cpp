#include "plugin/plugin_fixture.h"

#include "model/configuration.h"
#include "model/source_file.h"
#include "plugin/registration.h"
#include "services/gui_plugin.h"
#include "services/object_registry.h"
#include "services/plug_in_utility.h"

#include <algorithm>
#include <list>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu::test {
namespace {

using Strings = std::vector<std::string>;
using CommandStates = std::vector<std::pair<long, long>>;

Strings fileNames(const std::list<SourceFile>& files) {
    Strings names;
    for (const SourceFile& file : files) {
        names.push_back(file.fullName());
    }
    return names;
}

TEST_F(PluginFixture, InitKeepsTheHostAndEnablesLibraryHelpOnlyWhenItExists) {
    ASSERT_EQ(plugin->Init(&works), S_OK);
    EXPECT_EQ(works.commandStates, (CommandStates{{8, 0}}));
    EXPECT_EQ(PlugInUtility::instance().host(), &works);
    EXPECT_EQ(hub->registrations,
              (std::vector<std::pair<std::string, long>>{{"Zuzozuduvuruva", 1}}));
    // The tree exists without its window.
    ASSERT_NE(plugin->tree(), nullptr);
    EXPECT_EQ(plugin->tree()->parentWidget(), nullptr);
    EXPECT_FALSE(plugin->windowsCreated());
    EXPECT_TRUE(works.dockRequests.empty());

    PlugInUtility::instance().setHelpFile(drive.windows("tazu/Help/TAZUAVR/wwhelp.htm"));
    drive.write("tazu/Help/TAZUAVR/wwhelp.htm", "<html></html>");
    Zuzozuduvuruva second;
    fakes::RecordingWorks otherHost;
    ASSERT_EQ(second.Init(&otherHost), S_OK);
    EXPECT_EQ(otherHost.commandStates, (CommandStates{{8, 0}, {8, 4}}));
}

TEST_F(PluginFixture, SaveFileWritesNothingAndSaysItDid) {
    openProject();
    const std::string before = [&] {
        std::ostringstream text;
        hub->document.save(text);
        return text.str();
    }();
    long ok = 0;
    EXPECT_EQ(plugin->SaveFile(L"C:\\work\\demo\\demo.aps", &ok), S_OK);
    EXPECT_EQ(ok, 1);
    std::ostringstream after;
    hub->document.save(after);
    EXPECT_EQ(after.str(), before);
}

TEST_F(PluginFixture, CloseRemovesTheSectionsTheWindowsAndThePartName) {
    openProject();
    CProjectTree* tree = plugin->tree();
    ASSERT_NE(tree, nullptr);

    EXPECT_EQ(plugin->Close(), S_OK);

    EXPECT_EQ(fakes::childNames(hub->document.document_element()), Strings{"IOView"});
    EXPECT_EQ(hub->partNamesSet, Strings{""});
    EXPECT_EQ(plugin->project().part(), "");
    EXPECT_EQ(plugin->tree(), nullptr);
    EXPECT_EQ(plugin->dockWindow(), nullptr);
    EXPECT_FALSE(plugin->windowsCreated());
    EXPECT_TRUE(dock.findChildren<CProjectTree*>().empty());
    EXPECT_TRUE(logMessages(2).empty());
}

TEST_F(PluginFixture, CloseWithoutAProjectReportsNothing) {
    ASSERT_EQ(plugin->Init(&works), S_OK);
    EXPECT_EQ(plugin->Close(), S_OK);
    EXPECT_EQ(hub->partNamesSet, Strings{""});
    EXPECT_TRUE(logMessages(2).empty());
}

TEST_F(PluginFixture, AddingAFileGoesThroughTheTreeIntoTheDocument) {
    openProject();
    drive.write("work/demo/notes.txt", "notes\n");

    plugin->addFileToProject("C:\\work\\demo\\notes.txt");
    plugin->addFileToProject("C:\\work\\demo\\io.h");

    EXPECT_EQ(fileNames(plugin->project().otherFiles()), Strings{"notes.txt"});
    EXPECT_EQ(fileNames(plugin->project().hdrFiles()), (Strings{"main.h", "io.h"}));
    EXPECT_TRUE(plugin->tree()->containsFile("C:\\work\\demo\\notes.txt"));
    const Strings files =
        fakes::childTexts(fakes::selectNode(hub->document, "/AVRStudio/AVRTAZUPLUGIN/FILES"));
    EXPECT_NE(std::find(files.begin(), files.end(), "notes.txt"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "io.h"), files.end());
}

TEST_F(PluginFixture, AddingAFileWithoutTheWindowsStillReachesTheProject) {
    ASSERT_EQ(plugin->Init(&works), S_OK);
    plugin->project().setHomePath("C:\\work\\demo\\");
    plugin->project().addConfig(Configuration("default"));

    plugin->addFileToProject("C:\\work\\demo\\src\\extra.c");
    plugin->addFileToProject("");

    EXPECT_EQ(fileNames(plugin->project().srcFiles()), Strings{"src\\extra.c"});
    EXPECT_EQ(logMessages(2), Strings{"Error adding source file"});
}

// A project read from a corrupt section has no active configuration: every command and event
// that needs one reports the model's error instead of letting it escape.
struct ModelErrorCase {
    const char* name;
    bool event;
    long number;
    HRESULT expected;
};

void PrintTo(const ModelErrorCase& row, std::ostream* out) {
    *out << row.name;
}

class ModelErrorTest : public PluginFixture,
                       public ::testing::WithParamInterface<ModelErrorCase> {};

TEST_P(ModelErrorTest, IsLoggedAndEndsTheCall) {
    const ModelErrorCase& row = GetParam();
    writeDocument(demoProject());
    fakes::selectNode(hub->document, "/AVRStudio/AVRTAZUPLUGIN/LASTCONFIG").text().set("gone");
    ASSERT_EQ(plugin->Init(&works), S_OK);
    ASSERT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
    ASSERT_TRUE(logged(2, "The AVR Studio project file seems to be corrupt. Please restart AVR "
                          "Studio and try to create a new project"));
    clearRecords();
    works.activeFile = "C:\\work\\demo\\main.c";

    const HRESULT result = row.event ? plugin->HandleEvent(row.number, L"ATmega16")
                                     : plugin->ExecuteCommand(row.number);

    EXPECT_EQ(result, row.expected);
    const Strings errors = logMessages(2);
    EXPECT_TRUE(std::any_of(errors.begin(), errors.end(), [](const std::string& message) {
        return message.rfind("Project::", 0) == 0;
    })) << ::testing::PrintToString(errors);
    EXPECT_TRUE(makeCalls().empty());
}

INSTANTIATE_TEST_SUITE_P(WithoutActiveConfiguration, ModelErrorTest,
                         ::testing::Values(ModelErrorCase{"Build", false, 0, E_FAIL},
                                           ModelErrorCase{"BuildAndLoad", false, 1, E_FAIL},
                                           ModelErrorCase{"Rebuild", false, 2, E_FAIL},
                                           ModelErrorCase{"Compile", false, 3, E_FAIL},
                                           ModelErrorCase{"Clean", false, 4, E_FAIL},
                                           ModelErrorCase{"DebugPart", true, 6, S_OK},
                                           ModelErrorCase{"ObjectFileDirty", true, 58, S_OK},
                                           ModelErrorCase{"Reopened", true, 101, S_OK}),
                         [](const ::testing::TestParamInfo<ModelErrorCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(PluginFixture, TheRegisteredClassGivesANewPluginForEachCreation) {
    ObjectRegistry registry;
    registerPluginClass(registry);

    HRESULT result = E_FAIL;
    const auto first =
        registry.create<IGuiPlugin>("{275ef467-d6c1-4985-9df3-57be6dc11e3c}",
                                    plugin_registration::kGuiPluginInterfaceId, &result);
    EXPECT_EQ(result, S_OK);
    ASSERT_NE(first, nullptr);
    auto* object = dynamic_cast<Zuzozuduvuruva*>(first.get());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->name(), L"AvrTazu Plugin");
    const auto second = registry.create<IGuiPlugin>(plugin_registration::kClassId,
                                                    plugin_registration::kGuiPluginInterfaceId);
    EXPECT_NE(second, first);

    std::shared_ptr<void> none;
    EXPECT_EQ(registry.createInstance(plugin_registration::kClassId, kPluginHubInterfaceId, &none),
              E_NOINTERFACE);
    unregisterPluginClass(registry);
    EXPECT_EQ(registry.createInstance(plugin_registration::kClassId,
                                      plugin_registration::kGuiPluginInterfaceId, &none),
              REGDB_E_CLASSNOTREG);
}

} // namespace
} // namespace avrtazu::test
