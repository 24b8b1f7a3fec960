#include "studio/help_viewer.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

// Every topic the plug-in asks for has its section in the plug-in's help page.
TEST(HelpViewerTest, ShowsEveryTopicThePlugInAsksForAndSaysSoWhenItCannot) {
    using Result = HelpViewer::Result;
    const std::string page = "<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE>";
    const auto topic = [&](const std::string& name) {
        return page + "<TOPIC>" + name + "</TOPIC></SHOW_HELP>";
    };
    const std::tuple<std::string, Result, const char*, const char*> cases[] = {
        {topic("introduction"), Result::Shown, "introduction", "AVR TAZU plug-in"},
        {topic("General Options"), Result::Shown, "General Options", "AVR TAZU plug-in"},
        {topic("Paths"), Result::Shown, "Paths", "AVR TAZU plug-in"},
        {topic("Compiler Options"), Result::Shown, "Compiler Options", "AVR TAZU plug-in"},
        {topic("Target Options"), Result::Shown, "Target Options", "AVR TAZU plug-in"},
        {topic("No such topic"), Result::UnknownTopic, "", "AVR TAZU plug-in"},
        {page + "</SHOW_HELP>", Result::Shown, "", "AVR TAZU plug-in"},
        {"<SHOW_HELP><FILE>other</FILE></SHOW_HELP>", Result::UnknownFile, "", "file \"other\""},
        {"<SHOW_HELP><TOPIC>Paths</TOPIC></SHOW_HELP>", Result::NotARequest, "", "not understood"},
        {"<OTHER><FILE>f</FILE></OTHER>", Result::NotARequest, "", "<OTHER>"},
        {page, Result::NotARequest, "", "not understood"},
    };
    HelpViewer viewer;
    for (const auto& [request, result, shownTopic, text] : cases) {
        EXPECT_EQ(viewer.showRequest(request), result) << request;
        EXPECT_EQ(viewer.currentTopic(), QString::fromLatin1(shownTopic)) << request;
        EXPECT_TRUE(viewer.toPlainText().contains(QString::fromLatin1(text))) << request;
    }
}

} // namespace
} // namespace avrtazu
