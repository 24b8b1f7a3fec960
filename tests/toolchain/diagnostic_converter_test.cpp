#include "avr/diagnostic_converter.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

// Paths under /w are drive C: here, the rest Z:.
std::string toWindows(const std::string& path) {
    std::string result = path.rfind("/w/", 0) == 0 ? "C:" + path.substr(2) : "Z:" + path;
    for (char& c : result) {
        c = c == '/' ? '\\' : c;
    }
    return result;
}

TEST(DiagnosticConverterTest, ConvertsOneLine) {
    const struct {
        const char* line;
        std::optional<std::string> expected;
    } cases[] = {
        // clang-format off
        {"/w/demo/main.c:12:5: error: expected ';' before '}' token",
         "!E C:\\demo\\main.c(12): expected ';' before '}' token"},
        {"/w/demo/main.c:3:9: warning: unused variable 'x' [-Wunused-variable]",
         "!W C:\\demo\\main.c(3):[warning] unused variable 'x' [-Wunused-variable]"},
        {"/w/demo/main.c:1:18: fatal error: gone.h: No such file or directory",
         "!E C:\\demo\\main.c(1): gone.h: No such file or directory"},
        // An error's text never reads as a warning.
        {"/w/a.c:2:1: error: a warning was turned into this",
         "!E C:\\a.c(2): a Warning was turned into this"},
        // Notes and context lines stay plain.
        {"/w/demo/main.c:4:6: note: declared here", "C:\\demo\\main.c(4): note: declared here"},
        {"/w/demo/main.c: In function 'main':", "C:\\demo\\main.c: In function 'main':"},
        {"In file included from /w/demo/main.c:3:0:", "In file included from C:\\demo\\main.c(3):"},
        {"                 from /w/demo/uart.h:2,", "                 from C:\\demo\\uart.h(2),"},
        {"<command-line>:0:0: warning: \"X\" redefined", "!W \"X\" redefined"},
        // The assembler, without a column and with capitals.
        {"/w/demo/start.s:12: Error: unknown opcode `mvo'",
         "!E C:\\demo\\start.s(12): unknown opcode `mvo'"},
        {"/w/demo/start.s:3: Warning: odd", "!W C:\\demo\\start.s(3):[warning] odd"},
        // The linker, with and without a source line.
        {"/w/demo/main.c:19: undefined reference to `missing'",
         "!E C:\\demo\\main.c(19): undefined reference to `missing'"},
        {"main.o:(.text+0x4): undefined reference to `missing'",
         "!E Z:main.o: undefined reference to `missing'"},
        {"/w/demo/uart.c:8: first defined here", "C:\\demo\\uart.c(8): first defined here"},
        {"/usr/lib/gcc/avr/5.4.0/../../../avr/bin/ld: cannot find -lmine", "!E cannot find -lmine"},
        {"/usr/bin/avr-ld: address 0x802000 of demo.cof section `.data' is not within region "
         "`data'",
         "address 0x802000 of demo.cof section `.data' is not within region `data'"},
        {"/usr/bin/avr-ld: warning: cannot find entry symbol", "!W cannot find entry symbol"},
        {"avr-gcc: error: gone.c: No such file or directory",
         "!E gone.c: No such file or directory"},
        // collect2 repeats the linker's verdict.
        {"collect2: error: ld returned 1 exit status", std::nullopt},
        {"compilation terminated.", "compilation terminated."},
        // clang-format on
    };
    const DiagnosticConverter converter(toWindows);
    for (const auto& c : cases) {
        EXPECT_EQ(converter.convert(c.line), c.expected) << c.line;
    }
}

TEST(DiagnosticConverterTest, OneMistakeCountsOnceAndLineEndsGo) {
    const DiagnosticConverter converter(toWindows);
    const std::vector<std::string> lines = converter.convertAll(
        "/w/main.c: In function 'main':\r\n"
        "/w/main.c:5:3: error: 'y' undeclared (first use in this function)\r\n"
        "/w/main.c:5:3: note: each undeclared identifier is reported only once\n"
        "collect2: error: ld returned 1 exit status\n");
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "C:\\main.c: In function 'main':",
                         "!E C:\\main.c(5): 'y' undeclared (first use in this function)",
                         "C:\\main.c(5): note: each undeclared identifier is reported only once"}));
    EXPECT_TRUE(DiagnosticConverter::isErrorLine(lines[1]));
    EXPECT_FALSE(DiagnosticConverter::isErrorLine(lines[2]));
}

} // namespace
} // namespace avrtazu
