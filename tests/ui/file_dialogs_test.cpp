#include "ui/ui_test_support.h"

#include "model/source_file.h"
#include "ui/file_info_text.h"
#include "ui/file_name_rule.h"
#include "ui/new_project_file_dialog.h"
#include "ui/project_properties_dialog.h"
#include "ui/properties_dialog.h"
#include "ui/rename_file_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <time.h>

namespace avrtazu::uitest {
namespace {

TEST(FileNameRuleTest, AcceptsOnlyPlainNames) {
    // The first offending character is the one named, as it is.
    EXPECT_EQ(FileNameRule::refusal(std::string(64, 'a')), std::nullopt);
    EXPECT_EQ(FileNameRule::refusal("caf\xE9.c"), "\xE9 is not an allowed character.\nMake sure "
                                                  "that all characters are in the set "
                                                  "(A-Z,a-z,0-9,-,_,.)");
    EXPECT_EQ(FileNameRule::refusal("a#b$c")->substr(0, 2), "# ");
    std::string allowed;
    for (int code = 0; code < 256; ++code) {
        if (FileNameRule::isAllowedCharacter(static_cast<char>(code))) {
            allowed += static_cast<char>(code);
        }
    }
    EXPECT_EQ(allowed, "-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
}

TEST(FileInfoTextTest, SizesInBytesOrKilobytesAndDatesInLocalTime) {
    std::string shown;
    for (const std::uint64_t size : {1023ull, 1024ull, 1536ull, 1030ull, 5000000000ull}) {
        shown += FileInfoText::sizeText(size) + "\n";
    }
    // A time that cannot be converted gives an empty text.
    const std::pair<const char*, std::time_t> dates[] = {
        {"UTC", 0},
        {"UTC", 1707141789},
        {"CET-1", 0},
        {"UTC", std::numeric_limits<std::time_t>::max()}};
    for (const auto& [zone, time] : dates) {
        ::setenv("TZ", zone, 1);
        shown += FileInfoText::dateText(time) + "\n";
    }
    EXPECT_EQ(shown, "1023 bytes\n1.00 kb.\n1.50 kb.\n1.01 kb.\n4882812.50 kb.\n"
                     "Thursday 01. Jan 1970. 00:00:00\nMonday 05. Feb 2024. 14:03:09\n"
                     "Thursday 01. Jan 1970. 01:00:00\n\n");
}

// The drive holds the project "demo"; files get one fixed modification time.
class FileDialogsTest : public DriveTest {
protected:
    void writeDated(const std::string& relative, std::size_t size) {
        const std::string path = drive.write(relative, std::string(size, 'x'));
        std::filesystem::last_write_time(
            path, std::chrono::file_clock::from_sys(
                      std::chrono::sys_seconds{std::chrono::seconds{1707141789}}));
    }
};

// Checks in order: empty, Location hint, length, characters; an existing file is named before
// its too long name is, and never overwritten. An accepted name is created empty.
TEST_F(FileDialogsTest, NewFileDialogRefusesNamesInTheOrderOfItsChecks) {
    const std::string existing(65, 'e');
    drive.write("demo\\" + existing, "kept");
    std::string shown;
    for (const std::string& name :
         {std::string(62, 'a') + ".c", std::string(), std::string(63, 'a') + ".c",
          std::string("my file.c"), std::string("sub\\x.c"), "a b/" + std::string(70, 'x'),
          std::string(66, ' '), existing}) {
        answerDialogs(name, "fileName");
        CNewProjectFileDialog dialog(project);
        const int result = dialog.DoModal();
        shown += "== " + name + ": " + std::to_string(result) + " " + dialog.newFilePath() + "\n";
        shown += events();
    }
    EXPECT_EQ(drive.read("demo\\" + existing), "kept");
    EXPECT_EQ(drive.read("demo\\" + std::string(62, 'a') + ".c"), "");
    expectGolden("new_file_dialog.txt", shown);
}

// The location starts at the project, cannot be typed into, and follows only the chooser,
// which starts at the project's directory each time.
TEST_F(FileDialogsTest, NewFileDialogLocationChangesOnlyByBrowsing) {
    drive.makeFolder("elsewhere");
    dialogs.queueFolder("C:\\elsewhere\\");
    std::string shown;
    onModal([&](QDialog& dialog) {
        shown += describe(dialog, {"location"});
        click(dialog, "browse");
        click(dialog, "browse");
        shown += describe(dialog, {"location"});
        type(dialog, "fileName", "util.h");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        return dialog.result();
    });
    CNewProjectFileDialog dialog(project);
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(dialog.newFilePath(), "C:\\elsewhere\\util.h");
    EXPECT_TRUE(onDisk("elsewhere\\util.h"));
    EXPECT_FALSE(onDisk("demo\\util.h"));
    EXPECT_EQ(shown + events(), "location: C:\\demo\\ [disabled]\n"
                                "location: C:\\elsewhere\\ [disabled]\n"
                                "folder dialog \"\" at C:\\demo\\\n"
                                "folder dialog \"\" at C:\\demo\\\n");
}

// Checks in order: empty, existing (a relative file below the project directory), length,
// characters, the same extension; the dialog starts with the old name.
TEST_F(FileDialogsTest, RenameDialogChecksTheNewNameInOrder) {
    for (const std::string& file : {std::string("main.c"), std::string("other.c"),
                                    std::string(63, 'o') + ".c", std::string("src\\helper.c")}) {
        drive.write("demo\\" + file, "");
    }
    const SourceFile mainC("main.c", "C:\\demo\\");
    const SourceFile util("src\\util.c");
    const std::pair<const SourceFile*, std::string> cases[] = {
        {&mainC, std::string(62, 'm') + ".c"},
        {&mainC, ""},
        {&mainC, "other.c"},
        {&mainC, std::string(63, 'm') + ".c"},
        {&mainC, "my main.c"},
        {&mainC, "main.h"},
        {&mainC, "main.C"},
        {&mainC, std::string(63, 'o') + ".c"},
        {&mainC, std::string(70, ' ') + ".h"},
        {&mainC, "my main.h"},
        {&util, "helper.c"},
        {&util, "tools.c"},
    };
    std::string shown;
    for (const auto& [file, name] : cases) {
        onModal([&, name = name](QDialog& dialog) {
            shown += "== " + text(dialog, "newName") + " to " + name + ": ";
            type(dialog, "newName", name);
            click(dialog, "rename");
            return dialog.result();
        });
        CRenameFileDialog dialog(*file, nullptr, "C:\\demo\\");
        const int result = dialog.DoModal();
        shown += std::to_string(result) + " " + dialog.newName() + "\n";
        shown += events();
    }
    expectGolden("rename_dialog.txt", shown);
}

TEST_F(FileDialogsTest, ObjectFileLiesInTheOutputDirectoryUnderTheStemOfTheName) {
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

// A folder of the object's name is no object file. A file that cannot be read fails the
// construction with a short message.
TEST_F(FileDialogsTest, FilePropertiesShowTheFileAndItsObjectFile) {
    project.setOutputDirectory("obj\\");
    writeDated("demo\\src.c", 1023);
    writeDated("demo\\obj\\src.o", 1536);
    writeDated("demo\\obj\\x.c", 1);
    drive.makeFolder("demo\\obj\\x.o");
    std::string shown = describe(CPropertiesDialog(project, windows("src.c"))) +
                        describe(CPropertiesDialog(project, windows("obj\\x.c")));
    drive.makeFolder("demo\\folder.c");
    for (const std::string& path :
         {windows("missing.c"), windows("folder.c"), windows(std::string(200, 'n') + ".c")}) {
        try {
            CPropertiesDialog dialog(project, path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const std::runtime_error& error) {
            shown += error.what() + std::string("\n");
        }
    }
    Project broken("demo", "C:\\demo\\");
    EXPECT_THROW(CPropertiesDialog(broken, windows("src.c")), std::runtime_error);
    expectGolden("file_properties.txt", shown);
}

// Files whose status is missing show so, and are logged; without an active configuration the
// dialog stops filling and logs why.
TEST_F(FileDialogsTest, ProjectPropertiesShowProjectAndOutput) {
    project.setOutputFileName("demo.cof");
    project.setOutputDirectory("obj\\");
    std::string shown;
    const auto show = [&](const Project& shownProject) {
        const CProjectPropertiesDialog dialog(shownProject);
        shown += describe(dialog);
        shown += events();
    };
    show(project);
    writeDated("demo\\demo.aps", 10);
    writeDated("demo\\obj\\demo.cof", 1536);
    project.setPart("ATmega16");
    project.setDirty(true);
    show(project);
    show(Project("demo", "C:\\demo\\"));
    expectGolden("project_properties.txt", shown);
}

} // namespace
} // namespace avrtazu::uitest
