#include "platform/shell.h"
#include "temp_drive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace avrtazu {
namespace {

TEST(ShellTest, OpensExistingDocumentsWithTheOpenerIfThereIsOne) {
    test::TempDrive drive;
    drive.write("doc/main.lis", "listing");
    // The opener leaves the document it was given where the test can see it.
    Shell::setOpener(drive.write(
        "bin/opener", "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened.txt\"\n", true));
    EXPECT_EQ(Shell::open("C:\\doc\\missing.lis"), Shell::fileNotFound);
    EXPECT_EQ(Shell::open("Q:\\doc\\main.lis"), Shell::fileNotFound);
    EXPECT_EQ(Shell::open("C:\\doc\\main.lis"), Shell::started);
    EXPECT_GT(Shell::started, 32);
    // The opener runs detached; wait for it as a hang guard only.
    const std::string expected = drive.linux("doc/main.lis") + "\n";
    for (int i = 0; i < 6000 && drive.read("bin/opened.txt") != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(drive.read("bin/opened.txt"), expected);

    Shell::setOpener("no-such-opener-program");
    EXPECT_EQ(Shell::open("C:\\doc\\main.lis"), Shell::noAssociation);
    Shell::setOpener("xdg-open");
}

} // namespace
} // namespace avrtazu
