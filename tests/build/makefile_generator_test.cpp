#include "build/makefile_generator.h"
#include "build/makefile_numbers.h"

#include "golden.h"
#include "model/configuration.h"
#include "model/project.h"
#include "model/source_file.h"
#include "platform/log_sink.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

namespace avrtazu {
namespace {

class RecordingSink : public LogSink {
public:
    void write(LogLevel, const std::string&, const std::string& message) override {
        lines += "log: " + message + "\n";
    }
    std::string lines;
};

void bootLoader(Project& p, const char* programMemory) {
    p.setProgramType(1);
    p.setBootSize("512 Words");
    p.setProgramMemory(programMemory);
}

// The demo project C:\work\demo\ (ATMega16, main.c and uart.c, output folder default\) as it is
// and after each change: the Makefile, the log and the linker list that replaces a stale one.
TEST(MakefileGeneratorTest, SettingsShowInTheirSwitches) {
    test::ScratchDrive drive{'C'};
    test::ScratchDrive other{'D'};
    for (const char* file : {"main.c", "uart.c", "src/io.c"}) {
        drive.write(std::string("work/demo/") + file, "int x;\n");
    }
    other.write("shared/crc.v2.c", "");
    const struct {
        const char* description;
        std::function<void(Project&)> change;
    } cases[] = {
        // clang-format off
        {"the demo project", [](Project&) {}},
        {"texts compared without regard to case; a missing output directory is no error", [](Project& p) { p.setSram("internal sram"); p.setOutputFormat("hex/coff"); p.setOutputDirectory("nowhere\\"); }},
        {"directories below the project or as typed", [](Project& p) { p.addIncludeDirectory("..\\inc"); p.addIncludeDirectory("D:\\inc"); p.addAsmIncludeDirectory("asm"); p.addAsmIncludeDirectory("C:\\tools\\asm\\"); p.addLibraryDirectory("lib"); }},
        {"extension", [](Project& p) { p.setExtension(true); }},
        {"macro and undefine lists", [](Project& p) { p.setMacroDefinitions("A;;B=2;"); p.setUndefines("Y"); }},
        {"no long calls", [](Project& p) { p.setUseLongCallJmp(false); }},
        {"device with extended I/O EEPROM", [](Project& p) { p.setPart("ATMega1280"); }},
        {"both ATMega128 rows build as one device", [](Project& p) { p.setPart("ATMega128 : M103 mode"); }},
        {"Custom has no device define", [](Project& p) { p.setPart("Custom"); }},
        {"a part missing from the device table", [](Project& p) { p.setPart("atmega88"); p.setSram("External 64K SRAM"); }},
        {"strict checkings", [](Project& p) { p.setStrictCheckings(true); }},
        {"Intel HEX drops the debug switches", [](Project& p) { p.setOutputFormat("intel hex"); }},
        {"COFF", [](Project& p) { p.setOutputFormat("coff"); }},
        {"int size enum", [](Project& p) { p.setIntSizeEnum(true); }},
        {"256 KB: extended core, extended calls, own library", [](Project& p) { p.setProgramMemory("0x40000"); }},
        {"mega core without enhanced core", [](Project& p) { p.setEnhancedCore(false); }},
        {"no core switch", [](Project& p) { p.setEnhancedCore(false); p.setUseLongCallJmp(false); }},
        {"8 KB flash", [](Project& p) { p.setProgramMemory("0x2000"); }},
        {"code generation switches in order", [](Project& p) { p.setStringsInFlashOnly(true); p.setDoNotUseR20ToR23(true); p.setUseRampzElpm(true); }},
        {"boot loader", [](Project& p) { bootLoader(p, "16384"); }},
        {"application with a boot size", [](Project& p) { p.setBootSize("512 Words"); }},
        {"boot size None without regard to case", [](Project& p) { p.setProgramType(1); p.setBootSize("NONE"); }},
        {"boot loader of 128 KB", [](Project& p) { bootLoader(p, "0x20000"); }},
        {"boot loader of 256 KB", [](Project& p) { bootLoader(p, "0x40000"); }},
        {"boot loader of 512 KB", [](Project& p) { bootLoader(p, "0x80000"); }},
        {"boot loader of 4 KB", [](Project& p) { bootLoader(p, "4096"); }},
        {"own start-up file wins", [](Project& p) { bootLoader(p, "0x20000"); p.setNonDefaultStartup("mycrt.o"); }},
        {"external RAM on a kind-1 device", [](Project& p) { p.setPart("ATMega161"); p.setSram("External 64K SRAM"); }},
        {"external RAM without long calls", [](Project& p) { p.setUseLongCallJmp(false); p.setSram("External 32K SRAM"); }},
        {"external 32K SRAM with wait state", [](Project& p) { p.setSram("External 32K SRAM w/ wait state"); }},
        {"external 64K SRAM", [](Project& p) { p.setSram("External 64K SRAM"); }},
        {"external SRAM of no known size", [](Project& p) { p.setSram("External SRAM"); }},
        {"no I/O offset", [](Project& p) { p.setIORegsOffsetInternalSram(false); }},
        {"no EEPROM", [](Project& p) { p.setEeprom(""); }},
        {"EEPROM from one", [](Project& p) { p.setPart("AT90S8515"); }},
        {"texts as typed", [](Project& p) { p.setReturnStackSize("0x20 "); p.setUnusedRomFillBytes("0xFF"); p.setOtherOptions("-x1 -x2"); }},
        {"long printf", [](Project& p) { p.setPrintfVersion(1); }},
        {"float printf for 128 KB without R20 to R23", [](Project& p) { p.setPrintfVersion(2); p.setUseLongCallJmp(false); p.setProgramMemory("0x20000"); p.setDoNotUseR20ToR23(true); }},
        {"output base name ends at the first dot", [](Project& p) { p.setOutputFileName("demo.rel.cof"); }},
        {"studio I/O and additional library", [](Project& p) { p.setAvrstudioIO(true); p.setAdditionalLib("mylib"); }},
        {"command after the build", [](Project& p) { p.setEcasb("copy demo.hex C:\\burn"); }},
        {"no sources", [](Project& p) { p.removeSrcFile("C:\\work\\demo\\main.c"); p.removeSrcFile("C:\\work\\demo\\uart.c"); }},
        // A missing file has no short form; its full path still names it.
        {"sources below the project, on another drive, missing", [](Project& p) { p.removeSrcFile("C:\\work\\demo\\uart.c"); for (const char* file : {"src\\io.c", "D:\\shared\\crc.v2.c", "missing.c"}) { p.addSrcFile(SourceFile(file)); } }},
        // clang-format on
    };
    RecordingSink log;
    LogSink::install(&log);
    std::string all;
    for (const auto& c : cases) {
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
        c.change(project);
        log.lines.clear();
        drive.write("work/demo/default/demo.lk", "old.o stale.o more.o and more text");
        std::ostringstream makefile;
        writeMakefile(makefile, project);
        all += std::string("## ") + c.description + "\n" + makefile.str() + log.lines;
        all += "demo.lk: " + drive.read("work/demo/default/demo.lk") + "\n";
    }
    LogSink::install(nullptr);
    test::expectGolden("makefiles.txt", all);
}

TEST(MakefileNumbers, SettingTextBecomesNumberAndBootSizesBytes) {
    std::string numbers;
    for (const char* text :
         {"16384", "0X2a", "  -5", "12abc", "abc", "010", "ab0x", "0xffffffff", "-99999999999"}) {
        numbers += std::to_string(makefileNumber(text)) + " ";
    }
    // Out of range clamps to the ends of 32 bits.
    EXPECT_EQ(numbers, "16384 42 -5 12 0 10 2736 2147483647 -2147483648 ");
    EXPECT_EQ(hexForm(0) + " " + hexForm(0xABCDEF) + " " + hexForm(-1), "0 0xabcdef 0xffffffff");
    // Sizes ignore case but not blanks.
    EXPECT_EQ(bootSizeBytes("128 Words"), 0x100);
    EXPECT_EQ(bootSizeBytes("4k WORDS"), 0x2000);
    EXPECT_EQ(bootSizeBytes("None") + bootSizeBytes("512 Words "), 0);
}

} // namespace
} // namespace avrtazu
