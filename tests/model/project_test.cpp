#include "model/project.h"

#include "platform/log_sink.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace avrtazu {
namespace {

class RecordingSink : public LogSink {
public:
    RecordingSink() { LogSink::install(this); }
    ~RecordingSink() override { LogSink::install(nullptr); }
    void write(LogLevel level, const std::string&, const std::string& message) override {
        lines.push_back((level == LogLevel::Error ? "error: " : "other: ") + message);
    }
    std::vector<std::string> lines;
};

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

// The names of configurations, the full names of files.
template <class Items> std::vector<std::string> names(const Items& items) {
    std::vector<std::string> out;
    for (const auto& item : items) {
        if constexpr (std::is_same_v<typename Items::value_type, SourceFile>) {
            out.push_back(item.fullName());
        } else {
            out.push_back(item.first);
        }
    }
    return out;
}

TEST(ProjectTest, OperationsWithoutActiveConfigurationRaiseTheirOwnMessage) {
    const struct {
        const char* message;
        std::function<void(Project&)> run;
    } cases[] = {
// clang-format off
#define OP(message, call) {message, [](Project& p) { p.call; }}
        OP("Project::part(): Invalid active configuration", part()),
        OP("Project::deviceConfiguration(): Invalid active configuration", deviceConfiguration()),
        OP("Project::includes(): Invalid active configuration", includes()),
        OP("Project::options(): Invalid active configuration", options("a.c")),
        OP("Project::findSourceFile(): Invalid active configuration", findSourceFile("main.c")),
        OP("Project::setHex: Invalid Configuration", setHex(true)),
        OP("Project::setList: Invalid Configuration", setList(true)),
        OP("Project::setMap: Invalid Configuration", setMap(true)),
        OP("Project::setExtension: Invalid Configuration", setExtension(true)),
        OP("Project::setStrictCheckings: Invalid Configuration", setStrictCheckings(true)),
        OP("Project::setIntSizeEnum: Invalid Configuration", setIntSizeEnum(true)),
        OP("Project::setMacroDefinitions: Invalid Configuration", setMacroDefinitions("A")),
        OP("Project::setUndefines: Invalid Configuration", setUndefines("A")),
        OP("Project::setOutputFormat: Invalid Configuration", setOutputFormat("COFF")),
        OP("Project::setCodeCompression: Invalid Configuration", setCodeCompression(true)),
        OP("Project::setGlobalOptimizations: Invalid Configuration", setGlobalOptimizations(true)),
        OP("Project::setEcasb: Invalid Configuration", setEcasb("x")),
        OP("Project::setProgramMemory: Invalid Configuration", setProgramMemory("8192")),
        OP("Project::setAdditionalLib: Invalid Configuration", setAdditionalLib("x")),
        OP("Project::setProgramType: Invalid Configuration", setProgramType(1)),
        OP("Project::setAvrstudioIO: Invalid Configuration", setAvrstudioIO(true)),
        OP("Project::setBootSize: Invalid Configuration", setBootSize("None")),
        OP("Project::setFpslicMemory: Invalid Configuration", setFpslicMemory("x")),
        OP("Project::setDataAddressByte: Invalid Configuration", setDataAddressByte("0x60")),
        OP("Project::setDataMemory: Invalid Configuration", setDataMemory("1")),
        OP("Project::setDeviceConfiguration: Invalid Configuration", setDeviceConfiguration("x")),
        OP("Project::setDoNotUseR20ToR23: Invalid Configuration", setDoNotUseR20ToR23(true)),
        OP("Project::setEeprom: Invalid Configuration", setEeprom("512")),
        OP("Project::setEnhancedCore: Invalid Configuration", setEnhancedCore(true)),
        OP("Project::setIORegsOffsetInternalSram: Invalid Configuration", setIORegsOffsetInternalSram(true)),
        OP("Project::setNonDefaultStartup: Invalid Configuration", setNonDefaultStartup("x")),
        OP("Project::setOtherOptions: Invalid Configuration", setOtherOptions("x")),
        OP("Project::setPrintfVersion: Invalid Configuration", setPrintfVersion(2)),
        OP("Project::setReturnStackSize: Invalid Configuration", setReturnStackSize("32")),
        OP("Project::setSram: Invalid Configuration", setSram("x")),
        OP("Project::setStringsInFlashOnly: Invalid Configuration", setStringsInFlashOnly(true)),
        OP("Project::setUseLongCallJmp: Invalid Configuration", setUseLongCallJmp(true)),
        OP("Project::setUseRampzElpm: Invalid Configuration", setUseRampzElpm(true)),
        OP("Project::setPart(): Invalid Configuration", setPart("ATmega16")),
        OP("Project::setOutputFileName(): Invalid Configuration", setOutputFileName("a")),
        OP("Project::setOutputDirectory(): Invalid Configuration", setOutputDirectory("out")),
        OP("Project::setDirty(): Invalid Configuration", setDirty(true)),
        OP("Project::setOptionsForAll(): Invalid Configuration", setOptionsForAll("x")),
        OP("Project::setLinkerOptions(): Invalid Configuration", setLinkerOptions("x")),
        OP("Project::clearOptionsForAll(): Invalid Configuration", clearOptionsForAll()),
        OP("Project::clearLinkerOptions(): Invalid Configuration", clearLinkerOptions()),
        OP("Project::clearIncludes(): Invalid Configuration", clearIncludes()),
        OP("Project::clearAsmIncludes(): Invalid Configuration", clearAsmIncludes()),
        OP("Project::clearLibs(): Invalid Configuration", clearLibs()),
        OP("Project::addIncludeDirectory(): Invalid Configuration", addIncludeDirectory("inc")),
        OP("Project::addAsmIncludeDirectory(): Invalid Configuration", addAsmIncludeDirectory("i")),
        OP("Project::addLibraryDirectory(): Invalid Configuration", addLibraryDirectory("lib")),
        OP("Project::addLibrary(): Invalid Configuration", addLibrary("m")),
        OP("Project::setOptions(): Invalid Configuration", setOptions("a.c", "-O2")),
        OP("Project::clearOptions(): Invalid Configuration", clearOptions()),
        OP("Project::currentConfigName(): Invalid Configuration", currentConfigName()),
        OP("Project::setOptionTabIndex Invalid Configuration", setOptionTabIndex(1)),
        OP("Project::textAddressWord: Invalid Configuration", setTextAddressWord("0x0")),
        OP("Project::unusedRomFillBytes: Invalid Configuration", setUnusedRomFillBytes("0xFF")),
        OP("Project::clearLibDirs(): Invalid Configuration", clearLibdirs()),
        OP("Project::setConfiguration(): Invalid Configuration", setActiveConfiguration("Debug")),
        OP("Project::addConfig(): Invalid configuration", addConfig(Configuration(""))),
#undef OP
        // clang-format on
    };
    for (const auto& c : cases) {
        Project project("blink", "C:\\proj\\");
        EXPECT_EQ(errorOf([&] { c.run(project); }), c.message);
    }
}

TEST(ProjectTest, ConfigurationsAreAddedOnceAndTheFirstBecomesActive) {
    Project project;
    project.addConfig(Configuration("Debug", "ATmega16", "a"));
    project.addConfig(Configuration("Release"));
    project.addConfig(Configuration("Debug", "ATtiny26", "b"));
    EXPECT_EQ(project.currentConfigName(), "Debug");
    EXPECT_EQ(names(project.configs()), (std::vector<std::string>{"Debug", "Release"}));
    EXPECT_EQ(project.part(), "ATmega16");

    // An unknown name leaves no active configuration, although configurations exist.
    EXPECT_EQ(errorOf([&] { project.setActiveConfiguration("release"); }),
              "Project::setConfiguration(): Invalid Configuration");
    EXPECT_EQ(errorOf([&] { project.part(); }), "Project::part(): Invalid active configuration");
    EXPECT_EQ(errorOf([&] { project.setHex(true); }), "Project::setHex: Invalid Configuration");
    project.setActiveConfiguration("Release");
    EXPECT_EQ(project.currentConfigName(), "Release");
}

TEST(ProjectTest, RemoveConfigurationRefusesWithALogLine) {
    const char* kOnlyOne = "Could not remove configuration: Only one Configuration left.";
    const char* kNoSuch = "Could not remove configuration: No such configuration name";
    const char* kActive =
        "Could not remove configuration: The active configuration can not be removed.";
    const struct {
        std::vector<const char*> configs;
        const char* active; // nullptr: leave the first one active
        const char* remove;
        const char* logged; // nullptr: removed without a line
        std::vector<std::string> remaining;
    } cases[] = {
        // clang-format off
        {{}, nullptr, "Debug", kOnlyOne, {}},
        {{"Debug"}, nullptr, "Debug", kOnlyOne, {"Debug"}},
        {{"Debug", "Release"}, nullptr, "release", kNoSuch, {"Debug", "Release"}},
        {{"Debug", "Release"}, nullptr, "Debug", kActive, {"Debug", "Release"}},
        {{"Debug", "Release"}, nullptr, "Release", nullptr, {"Debug"}},
        {{"Debug", "Release", "Size"}, "Size", "Debug", nullptr, {"Release", "Size"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.remove);
        Project project = projectWith(c.configs);
        if (c.active) {
            project.setActiveConfiguration(c.active);
        }
        RecordingSink sink;
        EXPECT_EQ(project.removeConfiguration(c.remove), c.logged == nullptr);
        EXPECT_EQ(sink.lines, c.logged ? std::vector<std::string>{std::string("error: ") + c.logged}
                                       : std::vector<std::string>{});
        EXPECT_EQ(names(project.configs()), c.remaining);
    }
}

TEST(ProjectTest, SettingsReachTheActiveConfigurationAndCopiesKeepTheirOwn) {
    auto original = std::make_unique<Project>(projectWith({"Debug", "Release"}));
    original->setActiveConfiguration("Release");
    original->setDeviceConfiguration("ATmega16");
    original->setTextAddressWord("0x0");
    original->addIncludeDirectory("inc");
    original->setOptions("main.c", "-O2");
    const Configuration& release = original->configs().at("Release");
    const Configuration& debug = original->configs().at("Debug");
    EXPECT_EQ(release.part(), "ATmega16");
    EXPECT_EQ(release.textAddressWord(), "0x0");
    EXPECT_EQ(original->includes(), std::vector<std::string>{"inc"});
    EXPECT_EQ(original->options("main.c") + original->options("other.c"), "-O2");
    EXPECT_EQ(debug.part() + debug.textAddressWord(), "Custom0x2");
    EXPECT_TRUE(debug.includes().empty());
    // The configuration's own errors pass through unchanged.
    EXPECT_EQ(errorOf([&] { original->addLibraryDirectory(""); }),
              "Project::addLibraryDirectory(): Will not add \"\"library directories");

    Project copy(*original);
    Project assigned = projectWith({"Other"});
    assigned = *original;
    copy.setPart("ATtiny26");
    assigned.setDirty(true);
    EXPECT_EQ(original->deviceConfiguration(), "ATmega16");
    EXPECT_FALSE(original->isDirty());
    EXPECT_EQ(copy.configs().at("Release").part(), "ATtiny26");
    EXPECT_TRUE(assigned.configs().at("Release").isDirty());
    original.reset();
    for (Project* p : {&copy, &assigned}) {
        EXPECT_EQ(p->currentConfigName(), "Release");
        p->setActiveConfiguration("Debug");
        EXPECT_EQ(p->part(), "Custom");
    }
}

TEST(ProjectTest, OutputDirectoryAndExternalMakefileAreNormalised) {
    for (const auto& [given, stored] : {std::pair{"out", "out\\"}, {"out\\", "out\\"}, {"", ""}}) {
        Project project = projectWith({"Debug"});
        project.setOutputDirectory(given);
        EXPECT_EQ(project.outputDir(), stored) << given;
    }
    const struct {
        const char* homePath;
        const char* given;
        const char* stored;
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
    project.addSrcFile(SourceFile("C:\\proj\\main.c"));
    project.addSrcFile(SourceFile("main.c", "C:\\proj"));
    project.addSrcFile(SourceFile("C:\\proj\\lib\\main.c"));
    project.addSrcFile(SourceFile("util.c"));
    project.addHdrFile(SourceFile("C:\\proj\\main.h"));
    project.addHdrFile(SourceFile("C:\\proj\\main.h"));
    project.addOtherFile(SourceFile("notes.txt"));
    project.addOtherFile(SourceFile("notes.txt"));
    EXPECT_EQ(names(project.srcFiles()),
              (std::vector<std::string>{"C:\\proj\\main.c", "C:\\proj\\lib\\main.c", "util.c"}));
    EXPECT_EQ(project.hdrFiles().size() + project.otherFiles().size(), 2u);

    for (const auto& [text, found] : {std::pair{"C:\\proj\\lib\\main.c", true},
                                      {"main.c", true},
                                      {"MAIN.C", false},
                                      {"lib\\main.c", false},
                                      {"main.h", false},
                                      {"notes.txt", false}}) {
        EXPECT_EQ(project.findSourceFile(text), found) << text;
    }

    // Records keep their addresses while others come and go.
    const SourceFile* kept = &project.srcFiles().back();
    project.removeSrcFile("C:\\proj\\lib\\main.c");
    project.removeSrcFile("c:\\proj\\main.c");
    project.removeHdrFile("C:\\proj\\main.h");
    project.removeOtherFile("notes.txt");
    EXPECT_EQ(names(project.srcFiles()), (std::vector<std::string>{"C:\\proj\\main.c", "util.c"}));
    EXPECT_EQ(&project.srcFiles().back(), kept);
    EXPECT_TRUE(project.hdrFiles().empty() && project.otherFiles().empty());
}

} // namespace
} // namespace avrtazu
