// What the tools make of their inputs; hostile ones end in one clear error line and a failed
// status, within bounded time and memory, and nothing named in a file runs. Each line of
// golden/tool_inputs.txt is a shell line run in an empty folder, and what it printed.

#include "golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

std::string runInEmptyFolder(const std::string& script) {
    const fs::path folder = fs::temp_directory_path() / ("tool-inputs-" + std::to_string(getpid()));
    fs::create_directories(folder / "run");
    std::ofstream(folder / "run.sh") << script << "\n";
    const std::string path =
        TAZU_TOOLCHAIN_DIR "/bin:" + fs::path(TAZU_BATCH_RUNNER).parent_path().string() +
        ":/usr/bin:/bin";
    // The time limit guards against a hang; it measures nothing.
    const std::string shell =
        "cd '" + folder.string() + "/run' && PATH='" + path +
        "' timeout 60 sh ../run.sh > ../out 2>&1; echo \"status $?\" >> ../out";
    EXPECT_EQ(std::system(shell.c_str()), 0);
    std::string output = test::readFile((folder / "out").string());
    fs::remove_all(folder);
    for (std::size_t at; (at = output.find('\n')) < output.size() - 1;) {
        output.replace(at, 1, " | ");
    }
    return output.substr(0, output.size() - 1);
}

TEST(ToolInputsTest, EndInOneClearErrorWithinBounds) {
    test::expectEachLine("tool_inputs.txt", runInEmptyFolder);
}

} // namespace
} // namespace avrtazu
