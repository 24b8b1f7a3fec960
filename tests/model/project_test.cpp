#include "model/project.h"

#include "platform/log_sink.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

struct LogLine {
    LogLevel level;
    std::string context;
    std::string message;
};

class RecordingSink : public LogSink {
public:
    RecordingSink() { LogSink::install(this); }
    ~RecordingSink() override { LogSink::install(nullptr); }
    void write(LogLevel level, const std::string& context, const std::string& message) override {
        lines.push_back({level, context, message});
    }
    std::vector<LogLine> lines;
};

std::string errorOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "<no error>";
}

Project projectWith(std::initializer_list<const char*> configNames) {
    Project project("blink", "C:\\proj\\");
    for (const char* name : configNames) {
        project.addConfig(Configuration(name));
    }
    return project;
}

struct Operation {
    const char* message;
    std::function<void(Project&)> run;
};

// Each operation with the exact text it raises when the project has no active configuration.
const std::vector<Operation>& withoutConfigurationErrors() {
    static const std::vector<Operation> table = {
        // Reads.
        {"Project::part(): Invalid active configuration", [](Project& p) { p.part(); }},
        {"Project::deviceConfiguration(): Invalid active configuration",
         [](Project& p) { p.deviceConfiguration(); }},
        {"Project::isDirty(): Invalid active configuration", [](Project& p) { p.isDirty(); }},
        {"Project::outputDir(): Invalid active configuration", [](Project& p) { p.outputDir(); }},
        {"Project::optionTabIndex(): Invalid active configuration",
         [](Project& p) { p.optionTabIndex(); }},
        {"Project::ioRegsOffsetInternalSram(): Invalid active configuration",
         [](Project& p) { p.ioRegsOffsetInternalSram(); }},
        {"Project::textAddressWord(): Invalid active configuration",
         [](Project& p) { p.textAddressWord(); }},
        {"Project::libdirs(): Invalid active configuration", [](Project& p) { p.libdirs(); }},
        {"Project::includes(): Invalid active configuration", [](Project& p) { p.includes(); }},
        {"Project::options(): Invalid active configuration", [](Project& p) { p.options("a.c"); }},
        {"Project::findSourceFile(): Invalid active configuration",
         [](Project& p) { p.findSourceFile("main.c"); }},
        // Setters of single settings: no parentheses.
        {"Project::setHex: Invalid Configuration", [](Project& p) { p.setHex(true); }},
        {"Project::setList: Invalid Configuration", [](Project& p) { p.setList(true); }},
        {"Project::setMap: Invalid Configuration", [](Project& p) { p.setMap(true); }},
        {"Project::setExtension: Invalid Configuration", [](Project& p) { p.setExtension(true); }},
        {"Project::setStrictCheckings: Invalid Configuration",
         [](Project& p) { p.setStrictCheckings(true); }},
        {"Project::setIntSizeEnum: Invalid Configuration",
         [](Project& p) { p.setIntSizeEnum(true); }},
        {"Project::setMacroDefinitions: Invalid Configuration",
         [](Project& p) { p.setMacroDefinitions("A"); }},
        {"Project::setUndefines: Invalid Configuration", [](Project& p) { p.setUndefines("A"); }},
        {"Project::setOutputFormat: Invalid Configuration",
         [](Project& p) { p.setOutputFormat("COFF"); }},
        {"Project::setCodeCompression: Invalid Configuration",
         [](Project& p) { p.setCodeCompression(true); }},
        {"Project::setGlobalOptimizations: Invalid Configuration",
         [](Project& p) { p.setGlobalOptimizations(true); }},
        {"Project::setEcasb: Invalid Configuration", [](Project& p) { p.setEcasb("x"); }},
        {"Project::setProgramMemory: Invalid Configuration",
         [](Project& p) { p.setProgramMemory("8192"); }},
        {"Project::setAdditionalLib: Invalid Configuration",
         [](Project& p) { p.setAdditionalLib("x"); }},
        {"Project::setProgramType: Invalid Configuration", [](Project& p) { p.setProgramType(1); }},
        {"Project::setAvrstudioIO: Invalid Configuration",
         [](Project& p) { p.setAvrstudioIO(true); }},
        {"Project::setBootSize: Invalid Configuration", [](Project& p) { p.setBootSize("None"); }},
        {"Project::setFpslicMemory: Invalid Configuration",
         [](Project& p) { p.setFpslicMemory("x"); }},
        {"Project::setDataAddressByte: Invalid Configuration",
         [](Project& p) { p.setDataAddressByte("0x60"); }},
        {"Project::setDataMemory: Invalid Configuration", [](Project& p) { p.setDataMemory("1"); }},
        {"Project::setDeviceConfiguration: Invalid Configuration",
         [](Project& p) { p.setDeviceConfiguration("ATmega16"); }},
        {"Project::setDoNotUseR20ToR23: Invalid Configuration",
         [](Project& p) { p.setDoNotUseR20ToR23(true); }},
        {"Project::setEeprom: Invalid Configuration", [](Project& p) { p.setEeprom("512"); }},
        {"Project::setEnhancedCore: Invalid Configuration",
         [](Project& p) { p.setEnhancedCore(true); }},
        {"Project::setIORegsOffsetInternalSram: Invalid Configuration",
         [](Project& p) { p.setIORegsOffsetInternalSram(true); }},
        {"Project::setNonDefaultStartup: Invalid Configuration",
         [](Project& p) { p.setNonDefaultStartup("x"); }},
        {"Project::setOtherOptions: Invalid Configuration",
         [](Project& p) { p.setOtherOptions("x"); }},
        {"Project::setPrintfVersion: Invalid Configuration",
         [](Project& p) { p.setPrintfVersion(2); }},
        {"Project::setReturnStackSize: Invalid Configuration",
         [](Project& p) { p.setReturnStackSize("32"); }},
        {"Project::setSram: Invalid Configuration", [](Project& p) { p.setSram("x"); }},
        {"Project::setStringsInFlashOnly: Invalid Configuration",
         [](Project& p) { p.setStringsInFlashOnly(true); }},
        {"Project::setUseLongCallJmp: Invalid Configuration",
         [](Project& p) { p.setUseLongCallJmp(true); }},
        {"Project::setUseRampzElpm: Invalid Configuration",
         [](Project& p) { p.setUseRampzElpm(true); }},
        // Setters and list operations with parentheses.
        {"Project::setPart(): Invalid Configuration", [](Project& p) { p.setPart("ATmega16"); }},
        {"Project::setOutputFileName(): Invalid Configuration",
         [](Project& p) { p.setOutputFileName("a"); }},
        {"Project::setOutputDirectory(): Invalid Configuration",
         [](Project& p) { p.setOutputDirectory("out"); }},
        {"Project::setDirty(): Invalid Configuration", [](Project& p) { p.setDirty(true); }},
        {"Project::setOptionsForAll(): Invalid Configuration",
         [](Project& p) { p.setOptionsForAll("x"); }},
        {"Project::setLinkerOptions(): Invalid Configuration",
         [](Project& p) { p.setLinkerOptions("x"); }},
        {"Project::clearOptionsForAll(): Invalid Configuration",
         [](Project& p) { p.clearOptionsForAll(); }},
        {"Project::clearLinkerOptions(): Invalid Configuration",
         [](Project& p) { p.clearLinkerOptions(); }},
        {"Project::clearIncludes(): Invalid Configuration", [](Project& p) { p.clearIncludes(); }},
        {"Project::clearAsmIncludes(): Invalid Configuration",
         [](Project& p) { p.clearAsmIncludes(); }},
        {"Project::clearLibs(): Invalid Configuration", [](Project& p) { p.clearLibs(); }},
        {"Project::addIncludeDirectory(): Invalid Configuration",
         [](Project& p) { p.addIncludeDirectory("inc"); }},
        {"Project::addAsmIncludeDirectory(): Invalid Configuration",
         [](Project& p) { p.addAsmIncludeDirectory("inc"); }},
        {"Project::addLibraryDirectory(): Invalid Configuration",
         [](Project& p) { p.addLibraryDirectory("lib"); }},
        {"Project::addLibrary(): Invalid Configuration", [](Project& p) { p.addLibrary("m"); }},
        {"Project::setOptions(): Invalid Configuration",
         [](Project& p) { p.setOptions("a.c", "-O2"); }},
        {"Project::clearOptions(): Invalid Configuration", [](Project& p) { p.clearOptions(); }},
        // The irregular ones.
        {"Project::currentConfigName(): Invalid Configuration",
         [](Project& p) { p.currentConfigName(); }},
        {"Project::setOptionTabIndex Invalid Configuration",
         [](Project& p) { p.setOptionTabIndex(1); }},
        {"Project::textAddressWord: Invalid Configuration",
         [](Project& p) { p.setTextAddressWord("0x0"); }},
        {"Project::unusedRomFillBytes: Invalid Configuration",
         [](Project& p) { p.setUnusedRomFillBytes("0xFF"); }},
        {"Project::clearLibDirs(): Invalid Configuration", [](Project& p) { p.clearLibdirs(); }},
        {"Project::setConfiguration(): Invalid Configuration",
         [](Project& p) { p.setActiveConfiguration("Debug"); }},
        {"Project::addConfig(): Invalid configuration",
         [](Project& p) { p.addConfig(Configuration("")); }},
    };
    return table;
}

TEST(ProjectTest, OperationsWithoutActiveConfigurationRaiseTheirOwnMessage) {
    for (const auto& op : withoutConfigurationErrors()) {
        Project project("blink", "C:\\proj\\");
        EXPECT_EQ(errorOf([&] { op.run(project); }), op.message);
    }
}

TEST(ProjectTest, UnknownActiveNameLeavesNoActiveConfiguration) {
    Project project = projectWith({"Debug", "Release"});
    EXPECT_EQ(errorOf([&] { project.setActiveConfiguration("release"); }),
              "Project::setConfiguration(): Invalid Configuration");
    // Every delegating operation now fails as on a new project, although configurations exist.
    for (const auto& op : withoutConfigurationErrors()) {
        const std::string message = op.message;
        if (message == "Project::addConfig(): Invalid configuration" ||
            message == "Project::setConfiguration(): Invalid Configuration") {
            continue; // these two do not delegate
        }
        Project copy = project;
        EXPECT_EQ(errorOf([&] { op.run(copy); }), message);
    }
    project.setActiveConfiguration("Release");
    EXPECT_EQ(project.currentConfigName(), "Release");
}

TEST(ProjectTest, FirstAddedConfigurationBecomesActiveAndDuplicatesAreDropped) {
    Project project;
    project.addConfig(Configuration("Debug", "ATmega16", "a"));
    EXPECT_EQ(project.currentConfigName(), "Debug");
    project.addConfig(Configuration("Release"));
    EXPECT_EQ(project.currentConfigName(), "Debug");
    project.addConfig(Configuration("Debug", "ATtiny26", "b"));
    EXPECT_EQ(project.configs().size(), 2u);
    EXPECT_EQ(project.part(), "ATmega16");
    EXPECT_EQ(project.configs().at("Debug").outputFileName(), "a");

    EXPECT_EQ(errorOf([&] { project.addConfig(Configuration("")); }),
              "Project::addConfig(): Invalid configuration");
    EXPECT_EQ(project.configs().size(), 2u);
}

TEST(ProjectTest, RemoveConfigurationRefusesWithALogLine) {
    struct Case {
        const char* title;
        std::vector<const char*> configs;
        const char* active; // nullptr: leave the first one active
        const char* remove;
        bool removed;
        const char* logged; // nullptr: nothing logged
        std::vector<std::string> remaining;
    } cases[] = {
        {"empty project",
         {},
         nullptr,
         "Debug",
         false,
         "Could not remove configuration: Only one Configuration left.",
         {}},
        {"last one",
         {"Debug"},
         nullptr,
         "Debug",
         false,
         "Could not remove configuration: Only one Configuration left.",
         {"Debug"}},
        {"unknown name",
         {"Debug", "Release"},
         nullptr,
         "release",
         false,
         "Could not remove configuration: No such configuration name",
         {"Debug", "Release"}},
        {"active one",
         {"Debug", "Release"},
         nullptr,
         "Debug",
         false,
         "Could not remove configuration: The active configuration can not be removed.",
         {"Debug", "Release"}},
        {"other one", {"Debug", "Release"}, nullptr, "Release", true, nullptr, {"Debug"}},
        {"after switching",
         {"Debug", "Release", "Size"},
         "Size",
         "Debug",
         true,
         nullptr,
         {"Release", "Size"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        Project project;
        for (const char* name : c.configs) {
            project.addConfig(Configuration(name));
        }
        if (c.active) {
            project.setActiveConfiguration(c.active);
        }
        const std::string activeBefore = c.configs.empty() ? "" : project.currentConfigName();

        RecordingSink sink;
        EXPECT_EQ(project.removeConfiguration(c.remove), c.removed);

        if (c.logged) {
            ASSERT_EQ(sink.lines.size(), 1u);
            EXPECT_EQ(sink.lines[0].level, LogLevel::Error);
            EXPECT_EQ(sink.lines[0].message, c.logged);
        } else {
            EXPECT_TRUE(sink.lines.empty());
        }
        std::vector<std::string> remaining;
        for (const auto& [name, config] : project.configs()) {
            remaining.push_back(name);
        }
        EXPECT_EQ(remaining, c.remaining);
        if (!c.configs.empty()) {
            EXPECT_EQ(project.currentConfigName(), activeBefore);
        }
    }
}

TEST(ProjectTest, CopyPointsIntoItsOwnConfigurations) {
    auto original = std::make_unique<Project>(projectWith({"Debug", "Release"}));
    original->setActiveConfiguration("Release");
    original->setPart("ATmega16");

    Project copy(*original);
    Project assigned = projectWith({"Other"});
    assigned = *original;

    copy.setPart("ATtiny26");
    assigned.setDirty(true);
    EXPECT_EQ(original->part(), "ATmega16");
    EXPECT_FALSE(original->isDirty());
    EXPECT_EQ(copy.configs().at("Release").part(), "ATtiny26");
    EXPECT_TRUE(assigned.configs().at("Release").isDirty());
    EXPECT_EQ(original->configs().at("Release").part(), "ATmega16");

    // Nothing of the copies refers back to the original.
    original.reset();
    for (Project* p : {&copy, &assigned}) {
        EXPECT_EQ(p->currentConfigName(), "Release");
        p->setActiveConfiguration("Debug");
        EXPECT_EQ(p->part(), "Custom");
    }

    const Project none;
    Project fromNone(none);
    EXPECT_EQ(errorOf([&] { fromNone.part(); }), "Project::part(): Invalid active configuration");
}

TEST(ProjectTest, SettingsReachTheActiveConfigurationOnly) {
    Project project = projectWith({"Debug", "Release"});
    project.setActiveConfiguration("Release");
    project.setDeviceConfiguration("ATmega128");
    project.setTextAddressWord("0x0");
    project.addIncludeDirectory("inc");
    project.setOptions("main.c", "-O2");
    project.setOptionTabIndex(3);

    const Configuration& release = project.configs().at("Release");
    const Configuration& debug = project.configs().at("Debug");
    EXPECT_EQ(release.part(), "ATmega128");
    EXPECT_EQ(project.part(), "ATmega128");
    EXPECT_EQ(release.textAddressWord(), "0x0");
    EXPECT_EQ(release.includes(), std::vector<std::string>{"inc"});
    EXPECT_EQ(project.options("main.c"), "-O2");
    EXPECT_EQ(project.options("other.c"), "");
    EXPECT_EQ(release.optionTabIndex(), 3);
    EXPECT_EQ(debug.part(), "Custom");
    EXPECT_TRUE(debug.includes().empty());
    EXPECT_EQ(debug.textAddressWord(), "0x2");

    // The configuration's own errors pass through unchanged.
    EXPECT_EQ(errorOf([&] { project.addLibraryDirectory(""); }),
              "Project::addLibraryDirectory(): Will not add \"\"library directories");
}

TEST(ProjectTest, OutputDirectoryGetsATrailingBackslash) {
    struct Case {
        const char* given;
        const char* stored;
    } cases[] = {
        {"out", "out\\"},   {"out\\", "out\\"}, {"", ""}, {"C:\\build", "C:\\build\\"},
        {"out/", "out/\\"},
    };
    for (const auto& c : cases) {
        Project project = projectWith({"Debug"});
        project.setOutputDirectory(c.given);
        EXPECT_EQ(project.outputDir(), c.stored) << c.given;
    }
}

TEST(ProjectTest, ExternalMakefileIsStoredRelativeToTheProjectDirectory) {
    struct Case {
        const char* homePath;
        const char* given;
        const char* stored;
    } cases[] = {
        {"C:\\proj\\", "C:\\proj\\make\\Makefile", "make\\Makefile"},
        {"C:\\proj\\", "C:\\proj\\Makefile", "Makefile"},
        {"C:\\proj\\", "C:/proj/sub/../Makefile", "Makefile"},
        {"C:\\proj\\", "D:\\other\\Makefile", "D:\\other\\Makefile"},
        {"C:\\proj\\", "D:\\x\\C:\\proj\\Makefile", "D:\\x\\C:\\proj\\Makefile"},
        {"C:\\proj\\", "", ""},
        {"", "C:\\proj\\Makefile", "C:\\proj\\Makefile"},
    };
    for (const auto& c : cases) {
        Project project("blink", c.homePath);
        project.setExtMakefile(c.given);
        EXPECT_EQ(project.extMakefile(), c.stored) << c.given;
    }
}

TEST(ProjectTest, FileListsKeepOneEntryPerFullName) {
    Project project = projectWith({"Debug"});
    project.addSrcFile(SourceFile("C:\\proj\\main.c"));
    project.addSrcFile(SourceFile("main.c", "C:\\proj"));
    project.addSrcFile(SourceFile("C:\\proj\\lib\\main.c"));
    project.addSrcFile(SourceFile("C:\\PROJ\\main.c"));
    project.addHdrFile(SourceFile("C:\\proj\\main.c"));
    project.addOtherFile(SourceFile("C:\\proj\\blink.lis"));

    std::vector<std::string> sources;
    for (const auto& file : project.srcFiles()) {
        sources.push_back(file.fullName());
    }
    EXPECT_EQ(sources, (std::vector<std::string>{"C:\\proj\\main.c", "C:\\proj\\lib\\main.c",
                                                 "C:\\PROJ\\main.c"}));
    EXPECT_EQ(project.hdrFiles().size(), 1u);
    EXPECT_EQ(project.otherFiles().size(), 1u);

    // Records keep their addresses while others come and go.
    const SourceFile* kept = &project.srcFiles().back();
    project.removeSrcFile("C:\\proj\\lib\\main.c");
    project.removeSrcFile("c:\\proj\\main.c");
    project.removeHdrFile("C:\\proj\\missing.h");
    project.removeOtherFile("C:\\proj\\blink.lis");
    ASSERT_EQ(project.srcFiles().size(), 2u);
    EXPECT_EQ(&project.srcFiles().back(), kept);
    EXPECT_EQ(project.hdrFiles().size(), 1u);
    EXPECT_TRUE(project.otherFiles().empty());
}

TEST(ProjectTest, FindSourceFileByFullOrBareName) {
    Project project = projectWith({"Debug"});
    project.addSrcFile(SourceFile("C:\\proj\\src\\main.c"));
    project.addSrcFile(SourceFile("util.c"));
    project.addHdrFile(SourceFile("C:\\proj\\main.h"));
    project.addOtherFile(SourceFile("notes.txt"));
    struct Case {
        const char* text;
        bool found;
    } cases[] = {
        {"C:\\proj\\src\\main.c", true},
        {"main.c", true},
        {"util.c", true},
        {"MAIN.C", false},
        {"src\\main.c", false},
        {"main.h", false},
        {"C:\\proj\\main.h", false},
        {"notes.txt", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(project.findSourceFile(c.text), c.found) << c.text;
    }
}

} // namespace
} // namespace avrtazu
