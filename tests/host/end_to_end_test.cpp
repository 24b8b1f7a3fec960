#include "host_test_support.h"

#include <QStandardPaths>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sys/wait.h>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using ::testing::HasSubstr;
using ::testing::Not;

struct AvrtazuRun {
    int status = -1;
    std::string out;
    std::string err;
};

// avrtazu itself, run in folder with the toolchain and registry file of the build tree.
AvrtazuRun avrtazu(const std::string& folder, const std::string& arguments) {
    const std::string command = "cd '" + folder + "' && env -u TAZU_REGISTRY -u TAZU_DRIVES " +
                                AVRTAZU_EXECUTABLE + " " + arguments + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(folder + "/out.txt"),
            readFile(folder + "/err.txt")};
}

// What a user gets from the README's commands: every command on a copy of the example, and a
// new project for another device built into firmware.
TEST(EndToEndTest, EveryCommandOnACopyOfTheExampleAndANewProject) {
    if (QStandardPaths::findExecutable("avr-gcc").isEmpty()) {
        GTEST_SKIP() << "avr-gcc is not installed (scripts/setup installs it)";
    }
    test::TempFolder project;
    // The files of the example, not what a build in place left there.
    fs::copy(AVRTAZU_EXAMPLE_DIR, project.path());
    const std::string aps = project.file("blink.aps");
    const auto run = [&](const std::string& arguments) {
        return avrtazu(project.path(), arguments);
    };

    AvrtazuRun r = run("build blink.aps");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Build succeeded with 0 Warnings..."));
    EXPECT_TRUE(fs::exists(project.file("default/blink.hex")));
    EXPECT_THAT(r.err, HasSubstr("object file: " + project.file("default/blink.cof")));
    EXPECT_THAT(readFile(aps), Not(HasSubstr(project.path())));

    r = run("export-makefile blink.aps out.mk");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(readFile(project.file("out.mk")), HasSubstr("FILES = main.o uart.o"));

    project.write("extra.c", "int twice(int x) { return 2 * x; }\n");
    r = run("add blink.aps extra.c");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(readFile(aps), HasSubstr("<SOURCEFILE>extra.c</SOURCEFILE>"));
    r = run("compile blink.aps extra.c");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(fs::exists(project.file("default/extra.o")));
    r = run("add blink.aps extra.c");
    EXPECT_EQ(r.status, 1) << "a file already in the project is refused";
    EXPECT_THAT(r.err, HasSubstr("error: tazu plug-in: Error adding source file\n"
                                 "avrtazu: extra.c was not added\n"));

    r = run("clean blink.aps");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Successfully cleaned the project"));
    EXPECT_FALSE(fs::exists(project.file("default/blink.cof")));

    project.write("uart.c", readFile(project.file("uart.c")) + "\nint broken(void) { return }\n");
    r = run("build blink.aps");
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(!E [^\n]*uart\.c\()"))) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Build failed with"));

    std::string damaged = readFile(aps);
    damaged.erase(damaged.find("<HEX>1</HEX>"), std::string("<HEX>1</HEX>").size());
    project.write("blink.aps", damaged);
    r = run("build " + aps);
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_THAT(r.err, HasSubstr("seems to be corrupt"));
    EXPECT_THAT(r.err, HasSubstr(aps + " was left as it was"));
    EXPECT_EQ(readFile(aps), damaged);

    // The device of --part reaches the plug-in's set-up, whose options are accepted as shown.
    project.write("tiny/main.c", "#include <avr/io.h>\nint main(void) { DDRB = 1; }\n");
    r = run("new fw tiny --part ATtiny2313");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.err, HasSubstr("dialog \"tiny project options\": accepted as shown"));
    EXPECT_THAT(readFile(project.file("fw/tiny.aps")), HasSubstr("<PART>ATtiny2313</PART>"));
    ASSERT_EQ(run("add fw/tiny.aps tiny/main.c").status, 0);
    r = run("build fw/tiny.aps");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(fs::exists(project.file("fw/default/tiny.hex")));
}

} // namespace
} // namespace avrtazu
