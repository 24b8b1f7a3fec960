// End to end: the generated Makefile and build.bat of a project run through the batch-file
// runner, tazumake and tazuavr, as the plug-in runs them, and leave real AVR firmware. What
// each build prints, the files it leaves and the firmware's make-up are in golden files.

#include "avr/elf_sections.h"
#include "golden.h"
#include "platform/child_process.h"
#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using Edits = std::vector<std::pair<std::string, std::string>>;

// The blink example as the project C:\work\demo\ with the demo Makefile in default\.
class ToolchainBuildTest : public testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override {
        DriveMap::reset();
        fs::remove_all(root_);
    }

    void reset() {
        fs::remove_all(root_);
        fs::create_directories(root_ / "work/demo/default");
        DriveMap::map('C', root_.string());
        for (const char* name : {"main.c", "uart.c", "uart.h"}) {
            fs::copy_file(fs::path(TAZU_SOURCE_DIR) / "examples/blink" / name,
                          root_ / "work/demo" / name);
        }
        std::ofstream(output("Makefile"), std::ios::binary) << test::golden("demo.mk");
        std::ofstream(output("demo.lk"), std::ios::binary) << "main.o uart.o ";
    }
    fs::path output(const std::string& name) const { return root_ / "work/demo/default" / name; }

    // Writes build.bat as the plug-in does, with one make job so that the tools' lines come in
    // one order wherever the test runs, and runs it as a hidden child; gives its output, its
    // status and the files left in the output folder.
    std::string build(const std::string& target = "",
                      const std::string& toolchain = TAZU_TOOLCHAIN_DIR) {
        const std::string bin = DriveMap::toWindows(toolchain + "/bin");
        std::ofstream(output("build.bat"), std::ios::binary)
            << "@ECHO OFF\r\nREM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT"
               "*********\r\nPATH="
            << bin << ";" << bin << ";%PATH%\r\nSET TAZU_JOBS=1\r\n"
            << "pushd C:\\work\\demo\\default\\\r\n"
            << "mode con codepage select=850 > NUL\r\ntazumake " << target << "\r\n";
        ChildProcess child;
        EXPECT_TRUE(child.start("C:\\work\\demo\\default\\build.bat"));
        std::string text = "== tazumake " + target + "\n";
        char buffer[4096];
        for (auto count = child.read(buffer, sizeof buffer); count.value_or(0) > 0;
             count = child.read(buffer, sizeof buffer)) {
            text.append(buffer, *count);
        }
        // A guard against a hang, not a speed check.
        for (int i = 0; i < 6000 && !child.hasEnded(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        text += "== exit " + std::to_string(child.exitCode().value_or(-1)) + ", files:";
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(output(""))) {
            if (entry.is_regular_file()) {
                files.push_back(fs::relative(entry.path(), output("")).string());
            }
        }
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) {
            text += " " + file;
        }
        return text + "\n";
    }

    // The firmware's machine, device, start address, debug information and some symbols, and
    // the first record of the hex file.
    std::string firmware() const {
        const auto image = ElfImage::read(output("demo.cof").string());
        if (!image) {
            return "== no firmware\n";
        }
        const ElfSection* device = image->section(".note.gnu.avr.deviceinfo");
        const ElfSection* text = image->section(".text");
        std::ostringstream described;
        described << "== firmware: machine " << image->machine << ", device "
                  << (device != nullptr && device->contents.find("atmega16") != std::string::npos
                          ? "atmega16"
                          : "other")
                  << ", .text at 0x" << std::hex << (text != nullptr ? text->address : 1u)
                  << (image->section(".debug_info") != nullptr ? ", debug information" : "")
                  << ", symbols:";
        for (const char* symbol : {"main", "uart_init", "__vectors", "__do_copy_data",
                                   "__tazu_mcu_atmega16", "__tazu_studio_init"}) {
            described << (image->hasSymbol(symbol) ? std::string(" ") + symbol : "");
        }
        std::string hex;
        std::getline(std::ifstream(output("demo.hex")), hex);
        described << "\n== hex: " << hex << "\n";
        return described.str();
    }

    // Edits a file; an edited source looks newer than any object made from the old text.
    void edit(const fs::path& path, const Edits& edits) {
        std::ifstream in(path, std::ios::binary);
        std::string content{std::istreambuf_iterator<char>(in), {}};
        for (const auto& [from, to] : edits) {
            ASSERT_NE(content.find(from), std::string::npos) << from;
            content.replace(content.find(from), from.size(), to);
        }
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(2));
    }

    const fs::path root_ = fs::temp_directory_path() / ("tazu-build-" + std::to_string(::getpid()));
};

TEST_F(ToolchainBuildTest, BuildsTheExampleStepByStepAndStopsAtMistakes) {
    const fs::path main = root_ / "work/demo/main.c";
    std::string seen = build("uart.o");
    seen += build();
    seen += firmware();
    std::ifstream depFile(output("dep/main.o.d"), std::ios::binary);
    const std::string dep{std::istreambuf_iterator<char>(depFile), {}};
    EXPECT_NE(dep.find("main.o: C:\\work\\demo\\main.c"), std::string::npos) << dep;
    EXPECT_NE(dep.find(" C:\\work\\demo\\uart.h"), std::string::npos) << dep;
    EXPECT_EQ(dep.find('\r'), std::string::npos);
    seen += build();
    edit(main, {{"uint8_t paused = 0;", "uint8_t paused = 0;\n    int unused;"}});
    seen += build();
    seen += build("clean");
    fs::remove(root_ / "work/demo/uart.c");
    seen += build();
    edit(main, {{"uint8_t paused = 0;", "uint8_t paused = 0"}});
    seen += build();
    test::expectGolden("build_steps.txt", seen);
}

// The link target names no file, so make runs the link on every build; the link itself leaves
// its outputs alone until an input is newer or a switch differs.
TEST_F(ToolchainBuildTest, LinksAgainOnlyForANewerInputOrAnotherSwitch) {
    const auto written = [this] {
        std::vector<fs::file_time_type> times;
        for (const char* name : {"demo.cof", "demo.hex", "demo.lis", "demo.mp", "main.o"}) {
            times.push_back(fs::last_write_time(output(name)));
        }
        return times;
    };
    build();
    const std::vector<fs::file_time_type> first = written();
    build();
    EXPECT_EQ(written(), first);
    const struct {
        const char* change;
        std::function<void()> make;
    } cases[] = {
        {"newer object", [this] { edit(output("uart.o"), {}); }},
        {"other switch",
         [this] {
             edit(output("Makefile"), {{"-S2", "-S1"}});
         }},
    };
    for (const auto& c : cases) {
        const std::vector<fs::file_time_type> before = written();
        c.make();
        build();
        EXPECT_GT(fs::last_write_time(output("demo.hex")), before[1]) << c.change;
        EXPECT_EQ(fs::last_write_time(output("main.o")), before[4]) << c.change;
    }
}

// make answers a link that would change nothing with the driver's own lines, and starts the
// driver beside it only for a link with something to do.
TEST_F(ToolchainBuildTest, MakeAnswersANoOpLinkWithoutStartingTheDriver) {
    const std::string first = build();
    const std::size_t from = first.find("Program memory");
    const std::string summary = first.substr(from, first.find("== exit") - from);
    const fs::path tools = root_ / "tools";
    fs::copy(TAZU_TOOLCHAIN_DIR, tools, fs::copy_options::recursive);
    fs::remove(tools / "bin/tazuavr.exe");
    std::ofstream(tools / "bin/tazuavr.exe") << "#!/bin/sh\necho driver started\n";
    fs::permissions(tools / "bin/tazuavr.exe", fs::perms::owner_exec, fs::perm_options::add);
    const std::string noOp = build("", tools.string());
    EXPECT_NE(noOp.find(summary), std::string::npos) << noOp;
    EXPECT_EQ(noOp.find("driver started"), std::string::npos) << noOp;
    edit(output("uart.o"), {});
    EXPECT_NE(build("", tools.string()).find("driver started"), std::string::npos);
}

TEST_F(ToolchainBuildTest, BuildsWhatTheSwitchesAskForAndRefusesWhatDoesNotFit) {
    const std::string headers = "#include <avr/pgmspace.h>\n#include <avr/eeprom.h>\n";
    const struct {
        const char* name;
        Edits makefile;
        Edits source;
    } cases[] = {
        // clang-format off
        {"coff only", {{"-fihx_coff", "-fcoff"}}, {}},
        {"Intel hex without debug information", {{"-l -g", "-l"}, {"=  -g -e:", "=  -e:"}, {"-fihx_coff", "-fintelhex -F0xff"}}, {}},
        {"boot loader", {{"-ucrtatmega.o -bfunc_lit:0x54.", "-ucrtboot.o -bvector:0x3c00.0x4000 -bfunc_lit:0x3c54."}}, {}},
        {"custom device by its core", {{"-DATMega16 ", ""}}, {}},
        {"terminal I/O", {{"-S2 ", "-S2 -lstudio "}}, {}},
        {"code too large", {}, {{"#define LED_BIT", headers + "const uint8_t table[17000] PROGMEM = {1};\n#define LED_BIT"}, {"uint8_t paused = 0;", "uint8_t paused = pgm_read_byte(&table[PINA]);"}}},
        {"data too large", {}, {{"#define LED_BIT", "volatile uint8_t buffer[1010];\n#define LED_BIT"}, {"uint8_t paused = 0;", "uint8_t paused = buffer[PINA];"}}},
        {"EEPROM too large", {}, {{"#define LED_BIT", headers + "uint8_t settings[600] EEMEM = {1};\n#define LED_BIT"}, {"uint8_t paused = 0;", "uint8_t paused = eeprom_read_byte(&settings[PINA]);"}}},
        // clang-format on
    };
    std::string seen;
    for (const auto& c : cases) {
        reset();
        edit(output("Makefile"), c.makefile);
        edit(root_ / "work/demo/main.c", c.source);
        seen += "==== " + std::string(c.name) + "\n" + build();
        seen += firmware();
    }
    test::expectGolden("build_variants.txt", seen);
}

} // namespace
} // namespace avrtazu
