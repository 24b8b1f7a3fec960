#include "platform/file_system.h"
#include "platform/system_error_text.h"
#include "platform/text_file_writer.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <utility>

namespace avrtazu {
namespace {

using test::TempDrive;

TEST(FileSystemTest, ExistenceTellsFilesFromFolders) {
    TempDrive drive;
    drive.write("work\\main.c", "int main;");
    // A path, whether it is a file, whether it is a folder.
    const std::tuple<const char*, bool, bool> cases[] = {
        {"C:\\work\\main.c", true, false},  {"c:/work/main.c", true, false},
        {"C:\\work\\", false, true},        {"C:\\work\\missing.c", false, false},
        {"Q:\\work\\main.c", false, false}, // drive not mapped
    };
    for (const auto& [path, file, folder] : cases) {
        EXPECT_EQ(FileSystem::fileExists(path), file) << path;
        EXPECT_EQ(FileSystem::folderExists(path), folder) << path;
    }
}

TEST(FileSystemTest, CreateRenameAndDeleteNeverReplaceAndLeaveFoldersAlone) {
    TempDrive drive;
    drive.write("old.c", "old");
    drive.write("other.c", "other");
    drive.makeFolder("dir");
    // Each step: its result and, for a failure, the reason.
    const auto expectFailure = [](bool result, int error) {
        EXPECT_FALSE(result);
        EXPECT_EQ(SystemError::code(), error);
    };
    // A folder is made one level at a time, where nothing of its name exists.
    EXPECT_TRUE(FileSystem::createFolder("C:\\out\\"));
    EXPECT_TRUE(FileSystem::folderExists("C:\\out"));
    expectFailure(FileSystem::createFolder("C:\\out"), EEXIST);
    expectFailure(FileSystem::createFolder("C:\\a\\b\\"), ENOENT);
    EXPECT_FALSE(FileSystem::folderExists("C:\\a"));
    expectFailure(FileSystem::createFolder("C:\\old.c"), EEXIST);
    expectFailure(FileSystem::createFolder("Q:\\x\\"), ENOENT);

    expectFailure(FileSystem::renameFile("C:\\old.c", "C:\\other.c"), EEXIST);
    EXPECT_EQ(drive.read("other.c"), "other");
    EXPECT_TRUE(FileSystem::renameFile("C:\\old.c", "C:\\dir\\new.c"));
    EXPECT_EQ(drive.read("dir/new.c"), "old");
    expectFailure(FileSystem::renameFile("C:\\old.c", "C:\\again.c"), ENOENT);

    expectFailure(FileSystem::createNewFile("C:\\other.c"), EEXIST);
    EXPECT_EQ(drive.read("other.c"), "other");
    expectFailure(FileSystem::createNewFile("C:\\nofolder\\new.h"), ENOENT);
    EXPECT_TRUE(FileSystem::createNewFile("C:\\new.h"));
    EXPECT_EQ(FileSystem::fileSize("C:\\new.h"), 0u);

    expectFailure(FileSystem::deleteFile("C:\\dir"), EISDIR);
    EXPECT_TRUE(FileSystem::folderExists("C:\\dir"));
    EXPECT_TRUE(FileSystem::deleteFile("C:\\dir\\new.c"));
    EXPECT_FALSE(FileSystem::fileExists("C:\\dir\\new.c"));
    expectFailure(FileSystem::deleteFile("C:\\dir\\new.c"), ENOENT);
}

TEST(FileSystemTest, StatusGivesSizeAndModificationTime) {
    TempDrive drive;
    const std::string path = drive.write("a.bin", std::string(1536, 'x'));
    const std::time_t stamp = 1700000000;
    struct timespec times[2] = {{stamp, 0}, {stamp, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    EXPECT_EQ(FileSystem::fileSize("C:\\a.bin"), 1536u);
    EXPECT_EQ(FileSystem::modificationTime("C:\\a.bin"), stamp);
    EXPECT_FALSE(FileSystem::status("C:\\missing"));
    EXPECT_EQ(SystemError::code(), ENOENT);
}

TEST(FileSystemTest, ReadingKeepsBytesOrTurnsCrLfToLf) {
    TempDrive drive;
    const std::string raw("a\r\nb\rc\n\0d\r\n", 12);
    drive.write("dep.d", raw);
    EXPECT_EQ(FileSystem::readFile("C:\\dep.d"), raw);
    EXPECT_EQ(FileSystem::readTextFile("C:\\dep.d"), std::string("a\nb\rc\n\0d\n", 10));
    EXPECT_FALSE(FileSystem::readFile("C:\\none.d"));
    EXPECT_FALSE(FileSystem::readTextFile("C:\\"));
}

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

TEST(TextFileWriterTest, WritesCrLfLineEnds) {
    TempDrive drive;
    // What is written, and what the file holds then.
    const std::pair<std::string, std::string> cases[] = {
        {"@ECHO OFF\nREM x\n", "@ECHO OFF\r\nREM x\r\n"},
        {"no end", "no end"},
        // More than the writer buffers at once, so that line ends meet the buffer's edge.
        {repeated("\n", 20000), repeated("\r\n", 20000)},
    };
    for (const auto& [written, inFile] : cases) {
        {
            TextFileWriter out("C:\\Makefile");
            ASSERT_TRUE(out.isOpen());
            out << written;
        }
        EXPECT_EQ(drive.read("Makefile"), inFile);
    }
}

TEST(TextFileWriterTest, TruncatesAndReportsCloseAndOpenFailures) {
    TempDrive drive;
    drive.write("build.bat", "a much longer old content\r\n");
    TextFileWriter out("C:\\build.bat");
    out << "x" << 42 << '\n';
    EXPECT_TRUE(out.close());
    EXPECT_EQ(drive.read("build.bat"), "x42\r\n");

    TextFileWriter missing("C:\\no\\such\\folder\\Makefile");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(SystemError::code(), ENOENT);
    EXPECT_TRUE(missing.fail());
    missing << "dropped\n";
    EXPECT_FALSE(missing.close());
}

TEST(SystemErrorTest, RendersCodeAndText) {
    SystemError::setCode(EACCES);
    EXPECT_EQ(SystemError::code(), EACCES);
    EXPECT_EQ(SystemError::lastErrorMessage(), "Error 13: Permission denied");
    EXPECT_EQ(SystemError::text(ENOENT), "No such file or directory");
}

} // namespace
} // namespace avrtazu
