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
    const std::string head = "hex=0;list=0;map=0;outputFileName=";
    EXPECT_EQ(settings(Configuration("Release")),
              "part=Custom;" + head + ";outputDir=Release\\;" + kDefaults);
    EXPECT_EQ(settings(Configuration("Debug", "blink.o")),
              "part=Custom;" + head + "blink.o;outputDir=Debug\\;" + kDefaults);
    const Configuration config("default", "ATmega16", "app");
    EXPECT_EQ(settings(config), "part=ATmega16;" + head + "app;outputDir=default\\;" + kDefaults);
    EXPECT_EQ(config.name(), "default");
    EXPECT_TRUE(config.includes().empty() && config.asmincludes().empty() &&
                config.libdirs().empty() && config.libs().empty() && config.options().empty());
}

TEST(ConfigurationTest, ListsRefuseEmptyTextKeepOrderAndSkipExactDuplicates) {
    const struct {
        void (Configuration::*add)(const std::string&);
        void (Configuration::*clear)();
        const std::vector<std::string>& (Configuration::*read)() const;
    } lists[] = {
        {&Configuration::addIncludeDirectory, &Configuration::clearIncludes,
         &Configuration::includes},
        {&Configuration::addAsmIncludeDirectory, &Configuration::clearAsmIncludes,
         &Configuration::asmincludes},
        {&Configuration::addLibraryDirectory, &Configuration::clearLibdirs,
         &Configuration::libdirs},
        {&Configuration::addLibrary, &Configuration::clearLibs, &Configuration::libs},
    };
    for (const auto& ops : lists) {
        Configuration config("Debug");
        for (const char* added : {"inc", "INC", "inc", "C:\\avr", "INC"}) {
            (config.*ops.add)(added);
        }
        EXPECT_THROW((config.*ops.add)(""), std::runtime_error);
        EXPECT_EQ((config.*ops.read)(), (std::vector<std::string>{"inc", "INC", "C:\\avr"}));
        for (const auto& other : lists) {
            EXPECT_EQ((config.*other.read)().empty(), &other != &ops);
        }
        (config.*ops.clear)();
        EXPECT_TRUE((config.*ops.read)().empty());
    }
}

} // namespace
} // namespace avrtazu
