#include "make/make_runner.h"
#include "make/makefile_reader.h"
#include "platform/golden_file.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

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
    int run(const std::string& command) override {
        log += "  ran: " + command + "\n";
        if (command.rfind("touch ", 0) == 0) {
            files[command.substr(6)] = ++clock;
        }
        return command.rfind("fail", 0) == 0 ? 3 : 0;
    }
    void say(const std::string& line) override { log += line + "\n"; }

    Files files;
    int clock = 100;
    std::string log;
};

// What each run ran and said, and its status, are in golden/make_runs.txt.
TEST(MakeRunnerTest, RunsExactlyTheOutOfDateRules) {
    // The shape of the generated Makefile.
    const char* const project = "CC = touch\ndemo: main.o uart.o\n\t$(CC) demo\n"
                                "main.o: \nmain.o:\tC:\\src\\main.c\n\t$(CC) main.o\n"
                                "uart.o: \nuart.o:\tC:\\src\\uart.c\n\t$(CC) uart.o\n"
                                ".PHONY: clean\nclean:\n\t@del *.o\n";
    const Files sources{{"C:\\src\\main.c", 1}, {"C:\\src\\uart.c", 1}};
    Files built = sources;
    built.insert({{"main.o", 5}, {"uart.o", 5}, {"demo", 9}});
    Files mainEdited = built;
    mainEdited["C:\\src\\main.c"] = 7;
    Files noLinkOutput = built;
    noLinkOutput.erase("demo");
    const struct {
        const char* name;
        std::string makefile;
        Files files;
        std::vector<std::string> goals;
    } cases[] = {
        // clang-format off
        {"fresh build makes everything", project, sources, {}},
        {"newer source remakes its object and the link", project, mainEdited, {}},
        {"missing target is remade", project, noLinkOutput, {}},
        {"goals in order; a phony one always runs, \"@\" keeps it quiet", project, sources, {"uart.o", "clean"}},
        {"up to date", project, built, {"demo"}},
        {"a rule without commands", "x:\n", {{"x", 1}}, {}},
        {"automatic variables", "x.o: x.c x.h\n\t@cc -o $@ $<\n", {{"x.c", 1}, {"x.h", 1}}, {}},
        {"\"-\" ignores a failure", "all:\n\t-fail first\n\ttouch all\n", {}, {}},
        {"a circular dependency ends", "a: b\n\ttouch a\nb: a\n\ttouch b\n", {}, {}},
        // Errors stop with a line holding "Error" and one holding "Stop".
        {"missing source", project, {{"C:\\src\\uart.c", 1}}, {}},
        {"unknown goal", project, {}, {"nothing.o"}},
        {"failed command", "all: a b\na:\n\tfail a\n\tnever\nb:\n\ttouch b\n", {}, {}},
        {"bad reference in a command", "x:\n\techo $(A\n", {}, {}},
        {"no targets", "", {}, {}},
        // clang-format on
    };
    std::string seen;
    for (const auto& c : cases) {
        Makefile makefile;
        MakefileReader::read(c.makefile, makefile);
        FakeActions actions;
        actions.files = c.files;
        const int status = MakeRunner(makefile, actions).make(c.goals);
        seen += "== " + std::string(c.name) + ": " + std::to_string(status) + "\n" + actions.log;
    }
    test::expectGolden(seen, "make_runs.txt");
}

} // namespace
} // namespace avrtazu
