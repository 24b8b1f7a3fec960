#include "plugin/plugin_fixture.h"

#include "plugin/registration.h"
#include "services/gui_plugin.h"
#include "services/object_registry.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu::test {
namespace {

using CommandStates = std::vector<std::pair<long, long>>;

TEST_F(PluginFixture, InitEnablesLibraryHelpOnlyWhenItExistsAndLeavesTheWindowsForLater) {
    ASSERT_EQ(plugin->Init(&works), S_OK);
    EXPECT_EQ(works.commandStates, (CommandStates{{8, 0}}));
    ASSERT_NE(plugin->tree(), nullptr);
    EXPECT_FALSE(plugin->windowsCreated());
    EXPECT_TRUE(works.dockRequests.empty());

    PlugInUtility::instance().setHelpFile(drive.write("tazu/wwhelp.htm", "<html/>"));
    Zuzozuduvuruva second;
    fakes::RecordingWorks otherHost;
    ASSERT_EQ(second.Init(&otherHost), S_OK);
    EXPECT_EQ(otherHost.commandStates, (CommandStates{{8, 0}, {8, 4}}));

    long ok = 0;
    EXPECT_EQ(second.SaveFile(L"C:\\work\\demo\\demo.aps", &ok), S_OK);
    EXPECT_EQ(ok, 1);
}

TEST_F(PluginFixture, CloseRemovesTheSectionsTheWindowsAndThePartName) {
    openProject();
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

TEST_F(PluginFixture, AddedFilesReachTheProjectBeforeTheWindowsAndTheTreeAfter) {
    initWith();
    plugin->addFileToProject("C:\\work\\demo\\src\\extra.c");
    plugin->addFileToProject("");
    EXPECT_EQ(fullNames(plugin->project().srcFiles()),
              (Strings{"main.c", "src\\uart.c", "src\\extra.c"}));
    EXPECT_EQ(logMessages(2), Strings{"Error adding source file"});

    ASSERT_EQ(plugin->setupWindows(), S_OK);
    drive.write("work/demo/notes.txt", "notes\n");
    plugin->addFileToProject("C:\\work\\demo\\notes.txt");
    EXPECT_TRUE(plugin->tree()->containsFile("C:\\work\\demo\\notes.txt"));
    const Strings files = documentFiles();
    EXPECT_NE(std::find(files.begin(), files.end(), "notes.txt"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "src\\extra.c"), files.end());
}

// A project without an active configuration: a command or event that needs one reports the
// model's error instead of letting it escape.
TEST_F(PluginFixture, AModelErrorIsLoggedAndEndsTheCall) {
    initWith(Project("demo", "C:\\work\\demo\\"));
    EXPECT_EQ(plugin->ExecuteCommand(Zuzozuduvuruva::kBuild), E_FAIL);
    EXPECT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kObjectFileDirty, Bstr()), S_OK);
    const Strings errors = logMessages(2);
    ASSERT_EQ(errors.size(), 2U);
    EXPECT_EQ(errors[0].rfind("Project::", 0), 0U) << errors[0];
    EXPECT_EQ(errors[1].rfind("Project::", 0), 0U) << errors[1];
    EXPECT_TRUE(makeCalls().empty());
}

TEST_F(PluginFixture, TheRegisteredClassGivesANewPluginForEachCreation) {
    ObjectRegistry registry;
    registerPluginClass(registry);

    const auto first = registry.create<IGuiPlugin>(plugin_registration::kClassId,
                                                   plugin_registration::kGuiPluginInterfaceId);
    auto* object = dynamic_cast<Zuzozuduvuruva*>(first.get());
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->name(), L"AvrTazu Plugin");
    EXPECT_NE(registry.create<IGuiPlugin>(plugin_registration::kClassId,
                                          plugin_registration::kGuiPluginInterfaceId),
              first);

    unregisterPluginClass(registry);
    std::shared_ptr<void> none;
    EXPECT_EQ(registry.createInstance(plugin_registration::kClassId,
                                      plugin_registration::kGuiPluginInterfaceId, &none),
              REGDB_E_CLASSNOTREG);
}

} // namespace
} // namespace avrtazu::test
