#include "ui/ui_test_support.h"

#include "platform/drive_map.h"
#include "ui/compiler_option.h"
#include "ui/configurations_dialog.h"
#include "ui/general_property_page.h"
#include "ui/include_property_page.h"
#include "ui/target_option_dlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QListWidget>
#include <QTabWidget>

namespace avrtazu::uitest {
namespace {

using namespace std::string_literals;
using Sheet = CProjectPropertiesSheet;

using SheetTest = OptionsTest;

// The sheet opens on the stored page (an index out of range: the first) and fills only that
// one; Cancel writes nothing.
TEST_F(SheetTest, OpensOnTheStoredPageFillsOnlyThatOneAndCancelWritesNothing) {
    project.setName("blinky");
    for (const int stored : {0, 1, 2, 3, 4}) {
        project.setOptionTabIndex(stored);
        const int result = runSheet(
            project,
            [&](Sheet& sheet) {
                const int active = sheet.activePageIndex();
                seen += sheet.windowTitle().toStdString() + ": " +
                        sheet.tabWidget().tabText(active).toStdString() + " " +
                        std::to_string(sheet.generalPage().isInitialised()) +
                        std::to_string(sheet.includePage().isInitialised()) +
                        std::to_string(sheet.compilerPage().isInitialised()) +
                        std::to_string(sheet.targetPage().isInitialised()) + "\n";
                sheet.setActivePage((active + 1) % Sheet::PageCount);
                sheet.setActivePage(Sheet::GeneralPage);
                type(sheet.generalPage(), "outputFileNameEdit", "x.o");
            },
            "cancelButton");
        EXPECT_EQ(result, QDialog::Rejected);
    }
}

// Without a host the help button does nothing, and the sheet stays open.
TEST_F(SheetTest, HelpAsksTheHostForTheActivePagesTopic) {
    PlugInUtility::instance().setHost(&works);
    auto sheet = makeSheet(project);
    sheet->show();
    for (int page = 0; page < Sheet::PageCount; ++page) {
        sheet->setActivePage(page);
        click(*sheet, "helpButton");
    }
    PlugInUtility::instance().setHost(nullptr);
    click(*sheet, "helpButton");
    EXPECT_TRUE(sheet->isVisible());
    seen = events();
}

using GeneralPageTest = OptionsTest;

// A chosen configuration becomes active; the Paths, Compiler and Target pages follow the
// external-Makefile check.
TEST_F(GeneralPageTest, FirstDisplayAndTheExternalMakefileCheck) {
    project.setUsesExtMakefile(true);
    project.setExtMakefile("build\\Makefile");
    auto sheet = makeSheet(project);
    sheet->show();
    const QWidget& page = sheet->generalPage();
    seen = describe(page);
    choose(page, "configurationCombo", "Release");
    for (const bool checked : {false, true}) {
        sheet->setActivePage(Sheet::GeneralPage);
        click(page, "useExternalMakefileCheck");
        sheet->setActivePage(Sheet::PathsPage);
        seen += "== checked " + std::to_string(checked) + ", active " +
                project.currentConfigName() + ", uses " +
                std::to_string(project.usesExtMakefile()) + ", compiler " +
                std::to_string(sheet->compilerPage().externalMakefile()) + ", target " +
                std::to_string(sheet->targetPage().externalMakefile()) + "\n" + describe(page) +
                describe(sheet->includePage());
    }
}

// An empty name keeps the old one; a folder below the project (letter case counts) becomes
// relative; unchecking clears the Makefile; a cancelled chooser keeps what was there, and the
// output folder's chooser starts at the current folder.
TEST_F(GeneralPageTest, OkWritesTheControlsAndTheChoosersAnswers) {
    // Makefile used before, check clicked, the texts typed.
    const std::tuple<bool, bool, const char*, const char*, const char*> cases[] = {
        {false, false, "", "blink.o", "C:\\work\\demo\\bin\\"},
        {false, false, "", "", "c:\\WORK\\demo\\bin\\"},
        {true, true, "Makefile", "demo.o", "default\\"},
        {false, true, "C:\\work\\demo\\mk\\Makefile", "demo.o", "default\\"},
    };
    for (const auto& [usesBefore, toggle, makefile, name, folder] : cases) {
        Project edited = project;
        edited.setUsesExtMakefile(usesBefore);
        edited.setExtMakefile(usesBefore ? "Makefile" : "");
        seen += "== "s + makefile + " " + name + " " + folder + "\n";
        runSheet(edited, [&](Sheet& sheet) {
            if (toggle) {
                click(sheet.generalPage(), "useExternalMakefileCheck");
            }
            type(sheet.generalPage(), "externalMakefileEdit", makefile);
            type(sheet.generalPage(), "outputFileNameEdit", name);
            type(sheet.generalPage(), "outputDirectoryEdit", folder);
        });
    }
    seen += "== choosers\n";
    dialogs.queueFolder("C:\\work\\demo\\obj\\");
    runSheet(project, [&](Sheet& sheet) {
        const QWidget& page = sheet.generalPage();
        click(page, "useExternalMakefileCheck");
        click(page, "outputDirectoryBrowseButton");
        click(page, "outputDirectoryBrowseButton");
        for (const char* chosen : {"C:\\work\\demo\\sub\\Makefile", "D:\\other\\Makefile", ""}) {
            if (*chosen != '\0') {
                dialogs.queueOpenFiles({chosen});
            }
            click(page, "externalMakefileBrowseButton");
            seen += "chosen " + text(page, "externalMakefileEdit") + "\n";
        }
    });
}

using PathsPageTest = OptionsTest;

// Each list: a folder without its backslash, once; letter case counts; a cancelled browser
// and a bare backslash add nothing; OK stores the lists relative to the project.
TEST_F(PathsPageTest, AddAndRemoveEditEachListAndOkStoresIt) {
    Project edited("demo", kHome);
    edited.addConfig(Configuration("default", "demo.o"));
    edited.addIncludeDirectory("old");
    edited.addAsmIncludeDirectory("old");
    edited.addLibraryDirectory("old");
    edited.setOptionTabIndex(Sheet::PathsPage);
    runSheet(edited, [&](Sheet& sheet) {
        const QWidget& page = sheet.includePage();
        seen += describe(page);
        for (const std::string list : {"include", "asmInclude", "library"}) {
            const std::string below = "C:\\work\\demo\\" + list;
            for (const std::string& folder :
                 {below + "\\", "C:\\work\\"s, "C:\\work\\"s, "C:\\WORK\\"s, ""s, "\\"s}) {
                if (!folder.empty()) {
                    dialogs.queueFolder(folder);
                }
                click(page, list + "AddButton");
            }
            seen += describe(page, {list + "List"});
            auto& widget = control<QListWidget>(page, list + "List");
            widget.item(0)->setSelected(true);
            widget.item(2)->setSelected(true);
            click(page, list + "RemoveButton");
            click(page, list + "RemoveButton");
            seen += describe(page, {list + "List"});
        }
    });
}

class CompilerOptionTest : public OptionsTest {
protected:
    // Its ecasb ends in a byte that is not UTF-8, which must come back unchanged.
    CompilerOptionTest() : OptionsTest("compiler_project.txt") {
        project.setOptionTabIndex(Sheet::CompilerPage);
    }
};

// Each change alone: the project gets that one switch and nothing else. The optimisation
// switches stay locked and pass their stored values through.
TEST_F(CompilerOptionTest, OkWritesEachSwitchTheUserChangedAndNothingElse) {
    const std::function<void(QWidget&)> edits[] = {
        [](QWidget& p) { click(p, "strictCheckings"); },
        [](QWidget& p) { click(p, "extension"); },
        [](QWidget& p) { click(p, "intSizeEnum"); },
        [](QWidget& p) { type(p, "macroDefinitions", "LED=2 X"); },
        [](QWidget& p) { type(p, "undefines", "A B"); },
        [](QWidget& p) { control<QComboBox>(p, "outputFormat").setCurrentIndex(2); },
        [](QWidget& p) {
            auto& ecasb = control<QLineEdit>(p, "ecasb");
            ecasb.setText(ecasb.text() + " -q");
        },
    };
    for (const auto& edit : edits) {
        Project edited = project;
        runSheet(edited, [&](Sheet& sheet) { edit(sheet.compilerPage()); });
    }
}

// The stored output format selects the first entry beginning with it; the stored text stays
// until a change on the page re-reads the controls.
TEST_F(CompilerOptionTest, OutputFormatAndTheExternalMakefileLock) {
    for (const char* stored : {"coff", "intel", "Motorola S"}) {
        for (const bool change : {false, true}) {
            Project edited = project;
            edited.setOutputFormat(stored);
            runSheet(edited, [&](Sheet& sheet) {
                seen += describe(sheet.compilerPage(), {"outputFormat"});
                if (change) {
                    click(sheet.compilerPage(), "strictCheckings");
                }
            });
        }
    }
    CCompilerOption page(project);
    for (const bool external : {true, false}) {
        page.setExternalMakefile(external);
        page.onSetActive();
        seen += "== external " + std::to_string(external) + "\n" + describe(page);
    }
}

using OptionPagesTest = OptionsTest;

// Every failure inside a page goes to the log under the operation's name, followed by the fixed
// text for the user.
TEST_F(OptionPagesTest, FailuresInsideFillAndHarvestAreLoggedWithTheirContext) {
    Project empty("broken", kHome);
    const auto fail = [&](auto&& page) {
        page.onSetActive();
        page.harvestDataFromControls(empty);
    };
    fail(CGeneralPropertyPage(empty, nullptr));
    fail(CIncludePropertyPage(empty));
    fail(CCompilerOption(empty));
    CTargetOptionDlg target(empty, false);
    target.setSupportedParts(deviceNames());
    fail(target);
    seen = events();
}

// A page shown again after a switch of the configuration shows the new one and writes into it;
// shown again in the same configuration, it keeps what the user did. Pages still showing the
// configuration the user switched away from write nothing.
TEST_F(OptionPagesTest, PagesShownAgainAfterASwitchShowAndWriteTheNewConfiguration) {
    project.setActiveConfiguration("Release");
    project.setMacroDefinitions("RELEASE=1");
    project.setPrintfVersion(1);
    project.setActiveConfiguration("default");
    runSheet(project, [&](Sheet& sheet) {
        for (const int page : {Sheet::PathsPage, Sheet::CompilerPage, Sheet::TargetPage}) {
            sheet.setActivePage(page);
        }
        sheet.setActivePage(Sheet::PathsPage);
        dialogs.queueFolder("E:\\added\\");
        click(sheet.includePage(), "includeAddButton");
        sheet.setActivePage(Sheet::GeneralPage);
        sheet.setActivePage(Sheet::PathsPage);
        seen += describe(sheet.includePage(), {"includeList"});
        // Stale pages: what the user typed for "default" is dropped after the switch.
        type(sheet.compilerPage(), "macroDefinitions", "ONLY_DEFAULT");
        type(sheet.targetPage(), "otherOptions", "-v");

        sheet.setActivePage(Sheet::GeneralPage);
        choose(sheet.generalPage(), "configurationCombo", "Release");
        sheet.setActivePage(Sheet::PathsPage);
        seen += describe(sheet.includePage(), {"includeList", "libraryList"});
        dialogs.queueFolder("E:\\release\\");
        click(sheet.includePage(), "includeAddButton");
        sheet.setActivePage(Sheet::CompilerPage);
        seen += describe(sheet.compilerPage(), {"macroDefinitions"});
        type(sheet.compilerPage(), "undefines", "OLD");
        sheet.setActivePage(Sheet::TargetPage);
        seen += describe(sheet.targetPage(), {"printfLong"});
        type(sheet.targetPage(), "otherOptions", "-r");
    });
}

using ConfigurationsDialogTest = OptionsTest;

// Letter case counts for a name, not for the order; the project waits for OK, which creates
// the added configurations with the project's object file and nothing else. The General page
// shows them.
TEST_F(ConfigurationsDialogTest, AddRefusesEmptyAndListedNamesAndOkCreatesTheRest) {
    project.setName("motor");
    project.setActiveConfiguration("Release");
    runSheet(project, [&](Sheet& sheet) {
        onModal([&](QDialog& dialog) {
            seen += describe(dialog);
            for (const char* name : {"", "default", "Default", "zeta", "Default"}) {
                type(dialog, "newName", name);
                click(dialog, "addConfiguration");
            }
            seen += describe(dialog);
            click(dialog, "ok");
            return dialog.result();
        });
        click(sheet.generalPage(), "editConfigurationsButton");
        seen += describe(sheet.generalPage(), {"configurationCombo"});
    });
}

// Deleting acts on the project at once, even when the dialog is cancelled afterwards.
TEST_F(ConfigurationsDialogTest, DeleteActsOnTheProjectAtOnceEvenWhenCancelled) {
    for (const char* selected : {"", "Release", "default"}) {
        Project edited = project;
        CConfigurationsDialog dialog(edited);
        type(dialog, "newName", "Flash");
        click(dialog, "addConfiguration");
        if (*selected != '\0') {
            auto& list = control<QListWidget>(dialog, "configurationList");
            list.setCurrentItem(list.findItems(selected, Qt::MatchExactly).front());
        }
        click(dialog, "delete");
        seen += "== "s + selected + "\n" + events() + describe(dialog, {"configurationList"});
        click(dialog, "cancel");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        seen += changes(project, edited);
    }
}

// The page reads the build tree's supported-parts file, which lists the whole device table.
class TargetOptionDlgTest : public OptionsTest {
protected:
    // A Custom configuration whose layout the user typed.
    TargetOptionDlgTest() : OptionsTest("target_project.txt") {
        const QString bin = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../bin");
        CTargetOptionDlg::setStudioDirectoryFallback(DriveMap::toWindows(bin.toStdString()) + "\\");
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
// without the new-project flag the stored layout stays, with it a listed device's is shown. One
// case a configuration of the fixture; a name ending in "new" sets the flag.
TEST_F(TargetOptionDlgTest, StoredSettingsSelectTheirEntries) {
    Project cases("cases", kHome);
    load(cases, "target_stored_settings.txt");
    for (const auto& [name, c] : cases.configs()) {
        Project edited = project;
        edited.setPart(c.part());
        edited.setBootSize(c.bootSize());
        edited.setSram(c.sram());
        edited.setFpslicMemory(c.fpslicMemory());
        edited.setProgramType(1);
        const bool newProject = name.ends_with("new");
        const Project before = edited;
        const auto page = show(edited, newProject);
        seen +=
            "== " + c.part() + " " + c.bootSize() + " / " + c.sram() + " / " + c.fpslicMemory() +
            (newProject ? " / new" : "") + "\n" +
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

// Without a host, the build tree's file lists the whole table; a missing file is logged, and
// the page still opens with the stored layout.
TEST_F(TargetOptionDlgTest, DeviceListComesFromTheSupportedPartsFileOfTheHost) {
    EXPECT_EQ(entries(control<QComboBox>(*show(project), "part")), deviceNames());
    test::TempDrive drive('S');
    drive.write("studio\\AvrStudioPlugin\\tazusupportedparts.txt", "  Custom \r\nATtiny13\t\n");
    works.studioDirectory = "S:\\studio\\";
    PlugInUtility::instance().setHost(&works);
    seen = describe(*show(project), {"part"});
    seen += events();
    works.studioDirectory = "S:\\nowhere\\";
    seen += describe(*show(project), {"part", "programMemory"});
}

TEST_F(TargetOptionDlgTest, NotesButtonShowsTheNotesInAnInformationBox) {
    click(*show(project), "notes");
    seen = events();
}

} // namespace
} // namespace avrtazu::uitest
