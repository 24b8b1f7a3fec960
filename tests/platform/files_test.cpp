// Files: the drive map, file operations and CR LF text files, and the registry file.

#include "golden.h"
#include "platform/drive_map.h"
#include "platform/file_status_memo.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/system_error_text.h"
#include "platform/text_file_writer.h"
#include "platform/win_path.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <tuple>
#include <utility>

namespace avrtazu {
namespace {

TEST(DriveMapTest, MapsBothWaysThroughTheLongestPrefix) {
    DriveMap::reset();
    DriveMap::map('C', "/srv/c");
    DriveMap::map('d', "/srv/c/deep/");
    const std::pair<const char*, const char*> toLinux[] = {
        // clang-format off
        {"Z:\\home\\ann\\blink\\main.c", "/home/ann/blink/main.c"}, {"z:\\", "/"},
        {"C:\\work\\demo\\main.c", "/srv/c/work/demo/main.c"}, {"c:/work/demo/", "/srv/c/work/demo/"},
        {"C:\\", "/srv/c"}, {"D:\\x", "/srv/c/deep/x"}, {"\\usr\\lib", "/usr/lib"},
        {"src\\main.c", "src/main.c"}, {"Q:\\unmapped", ""},
        // clang-format on
    };
    for (const auto& [windowsPath, linuxPath] : toLinux) {
        EXPECT_EQ(DriveMap::toLinux(windowsPath), linuxPath) << windowsPath;
    }
    const std::pair<const char*, const char*> toWindows[] = {
        // clang-format off
        {"/home/ann/blink/main.c", "Z:\\home\\ann\\blink\\main.c"}, {"/srv/c/deep/x.c", "D:\\x.c"},
        {"/srv/c/work/demo/main.c", "C:\\work\\demo\\main.c"}, {"/srv/cc/x.c", "Z:\\srv\\cc\\x.c"},
        {"/srv/c", "C:\\"}, {"/srv/c/work/", "C:\\work\\"}, {"/", "Z:\\"}, {"rel/a.c", "rel\\a.c"},
        // clang-format on
    };
    for (const auto& [linuxPath, windowsPath] : toWindows) {
        EXPECT_EQ(DriveMap::toWindows(linuxPath), windowsPath) << linuxPath;
    }
    DriveMap::reset();
}

TEST(WinPathTest, ExistenceOnTheMappedDrivesAndRelativePaths) {
    test::TempDrive drive;
    drive.write("work/main.c", "int main(void){return 0;}\n");
    EXPECT_TRUE(WinPath::fileExists("C:\\work\\main.c"));
    EXPECT_TRUE(WinPath::fileExists("C:\\work\\"));
    EXPECT_FALSE(WinPath::fileExists("C:\\work\\missing.c"));
    EXPECT_FALSE(WinPath::fileExists("Q:\\work\\main.c"));
    // No short names here: an existing path is its own long and short form.
    EXPECT_EQ(WinPath::shortPathName("C:\\work\\main.c"), "C:\\work\\main.c");
    EXPECT_FALSE(WinPath::longPathName("C:\\work\\MAIN~1.C"));
    const std::pair<const char*, bool> cases[] = {
        {"", true},       {"src\\main.c", true}, {"/unix/path", true},
        {"\\abs", false}, {"C:\\x", false},      {"c:rel", false},
    };
    for (const auto& [path, relative] : cases) {
        EXPECT_EQ(WinPath::isRelative(path), relative) << path;
    }
}

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
    // The same answers from a status memo, once it has listed the folder of many files, for
    // links too; a file made meanwhile is seen.
    std::filesystem::create_symlink(drive.linux("none"), drive.linux("gone.c"));
    std::filesystem::create_directory_symlink(drive.linux("dir"), drive.linux("link"));
    for (int i = 0; i < 20; ++i) {
        drive.write("f" + std::to_string(i) + ".c", "");
    }
    for (int memo = 0; memo < 2; ++memo) {
        std::optional<FileStatusMemo> seenOnce;
        if (memo == 1) {
            seenOnce.emplace();
        }
        for (int i = 0; i < 20; ++i) {
            EXPECT_TRUE(FileSystem::fileExists("C:\\f" + std::to_string(i) + ".c"));
        }
        for (const auto& [path, file, folder] : cases) {
            EXPECT_EQ(FileSystem::fileExists(path), file) << path;
            EXPECT_EQ(FileSystem::folderExists(path), folder) << path;
        }
        EXPECT_FALSE(WinPath::fileExists("C:\\gone.c") || WinPath::fileExists("C:\\OTHER.C"));
        EXPECT_TRUE(FileSystem::folderExists("C:\\link") && !FileSystem::fileExists("C:\\link"));
        const std::string late = "C:\\late" + std::to_string(memo) + ".c";
        EXPECT_FALSE(FileSystem::fileExists(late));
        EXPECT_EQ(failure(FileSystem::createNewFile(late)), 0);
        EXPECT_TRUE(FileSystem::fileExists(late));
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
    // The same text again leaves the file untouched, so nothing built from it looks stale.
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(drive.linux("build.bat"), old);
    TextFileWriter same("C:\\build.bat");
    same << "@ECHO OFF\nx42\n" << std::string(20000, '\n') << "no end";
    EXPECT_TRUE(same.close());
    EXPECT_EQ(std::filesystem::last_write_time(drive.linux("build.bat")), old);

    TextFileWriter missing("C:\\no\\such\\folder\\Makefile");
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(SystemError::code(), ENOENT);
    EXPECT_TRUE(missing.fail());
    EXPECT_FALSE(missing.close());
}

using S = RegistryStatus;

const char* const kStatusNames[] = {"ok", "no key", "no value", "no file", "invalid file"};

// golden/sample.reg holds what the registry editor would write; each line of
// golden/registry_values.txt is "KEY|VALUE" and what reading it gives.
TEST(RegistryTest, ReadsValuesAndTellsWhatIsMissing) {
    Registry::setFile(GOLDEN_DIR "/sample.reg");
    test::expectEachLine("registry_values.txt", [](const std::string& line) {
        const std::size_t bar = line.find('|');
        const RegistryValue found = Registry::readString(line.substr(0, bar), line.substr(bar + 1));
        return kStatusNames[static_cast<int>(found.status)] + std::string(" [") + found.value + "]";
    });
    EXPECT_TRUE(Registry::keyExists("HKLM\\SOFTWARE"));
    EXPECT_FALSE(Registry::keyExists("HKLM\\Nothing"));
    Registry::setFile({});
}

TEST(RegistryTest, TextNeedsTheHeaderInAnyOfItsEncodings) {
    // UTF-16LE with a byte-order mark, as the registry editor writes it.
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("REGEDIT4\r\n[HKLM\\Software]\r\n\"A\"=\"T\xE9\"\r\n")) {
        utf16 += std::string{c, '\0'};
    }
    const struct {
        std::string text;
        RegistryStatus status;
        const char* value;
    } cases[] = {
        // clang-format off
        {"[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=\"1\"\n", S::InvalidFile, ""},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n\"A\"=\"1\"\n", S::Ok, "1"},
        {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKLM\\Software]\n\"A\"=\"1\"", S::Ok, "1"},
        {utf16, S::Ok, "T\xC3\xA9"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const RegistryValue found = Registry::readStringFromText(c.text, "HKLM\\Software", "A");
        EXPECT_EQ(found.status, c.status) << c.text;
        EXPECT_EQ(found.value, c.value) << c.text;
    }
}

TEST(RegistryTest, ReadsTheFileFromOverrideThenEnvironmentThenDefaultAnew) {
    const char* saved = std::getenv("TAZU_REGISTRY");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::unsetenv("TAZU_REGISTRY");
    Registry::setDefaultFile("/host/default.reg");
    EXPECT_EQ(Registry::file(), "/host/default.reg");
    ::setenv("TAZU_REGISTRY", "/env/tazu.reg", 1);
    EXPECT_EQ(Registry::file(), "/env/tazu.reg");
    test::TempDrive drive;
    Registry::setFile(drive.write("tazu.reg", test::golden("sample.reg")));
    EXPECT_EQ(Registry::readString("HKLM\\Software", "DAZAZ7EVE").value, "D:\\TC");
    // A change to the file shows at once.
    drive.write("tazu.reg", "Windows Registry Editor Version 5.00\n");
    EXPECT_EQ(Registry::readString("HKLM\\Software", "DAZAZ7EVE").status, S::KeyNotFound);
    Registry::setFile(drive.linux("missing.reg"));
    EXPECT_EQ(Registry::readString("HKLM\\Software", "DAZAZ7EVE").status, S::FileNotFound);

    Registry::setFile({});
    Registry::setDefaultFile({});
    saved != nullptr ? ::setenv("TAZU_REGISTRY", savedValue.c_str(), 1)
                     : ::unsetenv("TAZU_REGISTRY");
}

} // namespace
} // namespace avrtazu
