#include "platform/file_system.h"
#include "platform/short_name_alias.h"
#include "platform/win_path.h"
#include "scoped_variable.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

// Aliases go to a cache folder on the test's drive.
class ShortNameAliasTest : public ::testing::Test {
protected:
    void SetUp() override {
        drive_.write("my projects/blink demo/main.c", "int main(void);\n");
        drive_.write("my projects/inc/uart.h", "void uart(void);\n");
        drive_.write("plain/my file.c", "\n");
        drive_.makeFolder("my projects/inc dir");
    }
    std::string alias(const std::string& relative) {
        return ShortNameAlias::aliasOf(drive_.linux(relative)).value_or("none");
    }

    test::TempDrive drive_;
    test::ScopedVariable cache_{"XDG_CACHE_HOME", drive_.linux("cache")};
};

TEST_F(ShortNameAliasTest, PathsWithBlanksInTheirFoldersGetABlankFreeAlias) {
    const struct {
        const char* path;
        const char* longPath; // what the short form maps back to
        const char* ending;   // of a blank-free alias; none: the path stays as it is
    } cases[] = {
        {"C:\\my projects\\blink demo\\main.c", "C:\\my projects\\blink demo\\main.c", "\\main.c"},
        {"C:\\my projects\\blink demo\\", "C:\\my projects\\blink demo\\", "\\"},
        {"C:\\my projects\\inc dir", "C:\\my projects\\inc dir", ""},
        {"C:\\my projects\\blink demo\\..\\inc", "C:\\my projects\\inc", ""},
        {"C:\\plain\\my file.c", "C:\\plain\\my file.c", nullptr},
        {"C:\\plain\\", "C:\\plain\\", nullptr},
    };
    for (const auto& c : cases) {
        const std::string shortName = WinPath::shortPathName(c.path).value_or("none");
        if (c.ending == nullptr) {
            EXPECT_EQ(shortName, c.path);
        } else {
            EXPECT_EQ(shortName.find(' '), std::string::npos) << shortName;
            EXPECT_TRUE(shortName.ends_with(c.ending) && !shortName.ends_with("\\\\")) << shortName;
        }
        EXPECT_EQ(WinPath::shortPathName(c.path), shortName) << "stable and reused";
        EXPECT_EQ(WinPath::longPathName(shortName), c.longPath);
    }
    EXPECT_FALSE(WinPath::shortPathName("C:\\my projects\\missing.c"));
    // The alias is the real folder, not a copy of it.
    drive_.write("my projects/inc/later.h", "x");
    EXPECT_EQ(FileSystem::readFile(*WinPath::shortPathName("C:\\my projects\\inc") + "\\later.h"),
              "x");
}

TEST_F(ShortNameAliasTest, MakersRacingForOneAliasAllGetIt) {
    std::vector<std::string> aliases(8);
    std::vector<std::thread> makers;
    for (std::string& made : aliases) {
        makers.emplace_back([&made, this] { made = alias("my projects/blink demo"); });
    }
    for (std::thread& maker : makers) {
        maker.join();
    }
    for (const std::string& made : aliases) {
        EXPECT_EQ(made, aliases.front());
    }
    EXPECT_EQ(fs::read_symlink(aliases.front()), drive_.linux("my projects/blink demo"));

    // A link left pointing elsewhere is put right; anything else in the way is left alone.
    fs::remove(aliases.front());
    fs::create_directory_symlink(drive_.linux("plain"), aliases.front());
    EXPECT_EQ(alias("my projects/blink demo"), aliases.front());
    EXPECT_EQ(fs::read_symlink(aliases.front()), drive_.linux("my projects/blink demo"));
    fs::remove(aliases.front());
    fs::create_directory(aliases.front());
    EXPECT_EQ(alias("my projects/blink demo"), "none");

    // An alias folder whose own path holds a blank is passed over.
    const test::ScopedVariable blankCache("XDG_CACHE_HOME", drive_.linux("a cache"));
    const test::ScopedVariable runtime("XDG_RUNTIME_DIR", drive_.linux("run"));
    EXPECT_EQ(alias("x y").rfind(drive_.linux("run/avrtazu/short/"), 0), 0u);
}

TEST_F(ShortNameAliasTest, ToolOutputNamesTheRealFolders) {
    const std::string source = *WinPath::shortPathName("C:\\my projects\\blink demo\\main.c");
    const std::string include = alias("my projects/inc");
    const std::string notAnAlias = include.substr(0, include.size() - 1) + "z/a.h";
    EXPECT_EQ(ShortNameAlias::expandAliases("!E " + source + "(3): x; from " + include +
                                            "/uart.h:2, " + source + ". " + notAnAlias),
              "!E C:\\my projects\\blink demo\\main.c(3): x; from " +
                  drive_.linux("my projects/inc") +
                  "/uart.h:2, C:\\my projects\\blink demo\\main.c. " + notAnAlias);
    // The compiler's "alias/../x.h" is the real folder's neighbour, not the alias folder's.
    EXPECT_EQ(ShortNameAlias::normalPath(alias("my projects/blink demo") + "/./../inc/uart.h"),
              drive_.linux("my projects/inc/uart.h"));
    EXPECT_EQ(ShortNameAlias::normalPath("/a/./b/../c/"), "/a/c/");
}

} // namespace
} // namespace avrtazu
