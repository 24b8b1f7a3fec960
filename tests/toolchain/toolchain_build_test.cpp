// End to end: the generated Makefile and build.bat of a project run through the batch-file
// runner, tazumake and tazuavr, as the plug-in runs them, and leave real AVR firmware.

#include "avr/elf_sections.h"
#include "platform/child_process.h"
#include "platform/drive_map.h"
#include "platform/text_file_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using testing::Contains;
using testing::HasSubstr;

// The Makefile that the plug-in writes for the demo project in C:\work\demo\.
const char* const exampleMakefile =
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

struct BuildRun {
    std::vector<std::string> lines;
    int status = -1;

    int count(const std::string& marker) const {
        int found = 0;
        for (const std::string& line : lines) {
            found += line.find(marker) != std::string::npos ? 1 : 0;
        }
        return found;
    }
    std::string text() const {
        std::string all;
        for (const std::string& line : lines) {
            all += line + "\n";
        }
        return all;
    }
};

class ToolchainBuildTest : public testing::Test {
protected:
    void SetUp() override {
        std::string testName = testing::UnitTest::GetInstance()->current_test_info()->name();
        // Parameterised tests are named "Test/Case"; the folder must be one level.
        std::replace(testName.begin(), testName.end(), '/', '-');
        root_ = fs::temp_directory_path() /
                ("tazu-build-" + std::to_string(::getpid()) + "-" + testName);
        fs::remove_all(root_);
        fs::create_directories(root_ / "work/demo/default");
        DriveMap::map('C', root_.string());
        for (const char* name : {"main.c", "uart.c", "uart.h"}) {
            fs::copy_file(fs::path(TAZU_SOURCE_DIR) / "examples/blink" / name,
                          root_ / "work/demo" / name);
        }
        TextFileWriter makefile("C:\\work\\demo\\default\\Makefile");
        makefile << exampleMakefile;
        ASSERT_TRUE(makefile.close());
        std::ofstream(output("demo.lk"), std::ios::binary) << "main.o uart.o ";
    }

    void TearDown() override {
        DriveMap::reset();
        fs::remove_all(root_);
    }

    fs::path output(const std::string& name) const { return root_ / "work/demo/default" / name; }
    fs::path source(const std::string& name) const { return root_ / "work/demo" / name; }

    // Writes build.bat as the plug-in does and runs it as a hidden child, reading its output.
    BuildRun build(const std::string& target = "") {
        const std::string bin = DriveMap::toWindows(TAZU_TOOLCHAIN_DIR "/bin");
        {
            TextFileWriter bat("C:\\work\\demo\\default\\build.bat");
            bat << "@ECHO OFF\n"
                << "REM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT*********\n"
                << "PATH=" << bin << ";" << bin << ";%PATH%\n"
                << "pushd C:\\work\\demo\\default\\\n"
                << "mode con codepage select=850 > NUL\n"
                << "tazumake " << target << "\n";
            EXPECT_TRUE(bat.close());
        }
        BuildRun run;
        ChildProcess child;
        EXPECT_TRUE(child.start("C:\\work\\demo\\default\\build.bat"));
        std::string text;
        char buffer[4096];
        while (auto count = child.read(buffer, sizeof buffer)) {
            if (*count == 0) {
                break;
            }
            text.append(buffer, *count);
        }
        // A guard against a hang, not a speed check.
        for (int i = 0; i < 6000 && !child.hasEnded(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        run.status = child.exitCode().value_or(-1);
        std::istringstream stream(text);
        std::string line;
        while (std::getline(stream, line)) {
            run.lines.push_back(line);
        }
        return run;
    }

    void replaceInSource(const std::string& name, const std::string& from, const std::string& to) {
        std::ifstream in(source(name));
        std::stringstream text;
        text << in.rdbuf();
        std::string content = text.str();
        const std::size_t at = content.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        content.replace(at, from.size(), to);
        in.close();
        std::ofstream(source(name), std::ios::trunc) << content;
        // The edit must look newer than the object made from the old text.
        fs::last_write_time(source(name),
                            fs::file_time_type::clock::now() + std::chrono::seconds(2));
    }

    fs::path root_;
};

TEST_F(ToolchainBuildTest, BuildsTheExampleIntoAtmega16Firmware) {
    const BuildRun first = build();
    EXPECT_EQ(first.status, 0) << first.text();
    EXPECT_EQ(first.count("!E"), 0) << first.text();
    EXPECT_EQ(first.count("!W"), 0) << first.text();
    EXPECT_EQ(first.count("tazuavr -c"), 2) << first.text();
    for (const char* name : {"demo.cof", "demo.hex", "demo.lis", "demo.mp", "main.o", "uart.o",
                             "dep/main.o.d", "dep/uart.o.d"}) {
        EXPECT_TRUE(fs::is_regular_file(output(name))) << name << "\n" << first.text();
    }

    const auto image = ElfImage::read(output("demo.cof").string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->machine, 83); // EM_AVR
    const ElfSection* device = image->section(".note.gnu.avr.deviceinfo");
    std::string names;
    for (const ElfSection& section : image->sections) {
        names += section.name + " ";
    }
    ASSERT_NE(device, nullptr) << names;
    EXPECT_NE(device->contents.find("atmega16"), std::string::npos);
    EXPECT_NE(image->section(".debug_info"), nullptr);
    EXPECT_TRUE(image->hasSymbol("uart_init"));
    // The start-up code and vectors of the device are there.
    EXPECT_TRUE(image->hasSymbol("__vectors"));
    EXPECT_TRUE(image->hasSymbol("__do_copy_data"));

    std::ifstream hex(output("demo.hex"));
    std::string firstRecord;
    std::getline(hex, firstRecord);
    EXPECT_EQ(firstRecord.rfind(":", 0), 0u);

    std::ifstream dependencies(output("dep/main.o.d"), std::ios::binary);
    std::stringstream words;
    words << dependencies.rdbuf();
    EXPECT_THAT(words.str(), HasSubstr("C:\\work\\demo\\uart.h"));
    EXPECT_EQ(words.str().find('\r'), std::string::npos);

    const BuildRun second = build();
    EXPECT_EQ(second.status, 0) << second.text();
    EXPECT_EQ(second.count("tazuavr -c"), 0) << second.text();

    const BuildRun clean = build("clean");
    EXPECT_EQ(clean.status, 0) << clean.text();
    for (const char* name : {"demo.cof", "demo.hex", "demo.lis", "demo.mp", "main.o", "uart.o"}) {
        EXPECT_FALSE(fs::exists(output(name))) << name;
    }
    EXPECT_TRUE(fs::exists(output("Makefile")));
    EXPECT_TRUE(fs::exists(source("main.c")));
}

TEST_F(ToolchainBuildTest, ObjectTargetCompilesOneFile) {
    const BuildRun run = build("uart.o");
    EXPECT_EQ(run.status, 0) << run.text();
    EXPECT_TRUE(fs::exists(output("uart.o")));
    EXPECT_FALSE(fs::exists(output("main.o")));
    EXPECT_FALSE(fs::exists(output("demo.cof")));
}

TEST_F(ToolchainBuildTest, SyntaxErrorIsOneErrorLineAndStopsMake) {
    replaceInSource("main.c", "uint8_t paused = 0;", "uint8_t paused = 0");
    const BuildRun run = build();
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.count("!E"), 1) << run.text();
    EXPECT_THAT(run.lines, Contains(HasSubstr("!E C:\\work\\demo\\main.c(")));
    EXPECT_GE(run.count("Error"), 1) << run.text();
    EXPECT_GE(run.count("Stop"), 1) << run.text();
    EXPECT_FALSE(fs::exists(output("demo.cof")));
}

TEST_F(ToolchainBuildTest, WarningIsOneWarningLineAndTheBuildGoesOn) {
    replaceInSource("main.c", "uint8_t paused = 0;", "uint8_t paused = 0;\n    int unused;");
    const BuildRun run = build();
    EXPECT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.count("!W"), 1) << run.text();
    EXPECT_EQ(run.count("!E"), 0) << run.text();
    EXPECT_THAT(run.lines, Contains(HasSubstr("!W C:\\work\\demo\\main.c(")));
    EXPECT_THAT(run.lines, Contains(HasSubstr(":[warning] ")));
    EXPECT_TRUE(fs::exists(output("demo.cof")));
}

TEST_F(ToolchainBuildTest, MissingSourceHasNoRule) {
    fs::remove(source("uart.c"));
    const BuildRun run = build();
    EXPECT_NE(run.status, 0);
    EXPECT_THAT(run.lines, Contains(HasSubstr("No rule to make target 'C:\\work\\demo\\uart.c'")));
    EXPECT_GE(run.count("Stop"), 1);
}

// Variants of the link line of the example, as other configurations write it.
struct LinkVariantCase {
    const char* name;
    std::string cflags; // replaces the device and core part of CFLAGS
    std::string lflags; // replaces LFLAGS
    bool hex;
    long textStart;
    std::string symbol; // a symbol the program must have
};

class ToolchainLinkVariantTest : public ToolchainBuildTest,
                                 public testing::WithParamInterface<LinkVariantCase> {};

TEST_P(ToolchainLinkVariantTest, BuildsWhatTheSwitchesAskFor) {
    const LinkVariantCase& c = GetParam();
    std::string makefile = exampleMakefile;
    const std::string oldCflags = "-DATMega16  -l -g -Mavr_enhanced ";
    makefile.replace(makefile.find(oldCflags), oldCflags.size(), c.cflags);
    const std::size_t lflags = makefile.find("LFLAGS =  ");
    makefile.replace(lflags, makefile.find('\n', lflags) - lflags, "LFLAGS =  " + c.lflags);
    {
        TextFileWriter writer("C:\\work\\demo\\default\\Makefile");
        writer << makefile;
    }
    const BuildRun run = build();
    EXPECT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.count("!E"), 0) << run.text();
    EXPECT_EQ(run.count("!W"), 0) << run.text();
    EXPECT_TRUE(fs::exists(output("demo.cof"))) << run.text();
    EXPECT_EQ(fs::exists(output("demo.hex")), c.hex);
    const auto image = ElfImage::read(output("demo.cof").string());
    ASSERT_TRUE(image);
    ASSERT_NE(image->section(".text"), nullptr);
    EXPECT_EQ(image->section(".text")->address, static_cast<std::uint32_t>(c.textStart));
    EXPECT_TRUE(image->hasSymbol("__vectors"));
    if (!c.symbol.empty()) {
        EXPECT_TRUE(image->hasSymbol(c.symbol)) << c.symbol;
    }
}

const char* const exampleLflags = "-e:0x4000 -ucrtatmega.o -bfunc_lit:0x54.0x4000 "
                                  "-dram_end:0x45f -bdata:0x60.0x45f -dhwstk_size:16 "
                                  "-beeprom:0.512 ";

INSTANTIATE_TEST_SUITE_P(
    Variants, ToolchainLinkVariantTest,
    testing::Values(
        LinkVariantCase{"CoffOnly", "-DATMega16  -l -g -Mavr_enhanced ",
                        std::string("-g ") + exampleLflags + "-fcoff -S2 ", false, 0, ""},
        LinkVariantCase{"IntelHexWithoutDebugInformation", "-DATMega16  -l -Mavr_enhanced ",
                        std::string(exampleLflags) + "-fintelhex -F0xff -S2 ", true, 0, ""},
        LinkVariantCase{"BootLoader", "-DATMega16  -l -g -Mavr_enhanced ",
                        "-g -e:0x4000 -ucrtboot.o -bvector:0x3c00.0x4000 "
                        "-bfunc_lit:0x3c54.0x4000 -dram_end:0x45f -bdata:0x60.0x45f "
                        "-dhwstk_size:16 -beeprom:0.512 -fihx_coff -S2 ",
                        true, 0x3c00, ""},
        LinkVariantCase{"CustomDeviceByItsCore", " -l -g -Mavr_enhanced ",
                        std::string("-g ") + exampleLflags + "-fihx_coff -S2 ", true, 0,
                        "__tazu_mcu_atmega16"},
        LinkVariantCase{"TerminalIo", "-DATMega16  -l -g -Mavr_enhanced ",
                        std::string("-g ") + exampleLflags + "-fihx_coff -S2 -lstudio ", true, 0,
                        "__tazu_studio_init"}),
    [](const testing::TestParamInfo<LinkVariantCase>& info) {
        return std::string(info.param.name);
    });

struct OverflowCase {
    const char* name;
    std::string declaration;
    std::string use;
    std::string message;
};

class ToolchainOverflowTest : public ToolchainBuildTest,
                              public testing::WithParamInterface<OverflowCase> {};

TEST_P(ToolchainOverflowTest, TooLargeForItsAreaIsAnError) {
    const OverflowCase& c = GetParam();
    replaceInSource("main.c", "#define LED_BIT PB0",
                    "#include <avr/pgmspace.h>\n#include <avr/eeprom.h>\n#define LED_BIT PB0\n" +
                        c.declaration);
    replaceInSource("main.c", "uint8_t paused = 0;", "uint8_t paused = 0;\n    " + c.use);
    const BuildRun run = build();
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.count("!E"), 1) << run.text();
    EXPECT_THAT(run.lines, Contains(HasSubstr("!E " + c.message))) << run.text();
    EXPECT_FALSE(fs::exists(output("demo.hex")));
}

INSTANTIATE_TEST_SUITE_P(
    Areas, ToolchainOverflowTest,
    testing::Values(OverflowCase{"Code", "const uint8_t table[17000] PROGMEM = {1};",
                                 "paused = pgm_read_byte(&table[PINA]);", "code does not fit"},
                    OverflowCase{"Data", "volatile uint8_t buffer[1010];", "paused = buffer[PINA];",
                                 "data does not fit"},
                    OverflowCase{"Eeprom", "uint8_t settings[600] EEMEM = {1};",
                                 "paused = eeprom_read_byte(&settings[PINA]);",
                                 "EEPROM data does not fit"}),
    [](const testing::TestParamInfo<OverflowCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace avrtazu
