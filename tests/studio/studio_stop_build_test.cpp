#include "studio_test_support.h"

#include "studio/output_pane.h"
#include "studio/studio_window.h"

#include <QAction>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

namespace avrtazu {
namespace {

using namespace std::chrono_literals;

QStringList linesOf(const OutputPane& pane) {
    QStringList lines;
    for (int row = 0; row < pane.count(); ++row) {
        lines << pane.item(row)->text();
    }
    return lines;
}

// The example project, built with a Makefile of its own in ext/ whose rules hang.
std::string hangingProject(const test::TempFolder& folder) {
    const std::string aps = test::copyBlinkExample(folder.path());
    std::string text = test::readFile(aps);
    const auto replace = [&text](const std::string& from, const std::string& to) {
        text.replace(text.find(from), from.size(), to);
    };
    replace("<USESEXTERNALMAKEFILE>NO<", "<USESEXTERNALMAKEFILE>YES<");
    replace("<EXTERNALMAKEFILE />", "<EXTERNALMAKEFILE>ext\\Makefile</EXTERNALMAKEFILE>");
    folder.write("blink/ext/Makefile", "clean:\n\tsh hang.sh\nall:\n\tsh hang.sh\n");
    folder.write("blink/ext/hang.sh", "echo started\nexec sleep 120\n");
    return folder.write("blink/blink.aps", text);
}

TEST(StudioStopBuildTest, StopBuildEndsEveryRunOfARebuildAndTheWindowBuildsAgain) {
    const test::TempFolder folder;
    test::StudioEnvironment environment;
    const std::string aps = hangingProject(folder);
    StudioWindow window(test::StudioEnvironment::binFolder());
    window.show();
    ASSERT_TRUE(window.openProject(aps));
    QAction* stop = window.stopBuildAction();
    EXPECT_FALSE(stop->isEnabled());

    // The user's click, once the clean's tool has started; timers run through the pump.
    bool clicked = false;
    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (!clicked && stop->isEnabled() && linesOf(window.output()).contains("started")) {
            clicked = true;
            stop->trigger();
        }
    });
    user.start();
    const auto start = std::chrono::steady_clock::now();
    window.runCommand(2);
    user.stop();
    EXPECT_TRUE(clicked);
    // Neither the clean's tool nor the build's after it ran to its end.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);
    EXPECT_TRUE(linesOf(window.output()).contains("Cancelled."))
        << linesOf(window.output()).join('\n').toStdString();
    EXPECT_FALSE(stop->isEnabled());

    folder.write("blink/ext/Makefile", "all:\n\ttouch blink.cof\n");
    window.runCommand(0);
    EXPECT_TRUE(window.summaryText().startsWith("Build succeeded"))
        << linesOf(window.output()).join('\n').toStdString();
    EXPECT_FALSE(linesOf(window.output()).contains("Cancelled."));
}

} // namespace
} // namespace avrtazu
