#include "model/project.h"

#include "golden.h"
#include "platform/log_sink.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu {
namespace {

using Texts = std::vector<std::string>;

std::string errorOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "<no error>";
}

Project projectWith(const std::vector<const char*>& configNames) {
    Project project("blink", "C:\\proj\\");
    for (const char* name : configNames) {
        project.addConfig(Configuration(name));
    }
    return project;
}

Texts configNames(const Project& project) {
    Texts out;
    for (const auto& [name, config] : project.configs()) {
        out.push_back(name);
    }
    return out;
}

Texts fullNames(const std::list<SourceFile>& files) {
    Texts out;
    for (const SourceFile& file : files) {
        out.push_back(file.fullName());
    }
    return out;
}

// Every operation that needs the active configuration, on a project without one: its message.
TEST(ProjectTest, OperationsWithoutActiveConfigurationRaiseTheirOwnMessage) {
    Project p("blink", "C:\\proj\\");
    std::string all;
    const auto note = [&all](const char* operation, const std::function<void()>& run) {
        all += operation + std::string(": ") + errorOf(run) + "\n";
    };
#define AVRTAZU_NOTE_SETTING(T, get, set, ...)                                                     \
    note(#get, [&] { p.get(); });                                                                  \
    note(#set, [&] { p.set(T{}); });
    AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_NOTE_SETTING)
#undef AVRTAZU_NOTE_SETTING
#define AVRTAZU_NOTE_LIST(get, add, clear, ...)                                                    \
    note(#get, [&] { p.get(); });                                                                  \
    note(#add, [&] { p.add("x"); });                                                               \
    note(#clear, [&] { p.clear(); });
    AVRTAZU_CONFIGURATION_LISTS(AVRTAZU_NOTE_LIST)
#undef AVRTAZU_NOTE_LIST
    note("deviceConfiguration", [&] { p.deviceConfiguration(); });
    note("setDeviceConfiguration", [&] { p.setDeviceConfiguration("x"); });
    note("options", [&] { p.options("a.c"); });
    note("setOptions", [&] { p.setOptions("a.c", "-O2"); });
    note("clearOptions", [&] { p.clearOptions(); });
    note("clearOptionsForAll", [&] { p.clearOptionsForAll(); });
    note("clearLinkerOptions", [&] { p.clearLinkerOptions(); });
    note("findSourceFile", [&] { p.findSourceFile("a.c"); });
    note("currentConfigName", [&] { p.currentConfigName(); });
    note("setActiveConfiguration", [&] { p.setActiveConfiguration("Debug"); });
    note("addConfig with no name", [&] { p.addConfig(Configuration("")); });
    test::expectGolden("project_errors.txt", all);
}

TEST(ProjectTest, ConfigurationsAreAddedOnceAndTheFirstBecomesActive) {
    Project project;
    project.addConfig(Configuration("Debug", "ATmega16", "a"));
    project.addConfig(Configuration("Release"));
    project.addConfig(Configuration("Debug", "ATtiny26", "b"));
    EXPECT_EQ(project.currentConfigName(), "Debug");
    EXPECT_EQ(configNames(project), (Texts{"Debug", "Release"}));
    EXPECT_EQ(project.part(), "ATmega16");

    // An unknown name leaves no active configuration, although configurations exist.
    EXPECT_THROW(project.setActiveConfiguration("release"), std::runtime_error);
    EXPECT_THROW(project.part(), std::runtime_error);
    project.setActiveConfiguration("Release");
    EXPECT_EQ(project.currentConfigName(), "Release");
}

TEST(ProjectTest, RemoveConfigurationRefusesWithALogLine) {
    class RecordingSink : public LogSink {
    public:
        RecordingSink() { LogSink::install(this); }
        ~RecordingSink() override { LogSink::install(nullptr); }
        void write(LogLevel level, const std::string&, const std::string& message) override {
            lines += " log " + std::to_string(static_cast<int>(level)) + ": " + message + ";";
        }
        std::string lines;
    };
    const struct {
        std::vector<const char*> configs;
        const char *active, *remove; // active nullptr: the first one
        const char* outcome;
    } cases[] = {
        // clang-format off
        {{}, nullptr, "Debug", "refused; log 2: Could not remove configuration: Only one Configuration left.; left:"},
        {{"Debug"}, nullptr, "Debug", "refused; log 2: Could not remove configuration: Only one Configuration left.; left: Debug"},
        {{"Debug", "Release"}, nullptr, "release", "refused; log 2: Could not remove configuration: No such configuration name; left: Debug Release"},
        {{"Debug", "Release"}, nullptr, "Debug", "refused; log 2: Could not remove configuration: The active configuration can not be removed.; left: Debug Release"},
        {{"Debug", "Release"}, nullptr, "Release", "removed; left: Debug"},
        {{"Debug", "Release", "Size"}, "Size", "Debug", "removed; left: Release Size"},
        // clang-format on
    };
    for (const auto& c : cases) {
        Project project = projectWith(c.configs);
        if (c.active) {
            project.setActiveConfiguration(c.active);
        }
        RecordingSink sink;
        std::string outcome = project.removeConfiguration(c.remove) ? "removed;" : "refused;";
        outcome += sink.lines + " left:";
        for (const std::string& name : configNames(project)) {
            outcome += " " + name;
        }
        EXPECT_EQ(outcome, c.outcome) << c.remove;
    }
}

TEST(ProjectTest, SettingsReachTheActiveConfiguration) {
    Project project = projectWith({"Debug", "Release"});
    project.setActiveConfiguration("Release");
    project.setDeviceConfiguration("ATmega16");
    project.setTextAddressWord("0x0");
    project.addIncludeDirectory("inc");
    project.setOptions("main.c", "-O2");
    const Configuration& release = project.configs().at("Release");
    const Configuration& debug = project.configs().at("Debug");
    EXPECT_EQ(release.part() + release.textAddressWord(), "ATmega160x0");
    EXPECT_EQ(project.includes(), Texts{"inc"});
    EXPECT_EQ(project.options("main.c") + project.options("other.c"), "-O2");
    EXPECT_EQ(debug.part() + debug.textAddressWord(), "Custom0x2");
    EXPECT_TRUE(debug.includes().empty());
    // The configuration's own errors pass through unchanged.
    EXPECT_EQ(errorOf([&] { project.addLibraryDirectory(""); }),
              "Project::addLibraryDirectory(): Will not add \"\"library directories");
}

TEST(ProjectTest, OutputDirectoryAndExternalMakefileAreNormalised) {
    for (const auto& [given, stored] : {std::pair{"out", "out\\"}, {"out\\", "out\\"}, {"", ""}}) {
        Project project = projectWith({"Debug"});
        project.setOutputDirectory(given);
        EXPECT_EQ(project.outputDir(), stored) << given;
    }
    const struct {
        const char *homePath, *given, *stored;
    } makefiles[] = {
        {"C:\\proj\\", "C:\\proj\\make\\Makefile", "make\\Makefile"},
        {"C:\\proj\\", "C:/proj/sub/../Makefile", "Makefile"},
        {"C:\\proj\\", "D:\\other\\Makefile", "D:\\other\\Makefile"},
        {"C:\\proj\\", "D:\\x\\C:\\proj\\Makefile", "D:\\x\\C:\\proj\\Makefile"},
        {"", "C:\\proj\\Makefile", "C:\\proj\\Makefile"},
    };
    for (const auto& c : makefiles) {
        Project project("blink", c.homePath);
        project.setExtMakefile(c.given);
        EXPECT_EQ(project.extMakefile(), c.stored) << c.given;
    }
}

TEST(ProjectTest, FileListsKeepOneEntryPerFullNameAndFindSourcesOnly) {
    Project project = projectWith({"Debug"});
    for (const SourceFile& file : {SourceFile("C:\\proj\\main.c"), SourceFile("main.c", "C:\\proj"),
                                   SourceFile("C:\\proj\\lib\\main.c"), SourceFile("util.c")}) {
        project.addSrcFile(file);
    }
    for (int twice = 0; twice < 2; ++twice) {
        project.addHdrFile(SourceFile("C:\\proj\\main.h"));
        project.addOtherFile(SourceFile("notes.txt"));
    }
    EXPECT_EQ(fullNames(project.srcFiles()),
              (Texts{"C:\\proj\\main.c", "C:\\proj\\lib\\main.c", "util.c"}));
    EXPECT_EQ(project.hdrFiles().size() + project.otherFiles().size(), 2u);

    std::string found;
    for (const char* text :
         {"C:\\proj\\lib\\main.c", "main.c", "MAIN.C", "lib\\main.c", "main.h", "notes.txt"}) {
        found += std::to_string(project.findSourceFile(text));
    }
    EXPECT_EQ(found, "110000");

    // Records keep their addresses while others come and go.
    const SourceFile* kept = &project.srcFiles().back();
    project.removeSrcFile("C:\\proj\\lib\\main.c");
    project.removeSrcFile("c:\\proj\\main.c");
    project.removeHdrFile("C:\\proj\\main.h");
    project.removeOtherFile("notes.txt");
    EXPECT_EQ(fullNames(project.srcFiles()), (Texts{"C:\\proj\\main.c", "util.c"}));
    EXPECT_EQ(&project.srcFiles().back(), kept);
    EXPECT_TRUE(project.hdrFiles().empty() && project.otherFiles().empty());
}

} // namespace
} // namespace avrtazu
