#include "plugin/plugin_fixture.h"

#include "plugin/new_project_setup.h"
#include "plugin/options_change.h"

#include <filesystem>
#include <string>
#include <utility>

namespace avrtazu::test {
namespace {

using NewProjectSetupTest = PluginFixture;

const std::string kInitialFile = "C:\\work\\demo\\demo.c";

// The host's new-project event to a new plug-in object, on a document without its section.
HRESULT newProject(PluginFixture& f) {
    f.plugin = std::make_unique<Zuzozuduvuruva>();
    f.writeDocument(nullptr);
    EXPECT_EQ(f.plugin->Init(&f.works), S_OK);
    return f.plugin->HandleEvent(Zuzozuduvuruva::kNewProject, Bstr());
}

// The part for the debugger's device, and whether the compiler knows it; case is ignored.
TEST(NewProjectPart, DebuggerDeviceGivesThePartAndItsSupport) {
    const struct {
        const char* debugger;
        const char* part;
        bool supported;
    } cases[] = {
        {"", "Custom", true},
        {"ATMEGA16", "atmega16", true},
        {"AtMeGa128", NewProjectSetup::kAtmega128, true},
        {"ATmega1280", "atmega1280", true},
        {"AT90S8535", "at90s8535", true},
        {"ATmega", "atmega", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NewProjectSetup::partForDebuggerDevice(c.debugger), c.part) << c.debugger;
        EXPECT_EQ(NewProjectSetup::isSupported(c.part), c.supported) << c.part;
    }
}

TEST_F(NewProjectSetupTest, EventTakesTheHostsStateAndEndsInTheSheetOnTheTargetPage) {
    PlugInUtility::instance().setMakeDirectory("C:\\tazu\\make\\");
    PlugInUtility::instance().setCompilerDirectory("C:\\tazu\\bin\\");
    hub->debugPartName = "atmega128";
    bool flagWhileShown = false;
    expectSheets({[&](Sheet& sheet) {
        flagWhileShown = OptionsChange::newProject();
        return accept(sheet);
    }});

    EXPECT_EQ(newProject(*this), S_OK);

    EXPECT_EQ(sheetsShown(), 1);
    EXPECT_TRUE(flagWhileShown);
    EXPECT_FALSE(OptionsChange::newProject()) << "the commit clears the flag";
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_TRUE(plugin->windowsCreated());
    const Project& project = plugin->project();
    EXPECT_EQ(project.part(), "ATMega128 (Please see NOTES)");
    EXPECT_EQ(documentText("/AVRStudio/AVRTAZUPLUGIN/CONFIGS/CONFIG/PART"),
              "ATMega128 (Please see NOTES)");
    EXPECT_EQ(project.name(), "demo");
    EXPECT_EQ(project.homePath(), "C:\\work\\demo\\");
    EXPECT_EQ(project.makeLocation(), "C:\\tazu\\make\\");
    EXPECT_EQ(project.tazuLocation(), "C:\\tazu\\bin\\");
    EXPECT_EQ(project.outputDir(), "default\\");
    EXPECT_EQ(project.optionTabIndex(), Sheet::TargetPage);
    EXPECT_TRUE(project.isDirty()) << "committed";
    EXPECT_FALSE(hub->sourceFileLists.empty()) << "project files announced";
}

TEST_F(NewProjectSetupTest, UnknownDeviceIsToldBeforeTheSheetOpens) {
    hub->debugPartName = "ATxmega128A1";
    expectSheets({[this](Sheet& sheet) {
        EXPECT_EQ(messageTexts(),
                  Strings{"\"atxmega128a1\" not supported by TAZU-AVR.\n\nDevice configuration not "
                          "set for the compiler.\nPlease select the appropriate device under the "
                          "\"Project->Configuration Options->Target\" tab."});
        return accept(sheet);
    }});

    newProject(*this);

    EXPECT_EQ(sheetsShown(), 1);
    ASSERT_EQ(dialogs.messages().size(), 1U);
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::None);
    // The Target page knows no such device and offers "Custom".
    EXPECT_EQ(plugin->project().part(), "Custom");
}

TEST_F(NewProjectSetupTest, TheHostsInitialFileIsCreatedAddedAndOpenedWithOrWithoutWindows) {
    const struct {
        const char* name;
        std::string initialName;
        HRESULT nameResult;
        const char* existing; // content on disk before, or null
        HRESULT openResult;
        HRESULT dockResult = S_OK;
    } cases[] = {
        {"new file, editor answers S_FALSE", kInitialFile, S_OK, nullptr, S_FALSE},
        // Without the tree's window the file goes straight into the project.
        {"windows failed", kInitialFile, S_OK, nullptr, S_OK, E_FAIL},
        {"file with content", kInitialFile, S_OK, "int main(void) { return 0; }\n", S_OK},
        {"no name", "", S_OK, nullptr, S_OK},
        {"name refused", kInitialFile, E_FAIL, nullptr, S_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(drive.linux("work/demo/demo.c"));
        if (c.existing != nullptr) {
            drive.write("work/demo/demo.c", c.existing);
        }
        clearRecords();
        works.initialFileName = c.initialName;
        works.initialFileNameResult = c.nameResult;
        works.openFileResult = c.openResult;
        works.dockWindowResult = c.dockResult;
        expectSheets({accept});

        newProject(*this);

        const bool given = !c.initialName.empty() && c.nameResult == S_OK;
        EXPECT_EQ(fullNames(plugin->project().srcFiles()), given ? Strings{"demo.c"} : Strings{});
        EXPECT_EQ(works.openedFiles.size(), given ? 1U : 0U);
        if (given) {
            EXPECT_EQ(works.openedFiles[0], std::make_pair(kInitialFile, 0L));
            EXPECT_EQ(drive.read("work/demo/demo.c"), c.existing == nullptr ? "" : c.existing);
        }
        EXPECT_EQ(logged(2, "Failed to open file " + kInitialFile), c.openResult != S_OK);
        EXPECT_EQ(logged(2, "Failed to set up plug-in windows"), c.dockResult != S_OK);
        EXPECT_EQ(sheetsShown(), 1);
    }
}

} // namespace
} // namespace avrtazu::test
