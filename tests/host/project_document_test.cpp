#include "host_test_support.h"

#include "lib/project_document.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

class ProjectDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(document.load(path, &error)) << error;
    }

    std::size_t filesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder.file("p")), {}));
    }

    test::TempFolder folder;
    std::string path = folder.write("p/blink.aps", test::sampleProject());
    ProjectDocument document;
};

// What the saved bytes hold is in the command line's transcript; here: how they are written.
TEST_F(ProjectDocumentTest, SavingKeepsThePermissionsAndRewritesOnlyAChangedFile) {
    document.setValue("AVRTAZUPLUGIN", "LASTCONFIG", "release");
    ::chmod(path.c_str(), 0640);
    std::string error;
    ASSERT_TRUE(document.save(&error)) << error;
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(filesInFolder(), 1u) << "no temporary file is left behind";

    ProjectDocument again;
    ASSERT_TRUE(again.load(path, &error)) << error;
    EXPECT_EQ(again.value("AVRTAZUPLUGIN", "LASTCONFIG"), "release");
    ASSERT_TRUE(again.save(&error)) << error;
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, status.st_ino);
}

// A write that the system cuts short (here: a file size limit) must not touch the old file.
TEST_F(ProjectDocumentTest, AFailedSaveLeavesTheOldFileWhole) {
    document.setValue("AVRTAZUPLUGIN", "LASTCONFIG", std::string(4096, 'x'));
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = document.save(&error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(error.rfind("cannot save " + path + ": ", 0), 0u) << error;
    EXPECT_EQ(test::readFile(path), test::sampleProject());
    EXPECT_EQ(filesInFolder(), 1u);
}

} // namespace
} // namespace avrtazu
