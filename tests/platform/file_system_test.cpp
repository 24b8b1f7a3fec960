#include "platform/file_system.h"
#include "platform/system_error_text.h"
#include "platform/text_file_writer.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>

namespace avrtazu {
namespace {

// 0 for success, else the reason left in errno.
int failure(bool succeeded) {
    return succeeded ? 0 : SystemError::code();
}

class FileSystemTest : public ::testing::Test {
protected:
    test::TempDrive drive;
};

TEST_F(FileSystemTest, CreateRenameAndDeleteNeverReplaceAndLeaveFoldersAlone) {
    drive.write("old.c", "old");
    drive.write("other.c", "other");
    drive.makeFolder("dir");
    // A folder is made one level at a time, where nothing of its name exists.
    EXPECT_EQ(failure(FileSystem::createFolder("C:\\out\\")), 0);
    EXPECT_EQ(failure(FileSystem::createFolder("C:\\out")), EEXIST);
    EXPECT_EQ(failure(FileSystem::createFolder("C:\\a\\b\\")), ENOENT);
    EXPECT_EQ(failure(FileSystem::createFolder("C:\\old.c")), EEXIST);
    EXPECT_EQ(failure(FileSystem::createFolder("Q:\\x\\")), ENOENT);
    EXPECT_EQ(failure(FileSystem::renameFile("C:\\old.c", "C:\\other.c")), EEXIST);
    EXPECT_EQ(failure(FileSystem::renameFile("C:\\old.c", "C:\\dir\\new.c")), 0);
    EXPECT_EQ(failure(FileSystem::renameFile("C:\\old.c", "C:\\again.c")), ENOENT);
    EXPECT_EQ(failure(FileSystem::createNewFile("C:\\other.c")), EEXIST);
    EXPECT_EQ(failure(FileSystem::createNewFile("C:\\nofolder\\new.h")), ENOENT);
    EXPECT_EQ(failure(FileSystem::createNewFile("C:\\new.h")), 0);
    EXPECT_EQ(failure(FileSystem::deleteFile("C:\\dir")), EISDIR);
    EXPECT_EQ(failure(FileSystem::deleteFile("C:\\dir\\new.c")), 0);
    EXPECT_EQ(failure(FileSystem::deleteFile("C:\\dir\\new.c")), ENOENT);
    EXPECT_EQ(drive.read("other.c"), "other");
    EXPECT_EQ(drive.read("new.h"), "");
    // A path, whether it is a file, whether it is a folder.
    const std::tuple<const char*, bool, bool> cases[] = {
        {"C:\\other.c", true, false},  {"c:/other.c", true, false},
        {"C:\\out\\", false, true},    {"C:\\dir", false, true},
        {"C:\\a", false, false},       {"C:\\dir\\new.c", false, false},
        {"Q:\\other.c", false, false}, // drive not mapped
    };
    for (const auto& [path, file, folder] : cases) {
        EXPECT_EQ(FileSystem::fileExists(path), file) << path;
        EXPECT_EQ(FileSystem::folderExists(path), folder) << path;
    }
}

TEST_F(FileSystemTest, StatusAndReadingKeepBytesOrTurnCrLfToLf) {
    const std::string raw("a\r\nb\rc\n\0d\r\n", 12);
    const std::string path = drive.write("dep.d", raw);
    struct timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(FileSystem::fileSize("C:\\dep.d"), 12u);
    EXPECT_EQ(FileSystem::modificationTime("C:\\dep.d"), 1700000000);
    EXPECT_EQ(failure(FileSystem::status("C:\\missing").has_value()), ENOENT);
    EXPECT_EQ(FileSystem::readFile("C:\\dep.d"), raw);
    EXPECT_EQ(FileSystem::readTextFile("C:\\dep.d"), std::string("a\nb\rc\n\0d\n", 10));
    EXPECT_FALSE(FileSystem::readFile("C:\\none.d"));
    EXPECT_FALSE(FileSystem::readTextFile("C:\\"));
}

TEST_F(FileSystemTest, TextFileWriterWritesCrLfLineEndsAndReportsFailures) {
    drive.write("build.bat", "a much longer old content\r\n");
    TextFileWriter out("C:\\build.bat");
    ASSERT_TRUE(out.isOpen());
    // More than the writer buffers at once, so that line ends meet the buffer's edge.
    out << "@ECHO OFF\nx" << 42 << '\n' << std::string(20000, '\n') << "no end";
    EXPECT_TRUE(out.close());
    std::string expected = "@ECHO OFF\r\nx42\r\n";
    for (int i = 0; i < 20000; ++i) {
        expected += "\r\n";
    }
    EXPECT_EQ(drive.read("build.bat"), expected + "no end");

    TextFileWriter missing("C:\\no\\such\\folder\\Makefile");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(SystemError::code(), ENOENT);
    EXPECT_TRUE(missing.fail());
    EXPECT_FALSE(missing.close());
}

TEST(SystemErrorTest, RendersCodeAndText) {
    SystemError::setCode(EACCES);
    EXPECT_EQ(SystemError::lastErrorMessage(), "Error 13: Permission denied");
    EXPECT_EQ(SystemError::text(ENOENT), "No such file or directory");
}

} // namespace
} // namespace avrtazu
