#include "plugin/source_line_reference.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace avrtazu {
namespace {

struct ReferenceCase {
    const char* text;
    std::optional<SourceLineReference> expected;
};

void PrintTo(const ReferenceCase& row, std::ostream* out) {
    *out << '"' << row.text << '"';
}

class SourceLineReferenceTest : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(SourceLineReferenceTest, ParsesTheOutputLine) {
    const ReferenceCase& row = GetParam();
    const std::optional<SourceLineReference> parsed = SourceLineReference::parse(row.text);
    ASSERT_EQ(parsed.has_value(), row.expected.has_value());
    if (parsed) {
        EXPECT_EQ(parsed->fileName, row.expected->fileName);
        EXPECT_EQ(parsed->line, row.expected->line);
    }
}

INSTANTIATE_TEST_SUITE_P(
    OutputLines, SourceLineReferenceTest,
    ::testing::Values(ReferenceCase{"!E C:\\work\\demo\\main.c(12): expected ';'",
                                    SourceLineReference{"main.c", 12}},
                      ReferenceCase{"!W uart.c(7):[warning] unused variable 'x'",
                                    SourceLineReference{"uart.c", 7}},
                      // Only the first blank counts, so a folder may contain blanks.
                      ReferenceCase{"!E C:\\my work\\lib (old)\\io.c(3): x",
                                    SourceLineReference{"lib ", 0}},
                      ReferenceCase{"!E C:\\my work\\io.c(3): x", SourceLineReference{"io.c", 3}},
                      ReferenceCase{"!E ..\\inc\\io.h( 42 ): x", SourceLineReference{"io.h", 42}},
                      ReferenceCase{"!E main.c(9x): x", SourceLineReference{"main.c", 9}},
                      ReferenceCase{"!E main.c(x): x", SourceLineReference{"main.c", 0}},
                      ReferenceCase{"!E main.c(-4): x", SourceLineReference{"main.c", -4}},
                      ReferenceCase{"main.c(3):error", std::nullopt},
                      ReferenceCase{"!E main.c: no line", std::nullopt},
                      ReferenceCase{"!E main.c(12 and no end", std::nullopt},
                      ReferenceCase{"!E main.c 12)", std::nullopt},
                      ReferenceCase{"main.c(3): the blank comes late", std::nullopt},
                      ReferenceCase{"x) !E main.c(4)", std::nullopt},
                      ReferenceCase{"!E C:\\work\\(3)", std::nullopt},
                      ReferenceCase{"", std::nullopt}));

} // namespace
} // namespace avrtazu
