#include "ui/ui_test_support.h"

#include "model/source_file.h"
#include "platform/file_system.h"
#include "ui/file_info_text.h"
#include "ui/file_name_rule.h"
#include "ui/new_project_file_dialog.h"
#include "ui/project_properties_dialog.h"
#include "ui/properties_dialog.h"
#include "ui/rename_file_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <map>
#include <optional>
#include <time.h>

namespace avrtazu::uitest {
namespace {

const std::string kTooLong = "File name is too long. Only 64 characters is allowed";
const std::string kSameExtension = "The new name must have the same extension as the old.\n";
const std::string kLocationHint =
    "Use the \"Location \" edit control to specify the new file's path";

std::string charText(char c) {
    return std::string(1, c) + " is not an allowed character.\nMake sure that all characters "
                               "are in the set (A-Z,a-z,0-9,-,_,.)";
}

std::string existsText(const std::string& path) {
    return "The file " + path + " already exists. I will not overwrite it";
}

TEST(FileNameRuleTest, AcceptsOnlyPlainNames) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {std::string(64, 'a'), std::nullopt},
        // The first offending character is the one named, as it is.
        {"caf\xE9.c", charText('\xE9')},
        {"a#b$c", charText('#')},
    };
    for (const auto& [name, refusal] : cases) {
        EXPECT_EQ(FileNameRule::refusal(name), refusal) << name;
    }
    std::string allowed;
    for (int code = 0; code < 256; ++code) {
        if (FileNameRule::isAllowedCharacter(static_cast<char>(code))) {
            allowed += static_cast<char>(code);
        }
    }
    EXPECT_EQ(allowed, "-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
}

TEST(FileInfoTextTest, SizesBelowOneKilobyteInBytesAboveInKilobytes) {
    const std::pair<std::uint64_t, const char*> cases[] = {{1023, "1023 bytes"},
                                                           {1024, "1.00 kb."},
                                                           {1536, "1.50 kb."},
                                                           {1030, "1.01 kb."},
                                                           {5000000000ull, "4882812.50 kb."}};
    for (const auto& [size, text] : cases) {
        EXPECT_EQ(FileInfoText::sizeText(size), text) << size;
    }
}

TEST(FileInfoTextTest, DateIsLocalTimeWithWeekdayDayMonthYearAndTime) {
    const char* tz = std::getenv("TZ");
    const std::optional<std::string> previousZone =
        tz != nullptr ? std::optional<std::string>(tz) : std::nullopt;
    const std::string previousLocale = std::setlocale(LC_TIME, nullptr);
    std::setlocale(LC_TIME, "C");
    const std::tuple<const char*, std::time_t, const char*> cases[] = {
        {"UTC", 0, "Thursday 01. Jan 1970. 00:00:00"},
        {"UTC", 1707141789, "Monday 05. Feb 2024. 14:03:09"},
        {"CET-1", 0, "Thursday 01. Jan 1970. 01:00:00"},
        // A time that cannot be converted gives an empty text.
        {"UTC", std::numeric_limits<std::time_t>::max(), ""},
    };
    for (const auto& [zone, time, text] : cases) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        EXPECT_EQ(FileInfoText::dateText(time), text) << zone << " " << time;
    }
    if (previousZone) {
        ::setenv("TZ", previousZone->c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
    std::setlocale(LC_TIME, previousLocale.c_str());
}

using NewProjectFileDialogTest = DriveTest;

TEST_F(NewProjectFileDialogTest, RefusesNamesInTheOrderOfItsChecks) {
    const std::string existing(65, 'e');
    drive.write("demo\\" + existing, "kept");
    // name, refusal (empty: accepted), caption of the refusal
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {std::string(62, 'a') + ".c", "", ""},
        {"", "The new filename can not be empty", "Empty filename"},
        {std::string(63, 'a') + ".c", kTooLong, "Filename too long"},
        {"my file.c", charText(' '), ""},
        {"sub\\x.c", kLocationHint, ""},
        // The Location hint comes before the length and the characters.
        {"a b/" + std::string(70, 'x'), kLocationHint, ""},
        // Length before characters.
        {std::string(66, ' '), kTooLong, "Filename too long"},
        // An existing file is named before its too long name is, and never overwritten.
        {existing, existsText(windows(existing)), "File already exists"},
    };
    for (const auto& [name, refusal, caption] : cases) {
        SCOPED_TRACE(name);
        dialogs.clear();
        answerDialogs(name, "fileName");
        CNewProjectFileDialog dialog(project);
        const int result = dialog.DoModal();
        if (refusal.empty()) {
            EXPECT_EQ(result, QDialog::Accepted);
            EXPECT_TRUE(dialogs.messages().empty());
            EXPECT_EQ(dialog.newFilePath(), windows(name));
            EXPECT_EQ(drive.read("demo\\" + name), "");
            EXPECT_TRUE(onDisk("demo\\" + name));
            continue;
        }
        EXPECT_EQ(result, QDialog::Rejected);
        ASSERT_EQ(dialogs.messages().size(), 1u);
        EXPECT_EQ(dialogs.messages()[0].text, refusal);
        EXPECT_EQ(dialogs.messages()[0].caption, caption);
        EXPECT_EQ(dialog.newFilePath(), "");
    }
    EXPECT_EQ(drive.read("demo\\" + existing), "kept");
}

TEST_F(NewProjectFileDialogTest, LocationStartsAtTheProjectAndOnlyBrowseChangesIt) {
    drive.makeFolder("elsewhere");
    dialogs.queueFolder("C:\\elsewhere\\");
    onModal([&](QDialog& dialog) {
        const auto& location = control<QLineEdit>(dialog, "location");
        EXPECT_FALSE(location.isEnabled());
        EXPECT_EQ(location.text().toStdString(), "C:\\demo\\");
        // The queued folder answers the first browse; the second one is cancelled.
        click(dialog, "browse");
        EXPECT_EQ(location.text().toStdString(), "C:\\elsewhere\\");
        click(dialog, "browse");
        EXPECT_EQ(location.text().toStdString(), "C:\\elsewhere\\");
        control<QLineEdit>(dialog, "fileName").setText("util.h");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        return dialog.result();
    });
    CNewProjectFileDialog dialog(project);
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(dialog.newFilePath(), "C:\\elsewhere\\util.h");
    EXPECT_TRUE(onDisk("elsewhere\\util.h"));
    EXPECT_FALSE(onDisk("demo\\util.h"));
    // Both browses start at the project's directory.
    ASSERT_EQ(dialogs.dialogs().size(), 2u);
    for (const auto& request : dialogs.dialogs()) {
        EXPECT_EQ(request.startFolder, "C:\\demo\\");
    }
}

class RenameFileDialogTest : public DriveTest {
protected:
    RenameFileDialogTest() {
        for (const std::string& file :
             std::vector<std::string>{"main.c", "other.c", std::string(63, 'o') + ".c",
                                      "src\\util.c", "src\\helper.c"}) {
            drive.write("demo\\" + file, "");
        }
    }

    // Types name and presses "Rename": the dialog's result, and its new name in newName.
    int rename(const SourceFile& file, const std::string& name, std::string& newName,
               const std::string& projectDirectory = std::string()) {
        dialogs.clear();
        answerDialogs(name, "newName", "rename");
        CRenameFileDialog dialog(file, nullptr, projectDirectory);
        const int result = dialog.DoModal();
        newName = dialog.newName();
        return result;
    }
};

TEST_F(RenameFileDialogTest, ChecksTheNewNameInOrder) {
    const SourceFile mainC("main.c", "C:\\demo\\");
    const std::pair<std::string, std::string> cases[] = {
        {std::string(62, 'm') + ".c", ""},
        {"", "The new filename can not be empty"},
        {"other.c", existsText("C:\\demo\\other.c")},
        {std::string(63, 'm') + ".c", kTooLong},
        {"my main.c", charText(' ')},
        {"main.h", kSameExtension},
        {"main.C", kSameExtension},
        // Existence before length, length before characters, characters before the extension.
        {std::string(63, 'o') + ".c", existsText("C:\\demo\\" + std::string(63, 'o') + ".c")},
        {std::string(70, ' ') + ".h", kTooLong},
        {"my main.h", charText(' ')},
    };
    for (const auto& [name, refusal] : cases) {
        SCOPED_TRACE(name);
        std::string newName;
        const int result = rename(mainC, name, newName);
        if (refusal.empty()) {
            EXPECT_EQ(result, QDialog::Accepted);
            EXPECT_EQ(newName, name);
            EXPECT_TRUE(dialogs.messages().empty());
            continue;
        }
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(newName, "");
        ASSERT_EQ(dialogs.messages().size(), 1u);
        EXPECT_EQ(dialogs.messages()[0].text, refusal);
        EXPECT_EQ(dialogs.messages()[0].caption, "");
    }
}

TEST_F(RenameFileDialogTest, RelativeFileIsCheckedBelowTheProjectDirectory) {
    const SourceFile util("src\\util.c");
    std::string newName;
    EXPECT_EQ(rename(util, "helper.c", newName, "C:\\demo\\"), QDialog::Rejected);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{existsText("src\\helper.c")});
    EXPECT_EQ(rename(util, "tools.c", newName, "C:\\demo\\"), QDialog::Accepted);
    EXPECT_EQ(newName, "tools.c");
}

TEST_F(RenameFileDialogTest, StartsWithTheOldName) {
    std::string shown;
    onModal([&shown](QDialog& dialog) {
        shown = text(dialog, "newName");
        return static_cast<int>(QDialog::Rejected);
    });
    const SourceFile mainC("main.c", "C:\\demo\\");
    CRenameFileDialog dialog(mainC);
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_EQ(shown, "main.c");
}

std::string field(const QDialog& dialog, const char* name) {
    const auto& edit = control<QLineEdit>(dialog, name);
    EXPECT_TRUE(edit.isReadOnly()) << name;
    return edit.text().toStdString();
}

std::string dateOf(const std::string& windowsPath) {
    return FileInfoText::dateText(*FileSystem::modificationTime(windowsPath));
}

void expectFields(const QDialog& dialog, const std::map<std::string, std::string>& expected) {
    for (const auto& [name, text] : expected) {
        EXPECT_EQ(field(dialog, name.c_str()), text) << name;
    }
}

class PropertiesDialogsTest : public DriveTest {
protected:
    PropertiesDialogsTest() {
        project.setOutputFileName("demo.cof");
        project.setOutputDirectory("obj\\");
    }
};

TEST_F(PropertiesDialogsTest, ObjectFileLiesInTheOutputDirectoryUnderTheStemOfTheName) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"C:\\demo\\a.b.c", "default\\", "C:\\demo\\default\\a.b.o"},
        {"C:\\demo\\Makefile", "obj\\", "C:\\demo\\obj\\Makefile.o"},
        {"D:\\elsewhere\\x.c", "obj\\", "C:\\demo\\obj\\x.o"},
    };
    for (const auto& [file, outputDir, object] : cases) {
        project.setOutputDirectory(outputDir);
        EXPECT_EQ(CPropertiesDialog::objectFilePath(project, file), object) << file;
    }
}

TEST_F(PropertiesDialogsTest, FilePropertiesShowTheFileAndItsObjectFile) {
    drive.write("demo\\src.c", std::string(1023, 'x'));
    drive.write("demo\\obj\\src.o", std::string(1536, 'x'));
    CPropertiesDialog dialog(project, windows("src.c"));
    EXPECT_EQ(dialog.windowTitle().toStdString(), "File properties");
    expectFields(dialog, {{"fileName", "src.c"},
                          {"fileLocation", "C:\\demo\\"},
                          {"fileSize", "1023 bytes"},
                          {"lastModified", dateOf(windows("src.c"))},
                          {"objectFileName", "src.o"},
                          {"objectFileLocation", "C:\\demo\\obj\\"},
                          {"objectSize", "1.50 kb."},
                          {"lastCompiled", dateOf(windows("obj\\src.o"))}});
    EXPECT_NE(field(dialog, "lastModified"), "");

    // A folder of the object's name is no object file.
    std::filesystem::remove(drive.linux("demo/obj/src.o"));
    drive.makeFolder("demo\\obj\\src.o");
    CPropertiesDialog without(project, windows("src.c"));
    expectFields(without, {{"objectFileName", "Object file does not exist"},
                           {"objectFileLocation", ""},
                           {"objectSize", ""},
                           {"lastCompiled", ""}});
}

TEST_F(PropertiesDialogsTest, FileThatCannotBeReadFailsConstructionWithAShortMessage) {
    drive.makeFolder("demo\\folder.c");
    const std::string longPath = windows(std::string(200, 'n') + ".c");
    const std::pair<std::string, std::string> cases[] = {
        {windows("missing.c"), windows("missing.c") + ": No such file or directory"},
        {windows("folder.c"), windows("folder.c") + ": Is a directory"},
        {longPath, longPath.substr(0, 150)},
    };
    for (const auto& [path, message] : cases) {
        try {
            CPropertiesDialog dialog(project, path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
    drive.write("demo\\src.c", "x");
    Project broken("demo", "C:\\demo\\");
    EXPECT_THROW(CPropertiesDialog(broken, windows("src.c")), std::runtime_error);
}

TEST_F(PropertiesDialogsTest, ProjectPropertiesShowProjectAndOutput) {
    drive.write("demo\\demo.aps", std::string(10, 'x'));
    drive.write("demo\\obj\\demo.cof", std::string(1536, 'x'));
    project.setPart("ATmega16");
    project.setDirty(true);
    CProjectPropertiesDialog dialog(project);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Project properties");
    expectFields(dialog, {{"projectFile", "demo.aps"},
                          {"projectDirectory", "C:\\demo\\"},
                          {"lastSaved", dateOf(windows("demo.aps"))},
                          {"activeConfiguration", "default"},
                          {"optionsChanged", "Yes"},
                          {"outputFile", "C:\\demo\\obj\\demo.cof"},
                          {"lastBuild", dateOf(windows("obj\\demo.cof"))},
                          {"outputFileSize", "1.50 kb."},
                          {"targetPart", "ATmega16"}});
    EXPECT_TRUE(logs(2).empty());
}

TEST_F(PropertiesDialogsTest, ProjectPropertiesReportFilesWhoseStatusIsMissing) {
    CProjectPropertiesDialog dialog(project);
    expectFields(dialog, {{"lastSaved", "Error!"},
                          {"optionsChanged", "No"},
                          {"outputFile", "C:\\demo\\obj\\demo.cof"},
                          {"lastBuild", "Unknown"},
                          {"outputFileSize", "Unknown"},
                          {"targetPart", "Custom"}});
    EXPECT_EQ(logs(2), std::vector<std::string>(2, "Failed getting project file status"));
}

TEST_F(PropertiesDialogsTest, ProjectPropertiesWithoutActiveConfigurationStopFillingAndLogIt) {
    drive.write("demo\\demo.aps", "x");
    Project broken("demo", "C:\\demo\\");
    CProjectPropertiesDialog dialog(broken);
    expectFields(dialog, {{"projectFile", "demo.aps"},
                          {"projectDirectory", "C:\\demo\\"},
                          {"lastSaved", dateOf(windows("demo.aps"))},
                          {"activeConfiguration", ""},
                          {"targetPart", ""}});
    EXPECT_EQ(logs(3), std::vector<std::string>{"CProjectPropertiesDialog::OnInitDialog()|Error "
                                                "getting Project properties: Project::"
                                                "currentConfigName(): Invalid Configuration"});
}

} // namespace
} // namespace avrtazu::uitest
