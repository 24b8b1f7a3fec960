#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <chrono>

namespace avrtazu {
namespace {

using namespace std::chrono_literals;

// A child that closes its output and goes on working leaves a pipe without writers, which is
// always ready: the wait must sleep until the child ends instead of returning at once. A
// spinning wait comes back thousands of times in the child's two seconds, a sleeping one once
// or twice.
TEST(ChildProcessWaitTest, APipeWithoutWritersIsWaitedOnNotPolledInALoop) {
    ChildProcess child;
    ASSERT_TRUE(child.start("sh -c \"exec >&- 2>&-; sleep 2\""));
    int waits = 0;
    while (!child.hasEnded() && waits < 100) {
        ASSERT_TRUE(child.waitForOutput(20s));
        ++waits;
    }
    EXPECT_TRUE(child.hasEnded());
    EXPECT_LT(waits, 10);
}

} // namespace
} // namespace avrtazu
