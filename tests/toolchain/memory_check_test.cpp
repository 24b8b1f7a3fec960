#include "avr/memory_check.h"
#include "avr/switch_parser.h"
#include "common/command_words.h"
#include "platform/golden_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace avrtazu {
namespace {

MemoryUse use(long codeStart, long code, long data, long eeprom = 0) {
    MemoryUse result;
    result.codeStart = codeStart;
    result.codeBytes = code;
    result.dataStart = 0x60;
    result.dataBytes = data;
    result.eepromBytes = eeprom;
    return result;
}

// The errors and the summary of each case are in golden/memory_check.txt.
TEST(MemoryCheckTest, ReportsWhatDoesNotFitAndSummarisesEachMemory) {
    // The memory switches of the demo Makefile (ATmega16), and of a boot loader.
    const char* const demo = "-o demo -e:0x4000 -bfunc_lit:0x54.0x4000 -dram_end:0x45f "
                             "-bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512";
    const char* const boot = "-o x -e:0x4000 -bvector:0x3c00.0x4000 -bfunc_lit:0x3c54.0x4000";
    const struct {
        const char* name;
        std::string switches;
        MemoryUse use;
    } cases[] = {
        // clang-format off
        {"fits", demo, use(0, 0x4000, 1024 - 16, 512)},
        {"code one byte too many", demo, use(0, 0x4001, 10)},
        {"an application's code area ends below the boot area", "-o x -e:0x4000 -bfunc_lit:0x54.0x3c00", use(0, 0x3c01, 0)},
        {"a boot loader starts at its vectors", boot, use(0x3c00, 0x400, 0)},
        {"a boot loader too large", boot, use(0x3c00, 0x401, 0)},
        {"program end alone limits the code", "-o x -e:0x400", use(0, 0x401, 0)},
        {"data leaves no room for the stack", demo, use(0, 100, 1024 - 15)},
        {"an open external data area ends at 0xffff and has no stack", "-o x -dram_end:0x45f -bdata:0x460. -dhwstk_size:16", use(0, 100, 0xffff - 0x460 + 1)},
        {"EEPROM too large", demo, use(0, 100, 10, 513)},
        {"EEPROM from one loses a byte", "-o x -beeprom:1.512", use(0, 0, 0, 512)},
        {"a tenth of each", demo, use(0, 1638, 102)},
        {"no switches, no limits", "-o x", use(0, 0x100000, 0x10000, 0x10000)},
        // clang-format on
    };
    std::string seen;
    for (const auto& c : cases) {
        const TazuOptions options = SwitchParser::parse(
            CommandWords::split(c.switches), [](const std::string&) { return std::nullopt; });
        EXPECT_EQ(options.errors, std::vector<std::string>{}) << c.switches;
        const MemoryReport report = MemoryCheck::check(options, c.use);
        seen += "== " + std::string(c.name) + "\n";
        for (const std::string& error : report.errors) {
            seen += "!E " + error + "\n";
        }
        for (const std::string& line : report.summary) {
            seen += line + "\n";
        }
    }
    test::expectGolden(seen, "memory_check.txt");
}

} // namespace
} // namespace avrtazu
