#include "platform/drive_map.h"
#include "platform/win_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace avrtazu {
namespace {

class DriveMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        DriveMap::reset();
        DriveMap::map('C', "/srv/c");
        DriveMap::map('d', "/srv/c/deep/");
    }
    void TearDown() override { DriveMap::reset(); }
};

TEST_F(DriveMapTest, WindowsToLinux) {
    struct Case {
        const char* windows;
        const char* linux;
    } cases[] = {
        {"Z:\\home\\ann\\blink\\main.c", "/home/ann/blink/main.c"},
        {"z:\\", "/"},
        {"C:\\work\\demo\\main.c", "/srv/c/work/demo/main.c"},
        {"c:/work/demo/", "/srv/c/work/demo/"},
        {"C:\\", "/srv/c"},
        {"D:\\x", "/srv/c/deep/x"},
        {"\\usr\\lib", "/usr/lib"},
        {"src\\main.c", "src/main.c"},
        {"Q:\\unmapped", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DriveMap::toLinux(c.windows), c.linux) << c.windows;
    }
}

TEST_F(DriveMapTest, LinuxToWindowsTakesLongestPrefix) {
    struct Case {
        const char* linux;
        const char* windows;
    } cases[] = {
        {"/home/ann/blink/main.c", "Z:\\home\\ann\\blink\\main.c"},
        {"/srv/c/work/demo/main.c", "C:\\work\\demo\\main.c"},
        {"/srv/c/deep/x.c", "D:\\x.c"},
        {"/srv/cc/x.c", "Z:\\srv\\cc\\x.c"},
        {"/srv/c", "C:\\"},
        {"/srv/c/work/", "C:\\work\\"},
        {"/", "Z:\\"},
        {"rel/a.c", "rel\\a.c"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DriveMap::toWindows(c.linux), c.windows) << c.linux;
    }
}

TEST_F(DriveMapTest, MappedTempFolderRoundTripsAndExists) {
    const auto root = std::filesystem::temp_directory_path() / "avrtazu_drive_map_test";
    std::filesystem::create_directories(root / "work" / "demo");
    std::ofstream(root / "work" / "demo" / "main.c") << "int main(void){return 0;}\n";
    DriveMap::map('C', root.string());

    const std::string linuxFile = (root / "work" / "demo" / "main.c").string();
    EXPECT_EQ(DriveMap::toWindows(linuxFile), "C:\\work\\demo\\main.c");
    EXPECT_EQ(DriveMap::toLinux("C:\\work\\demo\\main.c"), linuxFile);
    EXPECT_TRUE(WinPath::fileExists("C:\\work\\demo\\main.c"));
    EXPECT_TRUE(WinPath::fileExists("C:\\work\\demo\\"));
    EXPECT_FALSE(WinPath::fileExists("C:\\work\\demo\\missing.c"));
    EXPECT_EQ(WinPath::longPathName("C:\\work\\demo\\main.c").value_or("?"),
              "C:\\work\\demo\\main.c");
    EXPECT_FALSE(WinPath::longPathName("C:\\work\\demo\\MAIN~1.C").has_value());
    std::filesystem::remove_all(root);
}

TEST(WinPathTest, RelativeTestHasWindowsMeaning) {
    struct Case {
        const char* path;
        bool relative;
    } cases[] = {
        {"", true},       {"main.c", true},          {"src\\main.c", true},
        {"..\\x", true},  {"\\abs", false},          {"C:\\x", false},
        {"c:rel", false}, {"\\\\srv\\share", false}, {"/unix/path", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WinPath::isRelative(c.path), c.relative) << c.path;
    }
}

} // namespace
} // namespace avrtazu
