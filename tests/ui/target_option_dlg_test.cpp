// Ahead of every Qt header, whose "emit" keyword macro would rewrite LogSink::emit.
#include "ui/option_page_fixture.h"

#include "ui/target_option_dlg.h"

#include "model/device_catalog.h"
#include "platform/drive_map.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace avrtazu {
namespace {

using pagetest::OptionPageTest;

const std::vector<std::string> kGroup1 = {"None", "128 Words", "256 Words", "512 Words",
                                          "1K Words"};
const std::vector<std::string> kGroup2 = {"None", "256 Words", "512 Words", "1K Words", "2K Words"};
const std::vector<std::string> kGroup4 = {"None", "512 Words", "1K Words", "2K Words", "4K Words"};
const std::vector<std::string> kSmallFpslic = {"4K Code / 16K Data", "8K Code / 12K Data",
                                               "12K Code / 8K Data", "16K Code / 4K Data"};
const std::vector<std::string> kLargeFpslic = {"20K Code / 16K Data", "24K Code / 12K Data",
                                               "28K Code / 8k Data", "32K Code / 4K Data"};

const char* const kMemoryLayoutControls[] = {
    "dataMemory",     "eeprom",       "textAddressWord",         "dataAddressByte",
    "useLongCallJmp", "enhancedCore", "ioRegsOffsetInternalSram"};
const char* const kBootLoaderControls[] = {
    "bootLoaderOptionsGroup", "programTypeGroup", "application", "bootLoader",
    "bootSizeLabel",          "bootSize"};

std::vector<std::string> entries(const QComboBox& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i) {
        texts.push_back(list.itemText(i).toStdString());
    }
    return texts;
}

std::vector<std::string> tableNames() {
    std::vector<std::string> names;
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

class TargetOptionDlgTest : public OptionPageTest {
protected:
    void SetUp() override {
        OptionPageTest::SetUp();
        CTargetOptionDlg::setStudioDirectoryFallback(buildTreeStudioDirectory());
        // A Custom configuration whose layout the user typed.
        project.setPart("Custom");
        project.setProgramMemory("1111");
        project.setDataMemory("222");
        project.setEeprom("33");
        project.setTextAddressWord("0x4");
        project.setDataAddressByte("0x55");
        project.setUseLongCallJmp(false);
        project.setEnhancedCore(false);
        project.setIORegsOffsetInternalSram(false);
        project.setUseRampzElpm(true);
    }
    void TearDown() override {
        CTargetOptionDlg::setStudioDirectoryFallback("");
        OptionPageTest::TearDown();
    }

    QLineEdit& edit(const QWidget& page, const char* name) {
        return control<QLineEdit>(page, name);
    }
    QCheckBox& box(const QWidget& page, const char* name) { return control<QCheckBox>(page, name); }
    QComboBox& list(const QWidget& page, const char* name) {
        return control<QComboBox>(page, name);
    }
    std::string text(const QWidget& page, const char* name) {
        return edit(page, name).text().toStdString();
    }
    // What a user does who picks a device from the list.
    void pick(const QWidget& page, const std::string& device) {
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
        std::vector<std::string> bootChoices; // empty: boot-loader controls hidden
        std::vector<std::string> fpslic;      // empty: FPSLIC controls hidden
        bool sramEnabled;
    };
    // clang-format off
    const Case cases[] = {
        //                                       program    data      eeprom  text    start    long   enh    iooff  rampz  prog.ed layout.ed
        {"ATMega128 (Please see NOTES)", nullptr, "0x20000", "4096",   "4096", "0x46", "0x100", true,  true,  true,  true,  false, false, kGroup4, {}, true},
        {"ATMega64",                     nullptr, "0x10000", "4096",   "2048", "0x46", "0x100", true,  true,  true,  false, false, false, kGroup4, {}, true},
        {"ATMega2560",                   nullptr, "0x40000", "8192",   "4096", "0x72", "0x200", true,  true,  true,  true,  false, false, kGroup4, {}, true},
        {"ATMega103",                    nullptr, "0x20000", "4096",   "4096", "0x30", "0x60",  true,  false, false, false, false, false, {},      {}, true},
        {"ATtiny13",                     nullptr, "1024",    "64",     "128",  "0xA",  "0x60",  false, false, true,  false, false, false, {},      {}, false},
        {"ATMega48",                     nullptr, "4096",    "512",    "256",  "0x1A", "0x100", false, true,  true,  false, false, false, {},      {}, false},
        {"ATMega8",                      nullptr, "8192",    "1024",   "512",  "0x13", "0x60",  false, true,  true,  false, false, false, kGroup1, {}, true},
        {"ATMega32",                     nullptr, "0x8000",  "2048",   "1024", "0x2A", "0x60",  true,  true,  true,  false, false, false, kGroup2, {}, false},
        {"AT94K05",                      nullptr, "0x1000",  "0x4000", "",     "0x48", "0x60",  true,  true,  false, false, false, false, {}, kSmallFpslic, false},
        {"AT94K40",                      nullptr, "0x5000",  "0x4000", "",     "0x48", "0x60",  true,  true,  false, false, false, false, {}, kLargeFpslic, false},
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

        EXPECT_EQ(edit(page, "programMemory").isEnabled(), c.programEditable);
        for (const char* name : kMemoryLayoutControls) {
            EXPECT_EQ(control<QWidget>(page, name).isEnabled(), c.layoutEditable) << name;
        }
        EXPECT_TRUE(box(page, "useRampzElpm").isEnabled());

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
            EXPECT_EQ(list(page, "fpslicMemory").currentIndex(), 0);
        } else {
            EXPECT_EQ(list(page, "fpslicMemory").currentIndex(), -1);
        }
        EXPECT_EQ(list(page, "sram").isEnabled(), c.sramEnabled);
        EXPECT_EQ(control<QWidget>(page, "notes").isEnabled(), c.sramEnabled);
        if (!c.sramEnabled) {
            EXPECT_EQ(list(page, "sram").currentText(), "Internal SRAM");
        }
    }
}

TEST_F(TargetOptionDlgTest, FpslicPartitionChoiceSetsBothMemorySizes) {
    struct Case {
        const char* device;
        const char* partition;
        const char* program;
        const char* data;
    };
    const Case cases[] = {
        {"AT94K05", "8K Code / 12K Data", "0x2000", "0x3000"},
        {"AT94K05", "16K Code / 4K Data", "0x4000", "0x1000"},
        {"AT94K10", "28K Code / 8k Data", "0x7000", "0x2000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.partition);
        Project edited = project;
        CTargetOptionDlg page(edited, false);
        page.onSetActive();
        pick(page, c.device);
        QComboBox& partitions = list(page, "fpslicMemory");
        partitions.setCurrentIndex(partitions.findText(c.partition));

        EXPECT_EQ(text(page, "programMemory"), c.program);
        EXPECT_EQ(text(page, "dataMemory"), c.data);
        page.harvestDataFromControls(edited);
        EXPECT_EQ(edited.fpslicMemory(), c.partition);
        EXPECT_EQ(edited.programMemory(), c.program);
        EXPECT_EQ(edited.dataMemory(), c.data);
        EXPECT_EQ(edited.part(), c.device);
    }
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
    EXPECT_EQ(list(page, "sram").currentText(), "Internal SRAM");
    EXPECT_FALSE(list(page, "sram").isEnabled());

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
    const Case cases[] = {
        {"atmega16", "2K Words", "Internal SRAM", "", "ATMega16", "None", "Internal SRAM", "",
         "1111"},
        {"ATMega32", "2k words", "Internal SRAM", "", "ATMega32", "2K Words", "Internal SRAM", "",
         "1111"},
        {"NoSuchChip", "256 words", "External 64K SRAM", "", "Custom", "256 Words",
         "External 64K SRAM", "", "1111"},
        {"ATtiny13", "None", "External 32K SRAM", "", "ATtiny13", nullptr, "Internal SRAM", "",
         "1111"},
        {"ATMega8515", "None", "external 64k sram w/ wait state", "", "ATMega8515", "None",
         "External 64K SRAM w/ wait state", "", "1111"},
        {"ATMega8515", "None", "No such SRAM", "", "ATMega8515", "None", "Internal SRAM", "",
         "1111"},
        {"AT94K10", "None", "Internal SRAM", "28k code / 8K data", "AT94K10", nullptr,
         "Internal SRAM", "28K Code / 8k Data", "0x7000"},
        {"AT94K10", "None", "Internal SRAM", "8K Code / 12K Data", "AT94K10", nullptr,
         "Internal SRAM", "20K Code / 16K Data", "0x5000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.part) + " " + c.bootSize + " " + c.sram);
        project.setPart(c.part);
        project.setBootSize(c.bootSize);
        project.setSram(c.sram);
        project.setFpslicMemory(c.fpslic);
        CTargetOptionDlg page(project, false);
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
    }
}

TEST_F(TargetOptionDlgTest, NewProjectShowsTheTableValuesOfAListedDevice) {
    struct Case {
        const char* part;
        bool newProject;
        const char* program;
        const char* eeprom;
        bool longCalls;
    };
    const Case cases[] = {
        {"ATMega16", true, "16384", "512", true},
        {"ATMega16", false, "1111", "33", false},
        {"Custom", true, "1111", "33", false},
        {"ATMega128 (Please see NOTES)", true, "0x20000", "4096", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.part) + (c.newProject ? " new" : " existing"));
        project.setPart(c.part);
        CTargetOptionDlg page(project, c.newProject);
        page.onSetActive();
        EXPECT_EQ(text(page, "programMemory"), c.program);
        EXPECT_EQ(text(page, "eeprom"), c.eeprom);
        EXPECT_EQ(box(page, "useLongCallJmp").isChecked(), c.longCalls);
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
    box(page, "useRampzElpm").click();
    box(page, "avrstudioIO").click();
    box(page, "stringsInFlashOnly").click();
    box(page, "doNotUseR20ToR23").click();
    edit(page, "additionalLib").setText("libm.a");
    edit(page, "returnStackSize").setText("0x40");
    edit(page, "nonDefaultStartup").setText("crt_boot.o");
    edit(page, "unusedRomFillBytes").setText("0xFF");
    edit(page, "otherOptions").setText("-nostdlib");

    page.harvestDataFromControls(project);

    EXPECT_EQ(project.part(), "ATMega128 (Please see NOTES)");
    EXPECT_EQ(hub->partNamesSet, std::vector<std::string>{"ATMega128 (Please see NOTES)"});
    EXPECT_EQ(project.programMemory(), "0x20000");
    EXPECT_EQ(project.dataMemory(), "4096");
    EXPECT_EQ(project.eeprom(), "4096");
    EXPECT_EQ(project.textAddressWord(), "0x46");
    EXPECT_EQ(project.dataAddressByte(), "0x100");
    EXPECT_TRUE(project.useLongCallJmp());
    EXPECT_TRUE(project.enhancedCore());
    EXPECT_TRUE(project.ioRegsOffsetInternalSram());
    EXPECT_FALSE(project.useRampzElpm());
    EXPECT_EQ(project.programType(), 1);
    EXPECT_EQ(project.bootSize(), "2K Words");
    EXPECT_EQ(project.fpslicMemory(), "");
    EXPECT_EQ(project.sram(), "External 32K SRAM w/ wait state");
    EXPECT_EQ(project.printfVersion(), 2);
    EXPECT_TRUE(project.avrstudioIO());
    EXPECT_TRUE(project.stringsInFlashOnly());
    EXPECT_TRUE(project.doNotUseR20ToR23());
    EXPECT_EQ(project.additionalLib(), "libm.a");
    EXPECT_EQ(project.returnStackSize(), "0x40");
    EXPECT_EQ(project.nonDefaultStartup(), "crt_boot.o");
    EXPECT_EQ(project.unusedRomFillBytes(), "0xFF");
    EXPECT_EQ(project.otherOptions(), "-nostdlib");
}

TEST_F(TargetOptionDlgTest, ProgramTypeIsKeptOnlyForDevicesWithABootLoaderSection) {
    struct Case {
        const char* part;
        int harvested;
    };
    const Case cases[] = {{"ATtiny13", 0}, {"ATMega16", 1}, {"Custom", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        project.setPart(c.part);
        project.setProgramType(1);
        project.setBootSize("128 Words");
        CTargetOptionDlg page(project, false);
        page.onSetActive();
        EXPECT_TRUE(control<QRadioButton>(page, "bootLoader").isChecked());
        page.harvestDataFromControls(project);
        EXPECT_EQ(project.programType(), c.harvested);
    }
}

TEST_F(TargetOptionDlgTest, HarvestBeforeThePageWasShownLeavesTheProjectAlone) {
    CTargetOptionDlg page(project, true);
    project.setPart("ATMega16");
    project.setProgramMemory("5");
    page.harvestDataFromControls(project);
    EXPECT_FALSE(page.isInitialised());
    EXPECT_EQ(project.part(), "ATMega16");
    EXPECT_EQ(project.programMemory(), "5");
    EXPECT_TRUE(hub->partNamesSet.empty());
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
        EXPECT_FALSE(control<QWidget>(page, name).isEnabled()) << name;
    }

    page.setExternalMakefile(false);
    page.onSetActive();
    for (const char* name : kMemoryLayoutControls) {
        EXPECT_FALSE(control<QWidget>(page, name).isEnabled()) << name;
    }
    EXPECT_FALSE(edit(page, "programMemory").isEnabled());
    const char* const editableAgain[] = {"part",         "bootSize",    "sram",
                                         "useRampzElpm", "application", "printfLong",
                                         "otherOptions", "notes",       "doNotUseR20ToR23"};
    for (const char* name : editableAgain) {
        EXPECT_TRUE(control<QWidget>(page, name).isEnabled()) << name;
    }
}

TEST_F(TargetOptionDlgTest, ActivationAfterAConfigurationSwitchShowsTheNewConfiguration) {
    CTargetOptionDlg page(project, false);
    page.onSetActive();
    project.setActiveConfiguration("release");
    project.setPart("ATMega32");
    project.setProgramMemory("0x8000");
    project.setPrintfVersion(1);

    page.onSetActive();
    EXPECT_EQ(list(page, "part").currentText(), "ATMega32");
    EXPECT_EQ(text(page, "programMemory"), "0x8000");
    EXPECT_TRUE(control<QRadioButton>(page, "printfLong").isChecked());
    EXPECT_FALSE(edit(page, "dataMemory").isEnabled());
}

TEST_F(TargetOptionDlgTest, ListsOutOfTableOrderTreatTheDeviceAsCustom) {
    std::vector<std::string> withBlankLine = tableNames();
    withBlankLine.push_back("");
    struct Case {
        const char* what;
        std::vector<std::string> parts;
        const char* part;
        int entry; // entry to pick afterwards, -1 for none
        const char* harvestedPart;
        bool warned;
    };
    const Case cases[] = {
        {"shifted names", {"Custom", "ATMega16", "ATtiny13"}, "ATMega16", 2, "ATtiny13", true},
        {"empty list", {}, "ATMega16", -1, "Custom", false},
        {"entry past the table", withBlankLine, "Custom", 84, "Custom", true},
        {"names in table order", tableNames(), "Custom", -1, "Custom", false},
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
            EXPECT_TRUE(control<QWidget>(page, name).isEnabled()) << name;
        }
        EXPECT_EQ(entries(list(page, "bootSize")), kGroup1);
        EXPECT_EQ(logLines(1).size(), c.warned ? 1u : 0u);

        page.harvestDataFromControls(edited);
        EXPECT_EQ(edited.part(), c.harvestedPart);
        EXPECT_EQ(edited.programMemory(), "1111");
        EXPECT_EQ(hub->partNamesSet, std::vector<std::string>{c.harvestedPart});
    }
}

TEST_F(TargetOptionDlgTest, DeviceListComesFromTheSupportedPartsFileOfTheHost) {
    QTemporaryDir studio;
    ASSERT_TRUE(studio.isValid());
    ASSERT_TRUE(QDir(studio.path()).mkdir("AvrStudioPlugin"));
    QFile file(studio.path() + "/AvrStudioPlugin/tazusupportedparts.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("  Custom \r\nATtiny13\t\n");
    file.close();
    const std::string studioDirectory = DriveMap::toWindows(studio.path().toStdString()) + "\\";

    fakes::RecordingWorks works;
    works.studioDirectory = studioDirectory;
    PlugInUtility::instance().setHost(&works);
    EXPECT_EQ(CTargetOptionDlg::supportedPartsPath(),
              studioDirectory + "AvrStudioPlugin\\tazusupportedparts.txt");
    CTargetOptionDlg page(project, false);
    page.onSetActive();
    PlugInUtility::instance().setHost(nullptr);

    EXPECT_EQ(entries(list(page, "part")), (std::vector<std::string>{"Custom", "ATtiny13"}));
    EXPECT_TRUE(logLines(2).empty());
}

TEST_F(TargetOptionDlgTest, WithoutAHostTheBuildTreeFileListsTheWholeTable) {
    CTargetOptionDlg page(project, false);
    page.onSetActive();
    EXPECT_EQ(entries(list(page, "part")), tableNames());
    EXPECT_TRUE(hub->logs.empty());
}

TEST_F(TargetOptionDlgTest, MissingSupportedPartsFileIsLoggedAndThePageStillOpens) {
    const std::string missing = buildTreeStudioDirectory() + "nowhere\\";
    CTargetOptionDlg::setStudioDirectoryFallback(missing);
    project.setPart("ATMega16");
    CTargetOptionDlg page(project, false);
    page.onSetActive();

    EXPECT_TRUE(page.isInitialised());
    EXPECT_EQ(list(page, "part").count(), 0);
    EXPECT_EQ(logLines(2), std::vector<std::string>{"Failed to open the supported parts file"});
    EXPECT_EQ(logLines(0), std::vector<std::string>{"Check that the file " + missing +
                                                    "AvrStudioPlugin\\tazusupportedparts.txt "
                                                    "exists"});
    EXPECT_EQ(text(page, "programMemory"), "1111");
}

TEST_F(TargetOptionDlgTest, NotesButtonShowsTheNotesInAnInformationBox) {
    CTargetOptionDlg page(project, false);
    page.onSetActive();
    control<QPushButton>(page, "notes").click();
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

TEST_F(TargetOptionDlgTest, FailuresInsideFillAndHarvestAreLogged) {
    Project empty("broken", "C:\\broken\\");
    CTargetOptionDlg page(empty, false);
    page.setSupportedParts(tableNames());
    hub->logs.clear();
    page.onSetActive();
    ASSERT_FALSE(logLines(3).empty());
    EXPECT_EQ(logLines(3).front(), "CTargetOptionDlg::updateControlDataFromProject()|"
                                   "Project::part(): Invalid active configuration");
    EXPECT_EQ(logLines(2).front(),
              "Inconsistency in internal datastructures. Please restart AVR Studio");

    hub->logs.clear();
    page.harvestDataFromControls(empty);
    EXPECT_EQ(logLines(3), std::vector<std::string>{"CTargetOptionDlg::harvestDataFromControls()|"
                                                    "Project::currentConfigName(): Invalid Configuration"});
}

} // namespace
} // namespace avrtazu
