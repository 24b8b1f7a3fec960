#include "platform/drive_map.h"
#include "platform/win_path.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace avrtazu
