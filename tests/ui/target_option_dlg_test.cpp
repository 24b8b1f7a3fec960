#include "ui/ui_test_support.h"

#include "ui/target_option_dlg.h"

#include "platform/drive_map.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>

namespace avrtazu::uitest {
namespace {

// The page reads the build tree's supported-parts file, which lists the whole device table.
class TargetOptionDlgTest : public OptionsTest {
protected:
    TargetOptionDlgTest() {
        const QString bin = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../bin");
        CTargetOptionDlg::setStudioDirectoryFallback(DriveMap::toWindows(bin.toStdString()) + "\\");
        // A Custom configuration whose layout the user typed.
        project.setPart("Custom");
        project.setProgramMemory("1111");
        project.setDataMemory("222");
        project.setEeprom("33");
        project.setTextAddressWord("0x4");
        project.setDataAddressByte("0x55");
        project.setUseRampzElpm(true);
    }
    ~TargetOptionDlgTest() override { CTargetOptionDlg::setStudioDirectoryFallback(""); }

    // The page over edited as first shown.
    std::unique_ptr<CTargetOptionDlg> show(Project& edited, bool newProject = false,
                                           bool externalMakefile = false) {
        auto page = std::make_unique<CTargetOptionDlg>(edited, newProject);
        page->setExternalMakefile(externalMakefile);
        page->onSetActive();
        return page;
    }
};

// Devices picked one after the other: the table's layout, what is locked, the boot-loader and
// FPSLIC choices, external SRAM; Custom keeps what the fields held.
TEST_F(TargetOptionDlgTest, PickingADeviceFillsTheLayoutFromTheDeviceTable) {
    const auto page = show(project);
    seen = describe(*page);
    for (const char* device : {"ATMega128 (Please see NOTES)", "ATMega64", "ATMega103", "ATtiny13",
                               "AT94K05", "AT43USB320", "ATMega16", "Custom"}) {
        choose(*page, "part", device);
        seen += std::string("== ") + device + "\n" +
                describe(control<QWidget>(*page, "deviceConfigurationGroup")) +
                describe(control<QWidget>(*page, "bootLoaderOptionsGroup"));
    }
}

TEST_F(TargetOptionDlgTest, ExternalMakefileDisablesEveryInteractiveControl) {
    project.setPart("ATMega8515");
    seen = describe(*show(project, false, true));
}

TEST_F(TargetOptionDlgTest, ChoicesCarryAcrossDevicesAndHarvestWritesTheControls) {
    const Project before = project;
    auto page = show(project);
    choose(*page, "part", "AT94K10");
    choose(*page, "fpslicMemory", "28K Code / 8k Data");
    page->harvestDataFromControls(project);
    seen = changes(before, project);
    // The boot size keeps its position in another device's list; a device without a
    // boot-loader section forces the application.
    choose(*page, "part", "ATMega8");
    control<QComboBox>(*page, "bootSize").setCurrentIndex(3);
    click(*page, "bootLoader");
    choose(*page, "part", "ATMega32");
    seen += describe(*page, {"bootSize", "application", "bootLoader"});
    choose(*page, "part", "ATtiny13");
    seen += describe(*page, {"bootSize", "application", "bootLoader"});
    page->harvestDataFromControls(project);
    seen += changes(before, project);

    page = show(project);
    choose(*page, "part", "ATMega128 (Please see NOTES)");
    choose(*page, "bootSize", "2K Words");
    control<QComboBox>(*page, "sram").setCurrentIndex(3);
    click(*page, "bootLoader");
    click(*page, "printfFloat");
    for (const char* name :
         {"useRampzElpm", "avrstudioIO", "stringsInFlashOnly", "doNotUseR20ToR23"}) {
        click(*page, name);
    }
    for (const char* name : {"additionalLib", "returnStackSize", "nonDefaultStartup",
                             "unusedRomFillBytes", "otherOptions"}) {
        type(*page, name, std::string("<") + name + ">");
    }
    page->harvestDataFromControls(project);
    seen += changes(before, project);
}

// Stored part, boot size, SRAM and partition select their entries, letter case ignored;
// without the new-project flag the stored layout stays, with it a listed device's is shown.
TEST_F(TargetOptionDlgTest, StoredSettingsSelectTheirEntries) {
    struct Case {
        const char *part, *bootSize, *sram, *fpslic;
        bool newProject;
    };
    // clang-format off
    const Case cases[] = {
        {"atmega16",   "2K Words",  "Internal SRAM",                   "",                   false},
        {"ATMega32",   "2k words",  "Internal SRAM",                   "",                   false},
        {"NoSuchChip", "256 words", "External 64K SRAM",               "",                   false},
        {"ATtiny13",   "None",      "External 32K SRAM",               "",                   false},
        {"ATMega8515", "None",      "external 64k sram w/ wait state", "",                   false},
        {"ATMega8515", "None",      "No such SRAM",                    "",                   false},
        {"AT94K10",    "None",      "Internal SRAM",                   "28k code / 8K data", false},
        {"AT94K10",    "None",      "Internal SRAM",                   "8K Code / 12K Data", false},
        {"ATMega16",   "None",      "Internal SRAM",                   "",                   true},
        {"Custom",     "None",      "Internal SRAM",                   "",                   true},
    };
    // clang-format on
    for (const Case& c : cases) {
        Project edited = project;
        edited.setPart(c.part);
        edited.setBootSize(c.bootSize);
        edited.setSram(c.sram);
        edited.setFpslicMemory(c.fpslic);
        edited.setProgramType(1);
        const Project before = edited;
        const auto page = show(edited, c.newProject);
        seen +=
            std::string("== ") + c.part + " " + c.bootSize + " / " + c.sram + " / " + c.fpslic +
            (c.newProject ? " / new" : "") + "\n" +
            describe(*page, {"part", "bootSize", "sram", "fpslicMemory", "programMemory", "eeprom",
                             "dataAddressByte", "useLongCallJmp", "useRampzElpm", "bootLoader"});
        page->harvestDataFromControls(edited);
        seen += changes(before, edited);
    }
}

// A list out of the table's order makes the devices out of place Custom: nothing comes from a
// table row, the typed layout stays editable.
TEST_F(TargetOptionDlgTest, ListsOutOfTableOrderTreatTheDeviceAsCustom) {
    Names withBlankLine = deviceNames();
    withBlankLine.push_back("");
    const std::tuple<Names, const char*, int> cases[] = {
        {{"Custom", "ATMega16", "ATtiny13"}, "ATMega16", 2},
        {{}, "ATMega16", -1},
        {withBlankLine, "Custom", 84},
    };
    for (const auto& [parts, part, entry] : cases) {
        Project edited = project;
        edited.setPart(part);
        CTargetOptionDlg page(edited, true);
        page.setSupportedParts(parts);
        page.onSetActive();
        if (entry >= 0) {
            control<QComboBox>(page, "part").setCurrentIndex(entry);
        }
        EXPECT_EQ(page.selectedRow(), 0);
        const Project before = edited;
        page.harvestDataFromControls(edited);
        seen +=
            "== " + std::to_string(parts.size()) + " parts\n" +
            describe(page, {"programMemory", "eeprom", "dataMemory", "enhancedCore", "bootSize"}) +
            changes(before, edited) + events();
    }
}

TEST_F(TargetOptionDlgTest, DeviceListComesFromTheSupportedPartsFileOfTheHost) {
    // Without a host, the build tree's file lists the whole table.
    EXPECT_EQ(entries(control<QComboBox>(*show(project), "part")), deviceNames());

    test::TempDrive drive('S');
    drive.write("studio\\AvrStudioPlugin\\tazusupportedparts.txt", "  Custom \r\nATtiny13\t\n");
    works.studioDirectory = "S:\\studio\\";
    PlugInUtility::instance().setHost(&works);
    EXPECT_EQ(entries(control<QComboBox>(*show(project), "part")), (Names{"Custom", "ATtiny13"}));
    EXPECT_EQ(events(), "log warning: The supported parts file does not list the devices in the "
                        "order of the device table; devices out of place are treated as Custom\n");

    // A missing file is logged, and the page still opens with the stored layout.
    works.studioDirectory = "S:\\nowhere\\";
    const auto missing = show(project);
    EXPECT_EQ(control<QComboBox>(*missing, "part").count(), 0);
    EXPECT_EQ(text(*missing, "programMemory"), "1111");
    EXPECT_EQ(events(), "log error: Failed to open the supported parts file\n"
                        "log info: Check that the file "
                        "S:\\nowhere\\AvrStudioPlugin\\tazusupportedparts.txt exists\n");
}

TEST_F(TargetOptionDlgTest, NotesButtonShowsTheNotesInAnInformationBox) {
    click(*show(project), "notes");
    seen = events();
}

} // namespace
} // namespace avrtazu::uitest
