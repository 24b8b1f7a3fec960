#include "ui/ui_test_support.h"

#include "ui/compiler_option.h"
#include "ui/configurations_dialog.h"
#include "ui/general_property_page.h"
#include "ui/include_property_page.h"
#include "ui/target_option_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace avrtazu::uitest {
namespace {

using namespace std::string_literals;
using Page = CProjectPropertiesSheet;

const char* const kInconsistency =
    "Inconsistency in internal datastructures. Please restart AVR Studio";

// The three lists by the prefix of their control names.
const char* const kLists[] = {"include", "asmInclude", "library"};

Names items(const QWidget& page, const std::string& list) {
    return entries(control<QListWidget>(page, list + "List"));
}

using SheetTest = OptionsTest;

TEST_F(SheetTest, OpensOnTheStoredPageFillsOnlyThatOneAndCancelWritesNothing) {
    project.setName("blinky");
    const char* titles[] = {"General", "Paths", "Compiler", "Target"};
    for (const auto& [stored, active] :
         std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 0}}) {
        SCOPED_TRACE(stored);
        project.setOptionTabIndex(stored);
        auto sheet = makeSheet();
        EXPECT_EQ(sheet->windowTitle().toStdString(), "blinky project options");
        const QWidget* pages[] = {&sheet->generalPage(), &sheet->includePage(),
                                  &sheet->compilerPage(), &sheet->targetPage()};
        const int result = runSheet(
            *sheet,
            [&] {
                EXPECT_EQ(sheet->activePageIndex(), active);
                EXPECT_EQ(sheet->tabWidget().currentWidget(), pages[active]);
                EXPECT_EQ(sheet->tabWidget().tabText(active).toStdString(), titles[active]);
                EXPECT_EQ(sheet->generalPage().isInitialised(), active == 0);
                EXPECT_EQ(sheet->includePage().isInitialised(), active == 1);
                EXPECT_EQ(sheet->compilerPage().isInitialised(), active == 2);
                EXPECT_EQ(sheet->targetPage().isInitialised(), active == 3);
                sheet->setActivePage((active + 1) % Page::PageCount);
                sheet->setActivePage(Page::GeneralPage);
                control<QLineEdit>(sheet->generalPage(), "outputFileNameEdit").setText("x.o");
            },
            "cancelButton");
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(project.optionTabIndex(), stored);
        EXPECT_EQ(project.outputFileName(), "demo.o");
        EXPECT_FALSE(project.hex());
    }
}

// A page never shown must not write its empty or stale controls into the project.
TEST_F(SheetTest, OkLeavesPagesThatWereNeverShownOutOfTheProject) {
    project.setPart("ATMega16");
    project.setUsesExtMakefile(true);
    project.setExtMakefile("Makefile");
    for (const int opened : {Page::TargetPage, Page::GeneralPage}) {
        SCOPED_TRACE(opened);
        hub->partNamesSet.clear();
        Project edited = project;
        edited.setOptionTabIndex(opened);
        auto sheet = makeSheet(edited);
        // Changed after the Compiler page read the project.
        runSheet(*sheet, [&] { edited.setMacroDefinitions("CHANGED=1"); });
        EXPECT_EQ(edited.macroDefinitions(), "CHANGED=1");
        EXPECT_EQ(edited.includes(), project.includes());
        if (opened == Page::TargetPage) {
            EXPECT_EQ(edited.extMakefile(), "Makefile");
            EXPECT_TRUE(edited.usesExtMakefile());
            EXPECT_FALSE(edited.hex());
        } else {
            EXPECT_EQ(edited.part(), "ATMega16");
            EXPECT_TRUE(hub->partNamesSet.empty());
        }
    }
}

// Pages still showing the configuration the user switched away from leave the new one alone.
TEST_F(SheetTest, SwitchingConfigurationKeepsOtherPagesFromOverwritingIt) {
    auto sheet = makeSheet();
    runSheet(*sheet, [&] {
        sheet->setActivePage(Page::PathsPage);
        sheet->setActivePage(Page::CompilerPage);
        control<QLineEdit>(sheet->compilerPage(), "macroDefinitions").setText("ONLY_DEFAULT");
        sheet->setActivePage(Page::TargetPage);
        control<QLineEdit>(sheet->targetPage(), "otherOptions").setText("-v");
        sheet->setActivePage(Page::GeneralPage);
        auto& combo = control<QComboBox>(sheet->generalPage(), "configurationCombo");
        combo.setCurrentIndex(combo.findText("Release"));
    });
    EXPECT_EQ(project.currentConfigName(), "Release");
    EXPECT_EQ(project.macroDefinitions(), "");
    EXPECT_EQ(project.otherOptions(), "");
    EXPECT_EQ(project.includes(), (Names{"D:\\release\\include"}));
}

TEST_F(SheetTest, HelpAsksTheHostForTheActivePagesTopic) {
    PlugInUtility::instance().setHost(&works);
    auto sheet = makeSheet();
    sheet->show();
    for (int page = 0; page < Page::PageCount; ++page) {
        sheet->setActivePage(page);
        click(*sheet, "helpButton");
    }
    Names expected;
    for (const char* topic : {"General Options", "Paths", "Compiler Options", "Target Options"}) {
        expected.push_back(std::string("<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC>") +
                           topic + "</TOPIC></SHOW_HELP>");
    }
    EXPECT_EQ(works.helpRequests, expected);
    // Without a host the button does nothing, and the sheet stays open.
    PlugInUtility::instance().setHost(nullptr);
    click(*sheet, "helpButton");
    EXPECT_EQ(works.helpRequests.size(), 4u);
    EXPECT_TRUE(sheet->isVisible());
}

using GeneralPageTest = OptionsTest;

TEST_F(GeneralPageTest, FirstDisplayFillsEveryControlAndAChosenConfigurationBecomesActive) {
    auto sheet = makeSheet();
    sheet->show();
    const QWidget& page = sheet->generalPage();
    auto& combo = control<QComboBox>(page, "configurationCombo");
    // Sorted without regard to case, the active configuration selected.
    EXPECT_EQ(entries(combo), (Names{"alpha", "default", "Release"}));
    EXPECT_EQ(combo.currentText(), "default");
    EXPECT_EQ(text(page, "outputFileNameEdit"), "demo.o");
    EXPECT_EQ(text(page, "outputDirectoryEdit"), "default\\");
    EXPECT_FALSE(control<QCheckBox>(page, "useExternalMakefileCheck").isChecked());
    const auto& rules = control<QPlainTextEdit>(page, "rulesText");
    EXPECT_TRUE(rules.isReadOnly());
    EXPECT_EQ(rules.toPlainText().replace("\n", "\r\n").toStdString(),
              "1. Target name must equal project name.\r\n"
              "2. Clean/rebuild support requires  \"clean\" target.\r\n"
              "3. Makefile and target must exist in the same folder");

    combo.setCurrentIndex(combo.findText("Release"));
    EXPECT_EQ(project.currentConfigName(), "Release");
    EXPECT_EQ(combo.currentText(), "Release");
    EXPECT_EQ(text(page, "outputFileNameEdit"), "release.o");
    EXPECT_EQ(text(page, "outputDirectoryEdit"), "out\\");
}

TEST_F(GeneralPageTest, ExternalMakefileSetsEnablingAndThePathsPageFollows) {
    project.setUsesExtMakefile(true);
    project.setExtMakefile("build\\Makefile");
    auto sheet = makeSheet();
    sheet->show();
    const QWidget& page = sheet->generalPage();
    auto& check = control<QCheckBox>(page, "useExternalMakefileCheck");
    EXPECT_TRUE(check.isChecked());
    EXPECT_EQ(text(page, "externalMakefileEdit"), "build\\Makefile");
    for (const bool checked : {true, false, true}) {
        SCOPED_TRACE(checked);
        sheet->setActivePage(Page::GeneralPage);
        if (check.isChecked() != checked) {
            check.click();
        }
        EXPECT_EQ(project.usesExtMakefile(), checked);
        EXPECT_EQ(control<QLineEdit>(page, "externalMakefileEdit").isReadOnly(), !checked);
        EXPECT_EQ(control<QPushButton>(page, "externalMakefileBrowseButton").isEnabled(), checked);
        EXPECT_EQ(control<QPlainTextEdit>(page, "rulesText").isEnabled(), checked);
        EXPECT_EQ(control<QLineEdit>(page, "outputFileNameEdit").isReadOnly(), checked);
        EXPECT_EQ(control<QLineEdit>(page, "outputDirectoryEdit").isReadOnly(), checked);
        EXPECT_EQ(control<QPushButton>(page, "outputDirectoryBrowseButton").isEnabled(), !checked);
        EXPECT_EQ(sheet->compilerPage().externalMakefile(), checked);
        EXPECT_EQ(sheet->targetPage().externalMakefile(), checked);
        sheet->setActivePage(Page::PathsPage);
        for (const std::string list : kLists) {
            for (const char* suffix : {"List", "AddButton", "RemoveButton"}) {
                EXPECT_EQ(control<QWidget>(sheet->includePage(), list + suffix).isEnabled(),
                          !checked)
                    << list + suffix;
            }
        }
    }
}

TEST_F(GeneralPageTest, HarvestWritesTheControlsIntoTheProject) {
    struct Case {
        bool usesBefore, check;
        const char *makefile, *outputName, *outputDir, *storedMakefile, *storedName, *storedDir;
    };
    // An empty name keeps the old one; a folder below the project (letter case counts) becomes
    // relative; unchecking clears the Makefile.
    // clang-format off
    const Case cases[] = {
        {false, false, "",                             "blink.o", "C:\\work\\demo\\bin\\", "",             "blink.o", "bin\\"},
        {false, false, "",                             "",        "c:\\WORK\\demo\\bin\\", "",             "demo.o",  "c:\\WORK\\demo\\bin\\"},
        {true,  false, "Makefile",                     "demo.o",  "default\\",             "",             "demo.o",  "default\\"},
        {false, true,  "C:\\work\\demo\\mk\\Makefile", "demo.o",  "default\\",             "mk\\Makefile", "demo.o",  "default\\"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outputDir);
        Project edited = project;
        edited.setUsesExtMakefile(c.usesBefore);
        edited.setExtMakefile(c.usesBefore ? "Makefile" : "");
        auto sheet = makeSheet(edited);
        runSheet(*sheet, [&] {
            const QWidget& page = sheet->generalPage();
            if (control<QCheckBox>(page, "useExternalMakefileCheck").isChecked() != c.check) {
                click(page, "useExternalMakefileCheck");
            }
            control<QLineEdit>(page, "externalMakefileEdit").setText(c.makefile);
            control<QLineEdit>(page, "outputFileNameEdit").setText(c.outputName);
            control<QLineEdit>(page, "outputDirectoryEdit").setText(c.outputDir);
        });
        EXPECT_EQ(edited.usesExtMakefile(), c.check);
        EXPECT_EQ(edited.extMakefile(), c.storedMakefile);
        EXPECT_EQ(edited.outputFileName(), c.storedName);
        EXPECT_EQ(edited.outputDir(), c.storedDir);
        EXPECT_TRUE(edited.hex() && edited.list() && edited.map());
    }
}

TEST_F(GeneralPageTest, ChoosersShowTheFolderWithItsBackslashAndTheMakefileRelative) {
    Project edited = project;
    auto sheet = makeSheet(edited);
    runSheet(*sheet, [&] {
        const QWidget& page = sheet->generalPage();
        // A cancelled chooser keeps what was there.
        click(page, "outputDirectoryBrowseButton");
        EXPECT_EQ(text(page, "outputDirectoryEdit"), "default\\");
        dialogs.queueFolder("C:\\work\\demo\\obj\\");
        click(page, "outputDirectoryBrowseButton");
        EXPECT_EQ(text(page, "outputDirectoryEdit"), "C:\\work\\demo\\obj\\");
        EXPECT_EQ(sheet->generalPage().outputDirectoryText(), "C:\\work\\demo\\obj\\");

        click(page, "useExternalMakefileCheck");
        const std::pair<const char*, const char*> makefiles[] = {
            {"C:\\work\\demo\\sub\\Makefile", "sub\\Makefile"},
            {"D:\\other\\Makefile", "D:\\other\\Makefile"},
            {nullptr, "D:\\other\\Makefile"}};
        for (const auto& [chosen, shown] : makefiles) {
            if (chosen != nullptr) {
                dialogs.queueOpenFiles({chosen});
            }
            click(page, "externalMakefileBrowseButton");
            EXPECT_EQ(text(page, "externalMakefileEdit"), shown);
        }
    });
    EXPECT_EQ(edited.outputDir(), "obj\\");
    EXPECT_EQ(edited.extMakefile(), "D:\\other\\Makefile");
    const auto& requests = dialogs.dialogs();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[1].kind, ScriptedDialogService::DialogKind::BrowseFolder);
    EXPECT_EQ(requests[2].kind, ScriptedDialogService::DialogKind::OpenFiles);
    EXPECT_EQ(requests[2].filter, "");
    EXPECT_FALSE(requests[2].allowMultiple);
}

using PathsPageTest = OptionsTest;

TEST_F(PathsPageTest, FirstDisplayShowsTheNoteAndTheListsInProjectOrder) {
    project.setOptionTabIndex(Page::PathsPage);
    auto sheet = makeSheet();
    sheet->show();
    const QWidget& page = sheet->includePage();
    EXPECT_EQ(items(page, "include"), (Names{"C:\\work\\demo\\inc", "D:\\avr\\include"}));
    EXPECT_EQ(items(page, "asmInclude"), Names{"asm"});
    EXPECT_EQ(items(page, "library"), Names{"D:\\avr\\lib"});
    const auto& note = control<QPlainTextEdit>(page, "noteText");
    EXPECT_TRUE(note.isReadOnly());
    EXPECT_EQ(
        note.toPlainText().replace("\n", "\r\n").toStdString(),
        "NOTE: The compiler driver automatically adds <install root>\\include as the \r\n"
        "default include path and <install root>\\lib as the default library path. You do not \r\n"
        "need to add them to the respective edit boxes above.\r\n"
        "\r\n"
        "You may enter multiple paths in the \"Include Paths\" and the \\Library Paths\" \r\n"
        "fields.");
}

TEST_F(PathsPageTest, AddAndRemoveEditEachListAndOkStoresItRelativeToTheProject) {
    Project edited("demo", kHome);
    edited.addConfig(Configuration("default", "demo.o"));
    edited.addIncludeDirectory("old");
    edited.addAsmIncludeDirectory("old");
    edited.addLibraryDirectory("old");
    edited.setOptionTabIndex(Page::PathsPage);
    auto sheet = makeSheet(edited);
    runSheet(*sheet, [&] {
        const QWidget& page = sheet->includePage();
        for (const std::string list : kLists) {
            SCOPED_TRACE(list);
            // Without its backslash, once; letter case counts; a cancelled browser ("") and a
            // bare backslash add nothing.
            const std::string below = "C:\\work\\demo\\" + list;
            for (const std::string& folder :
                 {below + "\\", "C:\\work\\"s, "C:\\work\\"s, "C:\\WORK\\"s, ""s, "\\"s}) {
                if (!folder.empty()) {
                    dialogs.queueFolder(folder);
                }
                click(page, list + "AddButton");
            }
            EXPECT_EQ(items(page, list), (Names{"old", below, "C:\\work", "C:\\WORK"}));
            auto& widget = control<QListWidget>(page, list + "List");
            widget.item(0)->setSelected(true);
            widget.item(2)->setSelected(true);
            click(page, list + "RemoveButton");
            EXPECT_EQ(items(page, list), (Names{below, "C:\\WORK"}));
            click(page, list + "RemoveButton");
            EXPECT_EQ(items(page, list), (Names{below, "C:\\WORK"})) << "nothing selected";
        }
    });
    EXPECT_EQ(edited.includes(), (Names{"include", "C:\\WORK"}));
    EXPECT_EQ(edited.asmincludes(), (Names{"asmInclude", "C:\\WORK"}));
    EXPECT_EQ(edited.libdirs(), (Names{"library", "C:\\WORK"}));
}

// The nine values of the Compiler page, in a fixed order, as text.
// clang-format off
enum Field { Strict, Extension, IntSizeEnum, Compression, Global, Macros, Undefines, Format, Ecasb };
Names compilerValues(const Project& p) {
    const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
    return {flag(p.strictCheckings()), flag(p.extension()), flag(p.intSizeEnum()),
            flag(p.codeCompression()), flag(p.globalOptimizations()), p.macroDefinitions(),
            p.undefines(), p.outputFormat(), p.ecasb()};
}
// clang-format on

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
    static QCheckBox& box(CCompilerOption& page, const char* name) {
        return control<QCheckBox>(page, name);
    }
    static QLineEdit& edit(CCompilerOption& page, const char* name) {
        return control<QLineEdit>(page, name);
    }
    static QComboBox& formats(CCompilerOption& page) {
        return control<QComboBox>(page, "outputFormat");
    }
};

TEST_F(CompilerOptionTest, HarvestWritesEachSwitchTheUserChangedAndNothingElse) {
    struct Case {
        std::function<void(CCompilerOption&)> edit;
        Field field;
        std::string expected;
    };
    const Case cases[] = {
        {[](CCompilerOption& p) { box(p, "strictCheckings").click(); }, Strict, "0"},
        {[](CCompilerOption& p) { box(p, "extension").click(); }, Extension, "1"},
        {[](CCompilerOption& p) { box(p, "intSizeEnum").click(); }, IntSizeEnum, "0"},
        {[](CCompilerOption& p) { edit(p, "macroDefinitions").setText("LED=2 X"); }, Macros,
         "LED=2 X"},
        {[](CCompilerOption& p) { edit(p, "undefines").setText("A B"); }, Undefines, "A B"},
        {[](CCompilerOption& p) { formats(p).setCurrentIndex(2); }, Format, "Intel HEX"},
        {[](CCompilerOption& p) { edit(p, "ecasb").setText(edit(p, "ecasb").text() + " -q"); },
         Ecasb, "avrdude -U flash:w:blink.hex \xFC -q"},
    };
    const Names before = compilerValues(project);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        Project edited = project;
        CCompilerOption page(edited);
        page.onSetActive();
        c.edit(page);
        page.harvestDataFromControls(edited);
        Names expected = before;
        expected[c.field] = c.expected;
        EXPECT_EQ(compilerValues(edited), expected);
    }
}

TEST_F(CompilerOptionTest, OutputFormatShowsTheFirstEntryBeginningWithTheStoredText) {
    // stored, shown, and held once a change elsewhere on the page re-reads the controls.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"coff", "COFF", "COFF"}, {"intel", "Intel HEX", "Intel HEX"}, {"Motorola S", "", ""}};
    for (const auto& [stored, shown, afterAnyChange] : cases) {
        SCOPED_TRACE(stored);
        Project edited = project;
        edited.setOutputFormat(stored);
        CCompilerOption page(edited);
        EXPECT_EQ(box(page, "extension").text(),
                  "Accept Extensions ( C++ comments, binary constants)");
        page.onSetActive();
        EXPECT_EQ(entries(formats(page)), (Names{"HEX/COFF", "COFF", "Intel HEX"}));
        EXPECT_EQ(formats(page).currentText(), shown);
        page.harvestDataFromControls(edited);
        EXPECT_EQ(edited.outputFormat(), stored);
        box(page, "strictCheckings").click();
        page.harvestDataFromControls(edited);
        EXPECT_EQ(edited.outputFormat(), afterAnyChange);
    }
}

TEST_F(CompilerOptionTest, ExternalMakefileLocksTheSwitchesAndOptimisationsStayLocked) {
    const char* const editable[] = {
        "strictCheckings", "extension",    "intSizeEnum", "macroDefinitions",
        "undefines",       "outputFormat", "ecasb"};
    CCompilerOption page(project);
    for (const bool external : {true, false}) {
        page.setExternalMakefile(external);
        page.onSetActive();
        for (const char* name : editable) {
            EXPECT_EQ(control<QWidget>(page, name).isEnabled(), !external) << name;
        }
        EXPECT_FALSE(box(page, "codeCompression").isEnabled());
        EXPECT_FALSE(box(page, "globalOptimizations").isEnabled());
    }
    // The locked switches (on and off) pass their stored values through.
    box(page, "intSizeEnum").click();
    page.harvestDataFromControls(project);
    EXPECT_TRUE(project.codeCompression());
    EXPECT_FALSE(project.globalOptimizations());
}

using OptionPagesTest = OptionsTest;

// Every failure inside a page goes to the log under the operation's name, followed by the fixed
// text for the user.
TEST_F(OptionPagesTest, FailuresInsideFillAndHarvestAreLoggedWithTheirContext) {
    Project empty("broken", kHome);
    const std::string invalid = ": Invalid active configuration";
    const std::string noConfiguration = "Project::currentConfigName(): Invalid Configuration";
    // The debug lines since the last call, each followed by the text for the user.
    const auto failures = [&](auto&& page) {
        page.onSetActive();
        page.harvestDataFromControls(empty);
        const Names lines = logs(3);
        EXPECT_EQ(logs(2), Names(lines.size(), kInconsistency));
        hub->logs.clear();
        return lines;
    };
    hub->logs.clear();
    EXPECT_EQ(failures(CGeneralPropertyPage(empty, nullptr)),
              (Names{"CGeneralPropertyPage::updateControlDataFromProject()|" + noConfiguration,
                     "CGeneralPropertyPage::harvestDataFromControls()|Project::outputFileName()" +
                         invalid}));
    const std::string paths = "CIncludePropertyPage::updateControlDataFromProject()|Project::";
    EXPECT_EQ(failures(CIncludePropertyPage(empty)),
              (Names{paths + "includes()" + invalid, paths + "asmincludes()" + invalid,
                     paths + "libdirs()" + invalid,
                     "CIncludePropertyPage::OnSetActive()|" + noConfiguration,
                     "CIncludePropertyPage::harvestDataFromControls()|" + noConfiguration}));
    const std::string compiler =
        "CCompilerOption::updateControlDataFromProject()|Project::strictCheckings()" + invalid;
    EXPECT_EQ(failures(CCompilerOption(empty)),
              (Names{compiler, compiler, "CCompilerOption::OnSetActive()|" + noConfiguration,
                     "CCompilerOption::harvestDataFromControls()|" + noConfiguration}));
    CTargetOptionDlg target(empty, false);
    target.setSupportedParts({"Custom"});
    EXPECT_EQ(failures(target),
              (Names{"CTargetOptionDlg::CTargetOptionDlg()|Project::programType()" + invalid,
                     "CTargetOptionDlg::updateControlDataFromProject()|Project::part()" + invalid,
                     "CTargetOptionDlg::OnSetActive()|" + noConfiguration,
                     "CTargetOptionDlg::harvestDataFromControls()|" + noConfiguration}));
}

// A page shown again after a switch of the configuration shows the new one and writes into it.
TEST_F(OptionPagesTest, PagesShownAgainAfterASwitchShowAndWriteTheNewConfiguration) {
    project.setActiveConfiguration("Release");
    project.setMacroDefinitions("RELEASE=1");
    project.setPrintfVersion(1);
    project.setActiveConfiguration("default");
    auto sheet = makeSheet();
    runSheet(*sheet, [&] {
        for (const int page : {Page::PathsPage, Page::CompilerPage, Page::TargetPage}) {
            sheet->setActivePage(page);
        }
        // Shown again in the same configuration, a page keeps what the user did.
        sheet->setActivePage(Page::PathsPage);
        dialogs.queueFolder("E:\\added\\");
        click(sheet->includePage(), "includeAddButton");
        sheet->setActivePage(Page::GeneralPage);
        sheet->setActivePage(Page::PathsPage);
        EXPECT_EQ(items(sheet->includePage(), "include").size(), 3u);

        sheet->setActivePage(Page::GeneralPage);
        auto& combo = control<QComboBox>(sheet->generalPage(), "configurationCombo");
        combo.setCurrentIndex(combo.findText("Release"));
        sheet->setActivePage(Page::PathsPage);
        EXPECT_EQ(items(sheet->includePage(), "include"), Names{"D:\\release\\include"});
        EXPECT_TRUE(items(sheet->includePage(), "library").empty());
        dialogs.queueFolder("E:\\release\\");
        click(sheet->includePage(), "includeAddButton");
        sheet->setActivePage(Page::CompilerPage);
        EXPECT_EQ(text(sheet->compilerPage(), "macroDefinitions"), "RELEASE=1");
        control<QLineEdit>(sheet->compilerPage(), "undefines").setText("OLD");
        sheet->setActivePage(Page::TargetPage);
        EXPECT_TRUE(control<QRadioButton>(sheet->targetPage(), "printfLong").isChecked());
        control<QLineEdit>(sheet->targetPage(), "otherOptions").setText("-r");
    });
    EXPECT_EQ(project.optionTabIndex(), Page::TargetPage);
    EXPECT_EQ(project.currentConfigName(), "Release");
    EXPECT_EQ(project.includes(), (Names{"D:\\release\\include", "E:\\release"}));
    EXPECT_EQ(project.undefines(), "OLD");
    EXPECT_EQ(project.macroDefinitions(), "RELEASE=1");
    EXPECT_EQ(project.otherOptions(), "-r");
    project.setActiveConfiguration("default");
    EXPECT_EQ(project.includes(), (Names{"C:\\work\\demo\\inc", "D:\\avr\\include"}));
    EXPECT_EQ(project.undefines(), "");
}

Names configurationNames(const Project& project) {
    Names names;
    for (const auto& [name, configuration] : project.configs()) {
        names.push_back(name);
    }
    return names;
}

class ConfigurationsDialogTest : public OptionsTest {
protected:
    static void add(CConfigurationsDialog& dialog, const char* name) {
        control<QLineEdit>(dialog, "newName").setText(QString::fromLatin1(name));
        click(dialog, "addConfiguration");
    }
    static void select(CConfigurationsDialog& dialog, const std::string& name) {
        auto& list = control<QListWidget>(dialog, "configurationList");
        const auto found = list.findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        list.setCurrentItem(found.front());
    }
};

TEST_F(ConfigurationsDialogTest, AddRefusesEmptyAndListedNamesAndKeepsTheListSorted) {
    CConfigurationsDialog dialog(project);
    EXPECT_EQ(dialog.windowTitle(), "Edit Project Configurations");
    EXPECT_EQ(dialog.listedNames(), (Names{"alpha", "default", "Release"}));
    // Letter case counts for a name, not for the order.
    for (const char* name : {"", "default", "Default", "zeta", "Default"}) {
        add(dialog, name);
    }
    EXPECT_EQ(messageTexts(), (Names{"The new configuration name is empty.",
                                     "A configuration with the name default already exists",
                                     "A configuration with the name Default already exists"}));
    EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(dialog.listedNames(), (Names{"alpha", "Default", "default", "Release", "zeta"}));
    // The edit keeps its text and the project waits for OK.
    EXPECT_EQ(control<QLineEdit>(dialog, "newName").text(), "Default");
    EXPECT_EQ(configurationNames(project), (Names{"Release", "alpha", "default"}));
}

TEST_F(ConfigurationsDialogTest, GeneralPageOpensItAndShowsTheNewConfigurationsAfterOk) {
    auto sheet = makeSheet();
    sheet->show();
    onModal([](QDialog& dialog) {
        control<QLineEdit>(dialog, "newName").setText("beta");
        click(dialog, "addConfiguration");
        click(dialog, "ok");
        return dialog.result();
    });
    click(sheet->generalPage(), "editConfigurationsButton");
    const auto& combo = control<QComboBox>(sheet->generalPage(), "configurationCombo");
    EXPECT_EQ(entries(combo), (Names{"alpha", "beta", "default", "Release"}));
    EXPECT_EQ(combo.currentText(), "default");
}

TEST_F(ConfigurationsDialogTest, OkCreatesTheAddedConfigurationsWithTheProjectsObjectFile) {
    // The object file follows the project's name, not an existing configuration's.
    project.setName("motor");
    project.setActiveConfiguration("Release");
    project.setMacroDefinitions("KEEP=1");
    CConfigurationsDialog dialog(project);
    add(dialog, "Flash");
    add(dialog, "boot");
    click(dialog, "ok");

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(configurationNames(project), (Names{"Flash", "Release", "alpha", "boot", "default"}));
    for (const char* name : {"Flash", "boot"}) {
        SCOPED_TRACE(name);
        const Configuration& created = project.configs().at(name);
        EXPECT_EQ(created.outputFileName(), "motor.o");
        EXPECT_EQ(created.outputDir(), std::string(name) + "\\");
        EXPECT_EQ(created.macroDefinitions(), "");
    }
    // Existing configurations and the active one are untouched.
    EXPECT_EQ(project.currentConfigName(), "Release");
    EXPECT_EQ(project.macroDefinitions(), "KEEP=1");
}

TEST_F(ConfigurationsDialogTest, DeleteActsOnTheProjectAtOnceEvenWhenCancelled) {
    struct Case {
        const char* selected; // nullptr: nothing selected
        bool removed;
        Names errors;
        Names infos;
    };
    const Case cases[] = {
        {nullptr, false, {"Failed to remove configuration"}, {}},
        {"Release", true, {}, {"Removed the Release configuration."}},
        {"default",
         false,
         {"Could not remove configuration: The active configuration can not be removed."},
         {"Failed to remove configuration"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected ? c.selected : "nothing");
        Project edited = project;
        CConfigurationsDialog dialog(edited);
        add(dialog, "Flash");
        hub->logs.clear();
        Names expectedList = dialog.listedNames();
        Names expectedProject = configurationNames(project);
        if (c.selected != nullptr) {
            select(dialog, c.selected);
        }
        click(dialog, "delete");

        EXPECT_EQ(logs(2), c.errors);
        EXPECT_EQ(logs(0), c.infos);
        if (c.removed) {
            std::erase(expectedList, c.selected);
            std::erase(expectedProject, c.selected);
        }
        EXPECT_EQ(dialog.listedNames(), expectedList);
        // Cancel drops the addition but not the deletion.
        click(dialog, "cancel");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(configurationNames(edited), expectedProject);
        EXPECT_TRUE(dialogs.messages().empty());
    }
}

} // namespace
} // namespace avrtazu::uitest
