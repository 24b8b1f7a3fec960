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
using Names = std::set<std::string>;

// A folder of build outputs, the current folder while the test runs.
class DelCommandTest : public testing::Test {
protected:
    DelCommandTest() {
        fs::create_directories(folder_ / "sub");
        for (const char* name : {"a.o", "B.O", "demo.hex", "demo.cof", "keep.c", "sub/x.o"}) {
            std::ofstream(folder_ / name) << "x";
        }
        fs::current_path(folder_);
    }
    ~DelCommandTest() override {
        fs::current_path(previous_);
        fs::remove_all(folder_);
        DriveMap::reset();
    }
    Names left() const {
        Names names;
        for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
            if (entry.is_regular_file()) {
                names.insert(fs::relative(entry.path(), folder_).string());
            }
        }
        return names;
    }

    const fs::path folder_ = fs::temp_directory_path() / ("tazu-del-" + std::to_string(::getpid()));
    const fs::path previous_ = fs::current_path();
};

TEST_F(DelCommandTest, DeletesMatchesIgnoringCaseSkipsSwitchesAndMissingFiles) {
    EXPECT_EQ(DelCommand::run(
                  {"/F", "/Q", "*.o", "*.s", "*.hex", "nothing.*", "Z:\\no\\such\\folder\\*.o"}),
              3);
    EXPECT_EQ(left(), (Names{"demo.cof", "keep.c", "sub/x.o"}));
}

TEST_F(DelCommandTest, FolderInThePatternIsAWindowsPath) {
    DriveMap::map('Q', folder_.string());
    EXPECT_EQ(DelCommand::run({"Q:\\sub\\*.o", "sub\\none.*"}), 1);
    EXPECT_EQ(left(), (Names{"a.o", "B.O", "demo.hex", "demo.cof", "keep.c"}));
}

} // namespace
} // namespace avrtazu
