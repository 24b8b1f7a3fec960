#include "model/configuration.h"

#include "golden.h"
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

// What each constructor sets, and the defaults of the rest.
TEST(ConfigurationTest, ConstructorsSetTheirArgumentsAndDefaultTheRest) {
    const Configuration config("default", "ATmega16", "app");
    test::expectGolden("configurations.txt", settings(Configuration("Release")) + "\n" +
                                                 settings(Configuration("Debug", "blink.o")) +
                                                 "\n" + settings(config) + "\n");
}

TEST(ConfigurationTest, ListsRefuseEmptyTextKeepOrderAndSkipExactDuplicates) {
    const struct {
        void (Configuration::*add)(const std::string&);
        const std::vector<std::string>& (Configuration::*read)() const;
    } lists[] = {
        {&Configuration::addIncludeDirectory, &Configuration::includes},
        {&Configuration::addAsmIncludeDirectory, &Configuration::asmincludes},
        {&Configuration::addLibraryDirectory, &Configuration::libdirs},
        {&Configuration::addLibrary, &Configuration::libs},
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
    }
}

} // namespace
} // namespace avrtazu
