#include "avr/dependency_file.h"

#include <gtest/gtest.h>

#include <string>

namespace avrtazu {
namespace {

std::string toWindows(const std::string& path) {
    std::string result = path.rfind("/c/", 0) == 0 ? "C:" + path.substr(2) : "Z:" + path;
    for (char& c : result) {
        if (c == '/') {
            c = '\\';
        }
    }
    return result;
}

struct DependencyCase {
    const char* name;
    std::string gccText;
    std::string expected;
};

class DependencyFileTest : public testing::TestWithParam<DependencyCase> {};

TEST_P(DependencyFileTest, WritesWindowsWords) {
    const DependencyCase& c = GetParam();
    EXPECT_EQ(DependencyFile::convert(c.gccText, "/c/work/demo/default", toWindows), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DependencyFileTest,
    testing::Values(DependencyCase{"SourceAndHeaderBesideIt",
                                   "main.o: /c/work/demo/main.c /c/work/demo/uart.h\n",
                                   "main.o: C:\\work\\demo\\main.c \\\n C:\\work\\demo\\uart.h\n"},
                    DependencyCase{
                        "ContinuationLinesJoin",
                        "main.o: /c/work/demo/main.c \\\n /c/work/demo/uart.h \\\n /usr/inc/x.h\n",
                        "main.o: C:\\work\\demo\\main.c \\\n C:\\work\\demo\\uart.h \\\n "
                        "Z:\\usr\\inc\\x.h\n"},
                    DependencyCase{"HeaderInsideTheOutputFolderIsRelative",
                                   "main.o: /c/work/demo/main.c /c/work/demo/default/gen/cfg.h\n",
                                   "main.o: C:\\work\\demo\\main.c \\\n gen\\cfg.h\n"},
                    DependencyCase{"RelativeNamesAreResolvedAgainstTheOutputFolder",
                                   "main.o: ../main.c inc/local.h\n",
                                   "main.o: C:\\work\\demo\\main.c \\\n inc\\local.h\n"},
                    DependencyCase{"CrLfInput", "main.o: /c/a.c \\\r\n /c/a.h\r\n",
                                   "main.o: C:\\a.c \\\n C:\\a.h\n"},
                    DependencyCase{"EmptyInput", "", ""}),
    [](const testing::TestParamInfo<DependencyCase>& info) {
        return std::string(info.param.name);
    });

TEST(DependencyFileTest, OutputHasNoCarriageReturn) {
    const std::string text =
        DependencyFile::convert("main.o: /c/a.c /c/a.h\r\n", "/c/work/", toWindows);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
}

} // namespace
} // namespace avrtazu
