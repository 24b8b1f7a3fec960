#include "plugin/source_line_reference.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace avrtazu {
namespace {

// A build-output line and the file name and line it names; an empty name for none.
TEST(SourceLineReference, ParsesTheOutputLine) {
    const struct {
        const char* text;
        std::string fileName;
        long line;
    } cases[] = {
        {"!E C:\\work\\demo\\main.c(12): expected ';'", "main.c", 12},
        {"!W uart.c(7):[warning] unused", "uart.c", 7},
        // The line is read as atoi reads it.
        {"!E main.c( 9x): x", "main.c", 9},
        {"main.c(3):error", "", 0},
        {"!E main.c: no line", "", 0},
        {"!E main.c(12 and no end", "", 0},
        {"main.c(3): the blank comes late", "", 0},
        {"x) !E main.c(4)", "", 0},
        {"!E C:\\work\\(3)", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<SourceLineReference> parsed = SourceLineReference::parse(c.text);
        ASSERT_EQ(parsed.has_value(), !c.fileName.empty());
        if (parsed) {
            EXPECT_EQ(std::make_pair(parsed->fileName, parsed->line),
                      std::make_pair(c.fileName, c.line));
        }
    }
}

} // namespace
} // namespace avrtazu
