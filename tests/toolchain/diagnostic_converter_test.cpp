#include "avr/diagnostic_converter.h"
#include "platform/golden_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

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
    test::expectGolden(converted, "gcc_messages_converted.txt");
    EXPECT_TRUE(DiagnosticConverter::isErrorLine("!E C:\\main.c(5): 'y' undeclared"));
    EXPECT_FALSE(DiagnosticConverter::isErrorLine("C:\\main.c(5): note: !E"));
}

} // namespace
} // namespace avrtazu
