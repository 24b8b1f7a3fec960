// End to end: the generated Makefile and build.bat of a project run through the batch-file
// runner, tazumake and tazuavr, as the plug-in runs them, and leave real AVR firmware.

#include "avr/elf_sections.h"
#include "build/demo_makefile.h"
#include "platform/child_process.h"
#include "platform/drive_map.h"
#include "platform/text_file_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
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
using testing::AllOf;
using testing::Contains;
using testing::HasSubstr;
using testing::StartsWith;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct BuildRun {
    std::vector<std::string> lines;
    int status = -1;

    int count(const std::string& marker) const {
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](auto& line) {
            return line.find(marker) != std::string::npos;
        }));
    }
    std::string text() const { return testing::PrintToString(lines); }
};

// The blink example as the project C:\work\demo\ with the example Makefile in default\, on a
// folder of its own for each test.
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
            fs::copy_file(fs::path(TAZU_SOURCE_DIR) / "examples/blink" / name, source(name));
        }
        writeMakefile(test::kDemoMakefile);
        std::ofstream(output("demo.lk"), std::ios::binary) << "main.o uart.o ";
    }
    void TearDown() override {
        DriveMap::reset();
        fs::remove_all(root_);
    }

    fs::path output(const std::string& name) const { return root_ / "work/demo/default" / name; }
    fs::path source(const std::string& name) const { return root_ / "work/demo" / name; }

    void writeMakefile(const std::string& text) {
        TextFileWriter makefile("C:\\work\\demo\\default\\Makefile");
        makefile << text;
        ASSERT_TRUE(makefile.close());
    }

    // Writes build.bat as the plug-in does and runs it as a hidden child, reading its output.
    BuildRun build(const std::string& target = "") {
        const std::string bin = DriveMap::toWindows(TAZU_TOOLCHAIN_DIR "/bin");
        TextFileWriter bat("C:\\work\\demo\\default\\build.bat");
        bat << "@ECHO OFF\n"
            << "REM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT*********\n"
            << "PATH=" << bin << ";" << bin << ";%PATH%\n"
            << "pushd C:\\work\\demo\\default\\\n"
            << "mode con codepage select=850 > NUL\n"
            << "tazumake " << target << "\n";
        EXPECT_TRUE(bat.close());

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
        BuildRun run;
        run.status = child.exitCode().value_or(-1);
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) {
            run.lines.push_back(line);
        }
        return run;
    }

    // Edits a source; the edit looks newer than any object made from the old text.
    void replaceInSource(const std::string& name, const std::string& from, const std::string& to) {
        std::string content = readFile(source(name));
        const std::size_t at = content.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        content.replace(at, from.size(), to);
        std::ofstream(source(name), std::ios::trunc) << content;
        fs::last_write_time(source(name),
                            fs::file_time_type::clock::now() + std::chrono::seconds(2));
    }

    fs::path root_;
};

TEST_F(ToolchainBuildTest, BuildsTheExampleStepByStepAndStopsAtMistakes) {
    const BuildRun object = build("uart.o");
    EXPECT_EQ(object.status, 0) << object.text();
    EXPECT_TRUE(fs::exists(output("uart.o")));
    EXPECT_FALSE(fs::exists(output("main.o")));

    const BuildRun first = build();
    EXPECT_EQ(first.status, 0) << first.text();
    EXPECT_EQ(first.count("!E") + first.count("!W"), 0) << first.text();
    EXPECT_EQ(first.count("tazuavr -c"), 1) << first.text();
    for (const char* name : {"demo.cof", "demo.hex", "demo.lis", "demo.mp", "main.o", "uart.o",
                             "dep/main.o.d", "dep/uart.o.d"}) {
        EXPECT_TRUE(fs::is_regular_file(output(name))) << name << "\n" << first.text();
    }
    const auto image = ElfImage::read(output("demo.cof").string());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->machine, 83); // EM_AVR
    const ElfSection* device = image->section(".note.gnu.avr.deviceinfo");
    ASSERT_NE(device, nullptr);
    EXPECT_THAT(device->contents, HasSubstr("atmega16"));
    EXPECT_NE(image->section(".debug_info"), nullptr);
    // The program and the start-up code and vectors of the device.
    for (const char* symbol : {"uart_init", "__vectors", "__do_copy_data"}) {
        EXPECT_TRUE(image->hasSymbol(symbol)) << symbol;
    }
    EXPECT_EQ(readFile(output("demo.hex")).rfind(":", 0), 0u);
    const std::string dependencies = readFile(output("dep/main.o.d"));
    EXPECT_THAT(dependencies, HasSubstr("C:\\work\\demo\\uart.h"));
    EXPECT_EQ(dependencies.find('\r'), std::string::npos);

    const BuildRun again = build();
    EXPECT_EQ(again.status, 0) << again.text();
    EXPECT_EQ(again.count("tazuavr -c"), 0) << again.text();

    replaceInSource("main.c", "uint8_t paused = 0;", "uint8_t paused = 0;\n    int unused;");
    const BuildRun warned = build();
    EXPECT_EQ(warned.status, 0) << warned.text();
    EXPECT_EQ(warned.count("tazuavr -c"), 1) << warned.text();
    EXPECT_EQ(warned.count("!E"), 0) << warned.text();
    EXPECT_EQ(warned.count("!W"), 1) << warned.text();
    EXPECT_THAT(warned.lines, Contains(AllOf(StartsWith("!W C:\\work\\demo\\main.c("),
                                             HasSubstr(":[warning] "))));

    const BuildRun clean = build("clean");
    EXPECT_EQ(clean.status, 0) << clean.text();
    for (const char* name : {"demo.cof", "demo.hex", "demo.lis", "demo.mp", "main.o", "uart.o"}) {
        EXPECT_FALSE(fs::exists(output(name))) << name;
    }
    EXPECT_TRUE(fs::exists(output("Makefile")));
    EXPECT_TRUE(fs::exists(source("main.c")));

    fs::remove(source("uart.c"));
    const BuildRun missing = build();
    EXPECT_NE(missing.status, 0);
    EXPECT_THAT(missing.lines, Contains(HasSubstr("*** Error: No rule to make target "
                                                  "'C:\\work\\demo\\uart.c', needed by 'uart.o'.")))
        << missing.text();
    EXPECT_THAT(missing.lines, Contains("tazumake: *** Stop."));

    replaceInSource("main.c", "uint8_t paused = 0;", "uint8_t paused = 0");
    const BuildRun wrong = build();
    EXPECT_NE(wrong.status, 0);
    EXPECT_EQ(wrong.count("!E"), 1) << wrong.text();
    EXPECT_THAT(wrong.lines, Contains(StartsWith("!E C:\\work\\demo\\main.c(")));
    EXPECT_THAT(wrong.lines, Contains("tazumake: *** [main.o] Error 1"));
    EXPECT_THAT(wrong.lines, Contains("tazumake: *** Stop."));
    EXPECT_FALSE(fs::exists(output("demo.cof")));
}

// Variants of the example Makefile, as other configurations write it: text replacements.
struct LinkVariantCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> edits;
    bool hex;
    long textStart;
    std::string symbol; // a symbol the program must have
};

void PrintTo(const LinkVariantCase& c, std::ostream* os) {
    *os << c.name;
}

template <class Case> std::string caseName(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

class ToolchainLinkVariantTest : public ToolchainBuildTest,
                                 public testing::WithParamInterface<LinkVariantCase> {};

TEST_P(ToolchainLinkVariantTest, BuildsWhatTheSwitchesAskFor) {
    const LinkVariantCase& c = GetParam();
    std::string makefile = test::kDemoMakefile;
    for (const auto& [from, to] : c.edits) {
        ASSERT_NE(makefile.find(from), std::string::npos) << from;
        makefile.replace(makefile.find(from), from.size(), to);
    }
    writeMakefile(makefile);

    const BuildRun run = build();
    EXPECT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.count("!E") + run.count("!W"), 0) << run.text();
    EXPECT_EQ(fs::exists(output("demo.hex")), c.hex);
    const auto image = ElfImage::read(output("demo.cof").string());
    ASSERT_TRUE(image) << run.text();
    ASSERT_NE(image->section(".text"), nullptr);
    EXPECT_EQ(image->section(".text")->address, static_cast<std::uint32_t>(c.textStart));
    EXPECT_TRUE(image->hasSymbol("__vectors"));
    EXPECT_TRUE(c.symbol.empty() || image->hasSymbol(c.symbol)) << c.symbol;
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ToolchainLinkVariantTest,
    testing::Values(
        LinkVariantCase{"CoffOnly", {{"-fihx_coff", "-fcoff"}}, false, 0, ""},
        LinkVariantCase{
            "IntelHexWithoutDebugInformation",
            {{"-l -g", "-l"}, {"=  -g -e:", "=  -e:"}, {"-fihx_coff", "-fintelhex -F0xff"}},
            true,
            0,
            ""},
        LinkVariantCase{"BootLoader",
                        {{"-ucrtatmega.o -bfunc_lit:0x54.",
                          "-ucrtboot.o -bvector:0x3c00.0x4000 -bfunc_lit:0x3c54."}},
                        true,
                        0x3c00,
                        ""},
        LinkVariantCase{
            "CustomDeviceByItsCore", {{"-DATMega16 ", ""}}, true, 0, "__tazu_mcu_atmega16"},
        LinkVariantCase{"TerminalIo", {{"-S2 ", "-S2 -lstudio "}}, true, 0, "__tazu_studio_init"}),
    caseName<LinkVariantCase>);

struct OverflowCase {
    const char* name;
    std::string declaration;
    std::string use;
    std::string message;
};

void PrintTo(const OverflowCase& c, std::ostream* os) {
    *os << c.name;
}

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
    EXPECT_THAT(run.lines, Contains(StartsWith("!E " + c.message))) << run.text();
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
    caseName<OverflowCase>);

} // namespace
} // namespace avrtazu
