#include "avrtazu_run.h"
#include "host_test_support.h"

#include <QStandardPaths>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::avrtazu;
using test::readFile;
using ::testing::HasSubstr;
using ::testing::Not;

// What a user gets from the README's first command, and every other command, on one copy of
// the example project.
TEST(EndToEndTest, EveryCommandOnACopyOfTheExample) {
    if (QStandardPaths::findExecutable("avr-gcc").isEmpty()) {
        GTEST_SKIP() << "avr-gcc is not installed (scripts/setup installs it)";
    }
    test::TempFolder project;
    // The files of the example, not what a build in place left there.
    fs::copy(AVRTAZU_EXAMPLE_DIR, project.path());
    const std::string aps = project.file("blink.aps");
    const auto run = [&](const QStringList& arguments) {
        return avrtazu(project.path(), arguments);
    };

    test::AvrtazuRun r = run({"build", "blink.aps"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Build succeeded with 0 Warnings..."));
    // Without a terminal there is no colour.
    EXPECT_THAT(r.out, Not(HasSubstr("\033[")));
    EXPECT_TRUE(fs::exists(project.file("default/blink.hex")));
    EXPECT_THAT(r.err, HasSubstr("object file: " + project.file("default/blink.cof")));
    EXPECT_THAT(readFile(aps), HasSubstr("<OTHERFILE>default\\blink.lis</OTHERFILE>"));
    EXPECT_THAT(readFile(aps), Not(HasSubstr(project.path())));

    r = run({"export-makefile", "blink.aps", "out.mk"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(readFile(project.file("out.mk")), HasSubstr("FILES = main.o uart.o"));
    EXPECT_THAT(readFile(project.file("out.mk")), HasSubstr("-DATMega16"));

    project.write("extra.c", "int twice(int x) { return 2 * x; }\n");
    r = run({"add", "blink.aps", "extra.c"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(readFile(aps), HasSubstr("<SOURCEFILE>extra.c</SOURCEFILE>"));
    r = run({"compile", "blink.aps", "extra.c"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(fs::exists(project.file("default/extra.o")));
    r = run({"add", "blink.aps", "extra.c"});
    EXPECT_EQ(r.status, 1) << "a file already in the project is refused";
    EXPECT_THAT(r.err, HasSubstr("error: tazu plug-in: Error adding source file"));
    EXPECT_THAT(r.err, HasSubstr("avrtazu: extra.c was not added"));

    r = run({"clean", "blink.aps"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Successfully cleaned the project"));
    EXPECT_FALSE(fs::exists(project.file("default/blink.cof")));

    project.write("uart.c", readFile(project.file("uart.c")) + "\nint broken(void) { return }\n");
    r = run({"build", "blink.aps"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(!E [^\n]*uart\.c\()"))) << r.out;
    EXPECT_THAT(r.out, HasSubstr("Build failed with"));

    std::string damaged = readFile(aps);
    damaged.erase(damaged.find("<HEX>1</HEX>"), std::string("<HEX>1</HEX>").size());
    project.write("blink.aps", damaged);
    r = run({"build", aps.c_str()});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_THAT(r.err, HasSubstr("seems to be corrupt"));
    EXPECT_THAT(r.err, HasSubstr(aps + " was left as it was"));
    EXPECT_EQ(readFile(aps), damaged);
}

} // namespace
} // namespace avrtazu
