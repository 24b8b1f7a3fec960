#include "make/make_runner.h"
#include "make/makefile_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using testing::AllOf;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using Words = std::vector<std::string>;

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
        ran.push_back(command);
        if (command.rfind("touch ", 0) == 0) {
            files[command.substr(6)] = ++clock;
        }
        return command.rfind("fail", 0) == 0 ? 3 : 0;
    }
    void say(const std::string& line) override { said.push_back(line); }

    std::map<std::string, int> files;
    int clock = 100;
    Words ran;
    Words said;
};

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

struct SelectionCase {
    const char* name;
    std::map<std::string, int> files;
    Words goals;
    Words expectedRuns;
};

class MakeSelectionTest : public testing::TestWithParam<SelectionCase> {};

TEST_P(MakeSelectionTest, RunsExactlyTheOutOfDateRules) {
    const SelectionCase& c = GetParam();
    Makefile makefile;
    MakefileReader::read(project, makefile);
    FakeActions actions;
    actions.files = c.files;
    MakeRunner runner(makefile, actions);
    EXPECT_EQ(runner.make(c.goals), 0);
    EXPECT_EQ(actions.ran, c.expectedRuns);
}

const std::map<std::string, int> sourcesOnly{{"C:\\src\\main.c", 1}, {"C:\\src\\uart.c", 1}};
const std::map<std::string, int> built{
    {"C:\\src\\main.c", 1}, {"C:\\src\\uart.c", 1}, {"main.o", 5}, {"uart.o", 5}, {"demo", 9}};
const std::map<std::string, int> mainEdited{
    {"C:\\src\\main.c", 7}, {"C:\\src\\uart.c", 1}, {"main.o", 5}, {"uart.o", 5}, {"demo", 9}};
const std::map<std::string, int> noLinkOutput{
    {"C:\\src\\main.c", 1}, {"C:\\src\\uart.c", 1}, {"main.o", 5}, {"uart.o", 5}};

INSTANTIATE_TEST_SUITE_P(
    Selection, MakeSelectionTest,
    testing::Values(SelectionCase{"FreshBuildMakesEverything",
                                  sourcesOnly,
                                  {},
                                  {"touch main.o", "touch uart.o", "touch demo"}},
                    SelectionCase{"UpToDateRunsNothing", built, {}, {}},
                    SelectionCase{"NewerSourceRemakesItsObjectAndTheLink",
                                  mainEdited,
                                  {},
                                  {"touch main.o", "touch demo"}},
                    SelectionCase{"MissingTargetIsRemade", noLinkOutput, {}, {"touch demo"}},
                    SelectionCase{"NamedTargetOnly", sourcesOnly, {"uart.o"}, {"touch uart.o"}},
                    SelectionCase{"PhonyAlwaysRuns", built, {"clean"}, {"del *.o"}},
                    SelectionCase{"SeveralGoalsInOrder",
                                  sourcesOnly,
                                  {"uart.o", "main.o"},
                                  {"touch uart.o", "touch main.o"}}),
    [](const testing::TestParamInfo<SelectionCase>& info) { return std::string(info.param.name); });

TEST(MakeRunnerTest, EchoesCommandsUnlessSilenced) {
    Makefile makefile;
    MakefileReader::read(project, makefile);
    FakeActions actions;
    actions.files = sourcesOnly;
    MakeRunner runner(makefile, actions);
    runner.make({"main.o", "clean"});
    EXPECT_THAT(actions.said, Contains("touch main.o"));
    EXPECT_THAT(actions.said, testing::Not(Contains(HasSubstr("del"))));
}

TEST(MakeRunnerTest, MissingRuleStopsWithErrorAndStop) {
    Makefile makefile;
    MakefileReader::read(project, makefile);
    FakeActions actions;
    actions.files = {{"C:\\src\\uart.c", 1}};
    MakeRunner runner(makefile, actions);
    EXPECT_NE(runner.make({}), 0);
    EXPECT_THAT(actions.said, Contains(AllOf(HasSubstr("Error"),
                                             HasSubstr("No rule to make target 'C:\\src\\main.c'"),
                                             HasSubstr("needed by 'main.o'"))));
    EXPECT_THAT(actions.said, Contains(HasSubstr("Stop")));
    EXPECT_TRUE(actions.ran.empty());
}

TEST(MakeRunnerTest, UnknownGoalIsReported) {
    Makefile makefile;
    MakefileReader::read(project, makefile);
    FakeActions actions;
    MakeRunner runner(makefile, actions);
    EXPECT_EQ(runner.make({"nothing.o"}), 2);
    EXPECT_THAT(actions.said, Contains(HasSubstr("No rule to make target 'nothing.o'")));
}

TEST(MakeRunnerTest, FailedCommandStopsTheBuild) {
    Makefile makefile;
    MakefileReader::read("all: a b\na:\n\tfail a\n\tnever\nb:\n\ttouch b\n", makefile);
    FakeActions actions;
    MakeRunner runner(makefile, actions);
    EXPECT_EQ(runner.make({}), 2);
    EXPECT_THAT(actions.ran, ElementsAre("fail a"));
    EXPECT_THAT(actions.said, Contains(AllOf(HasSubstr("[a]"), HasSubstr("Error 3"))));
    EXPECT_EQ(actions.said.back(), "tazumake: *** Stop.");
}

TEST(MakeRunnerTest, DashPrefixIgnoresAFailure) {
    Makefile makefile;
    MakefileReader::read("all:\n\t-fail first\n\ttouch all\n", makefile);
    FakeActions actions;
    MakeRunner runner(makefile, actions);
    EXPECT_EQ(runner.make({}), 0);
    EXPECT_THAT(actions.ran, ElementsAre("fail first", "touch all"));
}

TEST(MakeRunnerTest, AutomaticVariablesInCommands) {
    Makefile makefile;
    MakefileReader::read("x.o: x.c x.h\n\tcc -o $@ $<\n", makefile);
    FakeActions actions;
    actions.files = {{"x.c", 1}, {"x.h", 1}};
    MakeRunner runner(makefile, actions);
    runner.make({});
    EXPECT_THAT(actions.ran, ElementsAre("cc -o x.o x.c"));
}

TEST(MakeRunnerTest, CircularDependencyEndsWithoutHanging) {
    Makefile makefile;
    MakefileReader::read("a: b\n\ttouch a\nb: a\n\ttouch b\n", makefile);
    FakeActions actions;
    MakeRunner runner(makefile, actions);
    EXPECT_EQ(runner.make({}), 0);
    EXPECT_THAT(actions.said, Contains(HasSubstr("Circular")));
    EXPECT_THAT(actions.ran, ElementsAre("touch b", "touch a"));
}

TEST(MakeRunnerTest, EmptyMakefileHasNoTargets) {
    Makefile makefile;
    FakeActions actions;
    MakeRunner runner(makefile, actions);
    EXPECT_EQ(runner.make({}), 2);
    EXPECT_THAT(actions.said, ElementsAre(HasSubstr("Error"), HasSubstr("Stop")));
}

} // namespace
} // namespace avrtazu
