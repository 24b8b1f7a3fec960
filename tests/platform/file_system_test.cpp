#include "platform/file_system.h"
#include "platform/system_error_text.h"
#include "platform/text_file_writer.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace avrtazu {
namespace {

using test::TempDrive;

TEST(FileSystemTest, ExistenceTellsFilesFromFolders) {
    TempDrive drive;
    drive.write("work\\main.c", "int main;");
    struct Case {
        const char* path;
        bool file;
        bool folder;
    } cases[] = {
        {"C:\\work\\main.c", true, false},
        {"c:/work/main.c", true, false},
        {"C:\\work", false, true},
        {"C:\\work\\", false, true},
        {"C:\\work\\missing.c", false, false},
        {"Q:\\work\\main.c", false, false}, // drive not mapped
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileSystem::fileExists(c.path), c.file) << c.path;
        EXPECT_EQ(FileSystem::folderExists(c.path), c.folder) << c.path;
    }
}

TEST(FileSystemTest, CreateFolderMakesOneLevelOnly) {
    TempDrive drive;
    drive.write("taken.txt", "");
    struct Case {
        const char* path;
        bool created;
        int error;
    } cases[] = {
        {"C:\\out\\", true, 0},           {"C:\\out", false, EEXIST}, // now exists
        {"C:\\a\\b\\", false, ENOENT},                                // parent missing
        {"C:\\taken.txt", false, EEXIST},                             // a file of that name
        {"Q:\\x\\", false, ENOENT},
    };
    for (const auto& c : cases) {
        errno = 0;
        EXPECT_EQ(FileSystem::createFolder(c.path), c.created) << c.path;
        if (!c.created) {
            EXPECT_EQ(SystemError::code(), c.error) << c.path;
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(drive.linux("out")));
    EXPECT_FALSE(std::filesystem::exists(drive.linux("a")));
}

TEST(FileSystemTest, RenameRefusesToReplaceAndDeleteRefusesFolders) {
    TempDrive drive;
    drive.write("old.c", "old");
    drive.write("other.c", "other");
    drive.makeFolder("dir");

    EXPECT_FALSE(FileSystem::renameFile("C:\\old.c", "C:\\other.c"));
    EXPECT_EQ(SystemError::code(), EEXIST);
    EXPECT_EQ(drive.read("other.c"), "other");

    EXPECT_TRUE(FileSystem::renameFile("C:\\old.c", "C:\\dir\\new.c"));
    EXPECT_EQ(drive.read("dir/new.c"), "old");
    EXPECT_FALSE(FileSystem::fileExists("C:\\old.c"));

    EXPECT_FALSE(FileSystem::renameFile("C:\\old.c", "C:\\again.c"));
    EXPECT_EQ(SystemError::code(), ENOENT);

    EXPECT_FALSE(FileSystem::deleteFile("C:\\dir"));
    EXPECT_TRUE(FileSystem::folderExists("C:\\dir"));
    EXPECT_TRUE(FileSystem::deleteFile("C:\\dir\\new.c"));
    EXPECT_FALSE(FileSystem::fileExists("C:\\dir\\new.c"));
    EXPECT_FALSE(FileSystem::deleteFile("C:\\dir\\new.c"));
    EXPECT_EQ(SystemError::code(), ENOENT);
}

TEST(FileSystemTest, CreateNewFileNeverReplaces) {
    TempDrive drive;
    drive.write("keep.c", "content");
    EXPECT_FALSE(FileSystem::createNewFile("C:\\keep.c"));
    EXPECT_EQ(SystemError::code(), EEXIST);
    EXPECT_EQ(drive.read("keep.c"), "content");
    EXPECT_TRUE(FileSystem::createNewFile("C:\\new.h"));
    EXPECT_EQ(FileSystem::fileSize("C:\\new.h"), 0u);
    EXPECT_FALSE(FileSystem::createNewFile("C:\\nofolder\\new.h"));
}

TEST(FileSystemTest, StatusGivesSizeAndModificationTime) {
    TempDrive drive;
    drive.write("a.bin", std::string(1536, 'x'));
    const std::time_t stamp = 1700000000;
    const std::filesystem::path path = drive.linux("a.bin");
    struct timespec times[2] = {{stamp, 0}, {stamp, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    EXPECT_EQ(FileSystem::fileSize("C:\\a.bin"), 1536u);
    EXPECT_EQ(FileSystem::modificationTime("C:\\a.bin"), stamp);
    const auto status = FileSystem::status("C:\\a.bin");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->size, 1536u);
    EXPECT_EQ(status->modified, stamp);
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

TEST(TextFileWriterTest, WritesCrLfLineEnds) {
    struct Case {
        std::string written;
        std::string inFile;
    } cases[] = {
        {"@ECHO OFF\nREM x\n", "@ECHO OFF\r\nREM x\r\n"},
        {"tazumake \n", "tazumake \r\n"},
        {"no end", "no end"},
        {"\n\n", "\r\n\r\n"},
        {"", ""},
        // More than the writer buffers at once, so that line ends meet the buffer's edge.
        {std::string(20000, '\n'),
         [] {
             std::string crlf;
             for (int i = 0; i < 20000; ++i) {
                 crlf += "\r\n";
             }
             return crlf;
         }()},
    };
    TempDrive drive;
    for (const auto& c : cases) {
        {
            TextFileWriter out("C:\\Makefile");
            ASSERT_TRUE(out.isOpen());
            out << c.written;
        }
        EXPECT_EQ(drive.read("Makefile"), c.inFile);
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
    struct Case {
        int code;
        const char* message;
    } cases[] = {
        {ENOENT, "Error 2: No such file or directory"},
        {EACCES, "Error 13: Permission denied"},
        {EEXIST, "Error 17: File exists"},
    };
    for (const auto& c : cases) {
        SystemError::setCode(c.code);
        EXPECT_EQ(SystemError::code(), c.code);
        EXPECT_EQ(SystemError::lastErrorMessage(), c.message);
    }
    EXPECT_EQ(SystemError::text(ENOENT), "No such file or directory");
}

} // namespace
} // namespace avrtazu
