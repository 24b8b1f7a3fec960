#include "host_test_support.h"

#include "lib/current_folder_scope.h"
#include "lib/project_document.h"

#include "platform/drive_map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using ::testing::HasSubstr;

class ProjectDocumentTest : public ::testing::Test {
protected:
    void TearDown() override { DriveMap::reset(); }

    // A document loaded from a sample project written at relative.
    ProjectDocument& load(const std::string& relative) {
        std::string error;
        EXPECT_TRUE(document.load(folder.write(relative, test::sampleProject()), &error)) << error;
        return document;
    }

    test::TempFolder folder;
    ProjectDocument document;
};

TEST_F(ProjectDocumentTest, ABadFileIsRefusedWithAReasonAndLeftAlone) {
    const std::pair<const char*, const char*> cases[] = {
        // nullptr: the file does not exist; "/": it is a folder.
        {nullptr, "No such file or directory"},
        {"/", "it is a folder"},
        {"<AVRStudio>\n<MANAGEMENT>\n<ProjectName>x</Proj", "at line 3, column"},
        {"", "is not a readable project file"},
        {"<Project><ProjectName>x</ProjectName></Project>",
         "is not an AVR Studio project file: its root element is <Project>, not <AVRStudio>"},
    };
    for (const auto& [content, reason] : cases) {
        const std::string path = folder.file("p.aps");
        fs::remove_all(path);
        if (content != nullptr && std::string(content) == "/") {
            fs::create_directory(path);
        } else if (content != nullptr) {
            folder.write("p.aps", content);
        }
        const std::string before = readFile(path);
        std::string error;
        EXPECT_FALSE(document.load(path, &error));
        EXPECT_THAT(error, HasSubstr(reason));
        EXPECT_FALSE(document.isOpen());
        EXPECT_EQ(readFile(path), before);
    }
}

// Wherever the project was saved, its folder is the one that holds it now.
TEST_F(ProjectDocumentTest, TheProjectDirectoryIsTheFolderThatHoldsTheFile) {
    DriveMap::map('C', folder.path());
    EXPECT_EQ(load("one/blink.aps").value("CODE_CREATION", "SaveFolder"), "C:\\one\\");
    EXPECT_EQ(document.windowsFolder(), "C:\\one\\");
    folder.write("two/deeper/b.aps", readFile(folder.file("one/blink.aps")));
    std::string error;
    {
        const CurrentFolderScope two(folder.file("two"));
        ASSERT_TRUE(document.load("../two/./deeper/b.aps", &error)) << error;
    }
    EXPECT_EQ(document.path(), folder.file("two/deeper/b.aps"));
    EXPECT_EQ(document.value("CODE_CREATION", "SaveFolder"), "C:\\two\\deeper\\");

    // A project without a name is named after its file.
    folder.write("p/gadget.aps", "<AVRStudio><MANAGEMENT/></AVRStudio>");
    ASSERT_TRUE(document.load(folder.file("p/gadget.aps"), &error)) << error;
    EXPECT_EQ(document.projectName(), "gadget");
}

TEST_F(ProjectDocumentTest, SavingKeepsTheStoredSaveFolderThePermissionsAndEverythingElse) {
    const std::string path = folder.file("p/blink.aps");
    load("p/blink.aps").setValue("AVRTAZUPLUGIN", "LASTCONFIG", "release");
    document.setValue("DEBUG_TARGET", "Part", "ATMega16");
    ::chmod(path.c_str(), 0640);
    std::string error;
    ASSERT_TRUE(document.save(&error)) << error;

    const std::string saved = readFile(path);
    EXPECT_THAT(saved, HasSubstr("<SaveFolder>C:\\old\\place\\</SaveFolder>"));
    EXPECT_THAT(saved, ::testing::Not(HasSubstr(folder.path())));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.file("p")), {}), 1);

    ProjectDocument again;
    ASSERT_TRUE(again.load(path, &error)) << error;
    EXPECT_EQ(again.value("AVRTAZUPLUGIN", "LASTCONFIG"), "release");
    EXPECT_EQ(again.value("DEBUG_TARGET", "Part"), "ATMega16");
    EXPECT_EQ(again.value("MANAGEMENT", "Created"), "05-Dec-2024 10:00:00");
    // Saved again unchanged, the file is not rewritten.
    ASSERT_TRUE(again.save(&error)) << error;
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, status.st_ino);
}

// A write that the system cuts short (here: a file size limit) must not touch the old file.
TEST_F(ProjectDocumentTest, AFailedSaveLeavesTheOldFileWhole) {
    const std::string path = folder.file("p/blink.aps");
    load("p/blink.aps").setValue("AVRTAZUPLUGIN", "LASTCONFIG", std::string(4096, 'x'));
    const std::string before = readFile(path);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = document.save(&error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_THAT(error, HasSubstr("cannot save " + path));
    EXPECT_EQ(readFile(path), before);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.file("p")), {}), 1);
}

TEST_F(ProjectDocumentTest, ANewProjectIsNamedAndPlacedAndWrittenOnSave) {
    document.create(folder.file("fresh"), "fresh");
    EXPECT_EQ(document.path(), folder.file("fresh/fresh.aps"));
    EXPECT_EQ(document.value("CODE_CREATION", "SaveFolder"),
              DriveMap::toWindows(folder.file("fresh")) + "\\");
    EXPECT_EQ(readFile(document.path()), "<missing>");
    fs::create_directory(folder.file("fresh"));
    std::string error;
    ASSERT_TRUE(document.save(&error)) << error;
    ProjectDocument loaded;
    ASSERT_TRUE(loaded.load(document.path(), &error)) << error;
    EXPECT_EQ(loaded.projectName(), "fresh");
}

} // namespace
} // namespace avrtazu
