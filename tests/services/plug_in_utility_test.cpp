#include "services/plug_in_utility.h"

#include "model/configuration.h"
#include "model/project.h"
#include "platform/log_sink.h"
#include "platform/system_error_text.h"
#include "services/fake_host_support.h"
#include "services/plugin_hub.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace avrtazu {
namespace {

using fakes::HubInstallation;
using fakes::RecordingHub;

class PlugInUtilityTest : public ::testing::Test {
protected:
    std::shared_ptr<RecordingHub> hub = std::make_shared<RecordingHub>();
    HubInstallation installation{hub};
};

TEST_F(PlugInUtilityTest, CreationRegistersThePluginOnceWithEmptyLocations) {
    PlugInUtility& utility = PlugInUtility::instance();
    EXPECT_EQ(&PlugInUtility::instance(), &utility);

    EXPECT_EQ(installation.creations(), 1);
    ASSERT_EQ(hub->registrations.size(), 1u);
    EXPECT_EQ(hub->registrations[0].first, "Zuzozuduvuruva");
    EXPECT_EQ(hub->registrations[0].second, 1);
    EXPECT_EQ(utility.hub(), hub.get());
    EXPECT_EQ(utility.host(), nullptr);
    EXPECT_EQ(utility.makeDirectory(), "");
    EXPECT_EQ(utility.compilerDirectory(), "");
    EXPECT_EQ(utility.libraryDirectory(), "");
    EXPECT_EQ(utility.helpFile(), "");
}

TEST_F(PlugInUtilityTest, LogFunctionsReachTheHubWithLevelPrefixAndContext) {
    struct Case {
        std::function<void(PlugInUtility&)> log;
        long level;
        const char* context;
        const char* message;
    } cases[] = {
        {[](PlugInUtility& u) { u.logInfo("Created and added main.c"); }, 0, "",
         "Created and added main.c"},
        {[](PlugInUtility& u) { u.logWarning("Part differs"); }, 1, "", "Part differs"},
        {[](PlugInUtility& u) { u.logError("Failed to open file M\xFC.c"); }, 2, "",
         "Failed to open file M\xFC.c"},
        {[](PlugInUtility& u) {
             u.logDebug("Zuzozuduvuruva::changeOptions()", "Sent AVREVENT_OBJECTFILE_DIRTY");
         },
         3, "Zuzozuduvuruva::changeOptions()", "Sent AVREVENT_OBJECTFILE_DIRTY"},
        {[](PlugInUtility& u) { u.logDebug("", "Found avr-tazu at C:\\t\\bin\\tazuavr.exe"); }, 3,
         "", "Found avr-tazu at C:\\t\\bin\\tazuavr.exe"},
    };
    PlugInUtility& utility = PlugInUtility::instance();
    for (const auto& c : cases) {
        hub->logs.clear();
        c.log(utility);
        ASSERT_EQ(hub->logs.size(), 1u) << c.message;
        EXPECT_EQ(hub->logs[0].level, c.level) << c.message;
        EXPECT_EQ(hub->logs[0].prefix, "tazu plug-in:") << c.message;
        EXPECT_EQ(hub->logs[0].context, c.context) << c.message;
        EXPECT_EQ(hub->logs[0].message, c.message);
    }
}

TEST_F(PlugInUtilityTest, LinesOfTheLowerLayersReachTheHub) {
    PlugInUtility::instance();
    struct Case {
        LogLevel level;
        long hubLevel;
        const char* context;
    } cases[] = {
        {LogLevel::Info, 0, ""},
        {LogLevel::Warning, 1, ""},
        {LogLevel::Error, 2, ""},
        {LogLevel::Debug, 3, "Project::part()"},
    };
    for (const auto& c : cases) {
        hub->logs.clear();
        LogSink::post(c.level, c.context, "line");
        ASSERT_EQ(hub->logs.size(), 1u) << c.hubLevel;
        EXPECT_EQ(hub->logs[0].level, c.hubLevel);
        EXPECT_EQ(hub->logs[0].prefix, "tazu plug-in:");
        EXPECT_EQ(hub->logs[0].context, c.context);
        EXPECT_EQ(hub->logs[0].message, "line");
    }
}

TEST_F(PlugInUtilityTest, RefusedConfigurationRemovalsArriveAsErrors) {
    PlugInUtility::instance();
    struct Case {
        std::function<Project()> make;
        const char* name;
        const char* message;
    } cases[] = {
        {[] {
             Project p("demo", "C:\\work\\demo\\");
             p.addConfig(Configuration("default"));
             return p;
         },
         "default", "Could not remove configuration: Only one Configuration left."},
        {[] {
             Project p("demo", "C:\\work\\demo\\");
             p.addConfig(Configuration("default"));
             p.addConfig(Configuration("release"));
             return p;
         },
         "debug", "Could not remove configuration: No such configuration name"},
        {[] {
             Project p("demo", "C:\\work\\demo\\");
             p.addConfig(Configuration("default"));
             p.addConfig(Configuration("release"));
             return p;
         },
         "default", "Could not remove configuration: The active configuration can not be removed."},
    };
    for (const auto& c : cases) {
        hub->logs.clear();
        Project project = c.make();
        EXPECT_FALSE(project.removeConfiguration(c.name)) << c.message;
        ASSERT_EQ(hub->logs.size(), 1u) << c.message;
        EXPECT_EQ(hub->logs[0].level, 2);
        EXPECT_EQ(hub->logs[0].prefix, "tazu plug-in:");
        EXPECT_EQ(hub->logs[0].context, "");
        EXPECT_EQ(hub->logs[0].message, c.message);
    }
}

TEST_F(PlugInUtilityTest, LocatorRunsOnceOnCreationAfterRegistration) {
    int runs = 0;
    std::size_t registrationsSeen = 0;
    PlugInUtility* seen = nullptr;
    PlugInUtility::setToolchainLocator([&](PlugInUtility& utility) {
        ++runs;
        registrationsSeen = hub->registrations.size();
        seen = &utility;
        // The locator may ask for the instance again while it is being created.
        EXPECT_EQ(&PlugInUtility::instance(), &utility);
        utility.setCompilerDirectory("C:\\Tools\\TC\\bin");
        utility.setMakeDirectory("C:\\Tools\\TC\\bin");
        utility.setLibraryDirectory("C:\\Tools\\TC\\lib");
        utility.setHelpFile("C:\\Tools\\TC\\Help\\TAZUAVR\\wwhelp.htm");
        utility.logDebug("", "Found avr-tazu at C:\\Tools\\TC\\bin\\tazuavr.exe");
    });
    PlugInUtility& utility = PlugInUtility::instance();
    PlugInUtility::instance();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(seen, &utility);
    EXPECT_EQ(registrationsSeen, 1u) << "the plug-in registers before discovery runs";
    EXPECT_EQ(installation.creations(), 1);
    EXPECT_EQ(utility.compilerDirectory(), "C:\\Tools\\TC\\bin");
    EXPECT_EQ(utility.makeDirectory(), "C:\\Tools\\TC\\bin");
    EXPECT_EQ(utility.libraryDirectory(), "C:\\Tools\\TC\\lib");
    EXPECT_EQ(utility.helpFile(), "C:\\Tools\\TC\\Help\\TAZUAVR\\wwhelp.htm");
    ASSERT_EQ(hub->logs.size(), 1u) << "discovery's log line reaches the hub";
    EXPECT_EQ(hub->logs[0].level, 3);

    utility.locateToolchain();
    EXPECT_EQ(runs, 2);
}

TEST_F(PlugInUtilityTest, ResetUninstallsTheSinkAndTheNextInstanceStartsAfresh) {
    PlugInUtility& first = PlugInUtility::instance();
    first.setHelpFile("C:\\x\\wwhelp.htm");
    EXPECT_EQ(LogSink::installed(), &first);
    PlugInUtility::resetForTesting();
    EXPECT_FALSE(PlugInUtility::exists());
    EXPECT_EQ(LogSink::installed(), nullptr);
    LogSink::post(LogLevel::Error, "", "dropped");
    EXPECT_TRUE(hub->logs.empty());

    PlugInUtility& second = PlugInUtility::instance();
    EXPECT_EQ(second.helpFile(), "");
    EXPECT_EQ(hub->registrations.size(), 2u);
    EXPECT_EQ(LogSink::installed(), &second);
}

TEST_F(PlugInUtilityTest, LastErrorTextNamesCodeAndSystemText) {
    struct Case {
        int code;
        const char* text;
    } cases[] = {
        {ENOENT, "Error 2: No such file or directory"},
        {EACCES, "Error 13: Permission denied"},
    };
    for (const auto& c : cases) {
        SystemError::setCode(c.code);
        EXPECT_EQ(PlugInUtility::lastErrorText(), c.text);
    }
}

class ThrowingHub : public RecordingHub {
public:
    HRESULT Log(long, const Bstr&, const Bstr&, const Bstr&) override {
        throw std::runtime_error("hub gone");
    }
};

TEST(PlugInUtilityWithoutHubTest, LogLinesGoToStandardErrorInstead) {
    struct Case {
        const char* what;
        std::shared_ptr<RecordingHub> hub;
    } cases[] = {
        {"no hub registered", nullptr},
        {"a hub whose Log throws", std::make_shared<ThrowingHub>()},
    };
    for (const auto& c : cases) {
        HubInstallation installation(c.hub);
        int runs = 0;
        PlugInUtility::setToolchainLocator([&](PlugInUtility&) { ++runs; });
        ::testing::internal::CaptureStderr();
        PlugInUtility& utility = PlugInUtility::instance();
        utility.logError("Failed to set up plug-in windows");
        utility.logDebug("BuildProject()", ": Finished building project");
        LogSink::post(LogLevel::Warning, "", "from the model");
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(runs, 1) << c.what << ": discovery runs without a hub too";
        EXPECT_NE(err.find("tazu plug-in: error: Failed to set up plug-in windows"),
                  std::string::npos)
            << c.what << '\n'
            << err;
        EXPECT_NE(err.find("tazu plug-in: debug: BuildProject(): : Finished building project"),
                  std::string::npos)
            << c.what << '\n'
            << err;
        EXPECT_NE(err.find("tazu plug-in: warning: from the model"), std::string::npos)
            << c.what << '\n'
            << err;
        EXPECT_EQ(utility.hub() == nullptr, c.hub == nullptr) << c.what;
    }
}

} // namespace
} // namespace avrtazu
