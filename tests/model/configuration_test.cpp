#include "model/configuration.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

std::string text(int value) {
    return std::to_string(value);
}
std::string text(const std::string& value) {
    return value;
}

// Every single-valued setting as "getter=value;", in declaration order.
std::string settings(const Configuration& c) {
    std::string out;
#define AVRTAZU_DUMP(T, getter, ...) out += #getter "=" + text(c.getter()) + ";";
    AVRTAZU_CONFIGURATION_SETTINGS(AVRTAZU_DUMP)
#undef AVRTAZU_DUMP
    return out;
}

// The defaults of every setting after outputDir, which the constructors do not set.
const std::string kDefaults =
    "isDirty=0;optionsForAll=;linkerOptions=;optionTabIndex=0;extension=1;strictCheckings=0;"
    "intSizeEnum=0;macroDefinitions=;undefines=;outputFormat=HEX/COFF;codeCompression=0;"
    "globalOptimizations=0;ecasb=;programMemory=1024;additionalLib=;programType=0;"
    "avrstudioIO=0;bootSize=None;fpslicMemory=;dataAddressByte=0x60;dataMemory=64;"
    "doNotUseR20ToR23=0;eeprom=128;enhancedCore=0;ioRegsOffsetInternalSram=1;"
    "nonDefaultStartup=;otherOptions=;printfVersion=0;returnStackSize=16;sram=Internal SRAM;"
    "stringsInFlashOnly=0;textAddressWord=0x2;unusedRomFillBytes=;useLongCallJmp=0;"
    "useRampzElpm=0;";

TEST(ConfigurationTest, ConstructorsSetTheirArgumentsAndDefaultTheRest) {
    const struct {
        Configuration config;
        std::string head;
    } cases[] = {
        {Configuration("Release"),
         "part=Custom;hex=0;list=0;map=0;outputFileName=;outputDir=Release\\;"},
        {Configuration("Debug", "blink.o"),
         "part=Custom;hex=0;list=0;map=0;outputFileName=blink.o;outputDir=Debug\\;"},
        {Configuration("default", "ATmega16", "app"),
         "part=ATmega16;hex=0;list=0;map=0;outputFileName=app;outputDir=default\\;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings(c.config), c.head + kDefaults);
        EXPECT_TRUE(c.config.includes().empty() && c.config.asmincludes().empty() &&
                    c.config.libdirs().empty() && c.config.libs().empty() &&
                    c.config.options().empty());
    }
    EXPECT_EQ(Configuration("Release").name(), "Release");
}

TEST(ConfigurationTest, ListsRefuseEmptyTextKeepOrderAndSkipExactDuplicates) {
    const struct {
        void (Configuration::*add)(const std::string&);
        void (Configuration::*clear)();
        const std::vector<std::string>& (Configuration::*read)() const;
        const char* emptyMessage;
    } lists[] = {
        {&Configuration::addIncludeDirectory, &Configuration::clearIncludes,
         &Configuration::includes,
         "Project::addIncludeDirectory(): Will not add \"\" include directories"},
        {&Configuration::addAsmIncludeDirectory, &Configuration::clearAsmIncludes,
         &Configuration::asmincludes,
         "Project::addAsmIncludeDirectory(): Will not add \"\" include directories"},
        {&Configuration::addLibraryDirectory, &Configuration::clearLibdirs, &Configuration::libdirs,
         "Project::addLibraryDirectory(): Will not add \"\"library directories"},
        {&Configuration::addLibrary, &Configuration::clearLibs, &Configuration::libs,
         "Project::addLibrary(): Will not add \"\" library"},
    };
    for (const auto& ops : lists) {
        SCOPED_TRACE(ops.emptyMessage);
        Configuration config("Debug");
        for (const char* added : {"inc", "INC", "inc", "C:\\avr", "INC"}) {
            (config.*ops.add)(added);
        }
        try {
            (config.*ops.add)("");
            ADD_FAILURE() << "no error for the empty text";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), ops.emptyMessage);
        }
        EXPECT_EQ((config.*ops.read)(), (std::vector<std::string>{"inc", "INC", "C:\\avr"}));
        for (const auto& other : lists) {
            EXPECT_EQ((config.*other.read)().empty(), &other != &ops);
        }
        (config.*ops.clear)();
        EXPECT_TRUE((config.*ops.read)().empty());
    }
}

TEST(ConfigurationTest, SettersOptionsAndEquality) {
    Configuration config("Debug");
    config.setOutputDirectory("out");
    config.setMacroDefinitions(" F_CPU=8000000 ;DEBUG ");
    config.setOptionsForAll("-v");
    config.setLinkerOptions("-lm");
    config.clearAll();
    EXPECT_EQ(config.outputDir(), "out");
    EXPECT_EQ(config.macroDefinitions(), " F_CPU=8000000 ;DEBUG ");
    EXPECT_EQ(config.optionsForAll(), "-v");
    EXPECT_FALSE(config.isDirty());
    config.clearOptionsForAll();
    config.clearLinkerOptions();
    EXPECT_EQ(config.optionsForAll() + config.linkerOptions(), "");

    config.setOptions("main.c", "-O1");
    config.setOptions("main.c", "-O2");
    config.setOptions("a.c", "-a");
    EXPECT_EQ(config.optionsFromFile("main.c"), "-O2");
    EXPECT_EQ(config.optionsFromFile("MAIN.C"), "");
    EXPECT_EQ(config.options().size(), 2u);
    config.clearOptions();
    EXPECT_TRUE(config.options().empty());

    // Configurations are equal by name; copies keep the dirty flag.
    Configuration debug("Debug", "ATmega16", "a");
    Configuration other("Debug", "ATtiny26", "b");
    other.setDirty(true);
    EXPECT_TRUE(debug == other);
    EXPECT_FALSE(debug == Configuration("debug"));
    Configuration assigned("Other");
    assigned = other;
    EXPECT_TRUE(Configuration(other).isDirty());
    EXPECT_TRUE(assigned.isDirty());
}

} // namespace
} // namespace avrtazu
