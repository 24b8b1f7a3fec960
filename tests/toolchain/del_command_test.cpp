#include "make/del_command.h"
#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

// A folder of build outputs, the current folder while del runs, also as drive Q:.
TEST(DelCommandTest, DeletesMatchesIgnoringCaseSkipsSwitchesAndMissingFiles) {
    const fs::path folder = fs::temp_directory_path() / ("tazu-del-" + std::to_string(::getpid()));
    const fs::path previous = fs::current_path();
    const auto left = [&folder] {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            names.insert(fs::relative(entry.path(), folder).string());
        }
        return names;
    };
    fs::create_directories(folder / "sub");
    for (const char* name : {"a.o", "B.O", "demo.hex", "demo.cof", "keep.c", "sub/x.o"}) {
        std::ofstream(folder / name) << "x";
    }
    fs::current_path(folder);
    DriveMap::map('Q', folder.string());
    EXPECT_EQ(DelCommand::run(
                  {"/F", "/Q", "*.o", "*.s", "*.hex", "nothing.*", "Z:\\no\\such\\folder\\*.o"}),
              3);
    EXPECT_EQ(DelCommand::run({"Q:\\sub\\*.o", "sub\\none.*"}), 1);
    EXPECT_EQ(left(), (std::set<std::string>{"demo.cof", "keep.c", "sub"}));
    fs::current_path(previous);
    fs::remove_all(folder);
    DriveMap::reset();
}

} // namespace
} // namespace avrtazu
