// tazumake: reading Makefiles, bringing targets up to date, and its built-in del.

#include "golden.h"
#include "make/del_command.h"
#include "make/make_runner.h"
#include "make/makefile_reader.h"
#include "platform/temp_drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
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
    test::expectGolden("makefile_rules.txt", seen);
}

// Each line of golden/expansions.txt: Makefile lines (" | " between them), " || ", a text to
// expand in the context of the target dir\main.o with main.c and main.h, and what it gives.
std::string expansion(const std::string& input) {
    const std::size_t split = input.find(" || ");
    std::string text = input.substr(0, split) + "\n";
    for (std::size_t at; (at = text.find(" | ")) != std::string::npos;) {
        text.replace(at, 3, "\n");
    }
    const RuleContext context{"dir\\main.o", {"main.c", "main.h"}};
    return "[" + readText(text).expand(input.substr(split + 4), &context) + "]";
}

TEST(MakefileReaderTest, ExpandsVariables) {
    test::expectEachLine("expansions.txt", expansion);
}

using Files = std::map<std::string, int>;

// Files with times in whole ticks, safe for several jobs at once. Commands: "touch X" gives X
// the next tick, "fail X" fails, "print X" prints two lines, "meet X" waits until two jobs
// have met, "await X" until something said holds X, "wait X" until file X exists. Waits give
// up after a while, failing.
class FakeActions : public MakeActions {
public:
    std::optional<std::filesystem::file_time_type> timeOf(const std::string& name) override {
        const std::lock_guard lock(mutex_);
        const auto found = files.find(name);
        return found == files.end() ? std::nullopt
                                    : std::optional(std::filesystem::file_time_type(
                                          std::chrono::seconds(found->second)));
    }
    std::optional<std::string> readText(const std::string& name) override {
        const auto found = lists.find(name);
        return found == lists.end() ? std::nullopt : std::optional(found->second);
    }
    int run(const std::string& command, JobOutput* output) override {
        std::unique_lock lock(mutex_);
        ran.push_back(command);
        log += "  ran: " + command + "\n";
        const std::string verb = command.substr(0, command.find(' '));
        const std::string what = command.substr(command.find(' ') + 1);
        met += verb == "meet";
        changed_.notify_all();
        const bool waited = changed_.wait_for(lock, std::chrono::seconds(20), [&] {
            if (verb == "meet" || verb == "wait") {
                return verb == "meet" ? met >= 2 : files.count(what) > 0;
            }
            return verb != "await" || std::any_of(said.begin(), said.end(), [&](auto& text) {
                       return text.find(what) != std::string::npos;
                   });
        });
        if (verb == "touch") {
            files[what] = ++clock;
        }
        lock.unlock();
        if (verb == "print") {
            output->write(what + ": one\n" + what + ": two");
        }
        return verb == "fail" ? 3 : (waited ? 0 : 9);
    }
    void write(std::string_view text) override {
        const std::lock_guard lock(mutex_);
        said.emplace_back(text.substr(0, text.size() - (text.back() == '\n')));
        log += text;
        written += text;
        changed_.notify_all();
    }

    Files files;
    std::map<std::string, std::string> lists;
    int clock = 100;
    int met = 0;
    Words ran;
    Words said;
    // What ran and what was said, in one order.
    std::string log;
    std::string written;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
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
        {"a prerequisite as old as its target", "x: x.c\n\ttouch x\n", {{"x", 5}, {"x.c", 5}}, {}},
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
    test::expectGolden("make_runs.txt", seen);
}

const char* const project = "demo: main.o uart.o\n"
                            "\ttouch demo\n"
                            "main.o: \n"
                            "main.o:\tC:\\src\\main.c\n"
                            "\ttouch main.o\n"
                            "uart.o: \n"
                            "uart.o:\tC:\\src\\uart.c\n"
                            "\ttouch uart.o\n";

TEST(MakeJobsTest, DependencyListsRemakeTheObjectsThatIncludeAHeader) {
    // clang-format off
    const Files built{{"C:\\src\\main.c", 1}, {"C:\\src\\uart.c", 1}, {"C:\\src\\main.h", 1},
                      {"C:\\src\\uart.h", 1}, {"main.o", 5}, {"uart.o", 5}, {"demo", 9}};
    // clang-format on
    const std::map<std::string, std::string> lists{
        {"dep\\main.o.d", "main.o: C:\\src\\main.c \\\n C:\\src\\main.h \\\n C:\\src\\uart.h\n"},
        {"dep\\uart.o.d", "uart.o: C:\\src\\uart.c \\\n C:\\src\\uart.h\n"}};
    const struct {
        const char* name;
        Files changes; // tick 0 deletes the file
        int status;
        Words said; // the commands echoed as they run, or the error
    } cases[] = {
        // clang-format off
        {"a header of one object", {{"C:\\src\\main.h", 7}}, 0, {"touch main.o", "touch demo"}},
        {"a header of both", {{"C:\\src\\uart.h", 7}}, 0,
         {"touch main.o", "touch uart.o", "touch demo"}},
        {"a deleted header", {{"C:\\src\\main.h", 0}}, 0, {"touch main.o", "touch demo"}},
        {"a deleted source the rule names", {{"C:\\src\\uart.c", 0}}, 2,
         {"tazumake: *** Error: No rule to make target 'C:\\src\\uart.c', needed by 'uart.o'.",
          "tazumake: *** Stop."}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Makefile makefile;
        MakefileReader::read(project, makefile);
        FakeActions actions;
        actions.files = built;
        actions.lists = lists;
        for (const auto& [name, tick] : c.changes) {
            tick == 0 ? void(actions.files.erase(name)) : void(actions.files[name] = tick);
        }
        EXPECT_EQ(MakeRunner(makefile, actions).make({}), c.status);
        EXPECT_EQ(actions.said, c.said);
    }
}

// Each job waits on what the other has said or done, or on its own lines (said once it is in
// the foreground), so the order is fixed: a streams while it waits for b, b's lines come whole
// after a's though b printed them first, and once a has ended b's held lines come out at once
// and its next ones as they come.
TEST(MakeJobsTest, TheOldestJobStreamsTheOthersComeWholeAfterItAndAFailureStopsNewJobs) {
    const struct {
        const char* name;
        const char* makefile;
        int status;
        const char* written;
    } cases[] = {
        // clang-format off
        {"both succeed",
         "all: a b\n"
         "a:\n\tmeet a\n\tprint a\n\twait b.o\n\tprint c\n"
         "b:\n\tmeet b\n\tawait a: two\n\tprint b\n\ttouch b.o\n\t@await b: two\n\tprint e\n"
         "\t@await e: two\n",
         0,
         "meet a\nprint a\na: one\na: two\nwait b.o\nprint c\nc: one\nc: two\n"
         "meet b\nawait a: two\nprint b\nb: one\nb: two\ntouch b.o\nprint e\ne: one\ne: two\n"},
        {"a fails, b finishes, c never starts",
         "all: a b c\n"
         "a:\n\tmeet a\n\tfail a\n\tprint never\n"
         "b:\n\tmeet b\n\t@print b\n\t@await b: two\n"
         "c:\n\tprint c\n",
         2,
         "meet a\nfail a\ntazumake: *** [a] Error 3\nmeet b\nb: one\nb: two\ntazumake: *** Stop.\n"},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Makefile makefile;
        MakefileReader::read(c.makefile, makefile);
        FakeActions actions;
        EXPECT_EQ(MakeRunner(makefile, actions, 2).make({}), c.status);
        EXPECT_EQ(actions.written, c.written);
    }
}

TEST(MakeJobsTest, ALongChainOfPrerequisitesIsWalkedWithoutRecursion) {
    constexpr int length = 40000;
    Makefile makefile;
    for (int i = 0; i < length; ++i) {
        const std::string target = "t" + std::to_string(i);
        makefile.addRuleLine({target}, {"t" + std::to_string((i + 1) % length)}, i + 1);
        makefile.addCommand({target}, "touch " + target);
    }
    FakeActions actions;
    EXPECT_EQ(MakeRunner(makefile, actions).make({}), 0);
    ASSERT_EQ(actions.ran.size(), std::size_t{length});
    EXPECT_EQ(actions.ran.front(), "touch t39999");
    EXPECT_EQ(actions.ran.back(), "touch t0");
    EXPECT_EQ(actions.said.front(), "tazumake: Circular t39999 <- t0 dependency dropped.");
}

// A folder of build outputs, the current folder while del runs, also as drive Q:.
TEST(DelCommandTest, DeletesMatchesIgnoringCaseSkipsSwitchesAndMissingFiles) {
    namespace fs = std::filesystem;
    test::TempDrive drive('Q');
    for (const char* name : {"a.o", "B.O", "demo.hex", "demo.cof", "keep.c", "sub/x.o"}) {
        drive.write(name, "x");
    }
    const fs::path previous = fs::current_path();
    fs::current_path(drive.root());
    EXPECT_EQ(DelCommand::run(
                  {"/F", "/Q", "*.o", "*.s", "*.hex", "nothing.*", "Z:\\no\\such\\folder\\*.o"}),
              3);
    EXPECT_EQ(DelCommand::run({"Q:\\sub\\*.o", "sub\\none.*"}), 1);
    fs::current_path(previous);
    std::set<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(drive.root())) {
        left.insert(fs::relative(entry.path(), drive.root()).string());
    }
    EXPECT_EQ(left, (std::set<std::string>{"demo.cof", "keep.c", "sub"}));
}

} // namespace
} // namespace avrtazu
