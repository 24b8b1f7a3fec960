#include "ui/ui_test_support.h"

#include "ui/target_option_dlg.h"

#include "model/device_catalog.h"
#include "platform/drive_map.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>

namespace avrtazu::uitest {
namespace {

const Names kGroup1 = {"None", "128 Words", "256 Words", "512 Words", "1K Words"};
const Names kGroup2 = {"None", "256 Words", "512 Words", "1K Words", "2K Words"};
const Names kGroup4 = {"None", "512 Words", "1K Words", "2K Words", "4K Words"};
const Names kSmallFpslic = {"4K Code / 16K Data", "8K Code / 12K Data", "12K Code / 8K Data",
                            "16K Code / 4K Data"};

const char* const kMemoryLayoutControls[] = {
    "dataMemory",     "eeprom",       "textAddressWord",         "dataAddressByte",
    "useLongCallJmp", "enhancedCore", "ioRegsOffsetInternalSram"};
const char* const kBootLoaderControls[] = {
    "bootLoaderOptionsGroup", "programTypeGroup", "application", "bootLoader",
    "bootSizeLabel",          "bootSize"};

Names tableNames() {
    Names names;
    for (int i = 0; i < DeviceCatalog::deviceCount; ++i) {
        names.push_back(DeviceCatalog::device(i).name);
    }
    return names;
}

// The build tree's host data folder, as the Windows path of the host's installation directory.
std::string buildTreeStudioDirectory() {
    const QString bin = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../bin");
    return DriveMap::toWindows(bin.toStdString()) + "\\";
}

// The page reads the build tree's supported-parts file, which lists the whole device table.
class TargetOptionDlgTest : public OptionsTest {
protected:
    TargetOptionDlgTest() {
        CTargetOptionDlg::setStudioDirectoryFallback(buildTreeStudioDirectory());
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

    static QCheckBox& box(const QWidget& page, const char* name) {
        return control<QCheckBox>(page, name);
    }
    static QComboBox& list(const QWidget& page, const char* name) {
        return control<QComboBox>(page, name);
    }
    static bool enabled(const QWidget& page, const char* name) {
        return control<QWidget>(page, name).isEnabled();
    }
    // What a user does who picks a device from the list.
    static void pick(const QWidget& page, const std::string& device) {
        QComboBox& devices = list(page, "part");
        const int index = devices.findText(QString::fromStdString(device),
                                           Qt::MatchFixedString | Qt::MatchCaseSensitive);
        ASSERT_GE(index, 0) << device;
        devices.setCurrentIndex(index);
    }
};

TEST_F(TargetOptionDlgTest, PickingADeviceFillsTheLayoutExactlyFromTheDeviceTable) {
    struct Case {
        const char* device;
        const char* before; // picked first, or nullptr
        const char* program;
        const char* data;
        const char* eeprom;
        const char* text;
        const char* dataStart;
        bool longCalls, enhanced, ioOffset, rampz;
        bool programEditable, layoutEditable;
        Names bootChoices; // empty: boot-loader controls hidden
        Names fpslic;      // empty: FPSLIC controls hidden
        bool sramEnabled;
    };
    // clang-format off
    const Case cases[] = {
        //                                       program    data      eeprom  text    start    long   enh    iooff  rampz  prog.ed layout.ed
        {"ATMega128 (Please see NOTES)", nullptr, "0x20000", "4096",   "4096", "0x46", "0x100", true,  true,  true,  true,  false, false, kGroup4, {}, true},
        // Exactly 64K: the enhanced core needs no RAMPZ yet.
        {"ATMega64",                     nullptr, "0x10000", "4096",   "2048", "0x46", "0x100", true,  true,  true,  false, false, false, kGroup4, {}, true},
        // Beyond 64K without the enhanced core: no RAMPZ either.
        {"ATMega103",                    nullptr, "0x20000", "4096",   "4096", "0x30", "0x60",  true,  false, false, false, false, false, {},      {}, true},
        {"ATtiny13",                     nullptr, "1024",    "64",     "128",  "0xA",  "0x60",  false, false, true,  false, false, false, {},      {}, false},
        {"AT94K05",                      nullptr, "0x1000",  "0x4000", "",     "0x48", "0x60",  true,  true,  false, false, false, false, {}, kSmallFpslic, false},
        {"AT43USB320",                   nullptr, "0",       "512",    "",     "0x1A", "0x60",  true,  false, true,  false, true,  false, {},      {}, false},
        // Custom keeps what the fields held and unlocks them.
        {"Custom",                     "ATMega16", "16384",  "1024",   "512",  "0x2A", "0x60",  true,  true,  true,  false, true,  true,  kGroup1, {}, true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        CTargetOptionDlg page(project, false);
        page.onSetActive();
        if (c.before != nullptr) {
            pick(page, c.before);
        }
        pick(page, c.device);

        EXPECT_EQ(text(page, "programMemory"), c.program);
        EXPECT_EQ(text(page, "dataMemory"), c.data);
        EXPECT_EQ(text(page, "eeprom"), c.eeprom);
        EXPECT_EQ(text(page, "textAddressWord"), c.text);
        EXPECT_EQ(text(page, "dataAddressByte"), c.dataStart);
        EXPECT_EQ(box(page, "useLongCallJmp").isChecked(), c.longCalls);
        EXPECT_EQ(box(page, "enhancedCore").isChecked(), c.enhanced);
        EXPECT_EQ(box(page, "ioRegsOffsetInternalSram").isChecked(), c.ioOffset);
        EXPECT_EQ(box(page, "useRampzElpm").isChecked(), c.rampz);

        EXPECT_EQ(enabled(page, "programMemory"), c.programEditable);
        for (const char* name : kMemoryLayoutControls) {
            EXPECT_EQ(enabled(page, name), c.layoutEditable) << name;
        }
        EXPECT_TRUE(enabled(page, "useRampzElpm"));

        for (const char* name : kBootLoaderControls) {
            EXPECT_EQ(control<QWidget>(page, name).isHidden(), c.bootChoices.empty()) << name;
        }
        if (!c.bootChoices.empty()) {
            EXPECT_EQ(entries(list(page, "bootSize")), c.bootChoices);
        }
        EXPECT_EQ(list(page, "fpslicMemory").isHidden(), c.fpslic.empty());
        EXPECT_EQ(control<QWidget>(page, "fpslicMemoryLabel").isHidden(), c.fpslic.empty());
        if (!c.fpslic.empty()) {
            EXPECT_EQ(entries(list(page, "fpslicMemory")), c.fpslic);
        }
        EXPECT_EQ(list(page, "fpslicMemory").currentIndex(), c.fpslic.empty() ? -1 : 0);
        EXPECT_EQ(enabled(page, "sram"), c.sramEnabled);
        EXPECT_EQ(enabled(page, "notes"), c.sramEnabled);
        if (!c.sramEnabled) {
            EXPECT_EQ(list(page, "sram").currentText(), "Internal SRAM");
        }
    }
}

TEST_F(TargetOptionDlgTest, FpslicPartitionChoiceSetsBothMemorySizes) {
    CTargetOptionDlg page(project, false);
    page.onSetActive();
    pick(page, "AT94K10");
    QComboBox& partitions = list(page, "fpslicMemory");
    partitions.setCurrentIndex(partitions.findText("28K Code / 8k Data"));
    EXPECT_EQ(text(page, "programMemory"), "0x7000");
    EXPECT_EQ(text(page, "dataMemory"), "0x2000");
    page.harvestDataFromControls(project);
    EXPECT_EQ(project.fpslicMemory(), "28K Code / 8k Data");
    EXPECT_EQ(project.programMemory(), "0x7000");
    EXPECT_EQ(project.dataMemory(), "0x2000");
    EXPECT_EQ(project.part(), "AT94K10");
}

TEST_F(TargetOptionDlgTest, BootSizePositionCarriesAcrossGroupsAndGroupZeroForcesApplication) {
    CTargetOptionDlg page(project, false);
    page.onSetActive();
    pick(page, "ATMega8");
    list(page, "bootSize").setCurrentIndex(3);
    control<QRadioButton>(page, "bootLoader").click();
    EXPECT_EQ(page.programTypeChoice(), 1);

    pick(page, "ATMega32");
    EXPECT_EQ(entries(list(page, "bootSize")), kGroup2);
    EXPECT_EQ(list(page, "bootSize").currentText(), "1K Words");
    EXPECT_EQ(page.programTypeChoice(), 1);

    pick(page, "ATtiny13");
    EXPECT_EQ(page.programTypeChoice(), 0);
    EXPECT_TRUE(control<QRadioButton>(page, "application").isChecked());
    EXPECT_EQ(list(page, "bootSize").currentIndex(), 0);

    page.harvestDataFromControls(project);
    EXPECT_EQ(project.programType(), 0);
    EXPECT_EQ(project.bootSize(), "None");
    EXPECT_EQ(project.part(), "ATtiny13");
}

TEST_F(TargetOptionDlgTest, StoredSettingsSelectTheirListEntriesIgnoringCase) {
    struct Case {
        const char* part;
        const char* bootSize;
        const char* sram;
        const char* fpslic;
        const char* shownDevice;
        const char* shownBoot; // nullptr: boot-loader controls hidden
        const char* shownSram;
        const char* shownFpslic; // "" when no partition is selected
        const char* shownProgram;
    };
    // clang-format off
    const Case cases[] = {
        {"atmega16",   "2K Words",  "Internal SRAM",                   "",                   "ATMega16",   "None",      "Internal SRAM",                   "",                   "1111"},
        {"ATMega32",   "2k words",  "Internal SRAM",                   "",                   "ATMega32",   "2K Words",  "Internal SRAM",                   "",                   "1111"},
        {"NoSuchChip", "256 words", "External 64K SRAM",               "",                   "Custom",     "256 Words", "External 64K SRAM",               "",                   "1111"},
        {"ATtiny13",   "None",      "External 32K SRAM",               "",                   "ATtiny13",   nullptr,     "Internal SRAM",                   "",                   "1111"},
        {"ATMega8515", "None",      "external 64k sram w/ wait state", "",                   "ATMega8515", "None",      "External 64K SRAM w/ wait state", "",                   "1111"},
        {"ATMega8515", "None",      "No such SRAM",                    "",                   "ATMega8515", "None",      "Internal SRAM",                   "",                   "1111"},
        {"AT94K10",    "None",      "Internal SRAM",                   "28k code / 8K data", "AT94K10",    nullptr,     "Internal SRAM",                   "28K Code / 8k Data", "0x7000"},
        {"AT94K10",    "None",      "Internal SRAM",                   "8K Code / 12K Data", "AT94K10",    nullptr,     "Internal SRAM",                   "20K Code / 16K Data", "0x5000"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.part) + " " + c.bootSize + " " + c.sram);
        Project edited = project;
        edited.setPart(c.part);
        edited.setBootSize(c.bootSize);
        edited.setSram(c.sram);
        edited.setFpslicMemory(c.fpslic);
        edited.setProgramType(1);
        CTargetOptionDlg page(edited, false);
        page.onSetActive();

        EXPECT_EQ(list(page, "part").currentText().toStdString(), c.shownDevice);
        EXPECT_EQ(list(page, "bootSize").isHidden(), c.shownBoot == nullptr);
        if (c.shownBoot != nullptr) {
            EXPECT_EQ(list(page, "bootSize").currentText().toStdString(), c.shownBoot);
        }
        EXPECT_EQ(list(page, "sram").currentText().toStdString(), c.shownSram);
        EXPECT_EQ(list(page, "fpslicMemory").currentText().toStdString(), c.shownFpslic);
        EXPECT_EQ(text(page, "programMemory"), c.shownProgram);
        // Without the new-project flag the stored layout is shown, not the table's.
        EXPECT_EQ(text(page, "eeprom"), "33");
        EXPECT_EQ(text(page, "dataAddressByte"), "0x55");
        EXPECT_TRUE(box(page, "useRampzElpm").isChecked());
        // The program type is kept only for a device with a boot-loader section.
        EXPECT_TRUE(control<QRadioButton>(page, "bootLoader").isChecked());
        page.harvestDataFromControls(edited);
        EXPECT_EQ(edited.programType(), c.shownBoot != nullptr ? 1 : 0);
    }
}

TEST_F(TargetOptionDlgTest, NewProjectShowsTheTableValuesOfAListedDevice) {
    const std::tuple<const char*, bool, const char*, const char*, bool> cases[] = {
        {"ATMega16", true, "16384", "512", true},
        {"ATMega16", false, "1111", "33", false},
        {"Custom", true, "1111", "33", false},
    };
    for (const auto& [part, newProject, program, eeprom, longCalls] : cases) {
        SCOPED_TRACE(std::string(part) + (newProject ? " new" : " existing"));
        project.setPart(part);
        CTargetOptionDlg page(project, newProject);
        page.onSetActive();
        EXPECT_EQ(text(page, "programMemory"), program);
        EXPECT_EQ(text(page, "eeprom"), eeprom);
        EXPECT_EQ(box(page, "useLongCallJmp").isChecked(), longCalls);
    }
}

TEST_F(TargetOptionDlgTest, HarvestWritesExactlyTheControlValues) {
    project.setPrintfVersion(0);
    CTargetOptionDlg page(project, false);
    page.onSetActive();
    pick(page, "ATMega128 (Please see NOTES)");
    list(page, "bootSize").setCurrentIndex(list(page, "bootSize").findText("2K Words"));
    list(page, "sram").setCurrentIndex(3);
    control<QRadioButton>(page, "bootLoader").click();
    control<QRadioButton>(page, "printfFloat").click();
    for (const char* name :
         {"useRampzElpm", "avrstudioIO", "stringsInFlashOnly", "doNotUseR20ToR23"}) {
        box(page, name).click();
    }
    control<QLineEdit>(page, "additionalLib").setText("libm.a");
    control<QLineEdit>(page, "returnStackSize").setText("0x40");
    control<QLineEdit>(page, "nonDefaultStartup").setText("crt_boot.o");
    control<QLineEdit>(page, "unusedRomFillBytes").setText("0xFF");
    control<QLineEdit>(page, "otherOptions").setText("-nostdlib");

    page.harvestDataFromControls(project);

    EXPECT_EQ(hub->partNamesSet, Names{"ATMega128 (Please see NOTES)"});
    EXPECT_EQ(
        (Names{project.part(), project.programMemory(), project.dataMemory(), project.eeprom(),
               project.textAddressWord(), project.dataAddressByte(), project.bootSize(),
               project.fpslicMemory(), project.sram(), project.additionalLib(),
               project.returnStackSize(), project.nonDefaultStartup(), project.unusedRomFillBytes(),
               project.otherOptions()}),
        (Names{"ATMega128 (Please see NOTES)", "0x20000", "4096", "4096", "0x46", "0x100",
               "2K Words", "", "External 32K SRAM w/ wait state", "libm.a", "0x40", "crt_boot.o",
               "0xFF", "-nostdlib"}));
    EXPECT_EQ((std::vector<bool>{project.useLongCallJmp(), project.enhancedCore(),
                                 project.ioRegsOffsetInternalSram(), project.useRampzElpm(),
                                 project.avrstudioIO(), project.stringsInFlashOnly(),
                                 project.doNotUseR20ToR23()}),
              (std::vector<bool>{true, true, true, false, true, true, true}));
    EXPECT_EQ(project.programType(), 1);
    EXPECT_EQ(project.printfVersion(), 2);
}

TEST_F(TargetOptionDlgTest, ExternalMakefileDisablesEveryInteractiveControl) {
    // clang-format off
    const char* const interactive[] = {
        "part", "bootSize", "sram", "fpslicMemory", "programMemory", "dataMemory", "eeprom",
        "textAddressWord", "dataAddressByte", "additionalLib", "returnStackSize",
        "nonDefaultStartup", "unusedRomFillBytes", "otherOptions", "useLongCallJmp",
        "enhancedCore", "ioRegsOffsetInternalSram", "useRampzElpm", "avrstudioIO",
        "stringsInFlashOnly", "doNotUseR20ToR23", "application", "bootLoader", "printfSmall",
        "printfLong", "printfFloat", "notes"};
    // clang-format on
    project.setPart("ATMega8515");
    CTargetOptionDlg page(project, false);
    page.setExternalMakefile(true);
    page.onSetActive();
    for (const char* name : interactive) {
        EXPECT_FALSE(enabled(page, name)) << name;
    }

    page.setExternalMakefile(false);
    page.onSetActive();
    for (const char* name : kMemoryLayoutControls) {
        EXPECT_FALSE(enabled(page, name)) << name;
    }
    EXPECT_FALSE(enabled(page, "programMemory"));
    for (const char* name : {"part", "bootSize", "sram", "useRampzElpm", "application",
                             "printfLong", "otherOptions", "notes", "doNotUseR20ToR23"}) {
        EXPECT_TRUE(enabled(page, name)) << name;
    }
}

TEST_F(TargetOptionDlgTest, ListsOutOfTableOrderTreatTheDeviceAsCustom) {
    Names withBlankLine = tableNames();
    withBlankLine.push_back("");
    struct Case {
        const char* what;
        Names parts;
        const char* part;
        int entry; // entry to pick afterwards, -1 for none
        const char* harvestedPart;
        bool warned;
    };
    const Case cases[] = {
        {"shifted names", {"Custom", "ATMega16", "ATtiny13"}, "ATMega16", 2, "ATtiny13", true},
        {"empty list", {}, "ATMega16", -1, "Custom", false},
        {"entry past the table", withBlankLine, "Custom", 84, "Custom", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        hub->logs.clear();
        hub->partNamesSet.clear();
        Project edited = project;
        edited.setPart(c.part);
        CTargetOptionDlg page(edited, true);
        page.setSupportedParts(c.parts);
        page.onSetActive();
        if (c.entry >= 0) {
            list(page, "part").setCurrentIndex(c.entry);
        }

        EXPECT_EQ(page.selectedRow(), 0);
        // Nothing comes from a table row: the typed layout stays and stays editable.
        EXPECT_EQ(text(page, "programMemory"), "1111");
        EXPECT_EQ(text(page, "eeprom"), "33");
        for (const char* name : kMemoryLayoutControls) {
            EXPECT_TRUE(enabled(page, name)) << name;
        }
        EXPECT_EQ(entries(list(page, "bootSize")), kGroup1);
        EXPECT_EQ(logs(1).size(), c.warned ? 1u : 0u);

        page.harvestDataFromControls(edited);
        EXPECT_EQ(edited.part(), c.harvestedPart);
        EXPECT_EQ(edited.programMemory(), "1111");
        EXPECT_EQ(hub->partNamesSet, Names{c.harvestedPart});
    }
}

TEST_F(TargetOptionDlgTest, DeviceListComesFromTheSupportedPartsFileOfTheHost) {
    // Without a host, the build tree's file lists the whole table.
    CTargetOptionDlg fallback(project, false);
    fallback.onSetActive();
    EXPECT_EQ(entries(list(fallback, "part")), tableNames());
    EXPECT_TRUE(hub->logs.empty());

    test::TempDrive drive('S');
    drive.write("studio\\AvrStudioPlugin\\tazusupportedparts.txt", "  Custom \r\nATtiny13\t\n");
    works.studioDirectory = "S:\\studio\\";
    PlugInUtility::instance().setHost(&works);
    EXPECT_EQ(CTargetOptionDlg::supportedPartsPath(),
              "S:\\studio\\AvrStudioPlugin\\tazusupportedparts.txt");
    CTargetOptionDlg page(project, false);
    page.onSetActive();
    EXPECT_EQ(entries(list(page, "part")), (Names{"Custom", "ATtiny13"}));
    EXPECT_TRUE(logs(2).empty());

    // A missing file is logged, and the page still opens with the stored layout.
    works.studioDirectory = "S:\\nowhere\\";
    CTargetOptionDlg missing(project, false);
    missing.onSetActive();
    EXPECT_EQ(list(missing, "part").count(), 0);
    EXPECT_EQ(logs(2), Names{"Failed to open the supported parts file"});
    EXPECT_EQ(
        logs(0),
        Names{"Check that the file S:\\nowhere\\AvrStudioPlugin\\tazusupportedparts.txt exists"});
    EXPECT_EQ(text(missing, "programMemory"), "1111");
}

TEST_F(TargetOptionDlgTest, NotesButtonShowsTheNotesInAnInformationBox) {
    CTargetOptionDlg page(project, false);
    page.onSetActive();
    click(page, "notes");
    ASSERT_EQ(dialogs.messages().size(), 1u);
    const auto& message = dialogs.messages()[0];
    EXPECT_EQ(message.icon, MessageIcon::Information);
    EXPECT_EQ(message.buttons, MessageButtons::Ok);
    EXPECT_EQ(message.text.rfind("NOTES:\n\nM128 Note: If you select ATMega128 as your target "
                                 "device, please be sure\nto unset the M103C fuse",
                                 0),
              0u);
    EXPECT_EQ(message.text.size(), std::string(CTargetOptionDlg::kNotesText).size());
    EXPECT_NE(message.text.find("using the Periwright.\n"), std::string::npos);
}

} // namespace
} // namespace avrtazu::uitest
