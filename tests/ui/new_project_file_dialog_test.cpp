#include "ui/new_project_file_dialog.h"

#include "model/configuration.h"
#include "model/project.h"
#include "platform/temp_drive.h"
#include "ui/file_dialogs_support.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using dialogtest::DialogTestScope;
using dialogtest::typeAndConfirm;
using test::TempDrive;

const std::string kLocationHint =
    "Use the \"Location \" edit control to specify the new file's path";

std::string charText(char c) {
    return std::string(1, c) + " is not an allowed character.\nMake sure that all characters "
                               "are in the set (A-Z,a-z,0-9,-,_,.)";
}

class NewProjectFileDialogTest : public ::testing::Test {
protected:
    NewProjectFileDialogTest() : project("demo", drive.windows("proj\\")) {
        project.addConfig(Configuration("default"));
        drive.makeFolder("proj");
    }

    TempDrive drive;
    DialogTestScope scope;
    Project project;
};

TEST_F(NewProjectFileDialogTest, RefusesNamesInTheOrderOfItsChecks) {
    drive.write("proj\\main.c", std::string(5, 'x'));
    drive.write("proj\\" + std::string(65, 'e'), "");
    const struct {
        std::string name;
        std::string text;    // empty: accepted
        std::string caption; // of the refusal
    } cases[] = {
        {std::string(62, 'a') + ".c", "", ""},
        {"a-b_C.9", "", ""},
        {"", "The new filename can not be empty", "Empty filename"},
        {std::string(63, 'a') + ".c", "File name is too long. Only 64 characters is allowed",
         "Filename too long"},
        {"my file.c", charText(' '), ""},
        {"sub/x.c", kLocationHint, ""},
        {"sub\\x.c", kLocationHint, ""},
        // The Location hint comes before the length and the characters.
        {"a b/" + std::string(70, 'x'), kLocationHint, ""},
        // Length before characters.
        {std::string(66, ' '), "File name is too long. Only 64 characters is allowed",
         "Filename too long"},
        // An existing file is named before its too long name is.
        {std::string(65, 'e'),
         "The file " + drive.windows("proj\\") + std::string(65, 'e') +
             " already exists. I will not overwrite it",
         "File already exists"},
        {"main.c",
         "The file " + drive.windows("proj\\main.c") + " already exists. I will not overwrite it",
         "File already exists"},
        // A byte above 127 is named as it is.
        {"caf\xC3\xA9.c", charText('\xC3'), ""},
    };
    for (const auto& c : cases) {
        scope.dialogs.clear();
        scope.onModal(typeAndConfirm(c.name, "fileName"));
        CNewProjectFileDialog dialog(project);
        const int result = dialog.DoModal();
        if (c.text.empty()) {
            EXPECT_EQ(result, QDialog::Accepted) << c.name;
            EXPECT_TRUE(scope.dialogs.messages().empty()) << c.name;
            EXPECT_EQ(dialog.newFilePath(), drive.windows("proj\\" + c.name));
            EXPECT_TRUE(std::filesystem::exists(drive.linux("proj/" + c.name))) << c.name;
            continue;
        }
        EXPECT_EQ(result, QDialog::Rejected) << c.name;
        ASSERT_EQ(scope.dialogs.messages().size(), 1u) << c.name;
        EXPECT_EQ(scope.dialogs.messages()[0].text, c.text) << c.name;
        EXPECT_EQ(scope.dialogs.messages()[0].caption, c.caption) << c.name;
        EXPECT_EQ(dialog.newFilePath(), "") << c.name;
    }
    EXPECT_EQ(std::filesystem::file_size(drive.linux("proj/main.c")), 5u)
        << "an existing file must never be overwritten";
}

TEST_F(NewProjectFileDialogTest, StaysOpenAfterARefusalAndCreatesAnEmptyFileOnTheNextOk) {
    int refusalsWhileOpen = 0;
    scope.onModal([&](QDialog& dialog) {
        auto* name = dialog.findChild<QLineEdit*>("fileName");
        auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        name->setText("bad name.c");
        ok->click();
        if (dialog.result() != QDialog::Accepted && !scope.dialogs.messages().empty()) {
            ++refusalsWhileOpen;
        }
        name->setText("good.c");
        ok->click();
        return dialog.result();
    });
    CNewProjectFileDialog dialog(project);
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(refusalsWhileOpen, 1);
    EXPECT_EQ(dialog.newFilePath(), drive.windows("proj\\good.c"));
    ASSERT_TRUE(std::filesystem::exists(drive.linux("proj/good.c")));
    EXPECT_EQ(std::filesystem::file_size(drive.linux("proj/good.c")), 0u);
    EXPECT_FALSE(std::filesystem::exists(drive.linux("proj/bad name.c")));
}

TEST_F(NewProjectFileDialogTest, LocationStartsAtTheProjectAndOnlyBrowseChangesIt) {
    drive.makeFolder("elsewhere");
    scope.dialogs.queueFolder(drive.windows("elsewhere\\"));
    scope.onModal([](QDialog& dialog) {
        auto* location = dialog.findChild<QLineEdit*>("location");
        EXPECT_FALSE(location->isEnabled());
        EXPECT_EQ(location->text().toStdString(), "C:\\proj\\");
        // A cancelled browse keeps the folder; the queued answer is taken by the first click.
        dialog.findChild<QAbstractButton*>("browse")->click();
        EXPECT_EQ(location->text().toStdString(), "C:\\elsewhere\\");
        dialog.findChild<QAbstractButton*>("browse")->click();
        EXPECT_EQ(location->text().toStdString(), "C:\\elsewhere\\");
        return typeAndConfirm("util.h", "fileName")(dialog);
    });
    CNewProjectFileDialog dialog(project);
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(dialog.newFilePath(), "C:\\elsewhere\\util.h");
    EXPECT_TRUE(std::filesystem::exists(drive.linux("elsewhere/util.h")));
    EXPECT_FALSE(std::filesystem::exists(drive.linux("proj/util.h")));
    // Both browses start at the project's directory.
    ASSERT_EQ(scope.dialogs.dialogs().size(), 2u);
    for (const auto& request : scope.dialogs.dialogs()) {
        EXPECT_EQ(request.startFolder, "C:\\proj\\");
    }
}

TEST_F(NewProjectFileDialogTest, CancelCreatesNothing) {
    scope.onModal([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileName")->setText("never.c");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        return dialog.result();
    });
    CNewProjectFileDialog dialog(project);
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_EQ(dialog.newFilePath(), "");
    EXPECT_FALSE(std::filesystem::exists(drive.linux("proj/never.c")));
}

} // namespace
} // namespace avrtazu
