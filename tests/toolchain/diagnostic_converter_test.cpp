#include "avr/diagnostic_converter.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace avrtazu {
namespace {

// Paths under /w are drive C: here.
std::string toWindows(const std::string& path) {
    std::string result = path.rfind("/w/", 0) == 0 ? "C:" + path.substr(2) : "Z:" + path;
    for (char& c : result) {
        if (c == '/') {
            c = '\\';
        }
    }
    return result;
}

struct DiagnosticCase {
    const char* name;
    std::string gccLine;
    std::optional<std::string> expected;
};

class DiagnosticConverterTest : public testing::TestWithParam<DiagnosticCase> {};

TEST_P(DiagnosticConverterTest, ConvertsOneLine) {
    const DiagnosticCase& c = GetParam();
    const DiagnosticConverter converter(toWindows);
    EXPECT_EQ(converter.convert(c.gccLine), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DiagnosticConverterTest,
    testing::Values(
        DiagnosticCase{"CompilerError", "/w/demo/main.c:12:5: error: expected ';' before '}' token",
                       "!E C:\\demo\\main.c(12): expected ';' before '}' token"},
        DiagnosticCase{"CompilerWarning",
                       "/w/demo/main.c:3:9: warning: unused variable 'x' [-Wunused-variable]",
                       "!W C:\\demo\\main.c(3):[warning] unused variable 'x' [-Wunused-variable]"},
        DiagnosticCase{"FatalError",
                       "/w/demo/main.c:1:18: fatal error: gone.h: No such file or "
                       "directory",
                       "!E C:\\demo\\main.c(1): gone.h: No such file or directory"},
        DiagnosticCase{"ErrorWithoutColumn", "/w/demo/a.c:7: error: bad",
                       "!E C:\\demo\\a.c(7): bad"},
        DiagnosticCase{"ErrorTextNeverReadsAsAWarning",
                       "/w/a.c:2:1: error: a warning was turned into this",
                       "!E C:\\a.c(2): a Warning was turned into this"},
        DiagnosticCase{"NoteStaysPlain", "/w/demo/main.c:4:6: note: declared here",
                       "C:\\demo\\main.c(4): note: declared here"},
        DiagnosticCase{"FunctionContextStaysPlain", "/w/demo/main.c: In function 'main':",
                       "C:\\demo\\main.c: In function 'main':"},
        DiagnosticCase{"TopLevelContextStaysPlain",
                       "/w/demo/main.c: At top level:", "C:\\demo\\main.c: At top level:"},
        DiagnosticCase{"IncludedFrom", "In file included from /w/demo/main.c:3:0:",
                       "In file included from C:\\demo\\main.c(3):"},
        DiagnosticCase{"IncludedFromMore", "                 from /w/demo/uart.h:2,",
                       "                 from C:\\demo\\uart.h(2),"},
        DiagnosticCase{"CommandLineWarningHasNoLocation",
                       "<command-line>:0:0: warning: \"X\" redefined", "!W \"X\" redefined"},
        DiagnosticCase{"AssemblerError", "/w/demo/start.s:12: Error: unknown opcode `mvo'",
                       "!E C:\\demo\\start.s(12): unknown opcode `mvo'"},
        DiagnosticCase{"AssemblerWarning", "/w/demo/start.s:3: Warning: odd",
                       "!W C:\\demo\\start.s(3):[warning] odd"},
        DiagnosticCase{"AssemblerMessagesHeaderStaysPlain",
                       "/tmp/cc1.s: Assembler messages:", "/tmp/cc1.s: Assembler messages:"},
        DiagnosticCase{"LinkerUndefinedWithLine",
                       "/w/demo/main.c:19: undefined reference to `missing'",
                       "!E C:\\demo\\main.c(19): undefined reference to `missing'"},
        DiagnosticCase{"LinkerUndefinedWithoutLine",
                       "main.o:(.text+0x4): undefined reference to `missing'",
                       "!E Z:main.o: undefined reference to `missing'"},
        DiagnosticCase{"FirstDefinedHereIsPlain", "/w/demo/uart.c:8: first defined here",
                       "C:\\demo\\uart.c(8): first defined here"},
        DiagnosticCase{"LinkerObjectContextStaysPlain", "/w/demo/main.o: In function `main':",
                       "C:\\demo\\main.o: In function `main':"},
        DiagnosticCase{"LinkerCannotFind",
                       "/usr/lib/gcc/avr/5.4.0/../../../avr/bin/ld: cannot find -lmine",
                       "!E cannot find -lmine"},
        DiagnosticCase{"LinkerRegionOverflow",
                       "/usr/bin/avr-ld: region `text' overflowed by 12 bytes",
                       "!E region `text' overflowed by 12 bytes"},
        DiagnosticCase{"LinkerRegionDetailIsPlain",
                       "/usr/bin/avr-ld: address 0x802000 of demo.cof section `.data' is not "
                       "within region `data'",
                       "address 0x802000 of demo.cof section `.data' is not within region `data'"},
        DiagnosticCase{"LinkerWillNotFitIsPlain",
                       "/usr/bin/avr-ld: demo.cof section `.text' will not fit in region `text'",
                       "demo.cof section `.text' will not fit in region `text'"},
        DiagnosticCase{"LinkerWarning", "/usr/bin/avr-ld: warning: cannot find entry symbol",
                       "!W cannot find entry symbol"},
        DiagnosticCase{"DriverError", "avr-gcc: error: gone.c: No such file or directory",
                       "!E gone.c: No such file or directory"},
        DiagnosticCase{"CompilerProperWarning", "cc1: warning: option ignored",
                       "!W option ignored"},
        DiagnosticCase{"CppCompilerProperError", "cc1plus: error: bad option", "!E bad option"},
        DiagnosticCase{"CollectTwoRepeatsTheLinkerAndIsDropped",
                       "collect2: error: ld returned 1 exit status", std::nullopt},
        DiagnosticCase{"OtherTextUnchanged", "compilation terminated.", "compilation terminated."}),
    [](const testing::TestParamInfo<DiagnosticCase>& info) {
        return std::string(info.param.name);
    });

TEST(DiagnosticConverterTest, OneMistakeCountsOnce) {
    const DiagnosticConverter converter(toWindows);
    const std::string output = "/w/main.c: In function 'main':\n"
                               "/w/main.c:5:3: error: 'y' undeclared (first use in this function)\n"
                               "/w/main.c:5:3: note: each undeclared identifier is reported only "
                               "once for each function it appears in\n";
    int errors = 0;
    for (const std::string& line : converter.convertAll(output)) {
        errors += DiagnosticConverter::isErrorLine(line) ? 1 : 0;
        EXPECT_EQ(line.find("!W"), std::string::npos) << line;
    }
    EXPECT_EQ(errors, 1);
}

TEST(DiagnosticConverterTest, CrLfOutputLosesItsCarriageReturns) {
    const DiagnosticConverter converter(toWindows);
    const auto lines = converter.convertAll("a\r\nb\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], "b");
}

} // namespace
} // namespace avrtazu
