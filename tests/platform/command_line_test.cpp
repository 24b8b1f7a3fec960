#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <utility>

namespace avrtazu {
namespace {

using Words = std::vector<std::string>;

TEST(CommandLineTest, SplitsTheWindowsWayAndQuotedArgumentsComeBackUnchanged) {
    const std::pair<const char*, Words> cases[] = {
        // clang-format off
        {"  tazumake   ", {"tazumake"}}, {"p \"two words\" three", {"p", "two words", "three"}},
        // The program word knows no escapes: a quoted folder keeps its last backslash.
        {"\"C:\\dir\\\" x", {"C:\\dir\\", "x"}},
        {"p a\\\"b", {"p", "a\"b"}}, {"p a\\\\\"b c\"", {"p", "a\\b c"}}, {"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {"p C:\\dir\\ \\\\server\\share", {"p", "C:\\dir\\", "\\\\server\\share"}},
        {"p \"\" x", {"p", "", "x"}}, {"p \"a\"\"b\"", {"p", "a\"b"}}, {"p\ta\tb", {"p", "a", "b"}},
        {"   ", {}},
        // clang-format on
    };
    for (const auto& [line, words] : cases) {
        EXPECT_EQ(CommandLine::split(line), words) << line;
    }
    const Words arguments[] = {
        {"prog", "plain"},
        {"prog", "two words", ""},
        {"prog", "C:\\dir with space\\", "say \"hi\""},
        {"C:\\Program Files\\t.exe", "a\\\\\"b", "\\"},
        {"prog", "tab\there", "end\\"},
    };
    for (const auto& words : arguments) {
        const std::string line = CommandLine::join(words);
        EXPECT_EQ(CommandLine::split(line), words) << line;
    }
    EXPECT_EQ(CommandLine::quote("plain"), "plain");
    EXPECT_EQ(CommandLine::quote("C:\\a b\\"), "\"C:\\a b\\\\\"");
}

} // namespace
} // namespace avrtazu
