#include "make/makefile_reader.h"
#include "platform/golden_file.h"

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

// The default target and, for each target asked about, its prerequisites and its commands as
// they run.
std::string describe(const Makefile& makefile, const Words& targets) {
    std::string text = "default: " + makefile.defaultTarget() + "\n";
    for (const std::string& target : targets) {
        const MakeRule* rule = makefile.rule(target);
        text += target + (makefile.isPhony(target) ? " (phony)" : "") + (rule ? ":" : " no rule");
        for (const std::string& prerequisite : rule ? rule->prerequisites : Words{}) {
            text += " [" + prerequisite + "]";
        }
        for (const std::string& command : rule ? rule->commands : Words{}) {
            text += "\n\t" + makefile.expand(command);
        }
        text += "\n";
    }
    return text;
}

// What is read from the demo Makefile (with its CR LF line ends) and from each text is in
// golden/makefile_rules.txt.
TEST(MakefileReaderTest, GathersPrerequisitesAndCommands) {
    std::string seen = "== demo.mk\n" + describe(readText(test::golden("demo.mk")),
                                                 {"demo", "main.o", "uart.o", "clean"});
    const struct {
        const char* name;
        std::string text;
        Words targets;
    } cases[] = {
        // clang-format off
        {"drive letter target", "C:\\out\\demo.cof: C:\\src\\a.o b.o\n\tlink\n", {"C:\\out\\demo.cof"}},
        {"a single letter is no drive", "a:\tb\n\tx\n", {"a"}},
        {"variables in targets and prerequisites", "T = app\nOBJ = x.o y.o\n$(T): $(OBJ)\n", {"app"}},
        {"continuation with blank and backslash", "all: a.o \\\n   b.o\n\tcc \\\n  -c\n", {"all"}},
        {"a folder's backslash continues nothing", "OUT = C:\\out\\\nall: $(OUT)x\n", {"all"}},
        {"comments and blank lines between commands", "all: x # note\n\tone\n\n# gap\n\ttwo\n", {"all"}},
        {"inline command", "all: x ; echo hi\n", {"all"}},
        {"later commands replace earlier ones", "a:\n\tfirst\na: b\n\tsecond\n", {"a"}},
        {"several targets on one line", "a b: c\n\tdo\n", {"a", "b"}},
        {"special targets are no default", ".PHONY: clean\nclean:\n\tdel x\nall: clean\n", {"all"}},
        {"no rules", "A = 1\n", {"A"}},
        // Errors name the line.
        {"missing separator", "A = 1\n\njust words\n", {}},
        {"command before a target", "\tcc -c x.c\n", {}},
        {"missing target", "A = 1\n: x\n", {}},
        {"unterminated reference", "all: $(A\n", {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        seen += "== " + std::string(c.name) + "\n";
        try {
            seen += describe(readText(c.text), c.targets);
        } catch (const MakefileError& error) {
            seen += "error in line " + std::to_string(error.line()) + ": " + error.what() + "\n";
        }
    }
    test::expectGolden(seen, "makefile_rules.txt");
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

} // namespace
} // namespace avrtazu
