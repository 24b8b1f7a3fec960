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
    const Makefile makefile = readText("CC = tazuavr\r\n"
                                       "CFLAGS =  -DATMega16  -l -g \r\n"
                                       "FILES = main.o uart.o \r\n"
                                       "\r\n"
                                       "demo:\t$(FILES)\r\n"
                                       "\t$(CC) -o demo @demo.lk -lcatmega \r\n"
                                       "main.o: \r\n"
                                       "main.o:\tC:\\work\\demo\\main.c\r\n"
                                       "\t$(CC) -c $(CFLAGS) C:\\work\\demo\\main.c\r\n"
                                       ".PHONY: clean\r\n"
                                       "clean:\r\n"
                                       "\tdel /F /Q *.o *.hex\r\n");
    EXPECT_EQ(makefile.defaultTarget(), "demo");
    ASSERT_NE(makefile.rule("demo"), nullptr);
    EXPECT_EQ(makefile.rule("demo")->prerequisites, (Words{"main.o", "uart.o"}));
    ASSERT_NE(makefile.rule("main.o"), nullptr);
    // The empty rule line and the one naming the source join.
    EXPECT_EQ(makefile.rule("main.o")->prerequisites, (Words{"C:\\work\\demo\\main.c"}));
    EXPECT_EQ(makefile.expand(makefile.rule("main.o")->commands.at(0)),
              "tazuavr -c -DATMega16  -l -g C:\\work\\demo\\main.c");
    EXPECT_TRUE(makefile.isPhony("clean"));
    EXPECT_FALSE(makefile.isPhony("demo"));
    EXPECT_EQ(makefile.rule("clean")->commands, (Words{"del /F /Q *.o *.hex"}));
}

TEST(MakefileReaderTest, GathersPrerequisitesAndCommands) {
    const struct {
        const char* name;
        std::string text;
        std::string target;
        Words prerequisites;
        Words commands;
    } cases[] = {
        // clang-format off
        {"drive letter target", "C:\\out\\demo.cof: C:\\src\\a.o b.o\n\tlink\n",
         "C:\\out\\demo.cof",
         {"C:\\src\\a.o", "b.o"}, {"link"}},
        {"a single letter is no drive", "a:\tb\n\tx\n", "a", {"b"}, {"x"}},
        {"variables in targets and prerequisites", "T = app\nOBJ = x.o y.o\n$(T): $(OBJ)\n", "app",
         {"x.o", "y.o"}, {}},
        {"continuation with blank and backslash", "all: a.o \\\n   b.o\n\tcc \\\n  -c\n", "all",
         {"a.o", "b.o"}, {"cc -c"}},
        {"a folder's backslash continues nothing", "OUT = C:\\out\\\nall: $(OUT)x\n", "all",
         {"C:\\out\\x"}, {}},
        {"comments and blank lines between commands", "all: x # note\n\tone\n\n# gap\n\ttwo\n",
         "all",
         {"x"}, {"one", "two"}},
        {"inline command", "all: x ; echo hi\n", "all", {"x"}, {"echo hi"}},
        {"later commands replace earlier ones", "a:\n\tfirst\na: b\n\tsecond\n", "a", {"b"},
         {"second"}},
        {"several targets on one line", "a b: c\n\tdo\n", "b", {"c"}, {"do"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Makefile makefile = readText(c.text);
        const MakeRule* rule = makefile.rule(c.target);
        ASSERT_NE(rule, nullptr);
        EXPECT_EQ(rule->prerequisites, c.prerequisites);
        Words expanded;
        for (const std::string& command : rule->commands) {
            expanded.push_back(makefile.expand(command));
        }
        EXPECT_EQ(expanded, c.commands);
    }
}

TEST(MakefileReaderTest, ExpandsVariables) {
    const struct {
        std::string text;
        std::string expression;
        std::string expected;
    } cases[] = {
        {"A = x", "[$(A)${A}$$]", "[xx$]"},
        {"A = $(B)\nB = late", "$(A)", "late"},
        {"B = early\nA := $(B)\nB = late", "$(A)", "early"},
        {"A = one\nA += two", "$(A)", "one two"},
        {"A = one\nA ?= two\nB ?= three", "$(A) $(B)", "one three"},
        {"N = B\nB = found", "$($(N))", "found"},
        {"", "[$(NOT_SET_ANYWHERE_42)]", "[]"},
        {"F =  -e:0x4000 -DX=1", "$(F)", "-e:0x4000 -DX=1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readText(c.text).expand(c.expression), c.expected) << c.text;
    }
    const RuleContext context{"dir\\main.o", {"main.c", "main.h"}};
    EXPECT_EQ(readText("").expand("$@ $< [$^] $*", &context),
              "dir\\main.o main.c [main.c main.h] dir\\main");
    EXPECT_THROW(readText("A = $(A)x\n").expand("$(A)"), std::runtime_error);

    Makefile overridden;
    overridden.overrideVariable("CC", "other");
    MakefileReader::read("CC = tazuavr\n", overridden);
    EXPECT_EQ(overridden.expand("$(CC)"), "other");
}

TEST(MakefileReaderTest, ErrorsNameTheLine) {
    const struct {
        std::string text;
        int line;
        std::string message;
    } cases[] = {
        {"A = 1\n\njust words\n", 3, "missing separator"},
        {"\tcc -c x.c\n", 1, "recipe commences before first target"},
        {"A = 1\n: x\n", 2, "missing target"},
        {"all: $(A\n", 1, "unterminated variable reference"},
    };
    for (const auto& c : cases) {
        try {
            readText(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const MakefileError& error) {
            EXPECT_EQ(error.line(), c.line) << c.text;
            EXPECT_EQ(error.what(), c.message) << c.text;
        }
    }
}

TEST(MakefileReaderTest, DefaultTargetSkipsSpecialTargets) {
    EXPECT_EQ(readText(".PHONY: clean\nclean:\n\tdel x\nall: clean\n").defaultTarget(), "clean");
    EXPECT_EQ(readText("A = 1\n").defaultTarget(), "");
}

} // namespace
} // namespace avrtazu
