#include "avr/gcc_command.h"
#include "avr/switch_parser.h"
#include "common/command_words.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace avrtazu {
namespace {

using testing::Contains;
using testing::Not;
using Words = std::vector<std::string>;

// List files: demo.lk names two objects, loop.lk names itself, others are missing.
std::optional<std::string> listFile(const std::string& name) {
    if (name == "demo.lk") {
        return "main.o uart.o ";
    }
    return name == "loop.lk" ? std::optional<std::string>("@loop.lk") : std::nullopt;
}

TazuOptions parseLine(const std::string& line) {
    return SwitchParser::parse(CommandWords::split(line), listFile);
}

// Switch lines, the avr-gcc arguments they must give and those they must not.
struct ArgumentCase {
    std::string line;
    Words present;
    Words absent;
    std::string source = "/p/main.c";
    bool withPrintf = true;
};

void expectArguments(const ArgumentCase& c, const Words& arguments) {
    for (const std::string& word : c.present) {
        EXPECT_THAT(arguments, Contains(word)) << c.line << " " << c.source;
    }
    for (const std::string& word : c.absent) {
        EXPECT_THAT(arguments, Not(Contains(word))) << c.line << " " << c.source;
    }
}

TEST(CommandWordsTest, QuotesGroupAndBackslashesStay) {
    EXPECT_EQ(CommandWords::split("tazuavr -I\"C:\\my inc\\\" -D__TAZU_VERSION=\"7.13\"  x.c"),
              (Words{"tazuavr", "-IC:\\my inc\\", "-D__TAZU_VERSION=7.13", "x.c"}));
    EXPECT_EQ(CommandWords::split("a \"\" b\r\n"), (Words{"a", "", "b"}));
    EXPECT_TRUE(CommandWords::split(" \t\r\n").empty());
}

TEST(GccCommandTest, CompileSwitchesBecomeAvrGccArguments) {
    const ArgumentCase cases[] = {
        // clang-format off
        {"-c", {"-mmcu=atmega16", "-c", "-Os", "-Wall", "-std=c99", "-fshort-enums", "-MMD", "-MF",
                "dep/main.o.d.gcc", "-MT", "main.o", "-Wa,--defsym=__tazu_mcu_atmega16=0", "-o",
                "main.o", "/p/main.c"},
         {"-gdwarf-2", "-Wpedantic", "-Wa,-adhlns=main.lst"}},
        {"-c -I\"C:\\inc\\\" -I/other", {"-I/mC:\\inc\\", "-I/m/other"}, {}},
        {"-c -DA -DB=2 -D -UC", {"-DA", "-DB=2", "-UC"}, {"-D"}},
        {"-c -e", {"-std=gnu99"}, {"-std=c99"}},
        {"-c -A", {"-Wpedantic"}, {"-Wextra"}},
        {"-c -A -A", {"-Wpedantic", "-Wextra", "-Wstrict-prototypes"}, {}},
        {"-c -g -l", {"-gdwarf-2", "-Wa,-adhlns=main.lst"}, {}},
        {"-c -Wf-intenum", {}, {"-fshort-enums"}},
        {"-c -Wf-r20_23", {"-ffixed-r20", "-ffixed-r21", "-ffixed-r22", "-ffixed-r23"}, {}},
        {"-c -Wf-str_in_flash", {"-D__TAZU_STR_IN_FLASH=1"}, {}},
        {"-c -Wa-g -Wa-I\"/ai\"", {}, {"-Wa,--gdwarf-2", "-I/m/ai", "-x"}},
        {"-c -Wa-g -Wa-I\"/ai\"",
         {"-x", "assembler-with-cpp", "-Wa,--gdwarf-2", "-I/m/ai", "-Wa,-I/m/ai"},
         {"-std=c99"}, "/p/start.S"},
        {"-c", {"-std=c++11"}, {"-std=c99"}, "/p/main.cpp"},
        {"-c -e", {"-std=gnu++11"}, {}, "/p/main.cc"},
        // clang-format on
    };
    for (const ArgumentCase& c : cases) {
        const TazuOptions options = parseLine(c.line);
        EXPECT_EQ(options.errors, Words{}) << c.line;
        const CompileJob job{c.source, "main.o", "dep/main.o.d.gcc", "main.lst"};
        // Folders are mapped, here by a prefix.
        expectArguments(c,
                        GccCommand::compile(options, "atmega16", job,
                                            [](const std::string& path) { return "/m" + path; }));
    }
}

TEST(GccCommandTest, LinkSwitchesBecomeAvrGccArguments) {
    const ArgumentCase cases[] = {
        // clang-format off
        {"-o demo -g -e:0x4000 -ucrtatmega.o -bfunc_lit:0x54.0x4000 -dram_end:0x45f "
         "-bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 @demo.lk -lcatmega",
         {"-mmcu=atmega16", "-o", "demo.cof", "main.o", "uart.o", "-Wl,-Map=demo.mp", "-Wl,--cref",
          "-Wl,--section-start=.data=0x800060", "-Wl,--defsym=__stack=0x45f", "-Wl,-u,vfprintf",
          "-lprintf_min", "-lm", "-Wl,--defsym=__TEXT_REGION_LENGTH__=0x400000",
          "-Wl,--defsym=__DATA_REGION_ORIGIN__=0x800060",
          "-Wl,--defsym=__DATA_REGION_LENGTH__=0xffa0"},
         {"-nostartfiles", "-Wl,--section-start=.eeprom=0x810000", "-lcatmega", "-Wl,--relax"}},
        {"-o demo -llpatmega -lcatmega", {"-lm"},
         {"-lprintf_min", "-lprintf_flt", "-Wl,-u,vfprintf"}},
        {"-o demo -lfpatm128gr -lcatm128gr", {"-Wl,-u,vfprintf", "-lprintf_flt"}, {"-lprintf_min"}},
        // The printf choice waits for a program that prints.
        {"-o demo -lfpatmega -lcatmega", {}, {"-lprintf_flt", "-Wl,-u,vfprintf"}, "", false},
        {"-o demo -bvector:0x3c00.0x4000 -ucrtboot.o", {"-Wl,--section-start=.text=0x3c00"}, {}},
        {"-o demo -beeprom:1.128", {"-Wl,--section-start=.eeprom=0x810001"}, {}},
        {"-o demo -Wl-W", {"-Wl,--relax", "-Wl,--pmem-wrap-around=8k"}, {}},
        {"-o demo -L\"/libs\" -lstudio -lmine", {"-lmine"}, {"-lstudio"}},
        // clang-format on
    };
    for (const ArgumentCase& c : cases) {
        const TazuOptions options = parseLine(c.line);
        EXPECT_EQ(options.errors, Words{}) << c.line;
        LinkJob job;
        job.inputs = options.inputs;
        job.elf = options.outputBase + ".cof";
        job.map = options.outputBase + ".mp";
        expectArguments(c, GccCommand::link(options, "atmega16", job, c.withPrintf));
    }
}

// The memory areas show in the link arguments and the memory check; the rest here.
TEST(SwitchParserTest, ReadsTheValuesOfTheSwitches) {
    TazuOptions o = parseLine("-o demo -dFRAM:1 -F255 -S2 -ucrtnewram.o -fintelhex -Mavr_mega "
                              "-xcall -L\"C:\\lib\" -lcavrgr -lstudio x.o");
    EXPECT_EQ(o.errors, Words{});
    EXPECT_EQ(o.externalRamFast, 1);
    EXPECT_EQ(o.fillByte, 255);
    EXPECT_EQ(o.summaryLevel, 2);
    EXPECT_EQ(o.startupFile, "crtnewram.o");
    EXPECT_EQ(o.format, OutputFormat::HexOnly);
    EXPECT_EQ(o.core, CoreKind::Mega);
    EXPECT_TRUE(o.extendedCalls);
    EXPECT_EQ(o.libraryFolders, Words{"C:\\lib"});
    EXPECT_EQ(o.libraryFamily, "avrgr");
    EXPECT_TRUE(o.studioIo);

    o = parseLine("-c -DATMEGA -DATMega128 -Mavr_enhanced -fcoff -Wf-use_elpm -Wa-W");
    EXPECT_EQ(o.errors, Words{});
    EXPECT_EQ(o.device, "ATMega128");
    EXPECT_EQ(o.core, CoreKind::Enhanced);
    EXPECT_EQ(o.format, OutputFormat::CoffOnly);
    EXPECT_TRUE(o.useElpm && o.wrapAround);
    EXPECT_EQ(parseLine("-c -Mavr_enhanced_small").core, CoreKind::EnhancedSmall);
    EXPECT_EQ(parseLine("-c -Mavr_extended -fihx_coff").core, CoreKind::Extended);
}

TEST(SwitchParserTest, BadSwitchesAreReportedByName) {
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"-c -Zfoo", "unknown switch -Zfoo"},
        {"-o x -e:abc", "invalid number in switch -e:abc"},
        {"-o x -bdata:0x60", "switch -bdata:0x60 needs an area start.end"},
        {"-o x -bdata:x.1", "invalid start address in switch -bdata:x.1"},
        {"-o x -bdata:0.y", "invalid end address in switch -bdata:0.y"},
        {"-o x -F0x100", "fill byte out of range in switch -F0x100"},
        {"-o x -dFRAM:2", "switch -dFRAM:2 takes 0 or 1"},
        {"-o x @gone.lk", "cannot open list file gone.lk"},
        {"-o x @loop.lk", "list file loop.lk names itself"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseLine(c.line).errors, Words{c.message}) << c.line;
    }
}

TEST(SwitchParserTest, NumbersTakeTheirBase) {
    EXPECT_EQ(SwitchParser::number("0x4000"), 0x4000);
    EXPECT_EQ(SwitchParser::number("16384"), 16384);
    EXPECT_EQ(SwitchParser::number("010"), 8);
    EXPECT_FALSE(SwitchParser::number(""));
    EXPECT_FALSE(SwitchParser::number("12k"));
    EXPECT_FALSE(SwitchParser::number("-1"));
}

TEST(GccCommandTest, HexWithFillPadsToTheCodeAreaEnd) {
    const Words filled = GccCommand::hex(
        parseLine("-o demo -e:0x4000 -bfunc_lit:0x54.0x3c00 -F0xff"), "demo.cof", "demo.hex");
    EXPECT_EQ(Words(filled.end() - 6, filled.end()),
              (Words{"--gap-fill", "0xff", "--pad-to", "0x3c00", "demo.cof", "demo.hex"}));
    EXPECT_THAT(GccCommand::hex(parseLine("-o demo"), "demo.cof", "demo.hex"),
                Not(Contains("--gap-fill")));
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
