#include "plugin/options_fixture.h"

#include "plugin/new_project_setup.h"
#include "plugin/options_change.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu::test {
namespace {

using Sheet = CProjectPropertiesSheet;
using NewProjectSetupTest = OptionsFixture;

constexpr long kError = 2;
const char* const kInitialFile = "C:\\work\\demo\\demo.c";

const OptionsFixture::Pass asShown = [](Sheet& sheet) { return OptionsFixture::accept(sheet); };

TEST(NewProjectPart, DebuggerDeviceGivesThePart) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "Custom"},
        {"ATmega16", "atmega16"},
        {"ATtiny2313", "attiny2313"},
        {"atmega128", NewProjectSetup::kAtmega128},
        {"ATMEGA128", NewProjectSetup::kAtmega128},
        {"AtMeGa128", NewProjectSetup::kAtmega128},
        {"ATmega1280", "atmega1280"},
        {"ATmega128A", "atmega128a"},
    };
    for (const auto& [debugger, part] : cases) {
        EXPECT_EQ(NewProjectSetup::partForDebuggerDevice(debugger), part) << debugger;
    }
}

TEST(NewProjectPart, DeviceCheckIgnoresCaseUpToTheLastRow) {
    const std::pair<const char*, bool> cases[] = {
        {"custom", true},
        {"attiny13", true},
        {"ATMEGA16", true},
        {"at90s8535", true},
        {"atmega128 : m103 mode", true},
        {"atxmega128a1", false},
        {"at90s8535 ", false},
        {"atmega", false},
    };
    for (const auto& [part, supported] : cases) {
        EXPECT_EQ(NewProjectSetup::isSupported(part), supported) << part;
    }
    EXPECT_EQ(NewProjectSetup::notSupportedMessage("atxmega128a1"),
              "\"atxmega128a1\" not supported by TAZU-AVR.\n\nDevice configuration not set for the "
              "compiler.\nPlease select the appropriate device under the "
              "\"Project->Configuration Options->Target\" tab.");
}

// The sheet of a new project opens on the Target page with the device's own memory layout,
// and accepting it as shown commits that layout.
TEST_F(NewProjectSetupTest, AcceptedSheetTakesTheDebuggersDeviceLayout) {
    struct Case {
        const char* debugger;
        const char* part;
        std::vector<std::string> memory; // program, data, EEPROM, text start, data start
        std::vector<bool> core;          // long calls, enhanced core, RAMPZ/ELPM
    };
    const Case cases[] = {
        {"ATtiny2313", "ATtiny2313", {"2048", "128", "128", "0x13", "0x60"}, {false, false, false}},
        {"atmega128",
         NewProjectSetup::kAtmega128,
         {"0x20000", "4096", "4096", "0x46", "0x100"},
         {true, true, true}},
        {"", "Custom", {"1024", "64", "128", "0x2", "0x60"}, {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.debugger);
        startNewProject();
        hub->debugPartName = c.debugger;
        hub->partNamesSet.clear();
        dialogs.clear();
        expectSheets({asShown});

        newProjectSetup();

        EXPECT_EQ(sheetsShown(), 1);
        EXPECT_EQ(openingPages(), std::vector<int>{Sheet::TargetPage});
        EXPECT_TRUE(messageTexts().empty());
        EXPECT_FALSE(OptionsChange::newProject());
        Project stored;
        ASSERT_EQ(xml->XMLToProject(stored), S_OK);
        for (const Project* p : {&project, &stored}) {
            EXPECT_EQ(p->part(), c.part);
            EXPECT_EQ((std::vector<std::string>{p->programMemory(), p->dataMemory(), p->eeprom(),
                                                p->textAddressWord(), p->dataAddressByte()}),
                      c.memory);
            EXPECT_EQ(
                (std::vector<bool>{p->useLongCallJmp(), p->enhancedCore(), p->useRampzElpm()}),
                c.core);
        }
        ASSERT_FALSE(hub->partNamesSet.empty());
        EXPECT_EQ(hub->partNamesSet.back(), c.part);
    }
}

TEST_F(NewProjectSetupTest, UnknownDeviceIsToldBeforeTheSheetOpens) {
    startNewProject();
    hub->debugPartName = "ATxmega128A1";
    expectSheets({[this](Sheet& sheet) {
        EXPECT_EQ(messageTexts(),
                  std::vector<std::string>{NewProjectSetup::notSupportedMessage("atxmega128a1")});
        return accept(sheet);
    }});

    newProjectSetup();

    EXPECT_EQ(sheetsShown(), 1);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::None);
    // The Target page knows no such device and offers "Custom".
    EXPECT_EQ(project.part(), "Custom");
}

TEST_F(NewProjectSetupTest, ProjectTakesTheHostsStateAndTheToolchain) {
    startNewProject();
    PlugInUtility::instance().setMakeDirectory("C:\\tazu\\bin\\");
    PlugInUtility::instance().setCompilerDirectory("C:\\tazu\\bin\\");
    works.projectDirectory = "C:\\work\\demo\\";
    expectSheets({asShown});

    newProjectSetup();

    EXPECT_EQ(project.name(), "demo");
    EXPECT_EQ(project.homePath(), "C:\\work\\demo\\");
    EXPECT_EQ(project.currentConfigName(), "default");
    EXPECT_EQ(project.makeLocation(), "C:\\tazu\\bin\\");
    EXPECT_EQ(project.tazuLocation(), "C:\\tazu\\bin\\");
    EXPECT_EQ(project.outputDir(), "default\\");
    EXPECT_EQ(project.optionTabIndex(), Sheet::TargetPage);
    EXPECT_TRUE(project.isDirty()) << "committed";
    EXPECT_FALSE(hub->sourceFileLists.empty()) << "project files announced";
}

TEST_F(NewProjectSetupTest, InitialFileIsCreatedAddedAndOpened) {
    const struct {
        const char* name;
        const char* existing; // content on disk before, or null
        HRESULT openResult;
    } cases[] = {
        {"new file", nullptr, S_OK},
        {"file with content", "int main(void) { return 0; }\n", S_OK},
        {"editor cannot open it", nullptr, E_FAIL},
        {"editor answers S_FALSE", nullptr, S_FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startNewProject();
        std::filesystem::remove(drive.linux("work/demo/demo.c"));
        if (c.existing != nullptr) {
            drive.write("work/demo/demo.c", c.existing);
        }
        works.initialFileName = kInitialFile;
        works.openFileResult = c.openResult;
        works.openedFiles.clear();
        works.addedSourceFiles.clear();
        hub->logs.clear();
        expectSheets({[this](Sheet& sheet) {
            // In the tree before the sheet opens (the commit's refresh shows only the files
            // found from the current folder).
            EXPECT_EQ(itemTexts(tree->sourceGroup()), std::vector<std::string>{"demo.c"});
            return accept(sheet);
        }});

        newProjectSetup();

        EXPECT_EQ(drive.read("work/demo/demo.c"), c.existing == nullptr ? "" : c.existing);
        EXPECT_EQ(fullNames(project.srcFiles()), std::vector<std::string>{"demo.c"});
        ASSERT_EQ(works.openedFiles.size(), 1u);
        EXPECT_EQ(works.openedFiles[0], std::make_pair(std::string(kInitialFile), 0L));
        EXPECT_EQ(logged(kError, std::string("Failed to open file ") + kInitialFile),
                  c.openResult != S_OK);
        EXPECT_EQ(works.addedSourceFiles, std::vector<std::string>{kInitialFile});
        Project stored;
        ASSERT_EQ(xml->XMLToProject(stored), S_OK);
        EXPECT_EQ(fullNames(stored.srcFiles()), std::vector<std::string>{"demo.c"});
    }
}

TEST_F(NewProjectSetupTest, NoInitialFileWhenTheHostGivesNone) {
    for (const HRESULT result : {S_OK, E_FAIL}) {
        startNewProject();
        works.initialFileName = result == S_OK ? "" : kInitialFile;
        works.initialFileNameResult = result;
        works.openedFiles.clear();
        expectSheets({asShown});
        newProjectSetup();
        EXPECT_TRUE(project.srcFiles().empty());
        EXPECT_TRUE(works.openedFiles.empty());
    }
}

TEST_F(NewProjectSetupTest, FailedWindowsAreLoggedAndTheSetUpGoesOn) {
    startNewProject();
    works.initialFileName = kInitialFile;
    expectSheets({asShown});

    newProjectSetup([] { return E_FAIL; });

    EXPECT_TRUE(logged(kError, NewProjectSetup::kWindowsFailed));
    EXPECT_FALSE(logged(kError, "Error adding source file"));
    EXPECT_EQ(fullNames(project.srcFiles()), std::vector<std::string>{"demo.c"});
    EXPECT_EQ(sheetsShown(), 1);
}

} // namespace
} // namespace avrtazu::test
