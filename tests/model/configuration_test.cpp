#include "model/configuration.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

std::string text(bool value) {
    return value ? "true" : "false";
}
std::string text(int value) {
    return std::to_string(value);
}
std::string text(const std::string& value) {
    return value;
}

// Every setting except the four constructor-dependent ones, with the value a new
// configuration must hold.
struct Default {
    const char* field;
    std::function<std::string(const Configuration&)> read;
    const char* expected;
};

#define AVRTAZU_DEFAULT(field, expected)                                                           \
    Default {                                                                                      \
#field, [](const Configuration& c) { return text(c.field()); }, expected                   \
    }

const std::vector<Default>& defaults() {
    static const std::vector<Default> table = {
        AVRTAZU_DEFAULT(hex, "false"),
        AVRTAZU_DEFAULT(list, "false"),
        AVRTAZU_DEFAULT(map, "false"),
        AVRTAZU_DEFAULT(isDirty, "false"),
        AVRTAZU_DEFAULT(optionsForAll, ""),
        AVRTAZU_DEFAULT(linkerOptions, ""),
        AVRTAZU_DEFAULT(optionTabIndex, "0"),
        AVRTAZU_DEFAULT(extension, "true"),
        AVRTAZU_DEFAULT(strictCheckings, "false"),
        AVRTAZU_DEFAULT(intSizeEnum, "false"),
        AVRTAZU_DEFAULT(macroDefinitions, ""),
        AVRTAZU_DEFAULT(undefines, ""),
        AVRTAZU_DEFAULT(outputFormat, "HEX/COFF"),
        AVRTAZU_DEFAULT(codeCompression, "false"),
        AVRTAZU_DEFAULT(globalOptimizations, "false"),
        AVRTAZU_DEFAULT(ecasb, ""),
        AVRTAZU_DEFAULT(programMemory, "1024"),
        AVRTAZU_DEFAULT(additionalLib, ""),
        AVRTAZU_DEFAULT(programType, "0"),
        AVRTAZU_DEFAULT(avrstudioIO, "false"),
        AVRTAZU_DEFAULT(bootSize, "None"),
        AVRTAZU_DEFAULT(fpslicMemory, ""),
        AVRTAZU_DEFAULT(dataAddressByte, "0x60"),
        AVRTAZU_DEFAULT(dataMemory, "64"),
        AVRTAZU_DEFAULT(doNotUseR20ToR23, "false"),
        AVRTAZU_DEFAULT(eeprom, "128"),
        AVRTAZU_DEFAULT(enhancedCore, "false"),
        AVRTAZU_DEFAULT(ioRegsOffsetInternalSram, "true"),
        AVRTAZU_DEFAULT(nonDefaultStartup, ""),
        AVRTAZU_DEFAULT(otherOptions, ""),
        AVRTAZU_DEFAULT(printfVersion, "0"),
        AVRTAZU_DEFAULT(returnStackSize, "16"),
        AVRTAZU_DEFAULT(sram, "Internal SRAM"),
        AVRTAZU_DEFAULT(stringsInFlashOnly, "false"),
        AVRTAZU_DEFAULT(textAddressWord, "0x2"),
        AVRTAZU_DEFAULT(unusedRomFillBytes, ""),
        AVRTAZU_DEFAULT(useLongCallJmp, "false"),
        AVRTAZU_DEFAULT(useRampzElpm, "false"),
    };
    return table;
}

TEST(ConfigurationTest, ConstructorsSetTheirArgumentsAndDefaultTheRest) {
    struct Case {
        Configuration config;
        const char* name;
        const char* part;
        const char* outputFileName;
        const char* outputDir;
    } cases[] = {
        {Configuration("Release"), "Release", "Custom", "", "Release\\"},
        {Configuration("Debug", "blink.o"), "Debug", "Custom", "blink.o", "Debug\\"},
        {Configuration("default", "ATmega16", "app"), "default", "ATmega16", "app", "default\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.config.name(), c.name);
        EXPECT_EQ(c.config.part(), c.part);
        EXPECT_EQ(c.config.outputFileName(), c.outputFileName);
        EXPECT_EQ(c.config.outputDir(), c.outputDir);
        for (const auto& d : defaults()) {
            EXPECT_EQ(d.read(c.config), d.expected) << d.field;
        }
        EXPECT_TRUE(c.config.includes().empty());
        EXPECT_TRUE(c.config.asmincludes().empty());
        EXPECT_TRUE(c.config.libdirs().empty());
        EXPECT_TRUE(c.config.libs().empty());
        EXPECT_TRUE(c.config.options().empty());
    }
}

struct ListOps {
    const char* list;
    void (Configuration::*add)(const std::string&);
    void (Configuration::*clear)();
    const std::vector<std::string>& (Configuration::*read)() const;
    const char* emptyMessage;
};

const ListOps kLists[] = {
    {"includes", &Configuration::addIncludeDirectory, &Configuration::clearIncludes,
     &Configuration::includes,
     "Project::addIncludeDirectory(): Will not add \"\" include directories"},
    {"asmincludes", &Configuration::addAsmIncludeDirectory, &Configuration::clearAsmIncludes,
     &Configuration::asmincludes,
     "Project::addAsmIncludeDirectory(): Will not add \"\" include directories"},
    {"libdirs", &Configuration::addLibraryDirectory, &Configuration::clearLibdirs,
     &Configuration::libdirs,
     "Project::addLibraryDirectory(): Will not add \"\"library directories"},
    {"libs", &Configuration::addLibrary, &Configuration::clearLibs, &Configuration::libs,
     "Project::addLibrary(): Will not add \"\" library"},
};

TEST(ConfigurationTest, ListsRefuseEmptyTextWithTheirOwnMessage) {
    for (const auto& ops : kLists) {
        SCOPED_TRACE(ops.list);
        Configuration config("Debug");
        (config.*ops.add)("inc");
        try {
            (config.*ops.add)("");
            ADD_FAILURE() << "no error for the empty text";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), ops.emptyMessage);
        }
        EXPECT_EQ((config.*ops.read)(), std::vector<std::string>{"inc"});
    }
}

TEST(ConfigurationTest, ListsKeepInsertionOrderAndSkipExactDuplicates) {
    const std::vector<std::string> added = {"inc", "INC", "inc", "inc\\", "C:\\avr", "INC"};
    const std::vector<std::string> kept = {"inc", "INC", "inc\\", "C:\\avr"};
    for (const auto& ops : kLists) {
        SCOPED_TRACE(ops.list);
        Configuration config("Debug");
        for (const auto& text : added) {
            (config.*ops.add)(text);
        }
        EXPECT_EQ((config.*ops.read)(), kept);
        // The other lists are untouched.
        for (const auto& other : kLists) {
            if (&other != &ops) {
                EXPECT_TRUE((config.*other.read)().empty()) << other.list;
            }
        }
        (config.*ops.clear)();
        EXPECT_TRUE((config.*ops.read)().empty());
    }
}

TEST(ConfigurationTest, PerFileOptionsAreKeyedByExactFileName) {
    Configuration config("Debug");
    config.setOptions("main.c", "-O1");
    config.setOptions("main.c", "-O2");
    config.setOptions("B.c", "-b");
    config.setOptions("a.c", "-a");

    EXPECT_EQ(config.optionsFromFile("main.c"), "-O2");
    EXPECT_EQ(config.optionsFromFile("MAIN.C"), "");
    EXPECT_EQ(config.options().size(), 3u) << "a lookup must not create an entry";

    // Byte order: upper case sorts before lower case.
    std::vector<std::string> keys;
    for (const auto& [file, options] : config.options()) {
        keys.push_back(file);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"B.c", "a.c", "main.c"}));

    config.clearOptions();
    EXPECT_TRUE(config.options().empty());
}

TEST(ConfigurationTest, EqualityComparesNamesOnly) {
    Configuration debug("Debug", "ATmega16", "a");
    Configuration other("Debug", "ATtiny26", "b");
    other.setDirty(true);
    other.addIncludeDirectory("inc");
    EXPECT_TRUE(debug == other);
    EXPECT_FALSE(debug == Configuration("debug"));
    EXPECT_FALSE(debug == Configuration("Debug "));
}

TEST(ConfigurationTest, CopiesCarryEverySettingAndShareNothing) {
    Configuration original("Debug", "ATmega16", "app");
    original.setDirty(true);
    original.addLibrary("m");
    original.setOptions("main.c", "-O2");
    original.setOptionTabIndex(2);

    Configuration copy(original);
    Configuration assigned("Other");
    assigned = original;
    for (const Configuration* c : {&copy, &assigned}) {
        EXPECT_TRUE(c->isDirty());
        EXPECT_EQ(c->name(), "Debug");
        EXPECT_EQ(c->part(), "ATmega16");
        EXPECT_EQ(c->libs(), std::vector<std::string>{"m"});
        EXPECT_EQ(c->optionsFromFile("main.c"), "-O2");
        EXPECT_EQ(c->optionTabIndex(), 2);
    }

    copy.addLibrary("c");
    copy.setOptions("main.c", "-Os");
    EXPECT_EQ(original.libs(), std::vector<std::string>{"m"});
    EXPECT_EQ(original.optionsFromFile("main.c"), "-O2");
}

TEST(ConfigurationTest, SettersStoreTextUnchangedAndLeaveTheDirtyFlag) {
    Configuration config("Debug");
    config.setOutputDirectory("out");
    config.setMacroDefinitions(" F_CPU=8000000 ;DEBUG ");
    config.setPrintfVersion(7);
    config.clearAll();
    EXPECT_EQ(config.outputDir(), "out");
    EXPECT_EQ(config.macroDefinitions(), " F_CPU=8000000 ;DEBUG ");
    EXPECT_EQ(config.printfVersion(), 7);
    EXPECT_FALSE(config.isDirty());

    config.setOptionsForAll("-v");
    config.setLinkerOptions("-lm");
    config.clearOptionsForAll();
    config.clearLinkerOptions();
    EXPECT_EQ(config.optionsForAll(), "");
    EXPECT_EQ(config.linkerOptions(), "");
}

} // namespace
} // namespace avrtazu
