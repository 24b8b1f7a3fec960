#include "studio_test_support.h"

#include "studio/output_pane.h"
#include "studio/studio_window.h"

#include <QAction>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

namespace avrtazu {
namespace {

// A rebuild of the example with a Makefile of its own whose clean and build both hang: one
// click on Stop Build, once the clean's tool runs, ends both.
TEST(StudioStopBuildTest, StopBuildEndsEveryRunOfTheCommandAndLeavesTheWindowUsable) {
    const test::TempFolder folder;
    test::StudioEnvironment environment;
    std::string aps = test::readFile(test::copyBlinkExample(folder.path()));
    aps.replace(aps.find("MAKEFILE>NO<"), 12, "MAKEFILE>YES<");
    aps.replace(aps.find("MAKEFILE />"), 11, "MAKEFILE>ext\\Makefile</EXTERNALMAKEFILE>");
    folder.write("blink/ext/Makefile", "clean:\n\tsh hang.sh\nall:\n\tsh hang.sh\n");
    folder.write("blink/ext/hang.sh", "echo started\nexec sleep 120\n");
    StudioWindow window(test::StudioEnvironment::binFolder());
    ASSERT_TRUE(window.openProject(folder.write("blink/blink.aps", aps)));
    QAction* stop = window.stopBuildAction();
    EXPECT_FALSE(stop->isEnabled());

    // The timer runs through the message pump while the tool runs.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (stop->isEnabled() && !window.output().findItems("started", Qt::MatchExactly).empty()) {
            stop->trigger();
        }
    });
    user.start(20);
    const auto start = std::chrono::steady_clock::now();
    window.runCommand(2);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(window.output().findItems("Cancelled.", Qt::MatchExactly).size(), 1);
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_TRUE(window.commandAction(0)->isEnabled());
}

} // namespace
} // namespace avrtazu
