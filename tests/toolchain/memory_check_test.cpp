#include "avr/memory_check.h"
#include "avr/switch_parser.h"
#include "common/command_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace avrtazu {
namespace {

using Lines = std::vector<std::string>;

// The memory switches of the example Makefile (ATmega16).
const char* const exampleSwitches =
    "-o demo -e:0x4000 -bfunc_lit:0x54.0x4000 -dram_end:0x45f -bdata:0x60.0x45f "
    "-dhwstk_size:16 -beeprom:0.512";

MemoryReport check(const std::string& switches, MemoryUse use) {
    const TazuOptions options = SwitchParser::parse(
        CommandWords::split(switches), [](const std::string&) { return std::nullopt; });
    EXPECT_EQ(options.errors, Lines{}) << switches;
    return MemoryCheck::check(options, use);
}

MemoryUse use(long codeStart, long code, long data, long eeprom = 0) {
    MemoryUse result;
    result.codeStart = codeStart;
    result.codeBytes = code;
    result.dataStart = 0x60;
    result.dataBytes = data;
    result.eepromBytes = eeprom;
    return result;
}

TEST(MemoryCheckTest, ReportsWhatDoesNotFit) {
    const char* const boot = "-o x -e:0x4000 -bvector:0x3c00.0x4000 -bfunc_lit:0x3c54.0x4000";
    const struct {
        const char* name;
        std::string switches;
        MemoryUse use;
        std::string error; // empty: fits
    } cases[] = {
        // clang-format off
        {"fits", exampleSwitches, use(0, 0x4000, 1024 - 16, 512), ""},
        {"code one byte too many", exampleSwitches, use(0, 0x4001, 10),
         "code does not fit: 16385 bytes of code and constants from address 0x0 reach 0x4001, "
         "the code area ends at 0x4000"},
        {"an application's code area ends below the boot area",
         "-o x -e:0x4000 -bfunc_lit:0x54.0x3c00", use(0, 0x3c01, 0),
         "code does not fit: 15361 bytes of code and constants from address 0x0 reach 0x3c01, "
         "the code area ends at 0x3c00"},
        {"a boot loader starts at its vectors", boot, use(0x3c00, 0x400, 0), ""},
        {"a boot loader too large", boot, use(0x3c00, 0x401, 0),
         "code does not fit: 1025 bytes of code and constants from address 0x3c00 reach 0x4001, "
         "the code area ends at 0x4000"},
        {"program end alone limits the code", "-o x -e:0x400", use(0, 0x401, 0),
         "code does not fit: 1025 bytes of code and constants from address 0x0 reach 0x401, "
         "the code area ends at 0x400"},
        {"data leaves no room for the stack", exampleSwitches, use(0, 100, 1024 - 15),
         "data does not fit: 1009 bytes of variables and a return stack of 16 bytes need more "
         "than the data area 0x60..0x45f"},
        {"an open external data area ends at 0xffff and has no stack",
         "-o x -dram_end:0x45f -bdata:0x460. -dhwstk_size:16", use(0, 100, 0xffff - 0x460 + 1), ""},
        {"EEPROM too large", exampleSwitches, use(0, 100, 10, 513),
         "EEPROM data does not fit: 513 bytes from address 0, the EEPROM holds 512 bytes"},
        {"EEPROM from one loses a byte", "-o x -beeprom:1.512", use(0, 0, 0, 512),
         "EEPROM data does not fit: 512 bytes from address 1, the EEPROM holds 512 bytes"},
        {"no switches, no limits", "-o x", use(0, 0x100000, 0x10000, 0x10000), ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        const MemoryReport report = check(c.switches, c.use);
        EXPECT_EQ(report.errors, c.error.empty() ? Lines{} : Lines{c.error}) << c.name;
    }
}

TEST(MemoryCheckTest, SummaryNamesEachMemory) {
    EXPECT_EQ(check(exampleSwitches, use(0, 1638, 102)).summary,
              (Lines{"Program memory: 1638 of 16384 bytes (10.0%)",
                     "Data memory: 102 of 1024 bytes (10.0%)", "EEPROM: 0 of 512 bytes (0.0%)"}));
    EXPECT_EQ(check("-o x", use(0, 1638, 102, 7)).summary,
              (Lines{"Program memory: 1638 bytes", "Data memory: 102 bytes", "EEPROM: 7 bytes"}));
}

} // namespace
} // namespace avrtazu
