#include "build/makefile_generator.h"
#include "build/makefile_numbers.h"

#include "build/demo_makefile.h"
#include "model/configuration.h"
#include "model/project.h"
#include "model/source_file.h"
#include "platform/log_sink.h"
#include "services/scratch_drive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::Pair;

class RecordingSink : public LogSink {
public:
    void write(LogLevel level, const std::string&, const std::string& message) override {
        lines.emplace_back(level, message);
    }
    std::vector<std::pair<LogLevel, std::string>> lines;
};

// The demo project C:\work\demo\ with main.c, uart.c and the output folder default\.
class MakefileGeneratorTest : public ::testing::Test {
protected:
    MakefileGeneratorTest() {
        drive.makeFolder("work/demo/default");
        drive.write("work/demo/main.c", "int x;\n");
        drive.write("work/demo/uart.c", "int x;\n");
        LogSink::install(&log);
    }
    ~MakefileGeneratorTest() override { LogSink::install(nullptr); }

    static Project demoProject() {
        Project project("demo", "C:\\work\\demo\\");
        Configuration config("default", "ATMega16", "demo.cof");
        config.setProgramMemory("16384");
        config.setDataMemory("1024");
        config.setEeprom("512");
        config.setTextAddressWord("0x2A");
        config.setUseLongCallJmp(true);
        config.setEnhancedCore(true);
        config.setExtension(false);
        project.addConfig(config);
        project.addSrcFile(SourceFile("C:\\work\\demo\\main.c"));
        project.addSrcFile(SourceFile("C:\\work\\demo\\uart.c"));
        return project;
    }

    static std::string makefile(const Project& project) {
        std::ostringstream out;
        writeMakefile(out, project);
        return out.str();
    }

    test::ScratchDrive drive{'C'};
    test::ScratchDrive other{'D'};
    RecordingSink log;
};

TEST_F(MakefileGeneratorTest, DemoProjectGivesTheExampleMakefileAndLinkerList) {
    drive.write("work/demo/default/demo.lk", "old.o stale.o more.o and more text\n");
    EXPECT_EQ(makefile(demoProject()), test::kDemoMakefile);
    EXPECT_EQ(drive.read("work/demo/default/demo.lk"), "main.o uart.o ");
    EXPECT_TRUE(log.lines.empty());
}

void bootLoader(Project& p, const char* programMemory) {
    p.setProgramType(1);
    p.setBootSize("512 Words");
    p.setProgramMemory(programMemory);
}

void libraries(Project& p, int printfVersion, bool longCalls, const char* programMemory,
               bool noR20) {
    p.setPrintfVersion(printfVersion);
    p.setUseLongCallJmp(longCalls);
    p.setProgramMemory(programMemory);
    p.setDoNotUseR20ToR23(noR20);
}

TEST_F(MakefileGeneratorTest, SettingsShowInTheirSwitches) {
    // A change to the demo project, texts the Makefile must hold and texts it must not.
    const struct {
        const char* description;
        std::function<void(Project&)> change;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    } cases[] = {
        // clang-format off
        {"texts compared without regard to case; a missing output directory is no error",
         [](Project& p) {
             p.setSram("internal sram"); p.setOutputFormat("hex/coff");
             p.setOutputDirectory("nowhere\\");
         },
         {test::kDemoMakefile}, {}},
        {"directories below the project or as typed",
         [](Project& p) {
             p.addIncludeDirectory("..\\inc"); p.addIncludeDirectory("D:\\inc");
             p.addAsmIncludeDirectory("asm"); p.addAsmIncludeDirectory("C:\\tools\\asm\\");
             p.addLibraryDirectory("lib");
         },
         {"CFLAGS =  -I\"C:\\work\\demo\\..\\inc\" -I\"D:\\inc\" -D__TAZU",
          " -l -g -Wa-I\"C:\\work\\demo\\asm\" -Wa-I\"C:\\tools\\asm\\\" -Mavr_enhanced ",
          "LFLAGS =  -L\"C:\\work\\demo\\lib\" -g -e:0x4000 "}, {}},
        {"extension", [](Project& p) { p.setExtension(true); },
         {"CFLAGS =  -e -D__TAZU_VERSION=\"7.13\" "}, {}},
        {"macro and undefine lists",
         [](Project& p) { p.setMacroDefinitions("A;;B=2;"); p.setUndefines("Y"); },
         {"\"7.13\" -DA -D -DB=2 -UY -DATMEGA "}, {}},
        {"no long calls", [](Project& p) { p.setUseLongCallJmp(false); },
         {"\"7.13\" -DATMega16  -l -g -Mavr_enhanced_small \n", "-e:0x4000 -bfunc_lit:",
          "@demo.lk \n"},
         {"-DATMEGA ", "-u", "-lc"}},
        {"device with extended I/O EEPROM", [](Project& p) { p.setPart("ATMega1280"); },
         {"-DATMEGA -D_EE_EXTIO -DATMega1280  -l "}, {}},
        {"both ATMega128 rows build as one device",
         [](Project& p) { p.setPart("ATMega128 : M103 mode"); },
         {"-DATMEGA -DATMega128  -l "}, {": M103"}},
        {"Custom has no device define", [](Project& p) { p.setPart("Custom"); },
         {"-DATMEGA  -l "}, {"-DCustom"}},
        {"strict checkings", [](Project& p) { p.setStrictCheckings(true); },
         {"  -l -A -A -g "}, {}},
        {"Intel HEX drops the debug switches", [](Project& p) { p.setOutputFormat("intel hex"); },
         {"  -l -Mavr_enhanced ", "ASFLAGS = $(CFLAGS) \n", "LFLAGS =  -e:0x4000 ",
          " -fintelhex -S2 \n"},
         {"-g "}},
        {"COFF", [](Project& p) { p.setOutputFormat("coff"); },
         {"  -l -g ", " -fcoff -S2 \n"}, {"-fihx"}},
        {"int size enum", [](Project& p) { p.setIntSizeEnum(true); },
         {" -g -Wf-intenum -Mavr_enhanced "}, {}},
        {"256 KB: extended core, extended calls, own library",
         [](Project& p) { p.setProgramMemory("0x40000"); },
         {" -Mavr_extended \n", "-e:0x40000 -xcall -ucrtatmega.o ", "@demo.lk -lcatm256 \n"},
         {"-Mavr_enhanced"}},
        {"mega core without enhanced core", [](Project& p) { p.setEnhancedCore(false); },
         {" -g -Mavr_mega \n"}, {}},
        {"no core switch",
         [](Project& p) { p.setEnhancedCore(false); p.setUseLongCallJmp(false); },
         {"  -l -g \n"}, {"-M"}},
        {"8 KB flash", [](Project& p) { p.setProgramMemory("0x2000"); },
         {" -Mavr_enhanced -Wa-W \n", " -e:0x2000 -Wl-W -ucrtatmega.o "}, {"-xcall"}},
        {"code generation switches in order",
         [](Project& p) {
             p.setStringsInFlashOnly(true); p.setDoNotUseR20ToR23(true); p.setUseRampzElpm(true);
         },
         {" -Mavr_enhanced -Wf-str_in_flash -Wf-r20_23 -Wf-use_elpm \n",
          "@demo.lk -lcatmegagr \n"}, {}},
        {"boot loader", [](Project& p) { bootLoader(p, "16384"); },
         {"LFLAGS =  -g -e:0x4000 -ucrtboot.o -bvector:0x3c00.0x4000 -bfunc_lit:0x3c54.0x4000"
          " -dram_end:0x45f -bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 \n"},
         {}},
        {"application with a boot size", [](Project& p) { p.setBootSize("512 Words"); },
         {"LFLAGS =  -g -e:0x4000 -ucrtatmega.o -bfunc_lit:0x54.0x3c00"
          " -dram_end:0x45f -bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 \n"},
         {}},
        {"boot size None without regard to case",
         [](Project& p) { p.setProgramType(1); p.setBootSize("NONE"); },
         {"-ucrtboot.o -bfunc_lit:0x4054.0x4000 "}, {"-bvector"}},
        {"boot loader of 128 KB", [](Project& p) { bootLoader(p, "0x20000"); },
         {"-e:0x20000 -ucrtboot128.o -bvector:0x1fc00.0x20000 ", "@demo.lk -lcatmega \n"}, {}},
        {"boot loader of 256 KB", [](Project& p) { bootLoader(p, "0x40000"); },
         {"-e:0x40000 -xcall -ucrtboot256.o "}, {}},
        {"boot loader of 512 KB", [](Project& p) { bootLoader(p, "0x80000"); },
         {"-xcall -ucrtboot512.o "}, {}},
        {"boot loader of 4 KB", [](Project& p) { bootLoader(p, "4096"); },
         {"-ucrtboot8k.o "}, {"-Wl-W"}},
        {"own start-up file wins",
         [](Project& p) { bootLoader(p, "0x20000"); p.setNonDefaultStartup("mycrt.o"); },
         {" -umycrt.o -bvector:"}, {"crtboot"}},
        {"external RAM on a kind-1 device",
         [](Project& p) { p.setPart("ATMega161"); p.setSram("External 64K SRAM"); },
         {" -ucrtatmegaram.o "}, {}},
        {"external RAM without long calls",
         [](Project& p) { p.setUseLongCallJmp(false); p.setSram("External 32K SRAM"); },
         {" -ucrtavrram.o "}, {}},
        {"external 32K SRAM with wait state",
         [](Project& p) { p.setSram("External 32K SRAM w/ wait state"); },
         {" -dram_end:0x45f -bdata:0x460.0x7fff -dFRAM:0 -dhwstk_size:16 "}, {}},
        {"external 64K SRAM", [](Project& p) { p.setSram("External 64K SRAM"); },
         {" -ucrtnewram.o ", " -bdata:0x460.0xffff -dFRAM:1 "}, {}},
        {"external SRAM of no known size", [](Project& p) { p.setSram("External SRAM"); },
         {" -bdata:0x460. -dFRAM:1 "}, {}},
        {"no I/O offset", [](Project& p) { p.setIORegsOffsetInternalSram(false); },
         {" -dram_end:0x3ff -bdata:0x60.0x3ff "}, {}},
        {"no EEPROM", [](Project& p) { p.setEeprom(""); },
         {"-dhwstk_size:16 -fihx_coff"}, {"-beeprom"}},
        {"EEPROM from one", [](Project& p) { p.setPart("AT90S8515"); },
         {" -beeprom:1.512 "}, {}},
        {"texts as typed",
         [](Project& p) {
             p.setReturnStackSize("0x20 "); p.setUnusedRomFillBytes("0xFF");
             p.setOtherOptions("-x1 -x2");
         },
         {" -dhwstk_size:0x20  -beeprom:0.512 -fihx_coff -F0xFF -x1 -x2 -S2 \n"}, {}},
        {"long printf", [](Project& p) { libraries(p, 1, true, "16384", false); },
         {"@demo.lk -llpatmega -lcatmega \n"}, {}},
        {"float printf for 128 KB without R20 to R23",
         [](Project& p) { libraries(p, 2, false, "0x20000", true); },
         {"@demo.lk -lfpatm128gr -lcatm128gr \n"}, {}},
        {"output base name ends at the first dot",
         [](Project& p) { p.setOutputFileName("demo.rel.cof"); },
         {"\t$(CC) -o demo $(LFLAGS) @demo.lk "}, {}},
        {"studio I/O and additional library",
         [](Project& p) { p.setAvrstudioIO(true); p.setAdditionalLib("mylib"); },
         {"@demo.lk -lstudio -lmylib -lcatmega \n"}, {}},
        {"command after the build", [](Project& p) { p.setEcasb("copy demo.hex C:\\burn"); },
         {"@demo.lk -lcatmega \n\tcopy demo.hex C:\\burn\nmain.o: \n"}, {}},
        {"no sources",
         [](Project& p) {
             p.removeSrcFile("C:\\work\\demo\\main.c"); p.removeSrcFile("C:\\work\\demo\\uart.c");
         },
         {"FILES = \n\ndemo:\t$(FILES)\n\t$(CC) -o demo $(LFLAGS) @demo.lk -lcatmega \n\n"},
         {".o:"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        Project project = demoProject();
        c.change(project);
        const std::string text = makefile(project);
        for (const std::string& fragment : c.present) {
            EXPECT_THAT(text, HasSubstr(fragment));
        }
        for (const std::string& fragment : c.absent) {
            EXPECT_THAT(text, Not(HasSubstr(fragment)));
        }
    }
}

TEST_F(MakefileGeneratorTest, SourcePathsAndObjectNames) {
    drive.write("work/demo/src/io.c", "");
    other.write("shared/crc.v2.c", "");
    Project project = demoProject();
    project.removeSrcFile("C:\\work\\demo\\uart.c");
    for (const char* file : {"src\\io.c", "D:\\shared\\crc.v2.c", "missing.c"}) {
        project.addSrcFile(SourceFile(file));
    }
    // A file that is missing has no short form; its full path still names it.
    const std::string text = makefile(project);
    EXPECT_THAT(text, HasSubstr("FILES = main.o io.o crc.v2.o missing.o \n"));
    EXPECT_THAT(text, HasSubstr("io.o: \nio.o:\tC:\\work\\demo\\src\\io.c\n"
                                "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\src\\io.c\n"
                                "crc.v2.o: \ncrc.v2.o:\tD:\\shared\\crc.v2.c\n"
                                "\t$(CC) -c $(CFLAGS) D:\\shared\\crc.v2.c\n"
                                "missing.o: \nmissing.o:\tC:\\work\\demo\\missing.c\n"
                                "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\missing.c\n\n"));
    EXPECT_EQ(drive.read("work/demo/default/demo.lk"), "main.o io.o crc.v2.o missing.o ");
}

TEST_F(MakefileGeneratorTest, LinkerListGoesToAnAbsoluteOutputDirectory) {
    other.makeFolder("out");
    Project project = demoProject();
    project.setOutputDirectory("D:\\out\\");
    makefile(project);
    EXPECT_EQ(other.read("out/demo.lk"), "main.o uart.o ");
    EXPECT_FALSE(drive.exists("work/demo/default/demo.lk"));
}

TEST_F(MakefileGeneratorTest, UnknownPartLeavesOutDeviceSwitchesAndWarns) {
    Project project = demoProject();
    project.setPart("atmega88");
    project.setSram("External 64K SRAM");
    const std::string text = makefile(project);
    EXPECT_THAT(text,
                HasSubstr("CFLAGS =  -D__TAZU_VERSION=\"7.13\" -DATMEGA  -l -g -Mavr_enhanced \n"));
    EXPECT_THAT(text, HasSubstr(" -ucrtnewram.o "));
    EXPECT_THAT(text, HasSubstr(" -beeprom:0.512 "));
    EXPECT_THAT(log.lines, ElementsAre(Pair(LogLevel::Warning,
                                            "The part \"atmega88\" is not in the device table; "
                                            "the Makefile has no device-dependent switches.")));
}

TEST_F(MakefileGeneratorTest, ProjectWithoutActiveConfigurationThrows) {
    std::ostringstream out;
    EXPECT_THROW(writeMakefile(out, Project("demo", "C:\\work\\demo\\")), std::runtime_error);
}

TEST(MakefileNumbers, SettingTextBecomesNumber) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        // clang-format off
        {"16384", 16384}, {"0X2a", 42}, {"  -5", -5}, {"12abc", 12}, {"abc", 0}, {"010", 10},
        {"ab0x", 0xab0}, {"0xffffffff", std::numeric_limits<std::int32_t>::max()},
        {"-99999999999", std::numeric_limits<std::int32_t>::min()},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(makefileNumber(c.text), c.value) << '"' << c.text << '"';
    }
    EXPECT_EQ(hexForm(0), "0");
    EXPECT_EQ(hexForm(0xABCDEF), "0xabcdef");
    EXPECT_EQ(hexForm(-1), "0xffffffff");
}

TEST(MakefileNumbers, BootSizesIgnoreCaseButNotBlanks) {
    EXPECT_EQ(bootSizeBytes("128 Words"), 0x100);
    EXPECT_EQ(bootSizeBytes("4k WORDS"), 0x2000);
    EXPECT_EQ(bootSizeBytes("None"), 0);
    EXPECT_EQ(bootSizeBytes("512 Words "), 0);
}

} // namespace
} // namespace avrtazu
