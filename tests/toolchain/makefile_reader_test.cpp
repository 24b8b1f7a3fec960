#include "make/makefile_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace avrtazu {
namespace {

using Words = std::vector<std::string>;

Makefile readText(const std::string& text) {
    Makefile makefile;
    MakefileReader::read(text, makefile);
    return makefile;
}

TEST(MakefileReaderTest, ReadsTheGeneratedMakefileWithCrLfLineEnds) {
    const std::string text = "CC = tazuavr\r\n"
                             "CFLAGS =  -D__TAZU_VERSION=\"7.13\" -DATMega16  -l -g \r\n"
                             "FILES = main.o uart.o \r\n"
                             "\r\n"
                             "demo:\t$(FILES)\r\n"
                             "\t$(CC) -o demo @demo.lk -lcatmega \r\n"
                             "main.o: \r\n"
                             "main.o:\tC:\\work\\demo\\main.c\r\n"
                             "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\main.c\r\n"
                             "\r\n"
                             ".PHONY: clean\r\n"
                             "clean:\r\n"
                             "\tdel /F /Q *.o *.hex\r\n";
    const Makefile makefile = readText(text);

    EXPECT_EQ(makefile.defaultTarget(), "demo");
    ASSERT_NE(makefile.rule("demo"), nullptr);
    EXPECT_EQ(makefile.rule("demo")->prerequisites, (Words{"main.o", "uart.o"}));
    EXPECT_EQ(makefile.expand(makefile.rule("demo")->commands.at(0)),
              "tazuavr -o demo @demo.lk -lcatmega");
    ASSERT_NE(makefile.rule("main.o"), nullptr);
    // The empty rule line and the one naming the source join.
    EXPECT_EQ(makefile.rule("main.o")->prerequisites, (Words{"C:\\work\\demo\\main.c"}));
    EXPECT_EQ(makefile.expand(makefile.rule("main.o")->commands.at(0)),
              "tazuavr -c -D__TAZU_VERSION=\"7.13\" -DATMega16  -l -g C:\\work\\demo\\main.c");
    EXPECT_TRUE(makefile.isPhony("clean"));
    EXPECT_FALSE(makefile.isPhony("demo"));
    EXPECT_EQ(makefile.rule("clean")->commands, (Words{"del /F /Q *.o *.hex"}));
}

struct RuleCase {
    const char* name;
    std::string text;
    std::string target;
    Words prerequisites;
    Words commands;
};

class MakefileRuleTest : public testing::TestWithParam<RuleCase> {};

TEST_P(MakefileRuleTest, GathersPrerequisitesAndCommands) {
    const RuleCase& c = GetParam();
    const Makefile makefile = readText(c.text);
    const MakeRule* rule = makefile.rule(c.target);
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->prerequisites, c.prerequisites);
    std::vector<std::string> expanded;
    for (const std::string& command : rule->commands) {
        expanded.push_back(makefile.expand(command));
    }
    EXPECT_EQ(expanded, c.commands);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MakefileRuleTest,
    testing::Values(
        RuleCase{"DriveLetterTarget",
                 "C:\\out\\demo.cof: C:\\src\\a.o b.o\n\tlink\n",
                 "C:\\out\\demo.cof",
                 {"C:\\src\\a.o", "b.o"},
                 {"link"}},
        RuleCase{"SingleLetterTargetIsNoDrive", "a:\tb\n\tx\n", "a", {"b"}, {"x"}},
        RuleCase{"VariablesInTargetsAndPrerequisites",
                 "T = app\nOBJ = x.o y.o\n$(T): $(OBJ)\n",
                 "app",
                 {"x.o", "y.o"},
                 {}},
        RuleCase{"ContinuationWithBlankBackslash",
                 "all: a.o \\\n   b.o\n\tcc \\\n  -c\n",
                 "all",
                 {"a.o", "b.o"},
                 {"cc -c"}},
        RuleCase{"FolderBackslashIsNoContinuation",
                 "OUT = C:\\out\\\nall: $(OUT)x\n",
                 "all",
                 {"C:\\out\\x"},
                 {}},
        RuleCase{"CommentsAndBlankLinesBetweenCommands",
                 "all: x # note\n\tone\n\n# gap\n\ttwo\n",
                 "all",
                 {"x"},
                 {"one", "two"}},
        RuleCase{"InlineCommand", "all: x ; echo hi\n", "all", {"x"}, {"echo hi"}},
        RuleCase{
            "LaterCommandsReplaceEarlier", "a:\n\tfirst\na: b\n\tsecond\n", "a", {"b"}, {"second"}},
        RuleCase{"SeveralTargetsOnOneLine", "a b: c\n\tdo\n", "b", {"c"}, {"do"}}),
    [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

struct ExpansionCase {
    const char* name;
    std::string text;
    std::string expression;
    std::string expected;
};

class MakefileExpansionTest : public testing::TestWithParam<ExpansionCase> {};

TEST_P(MakefileExpansionTest, ExpandsVariables) {
    const ExpansionCase& c = GetParam();
    const Makefile makefile = readText(c.text);
    EXPECT_EQ(makefile.expand(c.expression), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Expansion, MakefileExpansionTest,
    testing::Values(ExpansionCase{"Parentheses", "A = x", "[$(A)]", "[x]"},
                    ExpansionCase{"Braces", "A = x", "[${A}]", "[x]"},
                    ExpansionCase{"Recursive", "A = $(B)\nB = late", "$(A)", "late"},
                    ExpansionCase{"Immediate", "B = early\nA := $(B)\nB = late", "$(A)", "early"},
                    ExpansionCase{"Append", "A = one\nA += two", "$(A)", "one two"},
                    ExpansionCase{"Conditional", "A = one\nA ?= two\nB ?= three", "$(A) $(B)",
                                  "one three"},
                    ExpansionCase{"Nested", "N = B\nB = found", "$($(N))", "found"},
                    ExpansionCase{"Dollar", "", "$$x", "$x"},
                    ExpansionCase{"Unset", "", "[$(NOT_SET_ANYWHERE_42)]", "[]"},
                    ExpansionCase{"ValueKeepsEqualsAndColons", "F =  -e:0x4000 -DX=1", "$(F)",
                                  "-e:0x4000 -DX=1"}),
    [](const testing::TestParamInfo<ExpansionCase>& info) { return std::string(info.param.name); });

TEST(MakefileReaderTest, CommandLineValuesWinOverTheMakefile) {
    Makefile makefile;
    makefile.overrideVariable("CC", "other");
    MakefileReader::read("CC = tazuavr\n", makefile);
    EXPECT_EQ(makefile.expand("$(CC)"), "other");
}

TEST(MakefileReaderTest, AutomaticVariablesNameTheRule) {
    const Makefile makefile = readText("");
    const RuleContext context{"dir\\main.o", {"main.c", "main.h"}};
    EXPECT_EQ(makefile.expand("$@ $< [$^] $*", &context),
              "dir\\main.o main.c [main.c main.h] dir\\main");
}

TEST(MakefileReaderTest, SelfReferenceIsAnErrorNotAHang) {
    const Makefile makefile = readText("A = $(A)x\n");
    EXPECT_THROW(makefile.expand("$(A)"), std::runtime_error);
}

struct ErrorCase {
    const char* name;
    std::string text;
    int line;
};

class MakefileErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(MakefileErrorTest, NamesTheLine) {
    const ErrorCase& c = GetParam();
    try {
        readText(c.text);
        FAIL() << "no error for " << c.text;
    } catch (const MakefileError& error) {
        EXPECT_EQ(error.line(), c.line);
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, MakefileErrorTest,
                         testing::Values(ErrorCase{"MissingSeparator", "A = 1\n\njust words\n", 3},
                                         ErrorCase{"CommandBeforeTarget", "\tcc -c x.c\n", 1},
                                         ErrorCase{"MissingTarget", "A = 1\n: x\n", 2},
                                         ErrorCase{"UnterminatedReference", "all: $(A\n", 1}),
                         [](const testing::TestParamInfo<ErrorCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(MakefileReaderTest, DefaultTargetSkipsSpecialTargets) {
    EXPECT_EQ(readText(".PHONY: clean\nclean:\n\tdel x\nall: clean\n").defaultTarget(), "clean");
    EXPECT_EQ(readText("A = 1\n").defaultTarget(), "");
}

} // namespace
} // namespace avrtazu
