#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

namespace avrtazu {
namespace {

using namespace std::chrono_literals;

// A child that closes its output and goes on working leaves a pipe without writers, which is
// always ready: the wait must sleep until the child ends instead of returning at once.
TEST(ChildProcessWaitTest, APipeWithoutWritersCostsNoCpuAndTheChildsEndEndsTheWait) {
    ChildProcess child;
    ASSERT_TRUE(child.start("sh -c \"exec >&- 2>&-; sleep 2\""));
    const std::clock_t cpuBefore = std::clock();
    const auto start = std::chrono::steady_clock::now();
    int waits = 0;
    while (!child.hasEnded() && std::chrono::steady_clock::now() - start < 60s) {
        ASSERT_TRUE(child.waitForOutput(20s));
        ++waits;
    }
    const double cpuSeconds = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_TRUE(child.hasEnded());
    // A spinning wait burns most of the two seconds; a sleeping one next to nothing.
    EXPECT_LT(cpuSeconds, 0.3) << waits << " waits";
    // The end of the child, not the timeout, ended the wait.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

} // namespace
} // namespace avrtazu
