#include "options_sheet_fixture.h"

#include "ui/compiler_option.h"
#include "ui/general_property_page.h"
#include "ui/include_property_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace avrtazu::uitest {
namespace {

using GeneralPageTest = OptionsSheetTest;

QStringList comboItems(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i) {
        items << combo.itemText(i);
    }
    return items;
}

std::string text(const QWidget& page, const char* name) {
    return control<QLineEdit>(page, name).text().toStdString();
}

TEST_F(GeneralPageTest, FirstDisplayFillsEveryControl) {
    auto sheet = makeSheet();
    sheet->show();
    const QWidget& page = sheet->generalPage();

    const auto& combo = control<QComboBox>(page, "configurationCombo");
    // Sorted without regard to case, the active configuration selected.
    EXPECT_EQ(comboItems(combo), (QStringList{"alpha", "default", "Release"}));
    EXPECT_EQ(combo.currentText(), "default");
    EXPECT_EQ(text(page, "outputFileNameEdit"), "demo.o");
    EXPECT_EQ(text(page, "outputDirectoryEdit"), "default\\");
    EXPECT_FALSE(control<QCheckBox>(page, "useExternalMakefileCheck").isChecked());
    EXPECT_EQ(text(page, "externalMakefileEdit"), "");
    const QString rules =
        control<QPlainTextEdit>(page, "rulesText").toPlainText().replace("\n", "\r\n");
    EXPECT_EQ(rules.toStdString(), "1. Target name must equal project name.\r\n"
                                   "2. Clean/rebuild support requires  \"clean\" target.\r\n"
                                   "3. Makefile and target must exist in the same folder");
    EXPECT_EQ(std::string(CGeneralPropertyPage::kRulesText), rules.toStdString());
    EXPECT_TRUE(control<QPlainTextEdit>(page, "rulesText").isReadOnly());
}

TEST_F(GeneralPageTest, CheckBoxSetsEnablingAndPassesTheStateOn) {
    struct Case {
        bool checked;
    };
    for (const Case c : {Case{true}, Case{false}, Case{true}}) {
        SCOPED_TRACE(c.checked);
        auto sheet = makeSheet();
        sheet->show();
        const QWidget& page = sheet->generalPage();
        auto& check = control<QCheckBox>(page, "useExternalMakefileCheck");
        check.setChecked(!c.checked);
        check.click();
        ASSERT_EQ(check.isChecked(), c.checked);

        EXPECT_EQ(project.usesExtMakefile(), c.checked);
        EXPECT_EQ(control<QLineEdit>(page, "externalMakefileEdit").isReadOnly(), !c.checked);
        EXPECT_EQ(control<QPushButton>(page, "externalMakefileBrowseButton").isEnabled(),
                  c.checked);
        EXPECT_EQ(control<QPlainTextEdit>(page, "rulesText").isEnabled(), c.checked);
        EXPECT_EQ(control<QLineEdit>(page, "outputFileNameEdit").isReadOnly(), c.checked);
        EXPECT_EQ(control<QLineEdit>(page, "outputDirectoryEdit").isReadOnly(), c.checked);
        EXPECT_EQ(control<QPushButton>(page, "outputDirectoryBrowseButton").isEnabled(),
                  !c.checked);
        EXPECT_EQ(sheet->includePage().externalMakefile(), c.checked);
        EXPECT_EQ(sheet->compilerPage().externalMakefile(), c.checked);
        EXPECT_EQ(sheet->targetPage().externalMakefile(), c.checked);
    }
}

TEST_F(GeneralPageTest, ProjectWithExternalMakefileShowsItAndTellsTheOtherPages) {
    project.setUsesExtMakefile(true);
    project.setExtMakefile("build\\Makefile");
    auto sheet = makeSheet();
    sheet->show();
    const QWidget& page = sheet->generalPage();

    EXPECT_TRUE(control<QCheckBox>(page, "useExternalMakefileCheck").isChecked());
    EXPECT_EQ(text(page, "externalMakefileEdit"), "build\\Makefile");
    EXPECT_FALSE(control<QLineEdit>(page, "externalMakefileEdit").isReadOnly());
    EXPECT_TRUE(sheet->includePage().externalMakefile());
    EXPECT_TRUE(sheet->targetPage().externalMakefile());
}

TEST_F(GeneralPageTest, ChoosingAConfigurationMakesItActiveAndShowsIt) {
    auto sheet = makeSheet();
    sheet->show();
    const QWidget& page = sheet->generalPage();
    auto& combo = control<QComboBox>(page, "configurationCombo");

    combo.setCurrentIndex(combo.findText("Release"));
    EXPECT_EQ(project.currentConfigName(), "Release");
    EXPECT_EQ(text(page, "outputFileNameEdit"), "release.o");
    EXPECT_EQ(text(page, "outputDirectoryEdit"), "out\\");
    EXPECT_EQ(combo.currentText(), "Release");

    combo.setCurrentIndex(combo.findText("alpha"));
    EXPECT_EQ(project.currentConfigName(), "alpha");
    EXPECT_EQ(text(page, "outputFileNameEdit"), "alpha.o");
    EXPECT_EQ(text(page, "outputDirectoryEdit"), "alpha\\");
}

TEST_F(GeneralPageTest, HarvestWritesTheControlsIntoTheProject) {
    struct Case {
        const char* name;
        bool usesMakefileBefore;
        bool check;
        const char* makefile;
        const char* outputName;
        const char* outputDir;
        bool expectUses;
        const char* expectMakefile;
        const char* expectName;
        const char* expectDir;
    };
    const Case cases[] = {
        {"empty name keeps the old one", false, false, "", "", "default\\", false, "", "demo.o",
         "default\\"},
        {"new name", false, false, "", "blink.o", "default\\", false, "", "blink.o", "default\\"},
        {"directory below the project", false, false, "", "demo.o", "C:\\work\\demo\\bin\\", false,
         "", "demo.o", "bin\\"},
        {"directory case differs", false, false, "", "demo.o", "c:\\WORK\\demo\\bin\\", false, "",
         "demo.o", "c:\\WORK\\demo\\bin\\"},
        {"directory elsewhere", false, false, "", "demo.o", "D:\\build\\", false, "", "demo.o",
         "D:\\build\\"},
        {"typed without backslash", false, false, "", "demo.o", "obj", false, "", "demo.o",
         "obj\\"},
        {"unchecking clears the Makefile", true, false, "Makefile", "demo.o", "default\\", false,
         "", "demo.o", "default\\"},
        {"Makefile below the project", false, true, "C:\\work\\demo\\mk\\Makefile", "demo.o",
         "default\\", true, "mk\\Makefile", "demo.o", "default\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Project edited = project;
        edited.setUsesExtMakefile(c.usesMakefileBefore);
        edited.setExtMakefile(c.usesMakefileBefore ? "Makefile" : "");
        auto sheet = makeSheet(edited);
        runSheet(*sheet, [&](QDialog& dialog) {
            const QWidget& page = sheet->generalPage();
            auto& check = control<QCheckBox>(page, "useExternalMakefileCheck");
            if (check.isChecked() != c.check) {
                check.click();
            }
            control<QLineEdit>(page, "externalMakefileEdit").setText(c.makefile);
            control<QLineEdit>(page, "outputFileNameEdit").setText(c.outputName);
            control<QLineEdit>(page, "outputDirectoryEdit").setText(c.outputDir);
            click(dialog, "okButton");
            return dialog.result();
        });
        EXPECT_EQ(edited.usesExtMakefile(), c.expectUses);
        EXPECT_EQ(edited.extMakefile(), c.expectMakefile);
        EXPECT_EQ(edited.outputFileName(), c.expectName);
        EXPECT_EQ(edited.outputDir(), c.expectDir);
        EXPECT_TRUE(edited.hex());
        EXPECT_TRUE(edited.list());
        EXPECT_TRUE(edited.map());
    }
}

TEST_F(GeneralPageTest, HarvestBeforeTheFirstDisplayChangesNothing) {
    project.setOptionTabIndex(CProjectPropertiesSheet::TargetPage);
    project.setUsesExtMakefile(true);
    project.setExtMakefile("Makefile");
    auto sheet = makeSheet();
    sheet->generalPage().harvestDataFromControls(project);
    runSheet(*sheet, [&](QDialog& dialog) {
        click(dialog, "okButton");
        return dialog.result();
    });
    EXPECT_FALSE(sheet->generalPage().isInitialised());
    EXPECT_EQ(project.outputFileName(), "demo.o");
    EXPECT_EQ(project.outputDir(), "default\\");
    EXPECT_EQ(project.extMakefile(), "Makefile");
    EXPECT_TRUE(project.usesExtMakefile());
    EXPECT_FALSE(project.hex());
}

TEST_F(GeneralPageTest, MakefileChooserPutsThePathRelativeToTheProject) {
    struct Case {
        std::vector<std::string> chosen;
        const char* expected;
    };
    const Case cases[] = {
        {{"C:\\work\\demo\\sub\\Makefile"}, "sub\\Makefile"},
        {{"C:\\work\\demo\\Makefile"}, "Makefile"},
        {{"D:\\other\\Makefile"}, "D:\\other\\Makefile"},
        {{}, "previous"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        dialogs.clear();
        auto sheet = makeSheet();
        sheet->show();
        const QWidget& page = sheet->generalPage();
        if (!control<QCheckBox>(page, "useExternalMakefileCheck").isChecked()) {
            click(page, "useExternalMakefileCheck");
        }
        control<QLineEdit>(page, "externalMakefileEdit").setText("previous");
        if (!c.chosen.empty()) {
            dialogs.queueOpenFiles(c.chosen);
        }
        click(page, "externalMakefileBrowseButton");

        EXPECT_EQ(text(page, "externalMakefileEdit"), c.expected);
        ASSERT_EQ(dialogs.dialogs().size(), 1u);
        EXPECT_EQ(dialogs.dialogs()[0].kind, ScriptedDialogService::DialogKind::OpenFiles);
        EXPECT_EQ(dialogs.dialogs()[0].filter, "");
        EXPECT_FALSE(dialogs.dialogs()[0].allowMultiple);
    }
}

TEST_F(GeneralPageTest, OutputFolderChooserKeepsTheBackslashAndStoresRelative) {
    struct Case {
        const char* chosen; // nullptr: cancelled
        const char* shown;
        const char* stored;
    };
    const Case cases[] = {
        {"C:\\work\\demo\\obj\\", "C:\\work\\demo\\obj\\", "obj\\"},
        {"E:\\firmware\\", "E:\\firmware\\", "E:\\firmware\\"},
        {nullptr, "default\\", "default\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        dialogs.clear();
        Project edited = project;
        auto sheet = makeSheet(edited);
        runSheet(*sheet, [&](QDialog& dialog) {
            if (c.chosen != nullptr) {
                dialogs.queueFolder(c.chosen);
            }
            click(sheet->generalPage(), "outputDirectoryBrowseButton");
            EXPECT_EQ(text(sheet->generalPage(), "outputDirectoryEdit"), c.shown);
            EXPECT_EQ(sheet->generalPage().outputDirectoryText(), c.shown);
            click(dialog, "okButton");
            return dialog.result();
        });
        EXPECT_EQ(edited.outputDir(), c.stored);
        ASSERT_EQ(dialogs.dialogs().size(), 1u);
        EXPECT_EQ(dialogs.dialogs()[0].kind, ScriptedDialogService::DialogKind::BrowseFolder);
    }
}

TEST_F(GeneralPageTest, EditConfigurationsRefillsOnlyAfterOk) {
    for (const int result : {QDialog::Accepted, QDialog::Rejected}) {
        SCOPED_TRACE(result);
        Project edited = project;
        auto sheet = makeSheet(edited);
        sheet->show();
        const QWidget& page = sheet->generalPage();
        int runs = 0;
        ModalRunner::setHook([&](QDialog&) {
            ++runs;
            edited.addConfig(Configuration("beta", "demo.o"));
            return result;
        });
        click(page, "editConfigurationsButton");
        ModalRunner::setHook({});

        EXPECT_EQ(runs, 1);
        const QStringList expected = result == QDialog::Accepted
                                         ? QStringList{"alpha", "beta", "default", "Release"}
                                         : QStringList{"alpha", "default", "Release"};
        EXPECT_EQ(comboItems(control<QComboBox>(page, "configurationCombo")), expected);
        EXPECT_EQ(control<QComboBox>(page, "configurationCombo").currentText(), "default");
    }
}

TEST_F(GeneralPageTest, FailuresAreLoggedWithThePageContext) {
    Project empty("demo", kHome);
    auto sheet = makeSheet(empty);
    sheet->show();
    sheet->generalPage().harvestDataFromControls(empty);

    std::vector<std::pair<std::string, std::string>> general;
    for (const auto& line : debugLines()) {
        if (line.first.rfind("CGeneralPropertyPage::", 0) == 0) {
            general.push_back(line);
        }
    }
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"CGeneralPropertyPage::updateControlDataFromProject()",
         "Project::currentConfigName(): Invalid Configuration"},
        {"CGeneralPropertyPage::harvestDataFromControls()",
         "Project::outputFileName(): Invalid active configuration"},
    };
    EXPECT_EQ(general, expected);
    // Each debug line is followed by the text for the user.
    ASSERT_EQ(hub->logs.size() % 2, 0u);
    for (std::size_t i = 0; i < hub->logs.size(); i += 2) {
        EXPECT_EQ(hub->logs[i].level, 3);
        EXPECT_EQ(hub->logs[i + 1].level, 2);
        EXPECT_EQ(hub->logs[i + 1].message,
                  "Inconsistency in internal datastructures. Please restart AVR Studio");
    }
}

} // namespace
} // namespace avrtazu::uitest
