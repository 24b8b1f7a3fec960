#include "options_sheet_fixture.h"

#include "ui/include_property_page.h"

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace avrtazu::uitest {
namespace {

using PathsPageTest = OptionsSheetTest;

std::vector<std::string> items(const QWidget& page, const std::string& list) {
    const auto& widget = control<QListWidget>(page, list + "List");
    std::vector<std::string> texts;
    for (int row = 0; row < widget.count(); ++row) {
        texts.push_back(widget.item(row)->text().toStdString());
    }
    return texts;
}

// The three lists by the prefix of their control names.
const char* const kLists[] = {"include", "asmInclude", "library"};

TEST_F(PathsPageTest, FirstDisplayShowsTheNoteAndTheListsInProjectOrder) {
    project.setOptionTabIndex(CProjectPropertiesSheet::PathsPage);
    auto sheet = makeSheet();
    sheet->show();
    const QWidget& page = sheet->includePage();

    EXPECT_TRUE(sheet->includePage().isInitialised());
    EXPECT_EQ(items(page, "include"),
              (std::vector<std::string>{"C:\\work\\demo\\inc", "D:\\avr\\include"}));
    EXPECT_EQ(items(page, "asmInclude"), (std::vector<std::string>{"asm"}));
    EXPECT_EQ(items(page, "library"), (std::vector<std::string>{"D:\\avr\\lib"}));

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

TEST_F(PathsPageTest, AddTakesTheChosenFolderOnceWithoutItsBackslash) {
    struct Case {
        const char* name;
        std::vector<std::string> chosen; // "" is a cancelled browser
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"one folder", {"E:\\inc\\"}, {"E:\\inc"}},
        {"the same twice", {"E:\\inc\\", "E:\\inc\\"}, {"E:\\inc"}},
        {"letter case counts", {"E:\\inc\\", "E:\\INC\\"}, {"E:\\inc", "E:\\INC"}},
        {"cancelled", {""}, {}},
        {"a bare backslash", {"\\"}, {}},
        {"appended in order", {"E:\\b\\", "E:\\a\\"}, {"E:\\b", "E:\\a"}},
    };
    for (const char* list : kLists) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(list) + ": " + c.name);
            Project edited("demo", kHome);
            edited.addConfig(Configuration("default", "demo.o"));
            edited.setOptionTabIndex(CProjectPropertiesSheet::PathsPage);
            auto sheet = makeSheet(edited);
            sheet->show();
            for (const std::string& folder : c.chosen) {
                if (!folder.empty()) {
                    dialogs.queueFolder(folder);
                }
                click(sheet->includePage(), std::string(list) + "AddButton");
            }
            EXPECT_EQ(items(sheet->includePage(), list), c.expected);
        }
    }
}

TEST_F(PathsPageTest, RemoveDeletesEverySelectedEntry) {
    for (const char* list : kLists) {
        SCOPED_TRACE(list);
        Project edited("demo", kHome);
        edited.addConfig(Configuration("default", "demo.o"));
        edited.setOptionTabIndex(CProjectPropertiesSheet::PathsPage);
        auto sheet = makeSheet(edited);
        sheet->show();
        for (const char* folder : {"E:\\a\\", "E:\\b\\", "E:\\c\\", "E:\\d\\"}) {
            dialogs.queueFolder(folder);
            click(sheet->includePage(), std::string(list) + "AddButton");
        }
        auto& widget = control<QListWidget>(sheet->includePage(), std::string(list) + "List");
        widget.item(0)->setSelected(true);
        widget.item(2)->setSelected(true);
        click(sheet->includePage(), std::string(list) + "RemoveButton");
        EXPECT_EQ(items(sheet->includePage(), list), (std::vector<std::string>{"E:\\b", "E:\\d"}));

        click(sheet->includePage(), std::string(list) + "RemoveButton");
        EXPECT_EQ(items(sheet->includePage(), list).size(), 2u) << "nothing selected";
    }
}

TEST_F(PathsPageTest, HarvestStoresEntriesRelativeToTheProject) {
    const std::vector<std::string> shown = {"C:\\work\\demo\\inc",
                                            "C:\\work\\demo\\inc\\sub",
                                            "c:\\WORK\\DEMO\\lower",
                                            "D:\\avr\\include",
                                            "C:\\work",
                                            "local"};
    const std::vector<std::string> stored = {"inc",      "inc\\sub", "lower", "D:\\avr\\include",
                                             "C:\\work", "local"};
    for (const char* list : kLists) {
        SCOPED_TRACE(list);
        Project edited("demo", kHome);
        edited.addConfig(Configuration("default", "demo.o"));
        edited.addIncludeDirectory("old");
        edited.addAsmIncludeDirectory("old");
        edited.addLibraryDirectory("old");
        edited.setOptionTabIndex(CProjectPropertiesSheet::PathsPage);
        auto sheet = makeSheet(edited);
        runSheet(*sheet, [&](QDialog& dialog) {
            auto& widget = control<QListWidget>(sheet->includePage(), std::string(list) + "List");
            widget.clear();
            for (const std::string& entry : shown) {
                widget.addItem(QString::fromStdString(entry));
            }
            click(dialog, "okButton");
            return dialog.result();
        });
        const std::string name = list;
        EXPECT_EQ(edited.includes(), name == "include" ? stored : std::vector<std::string>{"old"});
        EXPECT_EQ(edited.asmincludes(),
                  name == "asmInclude" ? stored : std::vector<std::string>{"old"});
        EXPECT_EQ(edited.libdirs(), name == "library" ? stored : std::vector<std::string>{"old"});
    }
}

TEST_F(PathsPageTest, HarvestBeforeTheFirstDisplayChangesNothing) {
    auto sheet = makeSheet();
    runSheet(*sheet, [&](QDialog& dialog) {
        click(dialog, "okButton");
        return dialog.result();
    });
    EXPECT_FALSE(sheet->includePage().isInitialised());
    EXPECT_EQ(project.includes(),
              (std::vector<std::string>{"C:\\work\\demo\\inc", "D:\\avr\\include"}));
    EXPECT_EQ(project.asmincludes(), (std::vector<std::string>{"asm"}));
}

TEST_F(PathsPageTest, ExternalMakefileDisablesTheListsWhenNextShown) {
    auto sheet = makeSheet();
    sheet->show();
    const QWidget& page = sheet->includePage();
    for (const bool external : {true, false, true}) {
        SCOPED_TRACE(external);
        auto& check = control<QAbstractButton>(sheet->generalPage(), "useExternalMakefileCheck");
        if (check.isChecked() != external) {
            check.click();
        }
        sheet->setActivePage(CProjectPropertiesSheet::PathsPage);
        for (const char* list : kLists) {
            for (const char* suffix : {"List", "AddButton", "RemoveButton"}) {
                const std::string name = std::string(list) + suffix;
                EXPECT_EQ(control<QWidget>(page, name).isEnabled(), !external) << name;
            }
        }
        sheet->setActivePage(CProjectPropertiesSheet::GeneralPage);
    }
}

TEST_F(PathsPageTest, ActivationRefillsAfterAConfigurationChange) {
    auto sheet = makeSheet();
    sheet->show();
    sheet->setActivePage(CProjectPropertiesSheet::PathsPage);
    dialogs.queueFolder("E:\\added\\");
    click(sheet->includePage(), "includeAddButton");
    ASSERT_EQ(items(sheet->includePage(), "include").size(), 3u);

    // Same configuration: the list keeps what the user did.
    sheet->setActivePage(CProjectPropertiesSheet::GeneralPage);
    sheet->setActivePage(CProjectPropertiesSheet::PathsPage);
    EXPECT_EQ(items(sheet->includePage(), "include").size(), 3u);

    sheet->setActivePage(CProjectPropertiesSheet::GeneralPage);
    auto& combo = control<QComboBox>(sheet->generalPage(), "configurationCombo");
    combo.setCurrentIndex(combo.findText("Release"));
    sheet->setActivePage(CProjectPropertiesSheet::PathsPage);
    EXPECT_EQ(items(sheet->includePage(), "include"),
              (std::vector<std::string>{"D:\\release\\include"}));
    EXPECT_TRUE(items(sheet->includePage(), "library").empty());
}

TEST_F(PathsPageTest, EachListReportsItsOwnFailure) {
    Project empty("demo", kHome);
    CIncludePropertyPage page(empty);
    page.updateControlDataFromProject();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"CIncludePropertyPage::updateControlDataFromProject()",
         "Project::includes(): Invalid active configuration"},
        {"CIncludePropertyPage::updateControlDataFromProject()",
         "Project::asmincludes(): Invalid active configuration"},
        {"CIncludePropertyPage::updateControlDataFromProject()",
         "Project::libdirs(): Invalid active configuration"},
    };
    EXPECT_EQ(debugLines(), expected);
    EXPECT_EQ(errorLines().size(), 3u);

    hub->logs.clear();
    page.onSetActive();
    page.harvestDataFromControls(empty);
    ASSERT_FALSE(debugLines().empty());
    EXPECT_EQ(debugLines().back().first, "CIncludePropertyPage::harvestDataFromControls()");
}

} // namespace
} // namespace avrtazu::uitest
