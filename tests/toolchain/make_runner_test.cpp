#include "make/make_runner.h"
#include "make/makefile_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using Words = std::vector<std::string>;
using Files = std::map<std::string, int>;

// Files with times in whole ticks; commands "touch X" give X the next tick, "fail" fails.
class FakeActions : public MakeActions {
public:
    std::optional<std::filesystem::file_time_type> timeOf(const std::string& name) override {
        const auto found = files.find(name);
        if (found == files.end()) {
            return std::nullopt;
        }
        return std::filesystem::file_time_type(std::chrono::seconds(found->second));
    }
    std::optional<std::string> readText(const std::string&) override { return std::nullopt; }
    int run(const std::string& command, std::string*) override {
        ran.push_back(command);
        if (command.rfind("touch ", 0) == 0) {
            files[command.substr(6)] = ++clock;
        }
        return command.rfind("fail", 0) == 0 ? 3 : 0;
    }
    void say(const std::string& line) override { said.push_back(line); }

    Files files;
    int clock = 100;
    Words ran;
    Words said;
};

// The shape of the generated Makefile.
const char* const project = "CC = touch\n"
                            "demo: main.o uart.o\n"
                            "\t$(CC) demo\n"
                            "main.o: \n"
                            "main.o:\tC:\\src\\main.c\n"
                            "\t$(CC) main.o\n"
                            "uart.o: \n"
                            "uart.o:\tC:\\src\\uart.c\n"
                            "\t$(CC) uart.o\n"
                            ".PHONY: clean\n"
                            "clean:\n"
                            "\t@del *.o\n";

const Files sourcesOnly{{"C:\\src\\main.c", 1}, {"C:\\src\\uart.c", 1}};
const Files built{
    {"C:\\src\\main.c", 1}, {"C:\\src\\uart.c", 1}, {"main.o", 5}, {"uart.o", 5}, {"demo", 9}};

struct MakeCase {
    const char* name;
    std::string makefile;
    Files files;
    Words goals;
    int status;
    Words ran;
    Words said;
};

TEST(MakeRunnerTest, RunsExactlyTheOutOfDateRules) {
    Files mainEdited = built;
    mainEdited["C:\\src\\main.c"] = 7;
    Files noLinkOutput = built;
    noLinkOutput.erase("demo");
    const Words all = {"touch main.o", "touch uart.o", "touch demo"};
    const Words mainAndLink = {"touch main.o", "touch demo"};
    const MakeCase cases[] = {
        // clang-format off
        {"fresh build makes everything", project, sourcesOnly, {}, 0, all, all},
        {"newer source remakes its object and the link", project, mainEdited, {}, 0, mainAndLink,
         mainAndLink},
        {"missing target is remade", project, noLinkOutput, {}, 0, {"touch demo"}, {"touch demo"}},
        {"goals in order; a phony one always runs, \"@\" keeps it quiet", project, sourcesOnly,
         {"uart.o", "clean"}, 0, {"touch uart.o", "del *.o"}, {"touch uart.o"}},
        {"up to date", project, built, {"demo"}, 0, {}, {"tazumake: 'demo' is up to date."}},
        {"a rule without commands", "x:\n", {{"x", 1}}, {}, 0, {},
         {"tazumake: Nothing to be done for 'x'."}},
        {"automatic variables", "x.o: x.c x.h\n\t@cc -o $@ $<\n", {{"x.c", 1}, {"x.h", 1}}, {}, 0,
         {"cc -o x.o x.c"}, {}},
        {"\"-\" ignores a failure", "all:\n\t-fail first\n\ttouch all\n", {}, {}, 0,
         {"fail first", "touch all"},
         {"fail first", "tazumake: *** [all] Error 3 (ignored)", "touch all"}},
        {"a circular dependency ends", "a: b\n\ttouch a\nb: a\n\ttouch b\n", {}, {}, 0,
         {"touch b", "touch a"},
         {"tazumake: Circular b <- a dependency dropped.", "touch b", "touch a"}},
        // Errors stop with a line holding "Error" and one holding "Stop".
        {"missing source", project, {{"C:\\src\\uart.c", 1}}, {}, 2, {},
         {"tazumake: *** Error: No rule to make target 'C:\\src\\main.c', needed by 'main.o'.",
          "tazumake: *** Stop."}},
        {"unknown goal", project, {}, {"nothing.o"}, 2, {},
         {"tazumake: *** Error: No rule to make target 'nothing.o'.", "tazumake: *** Stop."}},
        {"failed command", "all: a b\na:\n\tfail a\n\tnever\nb:\n\ttouch b\n", {}, {}, 2,
         {"fail a"},
         {"fail a", "tazumake: *** [a] Error 3", "tazumake: *** Stop."}},
        {"bad reference in a command", "x:\n\techo $(A\n", {}, {}, 2, {},
         {"tazumake: *** [x] Error: unterminated variable reference", "tazumake: *** Stop."}},
        {"no targets", "", {}, {}, 2, {},
         {"tazumake: *** Error: No targets.", "tazumake: *** Stop."}},
        // clang-format on
    };
    for (const MakeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Makefile makefile;
        MakefileReader::read(c.makefile, makefile);
        FakeActions actions;
        actions.files = c.files;
        EXPECT_EQ(MakeRunner(makefile, actions).make(c.goals), c.status);
        EXPECT_EQ(actions.ran, c.ran);
        EXPECT_EQ(actions.said, c.said);
    }
}

} // namespace
} // namespace avrtazu
