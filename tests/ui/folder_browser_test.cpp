#include "ui/folder_browser.h"
#include "ui/folder_browser_dialog.h"

#include "platform/file_system.h"
#include "platform/temp_drive.h"
#include "ui/file_dialogs_support.h"

#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace avrtazu {
namespace {

using dialogtest::DialogTestScope;
using test::TempDrive;

class FolderBrowserTest : public ::testing::Test {
protected:
    TempDrive drive;
    DialogTestScope scope;
};

TEST_F(FolderBrowserTest, AnswerEndsWithOneBackslashAndCancelIsEmpty) {
    const struct {
        const char* answer; // nullptr: cancelled
        const char* result;
    } cases[] = {
        {"C:\\work\\out\\", "C:\\work\\out\\"},
        {"C:\\work\\out", "C:\\work\\out\\"},
        {"C:\\", "C:\\"},
        {nullptr, ""},
    };
    for (const auto& c : cases) {
        scope.dialogs.clear();
        if (c.answer != nullptr) {
            scope.dialogs.queueFolder(c.answer);
        }
        EXPECT_EQ(FolderBrowser().browse("C:\\work\\"), c.result);
    }
}

TEST_F(FolderBrowserTest, StartsAtTheGivenFolderOrTheCurrentOne) {
    FolderBrowser browser;
    browser.browse("C:\\work\\");
    browser.browse("");
    browser.browse();
    const auto& requests = scope.dialogs.dialogs();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].kind, ScriptedDialogService::DialogKind::BrowseFolder);
    EXPECT_EQ(requests[0].startFolder, "C:\\work\\");
    EXPECT_EQ(requests[1].startFolder, FileSystem::currentFolder());
    EXPECT_EQ(requests[2].startFolder, FileSystem::currentFolder());
}

TEST_F(FolderBrowserTest, DialogAllowsOkOnlyOnARealFolder) {
    drive.makeFolder("proj/sub");
    drive.write("proj/file.txt", "");
    std::filesystem::create_directory_symlink(drive.linux("proj/sub"), drive.linux("proj/link"));
    const struct {
        const char* select;
        const char* result; // empty: OK not allowed
    } cases[] = {
        {"C:\\proj\\sub\\", "C:\\proj\\sub\\"},
        {"C:\\proj\\sub", "C:\\proj\\sub\\"},
        {"C:\\proj", "C:\\proj\\"},
        {"C:\\", "C:\\"},
        {"C:\\proj\\link\\", ""},
        {"C:\\proj\\file.txt", ""},
        {"C:\\proj\\missing\\", ""},
        {"Q:\\unmapped\\", ""},
    };
    FolderBrowserDialog dialog;
    for (const auto& c : cases) {
        // Each case starts from a folder that allows OK, so a stale state shows.
        dialog.selectFolder("C:\\proj\\sub\\");
        ASSERT_TRUE(dialog.okEnabled());
        dialog.selectFolder(c.select);
        EXPECT_EQ(dialog.okEnabled(), *c.result != '\0') << c.select;
        EXPECT_EQ(dialog.selectedFolder(), c.result) << c.select;
    }
}

TEST_F(FolderBrowserTest, DialogWithoutFolderSelectsTheCurrentOne) {
    FolderBrowserDialog dialog;
    dialog.selectFolder("");
    EXPECT_TRUE(dialog.okEnabled());
    EXPECT_EQ(dialog.selectedFolder(), FileSystem::currentFolder());
}

TEST_F(FolderBrowserTest, LinuxFoldersBecomeWindowsFoldersWithOneBackslash) {
    EXPECT_EQ(FolderBrowserDialog::windowsFolder("/"), "Z:\\");
    EXPECT_EQ(FolderBrowserDialog::windowsFolder("/usr/lib"), "Z:\\usr\\lib\\");
    EXPECT_EQ(FolderBrowserDialog::windowsFolder(QString::fromStdString(drive.linux("a/b"))),
              "C:\\a\\b\\");
    EXPECT_EQ(FolderBrowserDialog::windowsFolder(QString::fromStdString(drive.linux(""))), "C:\\");
}

} // namespace
} // namespace avrtazu
