#include "studio/help_viewer.h"

#include <gtest/gtest.h>

#include <optional>

namespace avrtazu {
namespace {

TEST(HelpRequestTest, ReadsTheFileAndTopic) {
    struct Case {
        const char* text;
        std::optional<HelpRequest> expected;
    };
    const Case cases[] = {
        {"<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC>introduction</TOPIC></SHOW_HELP>",
         HelpRequest{"avr-tazu_pluginhelp", "introduction"}},
        {"<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC></TOPIC></SHOW_HELP>",
         HelpRequest{"avr-tazu_pluginhelp", ""}},
        {"<SHOW_HELP><FILE>f</FILE></SHOW_HELP>", HelpRequest{"f", ""}},
        {"<SHOW_HELP><TOPIC>t</TOPIC></SHOW_HELP>", std::nullopt},
        {"<OTHER><FILE>f</FILE></OTHER>", std::nullopt},
        {"<SHOW_HELP><FILE>f</FILE>", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<HelpRequest> request = HelpRequest::parse(c.text);
        ASSERT_EQ(request.has_value(), c.expected.has_value()) << c.text;
        if (request) {
            EXPECT_EQ(request->file, c.expected->file) << c.text;
            EXPECT_EQ(request->topic, c.expected->topic) << c.text;
        }
    }
}

TEST(HelpViewerTest, ShowsEveryTopicThePlugInAsksFor) {
    struct Case {
        const char* topic;
        HelpViewer::Result result;
        const char* shownTopic;
    };
    const Case cases[] = {
        {"", HelpViewer::Result::Shown, ""},
        {"introduction", HelpViewer::Result::Shown, "introduction"},
        {"General Options", HelpViewer::Result::Shown, "General Options"},
        {"Paths", HelpViewer::Result::Shown, "Paths"},
        {"Compiler Options", HelpViewer::Result::Shown, "Compiler Options"},
        {"Target Options", HelpViewer::Result::Shown, "Target Options"},
        {"No such topic", HelpViewer::Result::UnknownTopic, ""},
    };
    for (const Case& c : cases) {
        HelpViewer viewer;
        const std::string request =
            std::string("<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC>") + c.topic +
            "</TOPIC></SHOW_HELP>";
        EXPECT_EQ(viewer.showRequest(request), c.result) << c.topic;
        EXPECT_EQ(viewer.currentTopic(), QString::fromLatin1(c.shownTopic)) << c.topic;
        EXPECT_TRUE(viewer.toPlainText().contains(QStringLiteral("AVR TAZU plug-in"))) << c.topic;
    }
}

TEST(HelpViewerTest, SaysSoWhenItHasNoPage) {
    HelpViewer viewer;
    EXPECT_EQ(viewer.showRequest("<SHOW_HELP><FILE>other</FILE><TOPIC>x</TOPIC></SHOW_HELP>"),
              HelpViewer::Result::UnknownFile);
    EXPECT_TRUE(viewer.toPlainText().contains(QStringLiteral("no help file \"other\"")));
    EXPECT_EQ(viewer.showRequest("help me"), HelpViewer::Result::NotARequest);
    EXPECT_TRUE(viewer.toPlainText().contains(QStringLiteral("help me")));
}

} // namespace
} // namespace avrtazu
