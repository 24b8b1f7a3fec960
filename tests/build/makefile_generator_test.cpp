#include "build/makefile_generator.h"
#include "build/makefile_numbers.h"

#include "model/configuration.h"
#include "model/project.h"
#include "model/source_file.h"
#include "platform/drive_map.h"
#include "platform/log_sink.h"
#include "platform/text_file_writer.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;

const char* const DemoMakefile =
    "CC = tazuavr\n"
    "CFLAGS =  -D__TAZU_VERSION=\"7.13\" -DATMEGA -DATMega16  -l -g -Mavr_enhanced \n"
    "ASFLAGS = $(CFLAGS)  -Wa-g \n"
    "LFLAGS =  -g -e:0x4000 -ucrtatmega.o -bfunc_lit:0x54.0x4000 -dram_end:0x45f "
    "-bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 \n"
    "FILES = main.o uart.o \n"
    "\n"
    "demo:\t$(FILES)\n"
    "\t$(CC) -o demo $(LFLAGS) @demo.lk -lcatmega \n"
    "main.o: \n"
    "main.o:\tC:\\work\\demo\\main.c\n"
    "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\main.c\n"
    "uart.o: \n"
    "uart.o:\tC:\\work\\demo\\uart.c\n"
    "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\uart.c\n"
    "\n"
    ".PHONY: clean\n"
    "clean:\n"
    "\tdel /F /Q *.o *.s *.lis *.lst *.mp *.dbg *.cof *.lst *.hex\n";

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RecordingSink : public LogSink {
public:
    void write(LogLevel level, const std::string&, const std::string& message) override {
        lines.push_back({level, message});
    }
    struct Line {
        LogLevel level;
        std::string message;
    };
    std::vector<Line> lines;
};

// C: is a fresh folder holding the demo project C:\work\demo\ with main.c, uart.c and the
// output folder default\.
class MakefileGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "makefile_test_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        demo_ = root_ / "c" / "work" / "demo";
        fs::create_directories(demo_ / "default");
        fs::create_directories(root_ / "d");
        DriveMap::map('C', (root_ / "c").string());
        DriveMap::map('D', (root_ / "d").string());
        touch(demo_ / "main.c");
        touch(demo_ / "uart.c");
        LogSink::install(&log_);
    }
    void TearDown() override {
        LogSink::install(nullptr);
        DriveMap::reset();
        fs::remove_all(root_);
    }

    static void touch(const fs::path& path) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "int x;\n";
    }

    static Project demoProject() {
        Project project("demo", "C:\\work\\demo\\");
        Configuration config("default", "ATMega16", "demo.cof");
        config.setProgramMemory("16384");
        config.setDataMemory("1024");
        config.setEeprom("512");
        config.setTextAddressWord("0x2A");
        config.setDataAddressByte("0x60");
        config.setReturnStackSize("16");
        config.setUseLongCallJmp(true);
        config.setEnhancedCore(true);
        config.setIORegsOffsetInternalSram(true);
        config.setExtension(false);
        config.setSram("Internal SRAM");
        config.setProgramType(0);
        config.setBootSize("None");
        config.setPrintfVersion(0);
        config.setOutputFormat("HEX/COFF");
        config.setOutputDirectory("default\\");
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

    // The line of the Makefile that starts with `start`, with its "\n".
    static std::string lineStartingWith(const std::string& text, const std::string& start) {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(start, 0) == 0) {
                return line + "\n";
            }
        }
        return "(no line starting with " + start + ")";
    }

    fs::path root_;
    fs::path demo_;
    RecordingSink log_;
};

TEST_F(MakefileGeneratorTest, DemoProjectGivesTheExampleMakefileAndLinkerList) {
    EXPECT_EQ(makefile(demoProject()), DemoMakefile);
    EXPECT_EQ(readBytes(demo_ / "default" / "demo.lk"), "main.o uart.o ");
    EXPECT_TRUE(log_.lines.empty());
}

TEST_F(MakefileGeneratorTest, MakefileWrittenThroughTextFileHasCrLfLineEnds) {
    {
        TextFileWriter file("C:\\work\\demo\\default\\Makefile");
        ASSERT_TRUE(file.isOpen());
        writeMakefile(file, demoProject());
    }
    std::string expected;
    for (const char* c = DemoMakefile; *c != '\0'; ++c) {
        if (*c == '\n') {
            expected += '\r';
        }
        expected += *c;
    }
    EXPECT_EQ(readBytes(demo_ / "default" / "Makefile"), expected);
}

TEST_F(MakefileGeneratorTest, LinkerListIsRewrittenNotAppended) {
    std::ofstream(demo_ / "default" / "demo.lk") << "old.o stale.o more.o and more text\n";
    makefile(demoProject());
    EXPECT_EQ(readBytes(demo_ / "default" / "demo.lk"), "main.o uart.o ");
}

struct FragmentCase {
    const char* description;
    std::function<void(Project&)> change;
    const char* lineStart;
    std::vector<std::string> present;
    std::vector<std::string> absent;
};

void PrintTo(const FragmentCase& c, std::ostream* os) {
    *os << c.description;
}

class MakefileFragmentTest : public MakefileGeneratorTest,
                             public ::testing::WithParamInterface<FragmentCase> {};

std::string caseName(const ::testing::TestParamInfo<FragmentCase>& info) {
    std::string name;
    bool upper = true;
    for (const char* c = info.param.description; *c != '\0'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) {
            name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
            upper = false;
        } else {
            upper = true;
        }
    }
    return name;
}

TEST_P(MakefileFragmentTest, LineHoldsExpectedFragments) {
    const FragmentCase& c = GetParam();
    Project project = demoProject();
    c.change(project);
    const std::string line = lineStartingWith(makefile(project), c.lineStart);
    for (const std::string& fragment : c.present) {
        EXPECT_NE(line.find(fragment), std::string::npos)
            << "missing \"" << fragment << "\" in " << line;
    }
    for (const std::string& fragment : c.absent) {
        EXPECT_EQ(line.find(fragment), std::string::npos)
            << "unexpected \"" << fragment << "\" in " << line;
    }
}

// Changes to the demo project, the line they show in, fragments it must and must not hold.
// clang-format off
const FragmentCase CompilerCases[] = {
    {"relative include is below the project",
     [](Project& p) { p.addIncludeDirectory("..\\inc"); p.addIncludeDirectory("D:\\inc"); },
     "CFLAGS", {"CFLAGS =  -I\"C:\\work\\demo\\..\\inc\" -I\"D:\\inc\" -D__TAZU"}, {}},
    {"asm includes after the debug switch",
     [](Project& p) { p.addAsmIncludeDirectory("asm"); p.addAsmIncludeDirectory("C:\\tools\\asm\\"); },
     "CFLAGS", {" -l -g -Wa-I\"C:\\work\\demo\\asm\" -Wa-I\"C:\\tools\\asm\\\" -Mavr_enhanced "}, {}},
    {"extension", [](Project& p) { p.setExtension(true); },
     "CFLAGS", {"CFLAGS =  -e -D__TAZU_VERSION=\"7.13\" "}, {}},
    {"macros with trailing separator", [](Project& p) { p.setMacroDefinitions("A;B=2;"); },
     "CFLAGS", {"\"7.13\" -DA -DB=2 -DATMEGA "}, {"-D -DATMEGA"}},
    {"empty macro item", [](Project& p) { p.setMacroDefinitions("A;;B"); },
     "CFLAGS", {"\"7.13\" -DA -D -DB -DATMEGA "}, {}},
    {"blank is no separator", [](Project& p) { p.setMacroDefinitions("A B"); },
     "CFLAGS", {"\"7.13\" -DA B -DATMEGA "}, {}},
    {"lone separator", [](Project& p) { p.setMacroDefinitions(";"); },
     "CFLAGS", {"\"7.13\" -D -DATMEGA "}, {}},
    {"undefines after macros", [](Project& p) { p.setMacroDefinitions("X=1"); p.setUndefines("Y;Z"); },
     "CFLAGS", {"\"7.13\" -DX=1 -UY -UZ -DATMEGA "}, {}},
    {"no long calls", [](Project& p) { p.setUseLongCallJmp(false); },
     "CFLAGS", {"\"7.13\" -DATMega16  -l -g -Mavr_enhanced_small \n"}, {"-DATMEGA "}},
    {"extended I/O EEPROM", [](Project& p) { p.setPart("ATMega88"); },
     "CFLAGS", {"-DATMEGA -D_EE_EXTIO -DATMega88  -l "}, {}},
    {"M103 mode builds as ATMega128", [](Project& p) { p.setPart("ATMega128 : M103 mode"); },
     "CFLAGS", {"-DATMEGA -DATMega128  -l "}, {": M103"}},
    {"ATMega128 with notes", [](Project& p) { p.setPart("ATMega128 (Please see NOTES)"); },
     "CFLAGS", {"-DATMEGA -DATMega128  -l "}, {"NOTES"}},
    {"ATMega1280 keeps its name", [](Project& p) { p.setPart("ATMega1280"); },
     "CFLAGS", {"-DATMEGA -D_EE_EXTIO -DATMega1280  -l "}, {}},
    {"Custom has no device define", [](Project& p) { p.setPart("Custom"); },
     "CFLAGS", {"-DATMEGA  -l "}, {"-DCustom"}},
    {"strict checkings", [](Project& p) { p.setStrictCheckings(true); },
     "CFLAGS", {"  -l -A -A -g "}, {}},
    {"Intel HEX drops debug", [](Project& p) { p.setOutputFormat("Intel HEX"); },
     "CFLAGS", {"  -l -Mavr_enhanced "}, {"-g "}},
    {"Intel HEX without regard to case", [](Project& p) { p.setOutputFormat("intel hex"); },
     "CFLAGS", {"  -l -Mavr_enhanced "}, {"-g "}},
    {"COFF keeps debug", [](Project& p) { p.setOutputFormat("COFF"); }, "CFLAGS", {"  -l -g "}, {}},
    {"int size enum", [](Project& p) { p.setIntSizeEnum(true); },
     "CFLAGS", {" -g -Wf-intenum -Mavr_enhanced "}, {}},
    {"extended core from 256 KB", [](Project& p) { p.setProgramMemory("0x40000"); },
     "CFLAGS", {" -Mavr_extended \n"}, {"-Mavr_enhanced"}},
    {"enhanced core just below 256 KB", [](Project& p) { p.setProgramMemory("262143"); },
     "CFLAGS", {" -Mavr_enhanced \n"}, {}},
    {"mega core without enhanced core", [](Project& p) { p.setEnhancedCore(false); },
     "CFLAGS", {" -g -Mavr_mega \n"}, {}},
    {"no core switch", [](Project& p) { p.setEnhancedCore(false); p.setUseLongCallJmp(false); },
     "CFLAGS", {"  -l -g \n"}, {"-M"}},
    {"8 KB flash", [](Project& p) { p.setProgramMemory("0x2000"); },
     "CFLAGS", {" -Mavr_enhanced -Wa-W \n"}, {}},
    {"8 KB plus one", [](Project& p) { p.setProgramMemory("8193"); }, "CFLAGS", {}, {"-Wa-W"}},
    {"code generation switches in order",
     [](Project& p) { p.setStringsInFlashOnly(true); p.setDoNotUseR20ToR23(true); p.setUseRampzElpm(true); },
     "CFLAGS", {" -Mavr_enhanced -Wf-str_in_flash -Wf-r20_23 -Wf-use_elpm \n"}, {}},
    {"assembler debug follows the format", [](Project& p) { p.setOutputFormat("Intel HEX"); },
     "ASFLAGS", {"ASFLAGS = $(CFLAGS) \n"}, {"-Wa-g"}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Compiler, MakefileFragmentTest, ::testing::ValuesIn(CompilerCases),
                         caseName);

void bootLoader(Project& p, const char* programMemory) {
    p.setProgramType(1);
    p.setBootSize("512 Words");
    p.setProgramMemory(programMemory);
}

// clang-format off
const FragmentCase LinkerCases[] = {
    {"library directories", [](Project& p) { p.addLibraryDirectory("lib"); },
     "LFLAGS", {"LFLAGS =  -L\"C:\\work\\demo\\lib\" -g -e:0x4000 "}, {}},
    {"boot loader", [](Project& p) { bootLoader(p, "16384"); },
     "LFLAGS", {"LFLAGS =  -g -e:0x4000 -ucrtboot.o -bvector:0x3c00.0x4000 -bfunc_lit:0x3c54.0x4000"
                " -dram_end:0x45f -bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 \n"}, {}},
    {"application with a boot size", [](Project& p) { p.setBootSize("512 Words"); }, "LFLAGS",
     {"LFLAGS =  -g -e:0x4000 -ucrtatmega.o -bfunc_lit:0x54.0x3c00"
      " -dram_end:0x45f -bdata:0x60.0x45f -dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 \n"}, {}},
    {"boot size without regard to case",
     [](Project& p) { p.setProgramType(1); p.setBootSize("1k words"); },
     "LFLAGS", {"-bvector:0x3800.0x4000 -bfunc_lit:0x3854.0x4000 "}, {}},
    {"None without regard to case", [](Project& p) { p.setProgramType(1); p.setBootSize("NONE"); },
     "LFLAGS", {"-ucrtboot.o -bfunc_lit:0x4054.0x4000 "}, {"-bvector"}},
    {"boot loader of 128 KB in hex", [](Project& p) { bootLoader(p, "0x20000"); },
     "LFLAGS", {"-e:0x20000 -ucrtboot128.o -bvector:0x1fc00.0x20000 "}, {}},
    {"boot loader of 128 KB in decimal", [](Project& p) { bootLoader(p, "131072"); },
     "LFLAGS", {"-e:0x20000 -ucrtboot128.o "}, {}},
    {"boot loader of 256 KB", [](Project& p) { bootLoader(p, "0x40000"); },
     "LFLAGS", {"-e:0x40000 -xcall -ucrtboot256.o "}, {}},
    {"boot loader of 512 KB", [](Project& p) { bootLoader(p, "0x80000"); },
     "LFLAGS", {"-xcall -ucrtboot512.o "}, {}},
    {"boot loader of 8 KB", [](Project& p) { bootLoader(p, "8192"); },
     "LFLAGS", {"-e:0x2000 -Wl-W -ucrtboot8k.o "}, {"-xcall"}},
    {"boot loader of 4 KB", [](Project& p) { bootLoader(p, "4096"); }, "LFLAGS", {"-ucrtboot8k.o "}, {}},
    {"boot loader of 32 KB", [](Project& p) { bootLoader(p, "0x8000"); },
     "LFLAGS", {"-ucrtboot.o "}, {}},
    {"own start-up file wins",
     [](Project& p) { bootLoader(p, "0x20000"); p.setNonDefaultStartup("mycrt.o"); },
     "LFLAGS", {" -umycrt.o -bvector:"}, {"crtboot"}},
    {"external RAM on a kind-1 device",
     [](Project& p) { p.setPart("ATMega161"); p.setSram("External 64K SRAM"); },
     "LFLAGS", {" -ucrtatmegaram.o "}, {}},
    {"external RAM on a kind-2 device",
     [](Project& p) { p.setPart("ATMega1280"); p.setSram("External 32K SRAM"); },
     "LFLAGS", {" -ucrtnewram.o "}, {"crtatmegaram"}},
    {"external RAM on a device without kind", [](Project& p) { p.setSram("External 64K SRAM"); },
     "LFLAGS", {" -ucrtnewram.o "}, {}},
    {"external RAM without long calls",
     [](Project& p) { p.setUseLongCallJmp(false); p.setSram("External 32K SRAM"); },
     "LFLAGS", {" -ucrtavrram.o "}, {}},
    {"driver's start-up file", [](Project& p) { p.setUseLongCallJmp(false); },
     "LFLAGS", {"-e:0x4000 -bfunc_lit:"}, {"-u"}},
    {"internal SRAM without regard to case", [](Project& p) { p.setSram("internal sram"); },
     "LFLAGS", {"-ucrtatmega.o ", "-bdata:0x60.0x45f -dhwstk"}, {"FRAM"}},
    {"external 32K SRAM with wait state",
     [](Project& p) { p.setSram("External 32K SRAM w/ wait state"); },
     "LFLAGS", {" -dram_end:0x45f -bdata:0x460.0x7fff -dFRAM:0 -dhwstk_size:16 "}, {}},
    {"external 64K SRAM", [](Project& p) { p.setSram("External 64K SRAM"); },
     "LFLAGS", {" -bdata:0x460.0xffff -dFRAM:1 "}, {}},
    {"external 64K SRAM with wait state",
     [](Project& p) { p.setSram("External 64K SRAM w/ wait state"); },
     "LFLAGS", {" -bdata:0x460.0xffff -dFRAM:0 "}, {}},
    {"external SRAM of no known size", [](Project& p) { p.setSram("External SRAM"); },
     "LFLAGS", {" -bdata:0x460. -dFRAM:1 "}, {}},
    {"no I/O offset", [](Project& p) { p.setIORegsOffsetInternalSram(false); },
     "LFLAGS", {" -dram_end:0x3ff -bdata:0x60.0x3ff "}, {}},
    {"text address zero prints as 0", [](Project& p) { p.setTextAddressWord("0"); },
     "LFLAGS", {" -bfunc_lit:0.0x4000 "}, {}},
    {"program memory without digits", [](Project& p) { p.setProgramMemory("abc"); },
     "LFLAGS", {" -e:0 ", " -bfunc_lit:0x54.0 "}, {}},
    {"stack size as typed", [](Project& p) { p.setReturnStackSize("0x20 "); },
     "LFLAGS", {" -dhwstk_size:0x20  "}, {}},
    {"no EEPROM", [](Project& p) { p.setEeprom(""); },
     "LFLAGS", {"-dhwstk_size:16 -fihx_coff"}, {"-beeprom"}},
    {"EEPROM from one", [](Project& p) { p.setPart("AT90S8515"); }, "LFLAGS", {" -beeprom:1.512 "}, {}},
    {"COFF", [](Project& p) { p.setOutputFormat("COFF"); }, "LFLAGS", {" -fcoff -S2 \n"}, {"-fihx"}},
    {"HEX/COFF without regard to case", [](Project& p) { p.setOutputFormat("hex/coff"); },
     "LFLAGS", {" -fihx_coff "}, {}},
    {"Intel HEX", [](Project& p) { p.setOutputFormat("Intel HEX"); },
     "LFLAGS", {"LFLAGS =  -e:0x4000 ", " -fintelhex -S2 \n"}, {"-g"}},
    {"fill bytes and other options",
     [](Project& p) { p.setUnusedRomFillBytes("0xFF"); p.setOtherOptions("-x1 -x2"); },
     "LFLAGS", {" -fihx_coff -F0xFF -x1 -x2 -S2 \n"}, {}},
    {"8 KB flash", [](Project& p) { p.setProgramMemory("0x2000"); },
     "LFLAGS", {" -e:0x2000 -Wl-W -ucrtatmega.o "}, {"-xcall"}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Linker, MakefileFragmentTest, ::testing::ValuesIn(LinkerCases), caseName);

void libraries(Project& p, int printfVersion, bool longCalls, const char* programMemory,
               bool noR20) {
    p.setPrintfVersion(printfVersion);
    p.setUseLongCallJmp(longCalls);
    p.setProgramMemory(programMemory);
    p.setDoNotUseR20ToR23(noR20);
}

// clang-format off
const FragmentCase LinkCases[] = {
    {"plain small library is the default", [](Project& p) { libraries(p, 0, false, "16384", false); },
     "\t$(CC) -o", {"@demo.lk \n"}, {"-lc"}},
    {"small library without R20 to R23", [](Project& p) { libraries(p, 0, false, "16384", true); },
     "\t$(CC) -o", {"@demo.lk -lcavrgr \n"}, {}},
    {"long printf for mega", [](Project& p) { libraries(p, 1, true, "16384", false); },
     "\t$(CC) -o", {"@demo.lk -llpatmega -lcatmega \n"}, {}},
    {"float printf for 128 KB without R20 to R23",
     [](Project& p) { libraries(p, 2, false, "0x20000", true); },
     "\t$(CC) -o", {"@demo.lk -lfpatm128gr -lcatm128gr \n"}, {}},
    {"long calls before 128 KB", [](Project& p) { libraries(p, 0, true, "131072", false); },
     "\t$(CC) -o", {"@demo.lk -lcatmega \n"}, {}},
    {"256 KB before long calls", [](Project& p) { libraries(p, 0, true, "0x40000", false); },
     "\t$(CC) -o", {"@demo.lk -lcatm256 \n"}, {}},
    {"long printf with plain family", [](Project& p) { libraries(p, 1, false, "16384", false); },
     "\t$(CC) -o", {"@demo.lk -llpavr -lcavr \n"}, {}},
    {"unknown printf version is small", [](Project& p) { libraries(p, 3, true, "16384", false); },
     "\t$(CC) -o", {"@demo.lk -lcatmega \n"}, {}},
    {"output base name ends at the first dot", [](Project& p) { p.setOutputFileName("demo.rel.cof"); },
     "\t$(CC) -o", {"\t$(CC) -o demo $(LFLAGS) @demo.lk "}, {}},
    {"output name without a dot", [](Project& p) { p.setOutputFileName("firmware"); },
     "\t$(CC) -o", {"\t$(CC) -o firmware $(LFLAGS) @demo.lk "}, {}},
    {"studio I/O and additional library",
     [](Project& p) { p.setAvrstudioIO(true); p.setAdditionalLib("mylib"); },
     "\t$(CC) -o", {"@demo.lk -lstudio -lmylib -lcatmega \n"}, {}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Link, MakefileFragmentTest, ::testing::ValuesIn(LinkCases), caseName);

TEST_F(MakefileGeneratorTest, CommandAfterBuildIsASecondLinkCommand) {
    Project project = demoProject();
    project.setEcasb("copy demo.hex C:\\burn");
    const std::string text = makefile(project);
    EXPECT_NE(text.find("@demo.lk -lcatmega \n\tcopy demo.hex C:\\burn\nmain.o: \n"),
              std::string::npos)
        << text;
}

TEST_F(MakefileGeneratorTest, ProjectWithoutSourcesHasNoRulesAndEmptyLinkerList) {
    Project project("demo", "C:\\work\\demo\\");
    Configuration config("default", "ATMega16", "demo.cof");
    config.setOutputDirectory("default\\");
    project.addConfig(config);
    const std::string text = makefile(project);
    EXPECT_NE(text.find("FILES = \n\ndemo:\t$(FILES)\n\t$(CC) -o demo $(LFLAGS) @demo.lk \n\n"
                        ".PHONY: clean\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find(".o:"), std::string::npos);
    EXPECT_TRUE(fs::exists(demo_ / "default" / "demo.lk"));
    EXPECT_EQ(readBytes(demo_ / "default" / "demo.lk"), "");
}

TEST_F(MakefileGeneratorTest, SourcePathsAndObjectNames) {
    touch(demo_ / "readme");
    touch(demo_ / "src" / "io.c");
    touch(root_ / "d" / "shared" / "crc.v2.c");
    Project project = demoProject();
    project.removeSrcFile("C:\\work\\demo\\main.c");
    project.removeSrcFile("C:\\work\\demo\\uart.c");
    project.addSrcFile(SourceFile("C:\\work\\demo\\readme"));
    project.addSrcFile(SourceFile("src\\io.c"));
    project.addSrcFile(SourceFile("D:\\shared\\crc.v2.c"));
    project.addSrcFile(SourceFile("C:\\work\\demo\\missing.c"));

    const std::string text = makefile(project);
    EXPECT_EQ(lineStartingWith(text, "FILES"), "FILES = .o io.o crc.v2.o missing.o \n");
    EXPECT_NE(text.find(".o: \n"
                        ".o:\tC:\\work\\demo\\readme\n"
                        "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\readme\n"
                        "io.o: \n"
                        "io.o:\tC:\\work\\demo\\src\\io.c\n"
                        "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\src\\io.c\n"
                        "crc.v2.o: \n"
                        "crc.v2.o:\tD:\\shared\\crc.v2.c\n"
                        "\t$(CC) -c $(CFLAGS) D:\\shared\\crc.v2.c\n"
                        "missing.o: \n"
                        "missing.o:\tC:\\work\\demo\\missing.c\n"
                        "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\missing.c\n"
                        "\n.PHONY: clean\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(readBytes(demo_ / "default" / "demo.lk"), ".o io.o crc.v2.o missing.o ");
}

TEST_F(MakefileGeneratorTest, LinkerListGoesToAnAbsoluteOutputDirectory) {
    fs::create_directories(root_ / "d" / "out");
    Project project = demoProject();
    project.setOutputDirectory("D:\\out\\");
    makefile(project);
    EXPECT_EQ(readBytes(root_ / "d" / "out" / "demo.lk"), "main.o uart.o ");
    EXPECT_FALSE(fs::exists(demo_ / "default" / "demo.lk"));
}

TEST_F(MakefileGeneratorTest, MissingOutputDirectoryStillGivesTheMakefile) {
    Project project = demoProject();
    project.setOutputDirectory("nowhere\\");
    EXPECT_EQ(makefile(project), DemoMakefile);
    EXPECT_FALSE(fs::exists(demo_ / "nowhere"));
}

TEST_F(MakefileGeneratorTest, UnknownPartLeavesOutDeviceSwitchesAndWarns) {
    Project project = demoProject();
    project.setPart("atmega88");
    project.setSram("External 64K SRAM");
    const std::string text = makefile(project);
    EXPECT_EQ(lineStartingWith(text, "CFLAGS"),
              "CFLAGS =  -D__TAZU_VERSION=\"7.13\" -DATMEGA  -l -g -Mavr_enhanced \n");
    const std::string lflags = lineStartingWith(text, "LFLAGS");
    EXPECT_NE(lflags.find(" -ucrtnewram.o "), std::string::npos) << lflags;
    EXPECT_NE(lflags.find(" -beeprom:0.512 "), std::string::npos) << lflags;
    ASSERT_EQ(log_.lines.size(), 1u);
    EXPECT_EQ(log_.lines[0].level, LogLevel::Warning);
    EXPECT_NE(log_.lines[0].message.find("\"atmega88\""), std::string::npos);
}

TEST_F(MakefileGeneratorTest, ProjectWithoutActiveConfigurationThrows) {
    std::ostringstream out;
    EXPECT_THROW(writeMakefile(out, Project("demo", "C:\\work\\demo\\")), std::runtime_error);
}

TEST(MakefileNumbers, SettingTextBecomesNumber) {
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"16384", 16384},    {"0x2A", 42},         {"0X2a", 42},
        {"  42", 42},        {"-5", -5},           {"+7", 7},
        {"12abc", 12},       {"abc", 0},           {"", 0},
        {"0x", 0},           {"010", 10},          {" 0x20000", 0x20000},
        {"ab0x", 0xab0},     {"1K 0x", 1},         {"0x7fffffff", Max},
        {"0xffffffff", Max}, {"99999999999", Max}, {"-99999999999", Min},
        {"-0x10", -16},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(makefileNumber(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(MakefileNumbers, HexFormLikePrintf) {
    const struct {
        std::int32_t value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {1, "0x1"},
        {0x45f, "0x45f"},
        {0xABCDEF, "0xabcdef"},
        {-1, "0xffffffff"},
        {std::numeric_limits<std::int32_t>::min(), "0x80000000"},
        {std::numeric_limits<std::int32_t>::max(), "0x7fffffff"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hexForm(c.value), c.text) << c.value;
    }
}

TEST(MakefileNumbers, BootSizes) {
    const struct {
        const char* text;
        std::int32_t bytes;
    } cases[] = {
        {"128 Words", 0x100}, {"256 Words", 0x200}, {"512 Words", 0x400},
        {"1K Words", 0x800},  {"2K Words", 0x1000}, {"4K Words", 0x2000},
        {"4k WORDS", 0x2000}, {"None", 0},          {"", 0},
        {"3K Words", 0},      {"512 Words ", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bootSizeBytes(c.text), c.bytes) << '"' << c.text << '"';
    }
}

} // namespace
} // namespace avrtazu
