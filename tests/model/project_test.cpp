#include "model/project.h"

#include "golden.h"
#include "platform/log_sink.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
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
    project.setActiveConfiguration("Release");
    EXPECT_EQ(project.currentConfigName(), "Release");
}

class RecordingSink : public LogSink {
public:
    RecordingSink() { LogSink::install(this); }
    ~RecordingSink() override { LogSink::install(nullptr); }
    void write(LogLevel level, const std::string&, const std::string& message) override {
        lines += " log " + std::to_string(static_cast<int>(level)) + ": " + message + ";";
    }
    std::string lines;
};

// "remove|NAME|CONFIGS|ACTIVE" (the first one active when none is named), "outdir|GIVEN" or
// "makefile|HOME|GIVEN", and what the project makes of it.
std::string rule(const std::string& line) {
    Texts f;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '|');) {
        f.push_back(field);
    }
    f.resize(4);
    Project project("blink", f[0] == "makefile" ? f[1] : "C:\\proj\\");
    if (f[0] == "makefile") {
        project.setExtMakefile(f[2]);
        return project.extMakefile();
    }
    std::istringstream names(f[0] == "outdir" ? "Debug" : f[2]);
    for (std::string name; std::getline(names, name, ',');) {
        project.addConfig(Configuration(name));
    }
    if (f[0] == "outdir") {
        project.setOutputDirectory(f[1]);
        return project.outputDir();
    }
    if (!f[3].empty()) {
        project.setActiveConfiguration(f[3]);
    }
    RecordingSink sink;
    std::string outcome = project.removeConfiguration(f[1]) ? "removed;" : "refused;";
    outcome += sink.lines + " left:";
    for (const std::string& name : configNames(project)) {
        outcome += " " + name;
    }
    return outcome;
}

TEST(ProjectTest, RemovingConfigurationsAndNormalisingFolders) {
    test::expectEachLine("project_rules.txt", rule);
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
