#include "platform/shell.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>

namespace avrtazu {
namespace {

using namespace std::chrono_literals;

class ShellTest : public ::testing::Test {
protected:
    void TearDown() override { Shell::setOpener("xdg-open"); }
    test::TempDrive drive;
};

TEST_F(ShellTest, OpensExistingDocumentsWithTheOpenerIfThereIsOne) {
    // The opener leaves the document it was given where the test can see it.
    const std::string opener = drive.write(
        "bin/opener", "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n", true);
    drive.write("doc/main.lis", "listing");
    Shell::setOpener(opener);
    const std::pair<const char*, int> cases[] = {
        {"C:\\doc\\missing.lis", Shell::fileNotFound},
        {"Q:\\doc\\main.lis", Shell::fileNotFound},
        {"C:\\doc\\main.lis", Shell::started},
    };
    for (const auto& [path, result] : cases) {
        EXPECT_EQ(Shell::open(path), result) << path;
    }
    EXPECT_GT(Shell::started, 32);
    // The opener runs detached; wait for it as a hang guard only.
    const std::string expected = drive.linux("doc/main.lis") + "\n";
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (drive.read("bin/opened.txt") != expected &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(drive.read("bin/opened.txt"), expected);

    Shell::setOpener("no-such-opener-program");
    EXPECT_EQ(Shell::opener(), "no-such-opener-program");
    EXPECT_EQ(Shell::open("C:\\doc\\main.lis"), Shell::noAssociation);
}

} // namespace
} // namespace avrtazu
