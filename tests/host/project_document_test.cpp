#include "host_test_support.h"

#include "lib/project_document.h"

#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::sampleProject;
using test::TempFolder;

class ProjectDocumentTest : public ::testing::Test {
protected:
    void TearDown() override { DriveMap::reset(); }

    TempFolder folder;
};

struct BadFile {
    const char* name;
    const char* content; // nullptr: the file does not exist; "/": it is a folder
    const char* expected;
};

class ProjectDocumentBadFileTest : public ProjectDocumentTest,
                                   public ::testing::WithParamInterface<BadFile> {};

TEST_P(ProjectDocumentBadFileTest, RefusesWithAReasonAndLeavesTheFileAlone) {
    const BadFile& bad = GetParam();
    std::string path = folder.file("p.aps");
    if (bad.content == nullptr) {
        path = folder.file("missing.aps");
    } else if (std::string(bad.content) == "/") {
        fs::create_directory(path);
    } else {
        folder.write("p.aps", bad.content);
    }
    const std::string before = readFile(path);

    ProjectDocument document;
    std::string error;
    EXPECT_FALSE(document.load(path, &error));
    EXPECT_NE(error.find(bad.expected), std::string::npos) << error;
    EXPECT_FALSE(document.isOpen());
    EXPECT_EQ(readFile(path), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProjectDocumentBadFileTest,
    ::testing::Values(BadFile{"Missing", nullptr, "No such file or directory"},
                      BadFile{"Folder", "/", "it is a folder"},
                      BadFile{"Truncated", "<AVRStudio>\n<MANAGEMENT>\n<ProjectName>x</Proj",
                              "at line 3"},
                      BadFile{"NotXml", "just text", "is not a readable project file"},
                      BadFile{"OtherRoot", "<Project><ProjectName>x</ProjectName></Project>",
                              "its root element is <Project>, not <AVRStudio>"},
                      BadFile{"Empty", "", "is not a readable project file"}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

TEST_F(ProjectDocumentTest, TheFoldersOwnPathIsTheProjectDirectoryWhereverItWasSaved) {
    const std::string first = folder.write("one/blink.aps", sampleProject());
    const std::string moved = folder.file("two/deeper/blink.aps");
    fs::create_directories(fs::path(moved).parent_path());
    fs::copy_file(first, moved);

    for (const std::string& path : {first, moved}) {
        ProjectDocument document;
        std::string error;
        ASSERT_TRUE(document.load(path, &error)) << error;
        const std::string expected = DriveMap::toWindows(fs::path(path).parent_path()) + "\\";
        EXPECT_EQ(document.value("CODE_CREATION", "SaveFolder"), expected);
        EXPECT_EQ(document.windowsFolder(), expected);
        EXPECT_EQ(document.path(), path);
    }
}

TEST_F(ProjectDocumentTest, AMappedDriveNamesTheProjectDirectory) {
    DriveMap::map('C', folder.path());
    const std::string path = folder.write("work/demo/demo.aps", sampleProject("demo"));
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(path, &error)) << error;
    EXPECT_EQ(document.value("CODE_CREATION", "SaveFolder"), "C:\\work\\demo\\");
}

TEST_F(ProjectDocumentTest, ARelativePathIsTakenFromTheCurrentFolder) {
    folder.write("rel/r.aps", sampleProject("r"));
    const fs::path before = fs::current_path();
    fs::current_path(folder.path());
    ProjectDocument document;
    std::string error;
    const bool loaded = document.load("rel/../rel/r.aps", &error);
    fs::current_path(before);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(document.path(), folder.file("rel/r.aps"));
}

TEST_F(ProjectDocumentTest, SavingKeepsTheStoredSaveFolderAndEverythingElse) {
    const std::string path = folder.write("p/blink.aps", sampleProject());
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(path, &error)) << error;
    document.setValue("AVRTAZUPLUGIN", "LASTCONFIG", "release");
    document.setValue("DEBUG_TARGET", "Part", "ATMega16");
    ASSERT_TRUE(document.save(&error)) << error;

    const std::string saved = readFile(path);
    EXPECT_NE(saved.find("<SaveFolder>C:\\old\\place\\</SaveFolder>"), std::string::npos) << saved;
    EXPECT_EQ(saved.find(folder.path()), std::string::npos) << saved;

    ProjectDocument again;
    ASSERT_TRUE(again.load(path, &error)) << error;
    EXPECT_EQ(again.value("AVRTAZUPLUGIN", "LASTCONFIG"), "release");
    EXPECT_EQ(again.value("DEBUG_TARGET", "Part"), "ATMega16");
    EXPECT_EQ(again.value("MANAGEMENT", "Created"), "05-Dec-2024 10:00:00");
    EXPECT_EQ(again.projectName(), "blink");
}

TEST_F(ProjectDocumentTest, AnUnchangedDocumentIsNotRewritten) {
    const std::string path = folder.write("p/blink.aps", sampleProject());
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(path, &error)) << error;
    ASSERT_TRUE(document.save(&error)) << error; // normalises the layout once
    struct stat first {};
    ASSERT_EQ(::stat(path.c_str(), &first), 0);

    ProjectDocument reloaded;
    ASSERT_TRUE(reloaded.load(path, &error)) << error;
    ASSERT_TRUE(reloaded.save(&error)) << error;
    struct stat second {};
    ASSERT_EQ(::stat(path.c_str(), &second), 0);
    EXPECT_EQ(first.st_ino, second.st_ino);
}

TEST_F(ProjectDocumentTest, SavingKeepsThePermissionsAndLeavesNoTemporaryFile) {
    const std::string path = folder.write("p/blink.aps", sampleProject());
    ::chmod(path.c_str(), 0640);
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(path, &error)) << error;
    document.setValue("AVRTAZUPLUGIN", "LASTCONFIG", "other");
    ASSERT_TRUE(document.save(&error)) << error;

    struct stat saved {};
    ASSERT_EQ(::stat(path.c_str(), &saved), 0);
    EXPECT_EQ(saved.st_mode & 07777, 0640u);
    EXPECT_EQ(test::folderEntries(folder.file("p")), std::vector<std::string>{"blink.aps"});
}

// A write that the system cuts short (here: a file size limit) must not touch the old file.
TEST_F(ProjectDocumentTest, AFailedSaveLeavesTheOldFileWhole) {
    const std::string path = folder.write("p/blink.aps", sampleProject());
    const std::string before = readFile(path);
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(path, &error)) << error;
    document.setValue("AVRTAZUPLUGIN", "LASTCONFIG", std::string(4096, 'x'));

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = document.save(&error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("cannot save " + path), std::string::npos) << error;
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(test::folderEntries(folder.file("p")), std::vector<std::string>{"blink.aps"});
}

TEST_F(ProjectDocumentTest, SavingIntoAFolderThatIsGoneFails) {
    const std::string path = folder.write("p/blink.aps", sampleProject());
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(path, &error)) << error;
    fs::remove_all(folder.file("p"));
    EXPECT_FALSE(document.save(&error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

TEST_F(ProjectDocumentTest, ANewProjectIsNamedAndPlacedAndWrittenOnSave) {
    ProjectDocument document;
    document.create(folder.file("fresh"), "fresh");
    EXPECT_EQ(document.path(), folder.file("fresh/fresh.aps"));
    EXPECT_EQ(document.projectName(), "fresh");
    EXPECT_EQ(document.value("CODE_CREATION", "SaveFolder"),
              DriveMap::toWindows(folder.file("fresh")) + "\\");
    EXPECT_EQ(readFile(document.path()), "<missing>");

    fs::create_directory(folder.file("fresh"));
    std::string error;
    ASSERT_TRUE(document.save(&error)) << error;
    ProjectDocument loaded;
    ASSERT_TRUE(loaded.load(document.path(), &error)) << error;
    EXPECT_EQ(loaded.projectName(), "fresh");
    EXPECT_EQ(loaded.xml().document_element().name(), std::string("AVRStudio"));
}

TEST_F(ProjectDocumentTest, AProjectWithoutANameIsNamedAfterItsFile) {
    const std::string path = folder.write("p/gadget.aps", "<AVRStudio><MANAGEMENT/></AVRStudio>");
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(path, &error)) << error;
    EXPECT_EQ(document.projectName(), "gadget");
}

} // namespace
} // namespace avrtazu
