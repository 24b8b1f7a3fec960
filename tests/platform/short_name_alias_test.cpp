#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform/short_name_alias.h"
#include "platform/win_path.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

bool holdsBlank(const std::string& text) {
    return text.find(' ') != std::string::npos;
}

// Aliases go to a cache folder inside the test's drive; the variables are put back after.
class ShortNameAliasTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        ::setenv("XDG_CACHE_HOME", drive_.linux("cache").c_str(), 1);
        ::unsetenv("XDG_RUNTIME_DIR");
        drive_.write("my projects/blink demo/main.c", "int main(void);\n");
        drive_.write("my projects/inc/uart.h", "void uart(void);\n");
        drive_.write("plain/my file.c", "\n");
        drive_.makeFolder("my projects/inc dir");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
        }
    }

    test::TempDrive drive_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(ShortNameAliasTest, PathsWithBlanksInTheirFoldersGetABlankFreeAlias) {
    struct Case {
        const char* path;
        const char* longPath; // what the short form maps back to
        const char* tail;     // what the short form ends with
    };
    const Case cases[] = {
        {"C:\\my projects\\blink demo\\main.c", "C:\\my projects\\blink demo\\main.c", "\\main.c"},
        {"C:\\my projects\\blink demo\\", "C:\\my projects\\blink demo\\", "\\"},
        {"C:\\my projects\\inc dir", "C:\\my projects\\inc dir", ""},
        {"C:\\my projects\\blink demo\\..\\inc", "C:\\my projects\\inc", ""},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> shortName = WinPath::shortPathName(c.path);
        ASSERT_TRUE(shortName) << c.path;
        EXPECT_FALSE(holdsBlank(*shortName)) << *shortName;
        EXPECT_TRUE(shortName->ends_with(c.tail)) << *shortName;
        EXPECT_EQ(WinPath::shortPathName(c.path), shortName) << "stable and reused";
        EXPECT_EQ(WinPath::longPathName(*shortName), c.longPath);
    }
    // The alias is the real folder, not a copy of it.
    const std::string folder = *WinPath::shortPathName("C:\\my projects\\inc");
    EXPECT_EQ(FileSystem::readFile(folder + "\\uart.h"), "void uart(void);\n");
    drive_.write("my projects/inc/later.h", "x");
    EXPECT_TRUE(FileSystem::fileExists(folder + "\\later.h"));

    // Paths that need no alias, or that no alias can help, are left exactly as they are.
    for (const char* path : {"C:\\plain\\my file.c", "C:\\plain\\", "C:\\plain"}) {
        EXPECT_EQ(WinPath::shortPathName(path), path);
    }
    EXPECT_FALSE(WinPath::shortPathName("C:\\my projects\\missing.c"));
    EXPECT_EQ(WinPath::longPathName("C:\\plain\\my file.c"), "C:\\plain\\my file.c");
}

TEST_F(ShortNameAliasTest, MakersRacingForOneAliasAllGetIt) {
    const std::string real = drive_.linux("my projects/blink demo");
    std::vector<std::optional<std::string>> aliases(8);
    std::vector<std::thread> makers;
    for (auto& alias : aliases) {
        makers.emplace_back([&alias, &real] { alias = ShortNameAlias::aliasOf(real); });
    }
    for (std::thread& maker : makers) {
        maker.join();
    }
    ASSERT_TRUE(aliases.front());
    for (const auto& alias : aliases) {
        EXPECT_EQ(alias, aliases.front());
    }
    EXPECT_EQ(fs::read_symlink(*aliases.front()), real);

    // A link left pointing elsewhere is put right; something else in the way is not touched.
    fs::remove(*aliases.front());
    fs::create_directory_symlink(drive_.linux("plain"), *aliases.front());
    EXPECT_EQ(ShortNameAlias::aliasOf(real), aliases.front());
    EXPECT_EQ(fs::read_symlink(*aliases.front()), real);
    fs::remove(*aliases.front());
    fs::create_directory(*aliases.front());
    EXPECT_FALSE(ShortNameAlias::aliasOf(real));
    EXPECT_EQ(WinPath::shortPathName("C:\\my projects\\blink demo\\main.c"),
              "C:\\my projects\\blink demo\\main.c");
}

TEST_F(ShortNameAliasTest, ToolOutputNamesTheRealFolders) {
    const std::string windows = *WinPath::shortPathName("C:\\my projects\\blink demo\\main.c");
    const std::string linuxAlias = *ShortNameAlias::aliasOf(drive_.linux("my projects/inc"));
    const std::string text = "!E " + windows + "(3): x; In file included from " + linuxAlias +
                             "/uart.h:2, " + windows + ". " +
                             linuxAlias.substr(0, linuxAlias.size() - 1) + "z/a.h";
    EXPECT_EQ(ShortNameAlias::expandAliases(text),
              "!E C:\\my projects\\blink demo\\main.c(3): x; In file included from " +
                  drive_.linux("my projects/inc") +
                  "/uart.h:2, C:\\my projects\\blink demo\\main.c. " +
                  linuxAlias.substr(0, linuxAlias.size() - 1) + "z/a.h");
    // The compiler's "alias/../x.h" is the real folder's neighbour, not the alias folder's.
    const std::string source = *ShortNameAlias::aliasOf(drive_.linux("my projects/blink demo"));
    EXPECT_EQ(ShortNameAlias::normalPath(source + "/./../inc/uart.h"),
              drive_.linux("my projects/inc/uart.h"));
    EXPECT_EQ(ShortNameAlias::normalPath("/a/./b/../c/"), "/a/c/");
}

TEST_F(ShortNameAliasTest, AliasFoldersWithBlanksAreNotUsed) {
    ::setenv("XDG_CACHE_HOME", drive_.linux("a cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", drive_.linux("run").c_str(), 1);
    for (const std::string& root : ShortNameAlias::roots()) {
        EXPECT_FALSE(holdsBlank(root)) << root;
    }
    const std::optional<std::string> alias = ShortNameAlias::aliasOf("/x y");
    ASSERT_TRUE(alias);
    EXPECT_EQ(alias->rfind(drive_.linux("run/avrtazu/short/"), 0), 0u) << *alias;
}

} // namespace
} // namespace avrtazu
