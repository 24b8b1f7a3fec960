#include "services/plug_in_utility.h"

#include "model/project.h"
#include "platform/log_sink.h"
#include "platform/system_error_text.h"
#include "services/fake_host_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using fakes::HubInstallation;
using fakes::RecordingHub;

class PlugInUtilityTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingHub> hub = std::make_shared<RecordingHub>();
    HubInstallation installation{hub};
};

TEST_F(PlugInUtilityTest, CreationRegistersThePluginThenRunsTheLocatorOnce) {
    int runs = 0;
    std::size_t registrationsSeen = 0;
    PlugInUtility::setToolchainLocator([&](PlugInUtility& utility) {
        ++runs;
        registrationsSeen = hub->registrations.size();
        // The locator may ask for the instance again while it is being created.
        EXPECT_EQ(&PlugInUtility::instance(), &utility);
        if (runs == 1) {
            EXPECT_EQ(utility.compilerDirectory() + utility.makeDirectory() +
                          utility.libraryDirectory() + utility.helpFile(),
                      "")
                << "creation starts with empty locations";
        }
        utility.setHelpFile("C:\\TC\\Help\\TAZUAVR\\wwhelp.htm");
    });
    PlugInUtility& utility = PlugInUtility::instance();
    EXPECT_EQ(&PlugInUtility::instance(), &utility);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(registrationsSeen, 1u) << "the plug-in registers before discovery runs";
    EXPECT_EQ(installation.creations(), 1);
    ASSERT_EQ(hub->registrations.size(), 1u);
    EXPECT_EQ(hub->registrations[0], (std::pair<std::string, long>{"Zuzozuduvuruva", 1}));
    EXPECT_EQ(utility.hub(), hub.get());
    EXPECT_EQ(utility.helpFile(), "C:\\TC\\Help\\TAZUAVR\\wwhelp.htm");
    utility.locateToolchain();
    EXPECT_EQ(runs, 2);

    // Reset uninstalls the sink; the next instance starts afresh.
    PlugInUtility::resetForTesting();
    EXPECT_FALSE(PlugInUtility::exists());
    EXPECT_EQ(LogSink::installed(), nullptr);
    PlugInUtility::setToolchainLocator(nullptr);
    PlugInUtility& second = PlugInUtility::instance();
    EXPECT_EQ(second.helpFile(), "");
    EXPECT_EQ(hub->registrations.size(), 2u);
    EXPECT_EQ(LogSink::installed(), &second);
}

TEST_F(PlugInUtilityTest, LastErrorTextNamesCodeAndSystemText) {
    SystemError::setCode(ENOENT);
    EXPECT_EQ(PlugInUtility::lastErrorText(), "Error 2: No such file or directory");
}

class ThrowingHub : public RecordingHub {
public:
    HRESULT Log(long, const Bstr&, const Bstr&, const Bstr&) override {
        throw std::runtime_error("hub gone");
    }
};

TEST(PlugInUtilityLogTest, LinesReachTheHubOrElseStandardError) {
    const struct {
        std::function<void(PlugInUtility&)> log;
        long level;
        const char* levelName;
        std::string context;
        std::string message;
    } lines[] = {
        // clang-format off
        {[](PlugInUtility& u) { u.logInfo("Created M\xFC.c"); }, 0, "info", "", "Created M\xFC.c"},
        {[](PlugInUtility& u) { u.logWarning("Part differs"); }, 1, "warning", "", "Part differs"},
        {[](PlugInUtility& u) { u.logError("Failed"); }, 2, "error", "", "Failed"},
        {[](PlugInUtility& u) { u.logDebug("Build()", ": Finished"); }, 3, "debug", "Build()", ": Finished"},
        // The model's refusals arrive the same way, as errors.
        {[](PlugInUtility&) { Project().removeConfiguration("Debug"); }, 2, "error", "",
         "Could not remove configuration: Only one Configuration left."},
        // clang-format on
    };
    const struct {
        std::shared_ptr<RecordingHub> hub;
        bool logsToHub;
        const char* creationLine;
    } hubs[] = {
        {std::make_shared<RecordingHub>(), true, ""},
        {nullptr, false,
         "tazu plug-in: the host's plug-in hub could not be created (HRESULT 0x80040154); "
         "log lines go to standard error\n"},
        {std::make_shared<ThrowingHub>(), false, ""},
    };
    for (const auto& h : hubs) {
        HubInstallation installation(h.hub);
        int runs = 0;
        PlugInUtility::setToolchainLocator([&](PlugInUtility&) { ++runs; });
        ::testing::internal::CaptureStderr();
        PlugInUtility& utility = PlugInUtility::instance();
        std::string expectedStderr = h.creationLine;
        std::vector<std::string> expectedHub, hubLines;
        for (const auto& l : lines) {
            l.log(utility);
            expectedHub.push_back(std::to_string(l.level) + "|tazu plug-in:|" + l.context + "|" +
                                  l.message);
            expectedStderr += "tazu plug-in: " + std::string(l.levelName) + ": " +
                              (l.context.empty() ? "" : l.context + ": ") + l.message + "\n";
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), h.logsToHub ? "" : expectedStderr);
        EXPECT_EQ(runs, 1) << "discovery runs with or without a hub";
        EXPECT_EQ(utility.hub(), h.hub.get());
        for (const auto& l : h.hub ? h.hub->logs : std::vector<RecordingHub::LogLine>{}) {
            hubLines.push_back(std::to_string(l.level) + "|" + l.prefix + "|" + l.context + "|" +
                               l.message);
        }
        EXPECT_EQ(hubLines, h.logsToHub ? expectedHub : std::vector<std::string>{});
    }
}

} // namespace
} // namespace avrtazu
