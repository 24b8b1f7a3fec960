#include "avr/dependency_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace avrtazu {
namespace {

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
