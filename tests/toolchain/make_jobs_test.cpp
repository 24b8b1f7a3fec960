#include "make/make_runner.h"
#include "make/makefile_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using Words = std::vector<std::string>;
using Files = std::map<std::string, int>;

// Files with times in whole ticks, safe for several jobs at once. Commands: "touch X" gives X
// the next tick, "fail X" fails, "print X" prints two lines, "meet X" waits until two jobs
// have met, "await X" until something said holds X. Waits give up after a while, failing.
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
    int run(const std::string& command, std::string* output) override {
        std::unique_lock lock(mutex_);
        ran.push_back(command);
        const std::string verb = command.substr(0, command.find(' '));
        const std::string what = command.substr(command.find(' ') + 1);
        met += verb == "meet";
        changed_.notify_all();
        const bool waited = changed_.wait_for(lock, std::chrono::seconds(20), [&] {
            if (verb == "meet") {
                return met >= 2;
            }
            return verb != "await" || std::any_of(said.begin(), said.end(), [&](auto& text) {
                       return text.find(what) != std::string::npos;
                   });
        });
        if (verb == "touch") {
            files[what] = ++clock;
        } else if (verb == "print") {
            *output += what + ": one\n" + what + ": two";
        }
        return verb == "fail" ? 3 : (waited ? 0 : 9);
    }
    void say(const std::string& text) override {
        const std::lock_guard lock(mutex_);
        said.push_back(text);
        changed_.notify_all();
    }

    Files files;
    std::map<std::string, std::string> lists;
    int clock = 100;
    int met = 0;
    Words ran;
    Words said;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

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

// The second job waits until the first one's output has been said, so the order is fixed;
// a job that said its lines as they came would be caught between them.
TEST(MakeJobsTest, TwoJobsSayEachJobWholeAndAFailureStopsNewJobs) {
    const struct {
        const char* name;
        const char* makefile;
        int status;
        Words said;
    } cases[] = {
        // clang-format off
        {"both succeed",
         "all: a b\n"
         "a:\n\tmeet a\n\tprint a\n"
         "b:\n\tmeet b\n\tawait a: two\n\tprint b\n",
         0,
         {"meet a\nprint a\na: one\na: two", "meet b\nawait a: two\nprint b\nb: one\nb: two"}},
        {"a fails, b finishes, c never starts",
         "all: a b c\n"
         "a:\n\tmeet a\n\tfail a\n\tprint never\n"
         "b:\n\tmeet b\n\tawait [a] Error\n\t@print b\n"
         "c:\n\tprint c\n",
         2,
         {"meet a\nfail a\ntazumake: *** [a] Error 3", "meet b\nawait [a] Error\nb: one\nb: two",
          "tazumake: *** Stop."}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Makefile makefile;
        MakefileReader::read(c.makefile, makefile);
        FakeActions actions;
        EXPECT_EQ(MakeRunner(makefile, actions, 2).make({}), c.status);
        EXPECT_EQ(actions.said, c.said);
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

} // namespace
} // namespace avrtazu
