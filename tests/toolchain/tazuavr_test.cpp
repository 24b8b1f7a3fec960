// tazuavr: its switches, the avr-gcc commands and devices they give, the memory check, and
// what it makes of avr-gcc's messages and dependency files.

#include "avr/dependency_file.h"
#include "avr/device_table.h"
#include "avr/diagnostic_converter.h"
#include "avr/gcc_command.h"
#include "avr/memory_check.h"
#include "avr/switch_parser.h"
#include "common/command_words.h"
#include "common/process_runner.h"
#include "golden.h"
#include "platform/program_locator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace avrtazu {
namespace {

using Words = std::vector<std::string>;

// List files: demo.lk names two objects (a tab and CR LF between words are blanks), loop.lk names
// itself, others are missing.
TazuOptions parseLine(const std::string& line) {
    return SwitchParser::parse(CommandWords::split(line), [](const std::string& name) {
        return name == "demo.lk"   ? std::optional<std::string>("main.o\tuart.o\r\n")
               : name == "loop.lk" ? std::optional<std::string>("@loop.lk")
                                   : std::nullopt;
    });
}

// The avr-gcc and avr-objcopy arguments of each switch line, or the errors it gives, are in
// golden/gcc_arguments.txt.
TEST(GccCommandTest, SwitchesBecomeAvrGccArguments) {
    const std::pair<const char*, const char*> compiles[] = {
        // clang-format off
        {"-c", "/p/main.c"}, {"-c -I\"C:\\inc\\\" -I/other", "/p/main.c"},
        {"-c -DA -DB=2 -D -UC", "/p/main.c"}, {"-c -e", "/p/main.c"}, {"-c -A", "/p/main.c"},
        {"-c -A -A", "/p/main.c"}, {"-c -g -l", "/p/main.c"}, {"-c -Wf-intenum", "/p/main.c"},
        {"-c -Wf-r20_23", "/p/main.c"}, {"-c -Wf-str_in_flash", "/p/main.c"},
        {"-c -Wa-g -Wa-I\"/ai\"", "/p/main.c"}, {"-c -Wa-g -Wa-I\"/ai\"", "/p/start.S"},
        {"-c", "/p/main.cpp"}, {"-c -e", "/p/main.cc"},
        {"-c -I\"C:\\my inc\\\" -D__TAZU_VERSION=\"7.13\" \"\" \t", "/p/main.c"},
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
        seen += "== " + title + "\n";
        for (const std::string& error : options.errors) {
            seen += "!E " + error + "\n";
        }
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
    // Bad switches are reported by name.
    for (const char* line : {"-c -Zfoo", "-o x -e:abc", "-o x -e:12k", "-o x -e:-1",
                             "-o x -bdata:0x60", "-o x -bdata:x.1", "-o x -bdata:0.y",
                             "-o x -F0x100", "-o x -dFRAM:2", "-o x @gone.lk", "-o x @loop.lk"}) {
        add(line, parseLine(line), {});
    }
    test::expectGolden("gcc_arguments.txt", seen);
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

TEST(GccCommandTest, StartupFilesOfTheToolchain) {
    test::expectEachLine("startup_files.txt", [](const std::string& name) {
        return std::string(GccCommand::isStandardStartup(name) ? "the toolchain's" : "own") +
               (GccCommand::isExternalRamStartup(name) ? ", external SRAM" : "");
    });
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
        const TazuOptions options = parseLine(c.switches);
        EXPECT_EQ(options.errors, Words{}) << c.switches;
        const MemoryReport report = MemoryCheck::check(options, c.use);
        seen += "== " + std::string(c.name) + "\n";
        for (const std::string& error : report.errors) {
            seen += "!E " + error + "\n";
        }
        for (const std::string& line : report.summary) {
            seen += line + "\n";
        }
    }
    test::expectGolden("memory_check.txt", seen);
}

TEST(DeviceTableTest, EveryCatalogueDeviceHasAnMcuThatAvrGccBuilds) {
    // The catalogue's device names as the plug-in installs them, and the defines the Makefile
    // carries for them: none for "Custom", one for both ATmega128 rows.
    std::ifstream catalogue(TAZU_SOURCE_DIR "/data/tazusupportedparts.txt");
    std::set<std::string> mcus;
    int devices = 0;
    for (std::string name; std::getline(catalogue, name); ++devices) {
        name.erase(name.find_last_not_of("\r ") + 1);
        if (name != "Custom") {
            const std::string mcu = DeviceTable::mcuForDefine(
                name.find("ATMega128 ") != std::string::npos ? "ATMega128" : name);
            EXPECT_FALSE(mcu.empty()) << name;
            mcus.insert(mcu);
        }
    }
    ASSERT_EQ(devices, 84);
    const std::string gcc = ProgramLocator::find("avr-gcc", {"/usr/bin"});
    ASSERT_FALSE(gcc.empty()) << "avr-gcc is not installed";
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tazu-mcu-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "empty.c") << "#include <avr/io.h>\nint main(void) { return 0; }\n";
    for (const std::string& mcu : mcus) {
        const ProcessResult result = ProcessRunner::runCaptured(
            gcc, {"-mmcu=" + mcu, "-Os", "-o", (folder / "empty.elf").string(),
                  (folder / "empty.c").string()});
        EXPECT_EQ(result.exitCode, 0) << mcu << ": " << result.output;
    }
    std::filesystem::remove_all(folder);
    EXPECT_EQ(DeviceTable::mcuForDefine("atmega16"), "atmega16");
    EXPECT_EQ(DeviceTable::mcuForDefine("AT94K10"), "at94k");
    EXPECT_EQ(DeviceTable::mcuForDefine("ATMEGA"), "");
}

TEST(DeviceTableTest, CoreSwitchesChooseTheArchitectureAndItsStandIn) {
    const struct {
        CoreKind core;
        bool extendedCalls;
        long programSize;
        const char* architecture;
        const char* representative;
    } cases[] = {
        // clang-format off
        {CoreKind::Classic, false, 0x2000, "avr2", "at90s8515"}, {CoreKind::Classic, false, 0x40000, "avr6", "atmega2560"},
        {CoreKind::EnhancedSmall, false, 0x2000, "avr4", "atmega8"}, {CoreKind::Enhanced, false, 0x10000, "avr5", "atmega16"},
        {CoreKind::Enhanced, false, 0x20000, "avr51", "atmega128"}, {CoreKind::Enhanced, true, 0x4000, "avr6", "atmega2560"},
        {CoreKind::Extended, false, 0x4000, "avr6", "atmega2560"}, {CoreKind::Mega, false, 0x10000, "avr3", "at43usb355"},
        {CoreKind::Mega, false, 0x20000, "avr31", "atmega103"},
        // clang-format on
    };
    for (const auto& c : cases) {
        const std::string architecture =
            DeviceTable::architecture(c.core, c.extendedCalls, c.programSize);
        EXPECT_EQ(architecture, c.architecture) << static_cast<int>(c.core) << " " << c.programSize;
        EXPECT_EQ(DeviceTable::representative(architecture), c.representative) << architecture;
    }
}

TEST(DeviceTableTest, DeviceThatAvrGccLacksFallsBackToTheCore) {
    TazuOptions options;
    options.device = "ATMega64";
    options.core = CoreKind::Enhanced;
    options.programEnd = 0x10000;
    const auto knowsNone = [](const std::string&) { return false; };
    const auto knowsAll = [](const std::string&) { return true; };
    const McuChoice lacking = GccCommand::chooseMcu(options, knowsNone);
    EXPECT_EQ(lacking.mcu + ": " + lacking.fallbackNote,
              "atmega16: avr-gcc does not know the device ATMega64; building for atmega16 "
              "(architecture avr5)");
    const McuChoice known = GccCommand::chooseMcu(options, knowsAll);
    EXPECT_EQ(known.mcu + ": " + known.fallbackNote, "atmega64: ");
    options.device.clear();
    const McuChoice custom = GccCommand::chooseMcu(options, knowsAll);
    EXPECT_EQ(custom.mcu + ": " + custom.fallbackNote, "atmega16: ");
}

// golden/gcc_messages.txt holds what avr-gcc, the assembler, the linker and collect2 print
// (paths under /w are drive C: here, the rest Z:), some lines with CR LF ends; the lines the
// toolchain prints for them are golden/gcc_messages_converted.txt.
TEST(DiagnosticConverterTest, ConvertsEveryLineAndCountsEachMistakeOnce) {
    const DiagnosticConverter converter([](const std::string& path) {
        std::string result = path.rfind("/w/", 0) == 0 ? "C:" + path.substr(2) : "Z:" + path;
        std::replace(result.begin(), result.end(), '/', '\\');
        return result;
    });
    std::string converted;
    for (const std::string& line : converter.convertAll(test::golden("gcc_messages.txt"))) {
        converted += line + "\n";
    }
    test::expectGolden("gcc_messages_converted.txt", converted);
}

TEST(DependencyFileTest, WritesWindowsWordsWithoutCarriageReturns) {
    const std::pair<const char*, const char*> cases[] = {
        // clang-format off
        {"main.o: /c/work/demo/main.c \\\n /c/work/demo/uart.h \\\n /usr/inc/x.h\n",
         "main.o: C:\\work\\demo\\main.c \\\n C:\\work\\demo\\uart.h \\\n Z:\\usr\\inc\\x.h\n"},
        // Files inside the output folder are relative to it; relative names are resolved there.
        {"main.o: /c/work/demo/main.c /c/work/demo/default/gen/cfg.h\n", "main.o: C:\\work\\demo\\main.c \\\n gen\\cfg.h\n"},
        {"main.o: ../main.c inc/local.h\n", "main.o: C:\\work\\demo\\main.c \\\n inc\\local.h\n"},
        {"main.o: /c/a.c \\\r\n /c/a.h\r\nx.o: /c/x.c\r\n", "main.o: C:\\a.c \\\n C:\\a.h\nx.o: C:\\x.c\n"},
        {"", ""},
        // clang-format on
    };
    // Paths under /c are drive C:, the rest Z:.
    const auto toWindows = [](const std::string& path) {
        std::string result = path.rfind("/c/", 0) == 0 ? "C:" + path.substr(2) : "Z:" + path;
        std::replace(result.begin(), result.end(), '/', '\\');
        return result;
    };
    for (const auto& [gccText, expected] : cases) {
        EXPECT_EQ(DependencyFile::convert(gccText, "/c/work/demo/default", toWindows), expected)
            << gccText;
    }
}

} // namespace
} // namespace avrtazu
