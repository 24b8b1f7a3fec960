#include "avr/gcc_command.h"
#include "avr/switch_parser.h"
#include "common/command_words.h"
#include "platform/drive_map.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using testing::Contains;
using testing::HasSubstr;
using testing::Not;
using Words = std::vector<std::string>;

std::optional<std::string> noListFiles(const std::string&) {
    return std::nullopt;
}

TazuOptions parseLine(const std::string& line) {
    return SwitchParser::parse(CommandWords::split(line), noListFiles);
}

std::string identity(const std::string& path) {
    return path;
}

Words compileArguments(const std::string& line, const std::string& source = "/p/main.c") {
    const TazuOptions options = parseLine(line);
    EXPECT_TRUE(options.errors.empty()) << options.errors.front();
    CompileJob job{source, "main.o", "dep/main.o.d.gcc", "main.lst"};
    return GccCommand::compile(options, "atmega16", job, identity);
}

Words linkArguments(const std::string& line, bool withPrintf = true) {
    const TazuOptions options = parseLine(line);
    EXPECT_TRUE(options.errors.empty()) << options.errors.front();
    LinkJob job;
    job.inputs = {"main.o"};
    job.elf = "demo.cof";
    job.map = "demo.mp";
    return GccCommand::link(options, "atmega16", job, withPrintf);
}

TEST(CommandWordsTest, QuotesGroupAndBackslashesStay) {
    EXPECT_EQ(CommandWords::split("tazuavr -I\"C:\\my inc\\\" -D__TAZU_VERSION=\"7.13\"  x.c"),
              (Words{"tazuavr", "-IC:\\my inc\\", "-D__TAZU_VERSION=7.13", "x.c"}));
    EXPECT_EQ(CommandWords::split("main.o uart.o "), (Words{"main.o", "uart.o"}));
    EXPECT_EQ(CommandWords::split("a \"\" b"), (Words{"a", "", "b"}));
    EXPECT_TRUE(CommandWords::split(" \t\r\n").empty());
}

struct CompileCase {
    const char* name;
    std::string line;
    Words present;
    Words absent;
};

class CompileSwitchTest : public testing::TestWithParam<CompileCase> {};

TEST_P(CompileSwitchTest, BecomesAvrGccArguments) {
    const CompileCase& c = GetParam();
    const Words arguments = compileArguments(c.line);
    for (const std::string& word : c.present) {
        EXPECT_THAT(arguments, Contains(word)) << c.line;
    }
    for (const std::string& word : c.absent) {
        EXPECT_THAT(arguments, Not(Contains(word))) << c.line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CompileSwitchTest,
    testing::Values(
        CompileCase{"Plain",
                    "-c",
                    {"-mmcu=atmega16", "-c", "-Os", "-std=c99", "-fshort-enums", "-MMD", "-o",
                     "main.o", "/p/main.c"},
                    {"-g", "-Wpedantic"}},
        CompileCase{"Include", "-c -I\"/inc/\" -I/other", {"-I/inc/", "-I/other"}, {}},
        CompileCase{"DefinesInOrder", "-c -DA -DB=2 -D -UC", {"-DA", "-DB=2", "-UC"}, {"-D"}},
        CompileCase{"TazuVersion", "-c -D__TAZU_VERSION=\"7.13\"", {"-D__TAZU_VERSION=7.13"}, {}},
        CompileCase{"DeviceDefinePassesThrough", "-c -DATMega16", {"-DATMega16"}, {}},
        CompileCase{"Extensions", "-c -e", {"-std=gnu99"}, {"-std=c99"}},
        CompileCase{"StrictOnce", "-c -A", {"-Wpedantic"}, {"-Wextra"}},
        CompileCase{
            "StrictTwice", "-c -A -A", {"-Wpedantic", "-Wextra", "-Wstrict-prototypes"}, {}},
        CompileCase{"Debug", "-c -g", {"-gdwarf-2"}, {}},
        CompileCase{"Listing", "-c -l", {"-Wa,-adhlns=main.lst"}, {}},
        CompileCase{"IntEnums", "-c -Wf-intenum", {}, {"-fshort-enums"}},
        CompileCase{"ReservedRegisters",
                    "-c -Wf-r20_23",
                    {"-ffixed-r20", "-ffixed-r21", "-ffixed-r22", "-ffixed-r23"},
                    {}},
        CompileCase{"StringsInFlash", "-c -Wf-str_in_flash", {"-D__TAZU_STR_IN_FLASH=1"}, {}},
        CompileCase{"AssemblerSwitchesLeaveC", "-c -Wa-g -Wa-I\"/ai\"", {}, {"-Wa,--gdwarf-2"}},
        CompileCase{"CoreSwitchesAreAccepted",
                    "-c -Mavr_enhanced -Wf-use_elpm -Wa-W -Mavr_enhanced_small",
                    {},
                    {}}),
    [](const testing::TestParamInfo<CompileCase>& info) { return std::string(info.param.name); });

TEST(CompileSwitchTest, AssemblerSourcesGetTheAssemblerSwitches) {
    const Words arguments = compileArguments("-c -Wa-g -Wa-I\"/ai\"", "/p/start.s");
    EXPECT_THAT(arguments, Contains("assembler-with-cpp"));
    EXPECT_THAT(arguments, Contains("-Wa,--gdwarf-2"));
    EXPECT_THAT(arguments, Contains("-Wa,-I/ai"));
    EXPECT_THAT(arguments, Not(Contains("-std=c99")));
}

TEST(CompileSwitchTest, CppSourcesGetACppStandard) {
    EXPECT_THAT(compileArguments("-c", "/p/main.cpp"), Contains("-std=c++11"));
    EXPECT_THAT(compileArguments("-c -e", "/p/main.cc"), Contains("-std=gnu++11"));
    EXPECT_THAT(compileArguments("-c", "/p/main.cpp"), Not(Contains("-std=c99")));
}

TEST(CompileSwitchTest, WindowsFoldersAreMapped) {
    DriveMap::map('C', "/srv/c");
    const TazuOptions options = parseLine("-c -I\"C:\\work\\inc\\\"");
    CompileJob job{"/srv/c/main.c", "main.o", "dep/main.o.d.gcc", "main.lst"};
    const Words arguments = GccCommand::compile(
        options, "atmega16", job, [](const std::string& path) { return DriveMap::toLinux(path); });
    DriveMap::reset();
    EXPECT_THAT(arguments, Contains("-I/srv/c/work/inc/"));
}

struct LinkCase {
    const char* name;
    std::string line;
    Words present;
    Words absent;
};

class LinkSwitchTest : public testing::TestWithParam<LinkCase> {};

TEST_P(LinkSwitchTest, BecomesAvrGccArguments) {
    const LinkCase& c = GetParam();
    const Words arguments = linkArguments(c.line);
    for (const std::string& word : c.present) {
        EXPECT_THAT(arguments, Contains(word)) << c.line;
    }
    for (const std::string& word : c.absent) {
        EXPECT_THAT(arguments, Not(Contains(word))) << c.line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Switches, LinkSwitchTest,
    testing::Values(
        LinkCase{"ExampleLine",
                 "-o demo -g -e:0x4000 -ucrtatmega.o -bfunc_lit:0x54.0x4000 -dram_end:0x45f "
                 "-bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 -lcatmega",
                 {"-mmcu=atmega16", "-o", "demo.cof", "main.o", "-Wl,-Map=demo.mp",
                  "-Wl,--section-start=.data=0x800060", "-Wl,--defsym=__stack=0x45f",
                  "-Wl,-u,vfprintf", "-lprintf_min", "-lm",
                  "-Wl,--defsym=__TEXT_REGION_LENGTH__=0x400000",
                  "-Wl,--defsym=__DATA_REGION_ORIGIN__=0x800060"},
                 {"-nostartfiles", "-Wl,--section-start=.eeprom=0x810000", "-lcatmega"}},
        LinkCase{"LongPrintf",
                 "-o demo -llpatmega -lcatmega",
                 {"-lm"},
                 {"-lprintf_min", "-lprintf_flt", "-Wl,-u,vfprintf"}},
        LinkCase{"FloatPrintf",
                 "-o demo -lfpatm128gr -lcatm128gr",
                 {"-Wl,-u,vfprintf", "-lprintf_flt", "-lm"},
                 {"-lprintf_min"}},
        LinkCase{"BootVectors",
                 "-o demo -bvector:0x3c00.0x4000 -ucrtboot.o",
                 {"-Wl,--section-start=.text=0x3c00"},
                 {"-nostartfiles"}},
        LinkCase{"EepromFromOne",
                 "-o demo -beeprom:1.128",
                 {"-Wl,--section-start=.eeprom=0x810001"},
                 {}},
        LinkCase{"ExternalDataArea",
                 "-o demo -dram_end:0x45f -bdata:0x460.0x7fff -dFRAM:0",
                 {"-Wl,--section-start=.data=0x800460", "-Wl,--defsym=__stack=0x45f"},
                 {}},
        LinkCase{"WrapAround", "-o demo -Wl-W", {"-Wl,--relax", "-Wl,--pmem-wrap-around=8k"}, {}},
        LinkCase{"ExtraLibraries", "-o demo -L\"/libs\" -lstudio -lmine", {"-lmine"}, {"-lstudio"}},
        LinkCase{"FillAndFormats", "-o demo -F0xFF -fcoff -xcall -Mavr_extended", {}, {}}),
    [](const testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

TEST(LinkSwitchTest, PrintfChoiceWaitsForAProgramThatPrints) {
    const Words arguments = linkArguments("-o demo -lfpatmega -lcatmega", false);
    EXPECT_THAT(arguments, Not(Contains("-lprintf_flt")));
    EXPECT_THAT(arguments, Not(Contains("-Wl,-u,vfprintf")));
}

TEST(SwitchParserTest, ReadsValuesOfTheMemorySwitches) {
    const TazuOptions o =
        parseLine("-o demo -e:0x4000 -bfunc_lit:0.0x4000 -bvector:0x3c00.0x4000 -dram_end:0x45f "
                  "-bdata:0x460. -dhwstk_size:16 -beeprom:1.512 -dFRAM:1 -F255 -S2 -ucrtnewram.o "
                  "-fintelhex");
    EXPECT_TRUE(o.errors.empty());
    EXPECT_EQ(o.outputBase, "demo");
    EXPECT_EQ(o.programEnd, 0x4000);
    ASSERT_TRUE(o.codeArea);
    EXPECT_EQ(o.codeArea->start, 0);
    EXPECT_EQ(o.codeArea->end, 0x4000);
    EXPECT_EQ(o.vectorArea->start, 0x3c00);
    EXPECT_EQ(o.ramEnd, 0x45f);
    EXPECT_EQ(o.dataArea->start, 0x460);
    EXPECT_FALSE(o.dataArea->end);
    EXPECT_EQ(o.returnStackSize, 16);
    EXPECT_EQ(o.eeprom->start, 1);
    EXPECT_EQ(o.eeprom->end, 512);
    EXPECT_EQ(o.externalRamFast, 1);
    EXPECT_EQ(o.fillByte, 255);
    EXPECT_EQ(o.summaryLevel, 2);
    EXPECT_EQ(o.startupFile, "crtnewram.o");
    EXPECT_EQ(o.format, OutputFormat::HexOnly);
}

TEST(SwitchParserTest, ReadsTheCoreAndDevice) {
    TazuOptions o = parseLine("-c -DATMEGA -DATMega128 -Mavr_enhanced");
    EXPECT_EQ(o.device, "ATMega128");
    EXPECT_EQ(o.core, CoreKind::Enhanced);
    o = parseLine("-c -Mavr_enhanced_small");
    EXPECT_EQ(o.core, CoreKind::EnhancedSmall);
    EXPECT_EQ(o.device, "");
    o = parseLine("-o x -Mavr_mega -xcall");
    EXPECT_EQ(o.core, CoreKind::Mega);
    EXPECT_TRUE(o.extendedCalls);
}

TEST(SwitchParserTest, ListFilesBringTheirWords) {
    const TazuOptions o =
        SwitchParser::parse({"-o", "demo", "@demo.lk", "-lcatmega"}, [](const std::string& name) {
            return name == "demo.lk" ? std::optional<std::string>("main.o uart.o ") : std::nullopt;
        });
    EXPECT_EQ(o.inputs, (Words{"main.o", "uart.o"}));
    EXPECT_EQ(o.libraryFamily, "atmega");
}

struct BadCase {
    const char* name;
    std::string line;
    std::string message;
};

class BadSwitchTest : public testing::TestWithParam<BadCase> {};

TEST_P(BadSwitchTest, IsReportedByName) {
    const BadCase& c = GetParam();
    const TazuOptions o = parseLine(c.line);
    ASSERT_EQ(o.errors.size(), 1u) << c.line;
    EXPECT_THAT(o.errors.front(), HasSubstr(c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, BadSwitchTest,
    testing::Values(BadCase{"Unknown", "-c -Zfoo", "unknown switch -Zfoo"},
                    BadCase{"UnknownCompilerOption", "-c -Wf-bogus", "unknown switch -Wf-bogus"},
                    BadCase{"UnknownCore", "-c -Mavr_tiny", "unknown switch -Mavr_tiny"},
                    BadCase{"BadNumber", "-o x -e:abc", "-e:abc"},
                    BadCase{"AreaWithoutDot", "-o x -bdata:0x60", "-bdata:0x60"},
                    BadCase{"FillOutOfRange", "-o x -F0x100", "-F0x100"},
                    BadCase{"FramValue", "-o x -dFRAM:2", "-dFRAM:2"},
                    BadCase{"MissingListFile", "-o x @gone.lk", "gone.lk"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST(SwitchParserTest, NumbersTakeTheirBase) {
    EXPECT_EQ(SwitchParser::number("0x4000"), 0x4000);
    EXPECT_EQ(SwitchParser::number("16384"), 16384);
    EXPECT_EQ(SwitchParser::number("0"), 0);
    EXPECT_FALSE(SwitchParser::number(""));
    EXPECT_FALSE(SwitchParser::number("12k"));
    EXPECT_FALSE(SwitchParser::number("-1"));
}

TEST(GccCommandTest, HexWithFillPadsToTheCodeAreaEnd) {
    const TazuOptions options = parseLine("-o demo -e:0x4000 -bfunc_lit:0x54.0x3c00 -F0xff");
    const Words arguments = GccCommand::hex(options, "demo.cof", "demo.hex");
    EXPECT_THAT(arguments, Contains("--gap-fill"));
    EXPECT_THAT(arguments, Contains("0xff"));
    EXPECT_THAT(arguments, Contains("0x3c00"));
    EXPECT_THAT(GccCommand::hex(parseLine("-o demo"), "demo.cof", "demo.hex"),
                Not(Contains("--gap-fill")));
}

TEST(GccCommandTest, StartupFilesOfTheToolchain) {
    for (const char* name : {"crtatmega.o", "crtboot128.o", "crtboot8k.o", "CRTAVR.O"}) {
        EXPECT_TRUE(GccCommand::isStandardStartup(name)) << name;
        EXPECT_FALSE(GccCommand::isExternalRamStartup(name)) << name;
    }
    for (const char* name : {"crtatmegaram.o", "crtnewram.o", "crtavrram.o"}) {
        EXPECT_TRUE(GccCommand::isExternalRamStartup(name)) << name;
    }
    EXPECT_FALSE(GccCommand::isStandardStartup("mystart.o"));
}

} // namespace
} // namespace avrtazu
