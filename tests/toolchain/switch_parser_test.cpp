#include "avr/gcc_command.h"
#include "avr/switch_parser.h"
#include "common/command_words.h"
#include "platform/golden_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace avrtazu {
namespace {

using Words = std::vector<std::string>;

// List files: demo.lk names two objects, loop.lk names itself, others are missing.
TazuOptions parseLine(const std::string& line) {
    return SwitchParser::parse(CommandWords::split(line), [](const std::string& name) {
        return name == "demo.lk"   ? std::optional<std::string>("main.o uart.o ")
               : name == "loop.lk" ? std::optional<std::string>("@loop.lk")
                                   : std::nullopt;
    });
}

TEST(CommandWordsTest, QuotesGroupAndBackslashesStay) {
    EXPECT_EQ(CommandWords::split("tazuavr -I\"C:\\my inc\\\" -D__TAZU_VERSION=\"7.13\"  x.c"),
              (Words{"tazuavr", "-IC:\\my inc\\", "-D__TAZU_VERSION=7.13", "x.c"}));
    EXPECT_EQ(CommandWords::split("a \"\" b\r\n"), (Words{"a", "", "b"}));
    EXPECT_TRUE(CommandWords::split(" \t\r\n").empty());
}

// The avr-gcc and avr-objcopy arguments of each switch line are in golden/gcc_arguments.txt.
TEST(GccCommandTest, SwitchesBecomeAvrGccArguments) {
    const std::pair<const char*, const char*> compiles[] = {
        // clang-format off
        {"-c", "/p/main.c"}, {"-c -I\"C:\\inc\\\" -I/other", "/p/main.c"},
        {"-c -DA -DB=2 -D -UC", "/p/main.c"}, {"-c -e", "/p/main.c"}, {"-c -A", "/p/main.c"},
        {"-c -A -A", "/p/main.c"}, {"-c -g -l", "/p/main.c"}, {"-c -Wf-intenum", "/p/main.c"},
        {"-c -Wf-r20_23", "/p/main.c"}, {"-c -Wf-str_in_flash", "/p/main.c"},
        {"-c -Wa-g -Wa-I\"/ai\"", "/p/main.c"}, {"-c -Wa-g -Wa-I\"/ai\"", "/p/start.S"},
        {"-c", "/p/main.cpp"}, {"-c -e", "/p/main.cc"},
        // clang-format on
    };
    const std::pair<const char*, bool> links[] = {
        // clang-format off
        {"-o demo -g -e:0x4000 -ucrtatmega.o -bfunc_lit:0x54.0x4000 -dram_end:0x45f -bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 @demo.lk -lcatmega", true},
        {"-o demo -llpatmega -lcatmega", true}, {"-o demo -lfpatm128gr -lcatm128gr", true},
        // The printf choice waits for a program that prints.
        {"-o demo -lfpatmega -lcatmega", false},
        {"-o demo -bvector:0x3c00.0x4000 -ucrtboot.o", true}, {"-o demo -beeprom:1.128", true},
        {"-o demo -Wl-W", true}, {"-o demo -L\"/libs\" -lstudio -lmine", true},
        // clang-format on
    };
    std::string seen;
    const auto add = [&seen](const std::string& title, const TazuOptions& options,
                             const Words& arguments) {
        EXPECT_EQ(options.errors, Words{}) << title;
        seen += "== " + title + "\n";
        for (const std::string& word : arguments) {
            seen += " " + word;
        }
        seen += "\n";
    };
    for (const auto& [line, source] : compiles) {
        const TazuOptions options = parseLine(line);
        // Folders are mapped, here by a prefix.
        add(std::string(line) + " " + source, options,
            GccCommand::compile(options, "atmega16", {source, "main.o", "dep/main.o.d", "main.lst"},
                                [](const std::string& path) { return "/m" + path; }));
    }
    for (const auto& [line, withPrintf] : links) {
        const TazuOptions options = parseLine(line);
        LinkJob job;
        job.inputs = options.inputs;
        job.elf = options.outputBase + ".cof";
        job.map = options.outputBase + ".mp";
        add(line + std::string(withPrintf ? "" : " (prints nothing)"), options,
            GccCommand::link(options, "atmega16", job, withPrintf));
    }
    for (const char* line : {"-o demo -e:0x4000 -bfunc_lit:0x54.0x3c00 -F0xff", "-o demo"}) {
        add(line + std::string(" (hex)"), parseLine(line),
            GccCommand::hex(parseLine(line), "demo.cof", "demo.hex"));
    }
    test::expectGolden(seen, "gcc_arguments.txt");
}

// The memory areas show in the link arguments and the memory check; the rest here.
TEST(SwitchParserTest, ReadsTheValuesOfTheSwitches) {
    TazuOptions o = parseLine("-o demo -dFRAM:1 -F255 -S2 -ucrtnewram.o -fintelhex -Mavr_mega "
                              "-xcall -L\"C:\\lib\" -lcavrgr -lstudio x.o");
    EXPECT_EQ(o.errors, Words{});
    EXPECT_EQ(std::tuple(o.externalRamFast, o.fillByte, o.summaryLevel, o.startupFile),
              std::tuple(1, 255, 2, "crtnewram.o"));
    EXPECT_EQ(std::tuple(o.format, o.core, o.extendedCalls, o.libraryFamily, o.studioIo),
              std::tuple(OutputFormat::HexOnly, CoreKind::Mega, true, "avrgr", true));
    EXPECT_EQ(o.libraryFolders, Words{"C:\\lib"});
    o = parseLine("-c -DATMEGA -DATMega128 -Mavr_enhanced -fcoff -Wf-use_elpm -Wa-W");
    EXPECT_EQ(o.errors, Words{});
    EXPECT_EQ(std::tuple(o.device, o.core, o.format, o.useElpm, o.wrapAround),
              std::tuple("ATMega128", CoreKind::Enhanced, OutputFormat::CoffOnly, true, true));
    EXPECT_EQ(parseLine("-c -Mavr_enhanced_small").core, CoreKind::EnhancedSmall);
    EXPECT_EQ(parseLine("-c -Mavr_extended -fihx_coff").core, CoreKind::Extended);
}

TEST(SwitchParserTest, BadSwitchesAreReportedByName) {
    const std::pair<const char*, const char*> cases[] = {
        // clang-format off
        {"-c -Zfoo", "unknown switch -Zfoo"}, {"-o x -e:abc", "invalid number in switch -e:abc"},
        {"-o x -bdata:0x60", "switch -bdata:0x60 needs an area start.end"},
        {"-o x -bdata:x.1", "invalid start address in switch -bdata:x.1"},
        {"-o x -bdata:0.y", "invalid end address in switch -bdata:0.y"},
        {"-o x -F0x100", "fill byte out of range in switch -F0x100"},
        {"-o x -dFRAM:2", "switch -dFRAM:2 takes 0 or 1"},
        {"-o x @gone.lk", "cannot open list file gone.lk"}, {"-o x @loop.lk", "list file loop.lk names itself"},
        // clang-format on
    };
    for (const auto& [line, message] : cases) {
        EXPECT_EQ(parseLine(line).errors, Words{message}) << line;
    }
    EXPECT_EQ(SwitchParser::number("0x4000"), 0x4000);
    EXPECT_EQ(SwitchParser::number("16384"), 16384);
    EXPECT_EQ(SwitchParser::number("010"), 8);
    for (const char* bad : {"", "12k", "-1"}) {
        EXPECT_FALSE(SwitchParser::number(bad)) << bad;
    }
}

TEST(GccCommandTest, StartupFilesOfTheToolchain) {
    for (const char* name : {"crtatmega.o", "crtboot128.o", "CRTAVR.O"}) {
        EXPECT_TRUE(GccCommand::isStandardStartup(name)) << name;
        EXPECT_FALSE(GccCommand::isExternalRamStartup(name)) << name;
    }
    for (const char* name : {"crtatmegaram.o", "crtnewram.o", "crtavrram.o"}) {
        EXPECT_TRUE(GccCommand::isExternalRamStartup(name)) << name;
        EXPECT_TRUE(GccCommand::isStandardStartup(name)) << name;
    }
    EXPECT_FALSE(GccCommand::isStandardStartup("mystart.o"));
}

} // namespace
} // namespace avrtazu
