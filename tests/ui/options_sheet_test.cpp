#include "ui/ui_test_support.h"

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

// Pages never shown, and pages still showing a configuration the user switched away from,
// must not write their empty or stale controls into the project.
TEST_F(SheetTest, OkWritesOnlyPagesShownForTheActiveConfiguration) {
    project.setPart("ATMega16");
    project.setUsesExtMakefile(true);
    project.setExtMakefile("Makefile");
    for (const int opened : {Sheet::TargetPage, Sheet::GeneralPage}) {
        Project edited = project;
        edited.setOptionTabIndex(opened);
        // Changed after the Compiler page read the project.
        runSheet(edited, [&](Sheet&) { edited.setMacroDefinitions("CHANGED=1"); });
    }
    runSheet(project, [&](Sheet& sheet) {
        for (const int page : {Sheet::PathsPage, Sheet::CompilerPage, Sheet::TargetPage}) {
            sheet.setActivePage(page);
        }
        type(sheet.compilerPage(), "macroDefinitions", "ONLY_DEFAULT");
        type(sheet.targetPage(), "otherOptions", "-v");
        sheet.setActivePage(Sheet::GeneralPage);
        choose(sheet.generalPage(), "configurationCombo", "Release");
    });
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
// shown again in the same configuration, it keeps what the user did.
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
            seen += dialog.windowTitle().toStdString() + "\n" + describe(dialog);
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

} // namespace
} // namespace avrtazu::uitest
