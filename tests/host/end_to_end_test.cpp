#include "avrtazu_run.h"
#include "host_test_support.h"
#include "scoped_variable.h"

#include <QStandardPaths>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using ::testing::HasSubstr;
using ::testing::Not;

std::string windowsPath(std::string linuxPath) {
    std::replace(linuxPath.begin(), linuxPath.end(), '/', '\\');
    return "Z:" + linuxPath;
}

// What a user gets from the README's commands: every command on a copy of the example, kept
// below folders whose names hold blanks (an include folder too), and a new project for another
// device built into firmware. What the user reads names the real folders, never their aliases.
TEST(EndToEndTest, EveryCommandOnACopyOfTheExampleAndANewProject) {
    if (QStandardPaths::findExecutable("avr-gcc").isEmpty()) {
        GTEST_SKIP() << "avr-gcc is not installed (scripts/setup installs it)";
    }
    test::TempFolder root;
    // The aliases of this test stay in its own folder.
    const test::ScopedVariable cache("XDG_CACHE_HOME", root.file("cache"));
    const std::string aliases = root.file("cache/avrtazu/short");
    const std::string folder = root.file("my projects/blink demo");
    fs::create_directories(folder);
    // The files of the example, not what a build in place left there.
    fs::copy(AVRTAZU_EXAMPLE_DIR, folder);
    const std::string aps = folder + "/blink.aps";
    const auto write = [&](const std::string& file, const std::string& text) {
        return root.write("my projects/" + file, text);
    };
    // One source finds the header through the include folder, one through "..".
    const std::string board = write("shared inc/board.h", "#define LEDS 1\n");
    write("blink demo/main.c",
          "#include \"../shared inc/board.h\"\n" + readFile(folder + "/main.c"));
    write("blink demo/uart.c", "#include <board.h>\n" + readFile(folder + "/uart.c"));
    std::string project = readFile(aps);
    project.replace(project.find("<INCDIRS />"), 11,
                    "<INCDIRS><INCLUDE>..\\shared inc\\</INCLUDE></INCDIRS>");
    write("blink demo/blink.aps", project);
    const auto run = [&](const QStringList& arguments) {
        test::AvrtazuRun r = test::avrtazu(folder, arguments);
        EXPECT_THAT(r.out + r.err, Not(HasSubstr(windowsPath(aliases))));
        EXPECT_THAT(r.out + r.err, Not(HasSubstr(aliases)));
        return r;
    };

    test::AvrtazuRun r = run({"build", "blink.aps"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Build succeeded with 0 Warnings..."));
    EXPECT_THAT(r.out, HasSubstr(windowsPath(folder) + "\\main.c"));
    EXPECT_TRUE(fs::exists(folder + "/default/blink.hex"));
    EXPECT_THAT(r.err, HasSubstr("object file: " + folder + "/default/blink.cof"));
    // make is handed blank-free aliases; the saved project knows nothing of them or this machine.
    for (const char* file : {"default/Makefile", "default/build.bat", "default/dep/main.o.d"}) {
        EXPECT_THAT(readFile(folder + "/" + file), Not(HasSubstr("my projects"))) << file;
    }
    EXPECT_THAT(readFile(aps), Not(HasSubstr(root.path())));
    EXPECT_THAT(readFile(aps), Not(HasSubstr("avrtazu\\short")));

    // Nothing changed: nothing is compiled, linked or written again.
    const auto written = [&folder] {
        std::map<std::string, fs::file_time_type> times;
        for (const auto& entry : fs::recursive_directory_iterator(folder + "/default")) {
            times[entry.path().string()] = entry.last_write_time();
        }
        return times;
    };
    const auto built = written();
    r = run({"build", "blink.aps"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, Not(HasSubstr("tazuavr -c")));
    EXPECT_EQ(written(), built);

    // An exported Makefile names the aliases: it is for this machine.
    r = run({"export-makefile", "blink.aps", "out.mk"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(readFile(folder + "/out.mk"), readFile(folder + "/default/Makefile"));

    write("blink demo/extra.c", "int twice(int x) { return 2 * x; }\n");
    r = run({"add", "blink.aps", "extra.c"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(readFile(aps), HasSubstr("<SOURCEFILE>extra.c</SOURCEFILE>"));
    r = run({"compile", "blink.aps", "extra.c"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Make succeeded with 0 Warnings..."));
    EXPECT_TRUE(fs::exists(folder + "/default/extra.o"));
    r = run({"add", "blink.aps", "extra.c"});
    EXPECT_EQ(r.status, 1) << "a file already in the project is refused";
    EXPECT_THAT(r.err, HasSubstr("error: tazu plug-in: Error adding source file\n"
                                 "avrtazu: extra.c was not added\n"));

    r = run({"clean", "blink.aps"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Successfully cleaned the project"));
    EXPECT_FALSE(fs::exists(folder + "/default/blink.cof"));

    write("shared inc/board.h", "int broken(void) { return }\n");
    r = run({"build", "blink.aps"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("!E " + windowsPath(board) + "(1): expected expression"));
    EXPECT_THAT(r.out, HasSubstr("Build failed with"));

    // A name make cannot hold is refused before make runs, as one counted error.
    write("shared inc/board.h", "#define LEDS 1\n");
    write("blink demo/my file.c", "int unused;\n");
    ASSERT_EQ(run({"add", "blink.aps", "my file.c"}).status, 0);
    r = run({"build", "blink.aps"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("!E " + windowsPath(folder) +
                                 "\\my file.c: a source file whose name holds a blank cannot be "
                                 "built; rename it\nBuild failed with 1 errors and 0 warnings..."));
    EXPECT_THAT(r.out, Not(HasSubstr("tazuavr")));

    std::string damaged = readFile(aps);
    damaged.erase(damaged.find("<HEX>1</HEX>"), std::string("<HEX>1</HEX>").size());
    write("blink demo/blink.aps", damaged);
    r = run({"build", QString::fromStdString(aps)});
    EXPECT_EQ(r.status, 2) << r.out << r.err;
    EXPECT_THAT(r.err, HasSubstr("seems to be corrupt"));
    EXPECT_THAT(r.err, HasSubstr(aps + " was left as it was"));
    EXPECT_EQ(readFile(aps), damaged);

    // The device of --part reaches the plug-in's set-up, whose options are accepted as shown.
    write("blink demo/tiny/main.c", "#include <avr/io.h>\nint main(void) { DDRB = 1; }\n");
    r = run({"new", "fw", "tiny", "--part", "ATtiny2313"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.err, HasSubstr("dialog \"tiny project options\": accepted as shown"));
    EXPECT_THAT(readFile(folder + "/fw/tiny.aps"), HasSubstr("<PART>ATtiny2313</PART>"));
    ASSERT_EQ(run({"add", "fw/tiny.aps", "tiny/main.c"}).status, 0);
    r = run({"build", "fw/tiny.aps"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(fs::exists(folder + "/fw/default/tiny.hex"));
}

} // namespace
} // namespace avrtazu
