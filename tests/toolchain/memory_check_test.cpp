#include "avr/memory_check.h"
#include "avr/switch_parser.h"
#include "common/command_words.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace avrtazu {
namespace {

using testing::HasSubstr;

const char* const exampleSwitches =
    "-o demo -e:0x4000 -bfunc_lit:0x54.0x4000 -dram_end:0x45f -bdata:0x60.0x45f "
    "-dhwstk_size:16 -beeprom:0.512";

struct MemoryCase {
    const char* name;
    std::string switches;
    MemoryUse use;
    std::string error; // empty: fits
};

class MemoryCheckTest : public testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryCheckTest, ReportsWhatDoesNotFit) {
    const MemoryCase& c = GetParam();
    const TazuOptions options =
        SwitchParser::parse(CommandWords::split(c.switches),
                            [](const std::string&) { return std::optional<std::string>(); });
    ASSERT_TRUE(options.errors.empty());
    const MemoryReport report = MemoryCheck::check(options, c.use);
    if (c.error.empty()) {
        EXPECT_TRUE(report.errors.empty()) << report.errors.front();
    } else {
        ASSERT_EQ(report.errors.size(), 1u);
        EXPECT_THAT(report.errors.front(), HasSubstr(c.error));
    }
}

MemoryUse use(long codeStart, long code, long data, long eepromStart = 0, long eeprom = 0) {
    MemoryUse result;
    result.codeStart = codeStart;
    result.codeBytes = code;
    result.dataStart = 0x60;
    result.dataBytes = data;
    result.eepromStart = eepromStart;
    result.eepromBytes = eeprom;
    return result;
}

INSTANTIATE_TEST_SUITE_P(
    Areas, MemoryCheckTest,
    testing::Values(
        MemoryCase{"Fits", exampleSwitches, use(0, 0x4000, 1024 - 16, 0, 512), ""},
        MemoryCase{"CodeOneByteTooMany", exampleSwitches, use(0, 0x4001, 10), "code does not fit"},
        MemoryCase{"CodeAreaOfAnApplicationBelowItsBootArea",
                   "-o x -e:0x4000 -bfunc_lit:0x54.0x3c00", use(0, 0x3c01, 0), "0x3c00"},
        MemoryCase{"BootLoaderStartsAtItsVectors",
                   "-o x -e:0x4000 -bvector:0x3c00.0x4000 -bfunc_lit:0x3c54.0x4000",
                   use(0x3c00, 0x401, 0), "code does not fit"},
        MemoryCase{"BootLoaderThatFits",
                   "-o x -e:0x4000 -bvector:0x3c00.0x4000 -bfunc_lit:0x3c54.0x4000",
                   use(0x3c00, 0x400, 0), ""},
        MemoryCase{"ProgramEndAloneLimitsCode", "-o x -e:0x400", use(0, 0x401, 0),
                   "code does not fit"},
        MemoryCase{"DataLeavesNoRoomForTheStack", exampleSwitches, use(0, 100, 1024 - 15),
                   "data does not fit"},
        MemoryCase{"ExternalDataAreaHasNoStack",
                   "-o x -dram_end:0x45f -bdata:0x460.0x7fff -dhwstk_size:16",
                   use(0, 100, 0x7fff - 0x460 + 1), ""},
        MemoryCase{"ExternalDataAreaOverflow",
                   "-o x -dram_end:0x45f -bdata:0x460.0x7fff -dhwstk_size:16",
                   use(0, 100, 0x7fff - 0x460 + 2), "data does not fit"},
        MemoryCase{"EepromTooLarge", exampleSwitches, use(0, 100, 10, 0, 513),
                   "EEPROM data does not fit"},
        MemoryCase{"EepromFromOneLosesAByte", "-o x -beeprom:1.512", use(0, 0, 0, 1, 512),
                   "EEPROM data does not fit"},
        MemoryCase{"NoSwitchesNoLimits", "-o x", use(0, 0x100000, 0x10000, 0, 0x10000), ""}),
    [](const testing::TestParamInfo<MemoryCase>& info) { return std::string(info.param.name); });

TEST(MemoryCheckTest, SummaryNamesEachMemory) {
    const TazuOptions options =
        SwitchParser::parse(CommandWords::split(exampleSwitches),
                            [](const std::string&) { return std::optional<std::string>(); });
    const MemoryReport report = MemoryCheck::check(options, use(0, 1638, 102));
    ASSERT_EQ(report.summary.size(), 3u);
    EXPECT_EQ(report.summary[0], "Program memory: 1638 of 16384 bytes (10.0%)");
    EXPECT_EQ(report.summary[1], "Data memory: 102 of 1024 bytes (10.0%)");
    EXPECT_EQ(report.summary[2], "EEPROM: 0 of 512 bytes (0.0%)");
    for (const std::string& line : report.summary) {
        EXPECT_EQ(line.find("error"), std::string::npos);
        EXPECT_EQ(line.find("warning"), std::string::npos);
    }
}

} // namespace
} // namespace avrtazu
