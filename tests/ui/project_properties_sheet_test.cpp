#include "options_sheet_fixture.h"

#include "ui/compiler_option.h"
#include "ui/general_property_page.h"
#include "ui/include_property_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

namespace avrtazu::uitest {
namespace {

using SheetTest = OptionsSheetTest;

TEST_F(SheetTest, TitleNamesTheProject) {
    project.setName("blinky");
    EXPECT_EQ(makeSheet()->windowTitle().toStdString(), "blinky project options");
}

TEST_F(SheetTest, PagesComeInTheirOrderWithTheirTitles) {
    auto sheet = makeSheet();
    const QTabWidget& tabs = sheet->tabWidget();
    ASSERT_EQ(tabs.count(), 4);
    const QWidget* pages[] = {&sheet->generalPage(), &sheet->includePage(), &sheet->compilerPage(),
                              &sheet->targetPage()};
    const char* titles[] = {"General", "Paths", "Compiler", "Target"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs.widget(i), pages[i]) << i;
        EXPECT_EQ(tabs.tabText(i).toStdString(), titles[i]);
    }
    EXPECT_EQ(sheet->findChild<QAbstractButton*>("applyButton"), nullptr);
    EXPECT_NE(sheet->findChild<QAbstractButton*>("helpButton"), nullptr);
}

TEST_F(SheetTest, OpensOnTheStoredPageAndFillsOnlyThatOne) {
    struct Case {
        int stored;
        int active;
    };
    for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 2}, Case{3, 3}, Case{4, 0}, Case{-1, 0}}) {
        SCOPED_TRACE(c.stored);
        project.setOptionTabIndex(c.stored);
        auto sheet = makeSheet();
        int result = runSheet(*sheet, [&](QDialog& dialog) {
            EXPECT_EQ(sheet->activePageIndex(), c.active);
            return &dialog == sheet.get() ? QDialog::Rejected : -1;
        });
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(sheet->generalPage().isInitialised(), c.active == 0);
        EXPECT_EQ(sheet->includePage().isInitialised(), c.active == 1);
        EXPECT_EQ(sheet->compilerPage().isInitialised(), c.active == 2);
        EXPECT_EQ(sheet->targetPage().isInitialised(), c.active == 3);
    }
}

TEST_F(SheetTest, OkRemembersThePageAndTheSheetReopensThere) {
    for (const int page : {2, 1, 3, 0}) {
        SCOPED_TRACE(page);
        auto sheet = makeSheet();
        const int result = runSheet(*sheet, [&](QDialog& dialog) {
            sheet->setActivePage(page);
            click(dialog, "okButton");
            return dialog.result();
        });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(project.optionTabIndex(), page);
        EXPECT_EQ(makeSheet()->activePageIndex(), page);
    }
}

TEST_F(SheetTest, CancelWritesNothing) {
    auto sheet = makeSheet();
    const int result = runSheet(*sheet, [&](QDialog& dialog) {
        sheet->setActivePage(CProjectPropertiesSheet::PathsPage);
        control<QLineEdit>(sheet->generalPage(), "outputFileNameEdit").setText("changed.o");
        click(dialog, "cancelButton");
        return dialog.result();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(project.optionTabIndex(), 0);
    EXPECT_EQ(project.outputFileName(), "demo.o");
    EXPECT_FALSE(project.hex());
}

TEST_F(SheetTest, OkHarvestsEveryShownPage) {
    auto sheet = makeSheet();
    runSheet(*sheet, [&](QDialog& dialog) {
        control<QLineEdit>(sheet->generalPage(), "outputFileNameEdit").setText("all.o");
        sheet->setActivePage(CProjectPropertiesSheet::PathsPage);
        dialogs.queueFolder("E:\\more\\");
        click(sheet->includePage(), "libraryAddButton");
        sheet->setActivePage(CProjectPropertiesSheet::CompilerPage);
        control<QLineEdit>(sheet->compilerPage(), "macroDefinitions").setText("F_CPU=8000000");
        sheet->setActivePage(CProjectPropertiesSheet::TargetPage);
        control<QLineEdit>(sheet->targetPage(), "otherOptions").setText("-v");
        click(dialog, "okButton");
        return dialog.result();
    });
    EXPECT_EQ(project.outputFileName(), "all.o");
    EXPECT_EQ(project.libdirs(), (std::vector<std::string>{"D:\\avr\\lib", "E:\\more"}));
    EXPECT_EQ(project.macroDefinitions(), "F_CPU=8000000");
    EXPECT_EQ(project.otherOptions(), "-v");
    EXPECT_EQ(project.optionTabIndex(), CProjectPropertiesSheet::TargetPage);
}

// Pages still showing the configuration the user switched away from leave the new one alone.
TEST_F(SheetTest, SwitchingConfigurationKeepsOtherPagesFromOverwritingIt) {
    auto sheet = makeSheet();
    runSheet(*sheet, [&](QDialog& dialog) {
        sheet->setActivePage(CProjectPropertiesSheet::PathsPage);
        sheet->setActivePage(CProjectPropertiesSheet::CompilerPage);
        control<QLineEdit>(sheet->compilerPage(), "macroDefinitions").setText("ONLY_DEFAULT");
        sheet->setActivePage(CProjectPropertiesSheet::TargetPage);
        control<QLineEdit>(sheet->targetPage(), "otherOptions").setText("-v");
        sheet->setActivePage(CProjectPropertiesSheet::GeneralPage);
        auto& combo = control<QComboBox>(sheet->generalPage(), "configurationCombo");
        combo.setCurrentIndex(combo.findText("Release"));
        click(dialog, "okButton");
        return dialog.result();
    });
    EXPECT_EQ(project.currentConfigName(), "Release");
    EXPECT_EQ(project.macroDefinitions(), "");
    EXPECT_EQ(project.otherOptions(), "");
    EXPECT_EQ(project.includes(), (std::vector<std::string>{"D:\\release\\include"}));
}

// Without an active configuration every harvest fails and says so, which shows their order.
TEST_F(SheetTest, OkHarvestsGeneralPathsCompilerTargetInThisOrder) {
    auto sheet = makeSheet();
    runSheet(*sheet, [&](QDialog& dialog) {
        for (int page = 1; page < 4; ++page) {
            sheet->setActivePage(page);
        }
        Project& edited = project;
        try {
            edited.setActiveConfiguration("gone");
        } catch (const std::exception&) {
        }
        hub->logs.clear();
        click(dialog, "okButton");
        return dialog.result();
    });
    std::vector<std::string> harvests;
    for (const auto& [context, message] : debugLines()) {
        if (context.find("harvestDataFromControls") != std::string::npos) {
            harvests.push_back(context);
        }
    }
    ASSERT_GE(harvests.size(), 3u);
    EXPECT_EQ(harvests[0], "CGeneralPropertyPage::harvestDataFromControls()");
    EXPECT_EQ(harvests[1], "CIncludePropertyPage::harvestDataFromControls()");
    EXPECT_EQ(harvests[2], "CCompilerOption::harvestDataFromControls()");
}

TEST_F(SheetTest, HelpAsksTheHostForTheActivePagesTopic) {
    const char* topics[] = {"General Options", "Paths", "Compiler Options", "Target Options"};
    auto sheet = makeSheet();
    runSheet(*sheet, [&](QDialog& dialog) {
        for (int page : {0, 1, 2, 3, 1}) {
            sheet->setActivePage(page);
            click(dialog, "helpButton");
        }
        return QDialog::Rejected;
    });
    std::vector<std::string> expected;
    for (int page : {0, 1, 2, 3, 1}) {
        expected.push_back(std::string("<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC>") +
                           topics[page] + "</TOPIC></SHOW_HELP>");
    }
    EXPECT_EQ(works.helpRequests, expected);
    EXPECT_EQ(project.optionTabIndex(), 0) << "help is not OK";
}

TEST_F(SheetTest, HelpWithoutAHostDoesNothing) {
    PlugInUtility::instance().setHost(nullptr);
    auto sheet = makeSheet();
    sheet->show();
    click(*sheet, "helpButton");
    EXPECT_TRUE(works.helpRequests.empty());
    EXPECT_TRUE(sheet->isVisible());
}

} // namespace
} // namespace avrtazu::uitest
