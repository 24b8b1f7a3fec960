#include "avr/dependency_file.h"

#include <gtest/gtest.h>

#include <string>

namespace avrtazu {
namespace {

// Paths under /c are drive C:, the rest Z:.
std::string toWindows(const std::string& path) {
    std::string result = path.rfind("/c/", 0) == 0 ? "C:" + path.substr(2) : "Z:" + path;
    for (char& c : result) {
        c = c == '/' ? '\\' : c;
    }
    return result;
}

TEST(DependencyFileTest, WritesWindowsWordsWithoutCarriageReturns) {
    const struct {
        const char* gccText;
        const char* expected;
    } cases[] = {
        // clang-format off
        {"main.o: /c/work/demo/main.c \\\n /c/work/demo/uart.h \\\n /usr/inc/x.h\n",
         "main.o: C:\\work\\demo\\main.c \\\n C:\\work\\demo\\uart.h \\\n Z:\\usr\\inc\\x.h\n"},
        // Files inside the output folder are relative to it; relative names are resolved there.
        {"main.o: /c/work/demo/main.c /c/work/demo/default/gen/cfg.h\n",
         "main.o: C:\\work\\demo\\main.c \\\n gen\\cfg.h\n"},
        {"main.o: ../main.c inc/local.h\n", "main.o: C:\\work\\demo\\main.c \\\n inc\\local.h\n"},
        {"main.o: /c/a.c \\\r\n /c/a.h\r\nx.o: /c/x.c\r\n",
         "main.o: C:\\a.c \\\n C:\\a.h\nx.o: C:\\x.c\n"},
        {"", ""},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DependencyFile::convert(c.gccText, "/c/work/demo/default", toWindows), c.expected)
            << c.gccText;
    }
}

} // namespace
} // namespace avrtazu
