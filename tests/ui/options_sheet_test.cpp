#include "ui/ui_test_support.h"

#include "platform/file_system.h"
#include "ui/compiler_option.h"
#include "ui/configurations_dialog.h"
#include "ui/general_property_page.h"
#include "ui/include_property_page.h"
#include "ui/target_option_dlg.h"

#include <QComboBox>
#include <QListWidget>
#include <QTabWidget>

namespace avrtazu::uitest {
namespace {

using namespace std::string_literals;
using Page = CProjectPropertiesSheet;

// The three lists of the Paths page by the prefix of their control names.
const char* const kLists[] = {"include", "asmInclude", "library"};

using SheetTest = OptionsTest;

TEST_F(SheetTest, OpensOnTheStoredPageFillsOnlyThatOneAndCancelWritesNothing) {
    project.setName("blinky");
    std::string shown;
    for (const int stored : {0, 1, 2, 3, 4}) {
        project.setOptionTabIndex(stored);
        const Project before = project;
        auto sheet = makeSheet();
        const int result = runSheet(
            *sheet,
            [&] {
                const int active = sheet->activePageIndex();
                shown += std::to_string(stored) + ": " + sheet->windowTitle().toStdString() + ", " +
                         sheet->tabWidget().tabText(active).toStdString() + " " +
                         std::to_string(sheet->generalPage().isInitialised()) +
                         std::to_string(sheet->includePage().isInitialised()) +
                         std::to_string(sheet->compilerPage().isInitialised()) +
                         std::to_string(sheet->targetPage().isInitialised()) + "\n";
                sheet->setActivePage((active + 1) % Page::PageCount);
                sheet->setActivePage(Page::GeneralPage);
                type(sheet->generalPage(), "outputFileNameEdit", "x.o");
            },
            "cancelButton");
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(changes(before, project), "");
    }
    EXPECT_EQ(shown, "0: blinky project options, General 1000\n"
                     "1: blinky project options, Paths 0100\n"
                     "2: blinky project options, Compiler 0010\n"
                     "3: blinky project options, Target 0001\n"
                     "4: blinky project options, General 1000\n");
}

// Pages never shown, and pages still showing a configuration the user switched away from,
// must not write their empty or stale controls into the project.
TEST_F(SheetTest, OkWritesOnlyPagesShownForTheActiveConfiguration) {
    project.setPart("ATMega16");
    project.setUsesExtMakefile(true);
    project.setExtMakefile("Makefile");
    std::string shown;
    for (const int opened : {Page::TargetPage, Page::GeneralPage}) {
        Project edited = project;
        edited.setOptionTabIndex(opened);
        const Project before = edited;
        auto sheet = makeSheet(edited);
        // Changed after the Compiler page read the project.
        runSheet(*sheet, [&] { edited.setMacroDefinitions("CHANGED=1"); });
        shown += "== page " + std::to_string(opened) + "\n" + changes(before, edited) + events();
    }
    const Project before = project;
    auto sheet = makeSheet();
    runSheet(*sheet, [&] {
        for (const int page : {Page::PathsPage, Page::CompilerPage, Page::TargetPage}) {
            sheet->setActivePage(page);
        }
        type(sheet->compilerPage(), "macroDefinitions", "ONLY_DEFAULT");
        type(sheet->targetPage(), "otherOptions", "-v");
        sheet->setActivePage(Page::GeneralPage);
        choose(sheet->generalPage(), "configurationCombo", "Release");
    });
    expectGolden("sheet_ok.txt", shown + "== switched to Release\n" + changes(before, project));
}

TEST_F(SheetTest, HelpAsksTheHostForTheActivePagesTopic) {
    PlugInUtility::instance().setHost(&works);
    auto sheet = makeSheet();
    sheet->show();
    for (int page = 0; page < Page::PageCount; ++page) {
        sheet->setActivePage(page);
        click(*sheet, "helpButton");
    }
    // Without a host the button does nothing, and the sheet stays open.
    PlugInUtility::instance().setHost(nullptr);
    click(*sheet, "helpButton");
    EXPECT_TRUE(sheet->isVisible());
    expectGolden("sheet_help.txt", events());
}

using GeneralPageTest = OptionsTest;

// The Paths, Compiler and Target pages follow the external-Makefile check.
TEST_F(GeneralPageTest, FirstDisplayAndTheExternalMakefileCheck) {
    project.setUsesExtMakefile(true);
    project.setExtMakefile("build\\Makefile");
    auto sheet = makeSheet();
    sheet->show();
    const QWidget& page = sheet->generalPage();
    std::string shown = describe(page);
    choose(page, "configurationCombo", "Release");
    shown += "== Release\n" +
             describe(page, {"configurationCombo", "outputFileNameEdit", "outputDirectoryEdit"});
    for (const bool checked : {false, true}) {
        sheet->setActivePage(Page::GeneralPage);
        click(page, "useExternalMakefileCheck");
        sheet->setActivePage(Page::PathsPage);
        shown += "== checked " + std::to_string(checked) + ", active " +
                 project.currentConfigName() + ", uses " +
                 std::to_string(project.usesExtMakefile()) + ", compiler " +
                 std::to_string(sheet->compilerPage().externalMakefile()) + ", target " +
                 std::to_string(sheet->targetPage().externalMakefile()) + "\n" + describe(page) +
                 describe(sheet->includePage());
    }
    expectGolden("general_page.txt", shown);
}

// An empty name keeps the old one; a folder below the project (letter case counts) becomes
// relative; unchecking clears the Makefile; a cancelled chooser keeps what was there.
TEST_F(GeneralPageTest, OkWritesTheControlsAndTheChoosersAnswers) {
    struct Case {
        bool usesBefore, check;
        const char *makefile, *outputName, *outputDir;
    };
    const Case cases[] = {
        {false, false, "", "blink.o", "C:\\work\\demo\\bin\\"},
        {false, false, "", "", "c:\\WORK\\demo\\bin\\"},
        {true, false, "Makefile", "demo.o", "default\\"},
        {false, true, "C:\\work\\demo\\mk\\Makefile", "demo.o", "default\\"},
    };
    std::string shown;
    for (const Case& c : cases) {
        Project edited = project;
        edited.setUsesExtMakefile(c.usesBefore);
        edited.setExtMakefile(c.usesBefore ? "Makefile" : "");
        const Project before = edited;
        auto sheet = makeSheet(edited);
        runSheet(*sheet, [&] {
            const QWidget& page = sheet->generalPage();
            if (c.check != c.usesBefore) {
                click(page, "useExternalMakefileCheck");
            }
            type(page, "externalMakefileEdit", c.makefile);
            type(page, "outputFileNameEdit", c.outputName);
            type(page, "outputDirectoryEdit", c.outputDir);
        });
        shown += "== "s + c.makefile + " " + c.outputName + " " + c.outputDir + "\n" +
                 changes(before, edited);
    }

    const Project before = project;
    auto sheet = makeSheet();
    runSheet(*sheet, [&] {
        const QWidget& page = sheet->generalPage();
        click(page, "outputDirectoryBrowseButton");
        dialogs.queueFolder("C:\\work\\demo\\obj\\");
        click(page, "outputDirectoryBrowseButton");
        click(page, "useExternalMakefileCheck");
        for (const char* chosen : {"C:\\work\\demo\\sub\\Makefile", "D:\\other\\Makefile", ""}) {
            if (*chosen != '\0') {
                dialogs.queueOpenFiles({chosen});
            }
            click(page, "externalMakefileBrowseButton");
            shown += "chosen " + text(page, "externalMakefileEdit") + "\n";
        }
    });
    // The output folder's chooser starts at the current folder.
    std::string asked = events();
    const std::string here = FileSystem::currentFolder();
    for (std::size_t at; (at = asked.find(here)) != std::string::npos;) {
        asked.replace(at, here.size(), "(current folder)");
    }
    expectGolden("general_harvest.txt", shown + "== choosers\n" + changes(before, project) + asked);
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
    edited.setOptionTabIndex(Page::PathsPage);
    const Project before = edited;
    auto sheet = makeSheet(edited);
    std::string shown;
    runSheet(*sheet, [&] {
        const QWidget& page = sheet->includePage();
        shown += describe(page);
        for (const std::string list : kLists) {
            const std::string below = "C:\\work\\demo\\" + list;
            for (const std::string& folder :
                 {below + "\\", "C:\\work\\"s, "C:\\work\\"s, "C:\\WORK\\"s, ""s, "\\"s}) {
                if (!folder.empty()) {
                    dialogs.queueFolder(folder);
                }
                click(page, list + "AddButton");
            }
            shown += describe(page, {list + "List"});
            auto& widget = control<QListWidget>(page, list + "List");
            widget.item(0)->setSelected(true);
            widget.item(2)->setSelected(true);
            click(page, list + "RemoveButton");
            click(page, list + "RemoveButton");
            shown += describe(page, {list + "List"});
        }
    });
    expectGolden("paths_page.txt", shown + changes(before, edited));
}

class CompilerOptionTest : public OptionsTest {
protected:
    CompilerOptionTest() {
        project.setStrictCheckings(true);
        project.setExtension(false);
        project.setIntSizeEnum(true);
        project.setCodeCompression(true);
        project.setMacroDefinitions("F_CPU=8000000");
        project.setUndefines("NDEBUG");
        project.setOutputFormat("COFF");
        // A byte that is not UTF-8 must come back unchanged.
        project.setEcasb("avrdude -U flash:w:blink.hex \xFC");
    }
};

// Each change alone: the project gets that one switch and nothing else. The optimisation
// switches stay locked and pass their stored values through.
TEST_F(CompilerOptionTest, OkWritesEachSwitchTheUserChangedAndNothingElse) {
    const std::function<void(CCompilerOption&)> edits[] = {
        [](CCompilerOption& p) { click(p, "strictCheckings"); },
        [](CCompilerOption& p) { click(p, "extension"); },
        [](CCompilerOption& p) { click(p, "intSizeEnum"); },
        [](CCompilerOption& p) { type(p, "macroDefinitions", "LED=2 X"); },
        [](CCompilerOption& p) { type(p, "undefines", "A B"); },
        [](CCompilerOption& p) { control<QComboBox>(p, "outputFormat").setCurrentIndex(2); },
        [](CCompilerOption& p) {
            auto& ecasb = control<QLineEdit>(p, "ecasb");
            ecasb.setText(ecasb.text() + " -q");
        },
    };
    std::string shown;
    for (const auto& edit : edits) {
        Project edited = project;
        CCompilerOption page(edited);
        page.onSetActive();
        edit(page);
        page.harvestDataFromControls(edited);
        shown += "==\n" + changes(project, edited);
    }
    expectGolden("compiler_harvest.txt", shown);
}

// The stored output format selects the first entry beginning with it; the stored text stays
// until a change on the page re-reads the controls.
TEST_F(CompilerOptionTest, OutputFormatAndTheExternalMakefileLock) {
    std::string shown;
    for (const char* stored : {"coff", "intel", "Motorola S"}) {
        Project edited = project;
        edited.setOutputFormat(stored);
        CCompilerOption page(edited);
        page.onSetActive();
        shown += describe(page, {"outputFormat"});
        page.harvestDataFromControls(edited);
        shown += changes(project, edited);
        click(page, "strictCheckings");
        page.harvestDataFromControls(edited);
        shown += changes(project, edited);
    }
    CCompilerOption page(project);
    for (const bool external : {true, false}) {
        page.setExternalMakefile(external);
        page.onSetActive();
        shown += "== external " + std::to_string(external) + "\n" + describe(page);
    }
    expectGolden("compiler_page.txt", shown);
}

using OptionPagesTest = OptionsTest;

// Every failure inside a page goes to the log under the operation's name, followed by the fixed
// text for the user.
TEST_F(OptionPagesTest, FailuresInsideFillAndHarvestAreLoggedWithTheirContext) {
    Project empty("broken", kHome);
    const auto failures = [&](auto&& page) {
        page.onSetActive();
        page.harvestDataFromControls(empty);
        return events();
    };
    std::string shown = events();
    shown += failures(CGeneralPropertyPage(empty, nullptr));
    shown += failures(CIncludePropertyPage(empty));
    shown += failures(CCompilerOption(empty));
    CTargetOptionDlg target(empty, false);
    target.setSupportedParts({"Custom"});
    expectGolden("pages_without_configuration.txt", shown + failures(target));
}

// A page shown again after a switch of the configuration shows the new one and writes into it;
// shown again in the same configuration, it keeps what the user did.
TEST_F(OptionPagesTest, PagesShownAgainAfterASwitchShowAndWriteTheNewConfiguration) {
    project.setActiveConfiguration("Release");
    project.setMacroDefinitions("RELEASE=1");
    project.setPrintfVersion(1);
    project.setActiveConfiguration("default");
    const Project before = project;
    auto sheet = makeSheet();
    std::string shown;
    runSheet(*sheet, [&] {
        for (const int page : {Page::PathsPage, Page::CompilerPage, Page::TargetPage}) {
            sheet->setActivePage(page);
        }
        sheet->setActivePage(Page::PathsPage);
        dialogs.queueFolder("E:\\added\\");
        click(sheet->includePage(), "includeAddButton");
        sheet->setActivePage(Page::GeneralPage);
        sheet->setActivePage(Page::PathsPage);
        shown += describe(sheet->includePage(), {"includeList"});

        sheet->setActivePage(Page::GeneralPage);
        choose(sheet->generalPage(), "configurationCombo", "Release");
        sheet->setActivePage(Page::PathsPage);
        shown += describe(sheet->includePage(), {"includeList", "libraryList"});
        dialogs.queueFolder("E:\\release\\");
        click(sheet->includePage(), "includeAddButton");
        sheet->setActivePage(Page::CompilerPage);
        shown += describe(sheet->compilerPage(), {"macroDefinitions"});
        type(sheet->compilerPage(), "undefines", "OLD");
        sheet->setActivePage(Page::TargetPage);
        shown += describe(sheet->targetPage(), {"printfLong"});
        type(sheet->targetPage(), "otherOptions", "-r");
    });
    expectGolden("pages_switched.txt", shown + changes(before, project));
}

using ConfigurationsDialogTest = OptionsTest;

// Letter case counts for a name, not for the order; the project waits for OK, which creates
// the added configurations with the project's object file and nothing else.
TEST_F(ConfigurationsDialogTest, AddRefusesEmptyAndListedNamesAndOkCreatesTheRest) {
    project.setName("motor");
    project.setActiveConfiguration("Release");
    const Project before = project;
    CConfigurationsDialog dialog(project);
    std::string shown = dialog.windowTitle().toStdString() + "\n" + describe(dialog);
    for (const char* name : {"", "default", "Default", "zeta", "Default"}) {
        type(dialog, "newName", name);
        click(dialog, "addConfiguration");
    }
    shown += describe(dialog) + events() + changes(before, project);
    click(dialog, "ok");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    expectGolden("configurations_add.txt", shown + "== OK\n" + changes(before, project));
}

TEST_F(ConfigurationsDialogTest, GeneralPageOpensItAndShowsTheNewConfigurationsAfterOk) {
    auto sheet = makeSheet();
    sheet->show();
    onModal([](QDialog& dialog) {
        type(dialog, "newName", "beta");
        click(dialog, "addConfiguration");
        click(dialog, "ok");
        return dialog.result();
    });
    click(sheet->generalPage(), "editConfigurationsButton");
    EXPECT_EQ(describe(sheet->generalPage(), {"configurationCombo"}),
              "configurationCombo: <default> alpha, beta, default, Release\n");
}

// Deleting acts on the project at once, even when the dialog is cancelled afterwards.
TEST_F(ConfigurationsDialogTest, DeleteActsOnTheProjectAtOnceEvenWhenCancelled) {
    std::string shown;
    for (const char* selected : {"", "Release", "default"}) {
        Project edited = project;
        CConfigurationsDialog dialog(edited);
        type(dialog, "newName", "Flash");
        click(dialog, "addConfiguration");
        if (*selected != '\0') {
            auto& list = control<QListWidget>(dialog, "configurationList");
            list.setCurrentItem(list.findItems(selected, Qt::MatchExactly).front());
        }
        events();
        click(dialog, "delete");
        shown += "== "s + selected + "\n" + events() + describe(dialog, {"configurationList"});
        click(dialog, "cancel");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        shown += changes(project, edited);
    }
    expectGolden("configurations_delete.txt", shown);
}

} // namespace
} // namespace avrtazu::uitest
