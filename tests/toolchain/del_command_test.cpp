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

class DelCommandTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("tazu-del-" + std::to_string(::getpid()));
        fs::create_directories(folder_ / "sub");
        for (const char* name : {"a.o", "B.O", "demo.hex", "demo.cof", "keep.c", "sub/x.o"}) {
            std::ofstream(folder_ / name) << "x";
        }
        previous_ = fs::current_path();
        fs::current_path(folder_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(folder_);
        DriveMap::reset();
    }
    std::set<std::string> left() const {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
            if (entry.is_regular_file()) {
                names.insert(fs::relative(entry.path(), folder_).string());
            }
        }
        return names;
    }

    fs::path folder_;
    fs::path previous_;
};

TEST_F(DelCommandTest, DeletesMatchesIgnoringCaseAndSkipsSwitches) {
    EXPECT_EQ(DelCommand::run({"/F", "/Q", "*.o", "*.s", "*.hex", "*.lst", "*.lst"}), 3);
    EXPECT_EQ(left(), (std::set<std::string>{"demo.cof", "keep.c", "sub/x.o"}));
}

TEST_F(DelCommandTest, FolderInThePatternIsAWindowsPath) {
    DriveMap::map('Q', folder_.string());
    EXPECT_EQ(DelCommand::run({"Q:\\sub\\*.o", "sub\\none.*"}), 1);
    EXPECT_EQ(left().count("sub/x.o"), 0u);
    EXPECT_EQ(left().count("a.o"), 1u);
}

TEST_F(DelCommandTest, MissingFilesAreFine) {
    EXPECT_EQ(DelCommand::run({"/Q", "nothing.*", "gone.o", "Z:\\no\\such\\folder\\*.o"}), 0);
    EXPECT_EQ(left().size(), 6u);
}

} // namespace
} // namespace avrtazu
