#include "studio/help_viewer.h"

#include "host/host_test_support.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

HelpViewer* viewer = nullptr;

std::string show(const std::string& request) {
    const char* const results[] = {"shown", "unknown topic", "unknown file", "not a request"};
    const int result = static_cast<int>(viewer->showRequest(request));
    // The page opens with its title; a refusal is told whole.
    const QString text = viewer->toPlainText();
    return results[result] +
           (", topic '" + viewer->currentTopic() +
            "': " + (result <= 1 ? text.section('\n', 0, 0) : text.split('\n').join(" | ")))
               .toStdString();
}

// Every topic the plug-in asks for has its section in the plug-in's help page; a request the
// viewer cannot show says why.
TEST(HelpViewerTest, ShowsEveryTopicThePlugInAsksForAndSaysSoWhenItCannot) {
    HelpViewer shown;
    viewer = &shown;
    test::expectEachLine(GOLDEN_DIR "/help_requests.txt", show);
}

} // namespace
} // namespace avrtazu
