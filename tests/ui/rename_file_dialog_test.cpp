#include "ui/rename_file_dialog.h"

#include "model/source_file.h"
#include "platform/temp_drive.h"
#include "ui/file_dialogs_support.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>

namespace avrtazu {
namespace {

using dialogtest::DialogTestScope;
using dialogtest::typeAndConfirm;
using test::TempDrive;

const std::string kSameExtension = "The new name must have the same extension as the old.\n";
const std::string kTooLong = "File name is too long. Only 64 characters is allowed";

std::string existsText(const std::string& path) {
    return "The file " + path + " already exists. I will not overwrite it";
}

std::string charText(char c) {
    return std::string(1, c) + " is not an allowed character.\nMake sure that all characters "
                               "are in the set (A-Z,a-z,0-9,-,_,.)";
}

class RenameFileDialogTest : public ::testing::Test {
protected:
    RenameFileDialogTest() {
        drive.write("proj/main.c", "");
        drive.write("proj/other.c", "");
        drive.write("proj/" + std::string(63, 'o') + ".c", "");
        drive.write("proj/src/util.c", "");
        drive.write("proj/src/helper.c", "");
    }

    // The result of typing `name` and pressing "Rename"; refusals are in scope.dialogs.
    int rename(const SourceFile& file, const std::string& name, std::string* newName,
               const std::string& projectDirectory = std::string()) {
        scope.dialogs.clear();
        scope.onModal(typeAndConfirm(name, "newName", "rename"));
        CRenameFileDialog dialog(file, nullptr, projectDirectory);
        const int result = dialog.DoModal();
        *newName = dialog.newName();
        return result;
    }

    TempDrive drive;
    DialogTestScope scope;
};

TEST_F(RenameFileDialogTest, ChecksTheNewNameInOrder) {
    const SourceFile mainC("main.c", drive.windows("proj\\"));
    const struct {
        std::string name;
        std::string refusal; // empty: accepted
    } cases[] = {
        {"Main.c", ""},
        {"main2.c", ""},
        {std::string(62, 'm') + ".c", ""},
        {"", "The new filename can not be empty"},
        {"other.c", existsText("C:\\proj\\other.c")},
        // Renaming to its own name would replace the file itself.
        {"main.c", existsText("C:\\proj\\main.c")},
        {std::string(63, 'm') + ".c", kTooLong},
        {"my main.c", charText(' ')},
        {"main.h", kSameExtension},
        {"main.C", kSameExtension},
        {"main", kSameExtension},
        {"main.c.bak", kSameExtension},
        // Order: existence before length, length before characters, characters before the
        // extension.
        {std::string(63, 'o') + ".c", existsText("C:\\proj\\" + std::string(63, 'o') + ".c")},
        {std::string(70, ' ') + ".h", kTooLong},
        {"my main.h", charText(' ')},
    };
    for (const auto& c : cases) {
        std::string newName;
        const int result = rename(mainC, c.name, &newName);
        if (c.refusal.empty()) {
            EXPECT_EQ(result, QDialog::Accepted) << c.name;
            EXPECT_EQ(newName, c.name);
            EXPECT_TRUE(scope.dialogs.messages().empty()) << c.name;
            continue;
        }
        EXPECT_EQ(result, QDialog::Rejected) << c.name;
        EXPECT_EQ(newName, "") << c.name;
        ASSERT_EQ(scope.dialogs.messages().size(), 1u) << c.name;
        EXPECT_EQ(scope.dialogs.messages()[0].text, c.refusal) << c.name;
        EXPECT_EQ(scope.dialogs.messages()[0].caption, "") << c.name;
    }
}

TEST_F(RenameFileDialogTest, RelativeFileIsCheckedBelowTheProjectDirectory) {
    const SourceFile util("src\\util.c");
    std::string newName;
    EXPECT_EQ(rename(util, "helper.c", &newName, drive.windows("proj\\")), QDialog::Rejected);
    ASSERT_EQ(scope.dialogs.messages().size(), 1u);
    EXPECT_EQ(scope.dialogs.messages()[0].text, existsText("C:\\proj\\src\\helper.c"));

    EXPECT_EQ(rename(util, "tools.c", &newName, drive.windows("proj\\")), QDialog::Accepted);
    EXPECT_EQ(newName, "tools.c");
}

TEST_F(RenameFileDialogTest, StartsWithTheOldNameAndCancelGivesNoName) {
    const SourceFile mainC("main.c", drive.windows("proj\\"));
    std::string shown;
    scope.onModal([&shown](QDialog& dialog) {
        shown = dialog.findChild<QLineEdit*>("newName")->text().toStdString();
        dialog.findChild<QLineEdit*>("newName")->setText("renamed.c");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        return dialog.result();
    });
    CRenameFileDialog dialog(mainC);
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_EQ(shown, "main.c");
    EXPECT_EQ(dialog.newName(), "");
    EXPECT_TRUE(scope.dialogs.messages().empty());
}

} // namespace
} // namespace avrtazu
