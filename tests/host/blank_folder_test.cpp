#include "avrtazu_run.h"
#include "host_test_support.h"
#include "scoped_variable.h"

#include <QStandardPaths>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::avrtazu;
using test::readFile;
using ::testing::HasSubstr;
using ::testing::Not;

std::string windowsPath(std::string linuxPath) {
    std::replace(linuxPath.begin(), linuxPath.end(), '/', '\\');
    return "Z:" + linuxPath;
}

void replaceOnce(std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

// The example, copied below folders whose names hold blanks, with an include folder that holds
// one too, goes through every command; what the user reads names the real folders.
TEST(BlankFolderTest, AProjectBelowFoldersWithBlanksBuildsAndShowsItsRealPaths) {
    if (QStandardPaths::findExecutable("avr-gcc").isEmpty()) {
        GTEST_SKIP() << "avr-gcc is not installed (scripts/setup installs it)";
    }
    test::TempFolder root;
    // The aliases of this test stay in its own folder.
    const test::ScopedVariable cache("XDG_CACHE_HOME", root.file("cache"));
    const std::string aliases = root.file("cache/avrtazu/short");

    const std::string folder = root.file("my projects/blink demo");
    fs::create_directories(folder);
    fs::copy(AVRTAZU_EXAMPLE_DIR, folder);
    // One source finds the header through the include folder, one through "..".
    const std::string board = root.write("my projects/shared inc/board.h", "#define LEDS 1\n");
    root.write("my projects/blink demo/main.c",
               "#include \"../shared inc/board.h\"\n" + readFile(folder + "/main.c"));
    root.write("my projects/blink demo/uart.c",
               "#include <board.h>\n" + readFile(folder + "/uart.c"));
    std::string project = readFile(folder + "/blink.aps");
    replaceOnce(project, "<INCDIRS />", "<INCDIRS><INCLUDE>..\\shared inc\\</INCLUDE></INCDIRS>");
    root.write("my projects/blink demo/blink.aps", project);
    const std::string realFolder = windowsPath(folder);
    const auto run = [&](const QStringList& arguments) {
        test::AvrtazuRun r = avrtazu(folder, arguments);
        EXPECT_THAT(r.out + r.err, Not(HasSubstr(windowsPath(aliases))));
        EXPECT_THAT(r.out + r.err, Not(HasSubstr(aliases)));
        return r;
    };

    test::AvrtazuRun r = run({"build", "blink.aps"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Build succeeded with 0 Warnings..."));
    EXPECT_TRUE(fs::exists(folder + "/default/blink.hex"));
    // The tool's echo of the compile names the file the user knows.
    EXPECT_THAT(r.out, HasSubstr(realFolder + "\\main.c"));
    EXPECT_THAT(readFile(folder + "/default/Makefile"),
                HasSubstr("main.o:\t" + windowsPath(aliases)));
    for (const char* file : {"Makefile", "build.bat", "dep/main.o.d"}) {
        EXPECT_THAT(readFile(folder + "/default/" + file), Not(HasSubstr("my projects"))) << file;
    }

    r = run({"compile", "blink.aps", "main.c"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Make succeeded with 0 Warnings..."));

    // An exported Makefile names the alias: it is for this machine.
    r = run({"export-makefile", "blink.aps", "out.mk"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(readFile(folder + "/out.mk"), readFile(folder + "/default/Makefile"));

    r = run({"clean", "blink.aps"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("Successfully cleaned the project"));
    EXPECT_FALSE(fs::exists(folder + "/default/blink.cof"));

    root.write("my projects/shared inc/board.h", "int broken(void) { return }\n");
    r = run({"build", "blink.aps"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("!E " + windowsPath(board) + "(1): expected expression"));
    EXPECT_THAT(r.out, HasSubstr("Build failed with 1 errors"));

    // A name make cannot hold is refused before make runs, as one counted error.
    root.write("my projects/shared inc/board.h", "#define LEDS 1\n");
    root.write("my projects/blink demo/my file.c", "int unused;\n");
    project = readFile(folder + "/blink.aps");
    replaceOnce(project, "<SOURCEFILE>uart.c</SOURCEFILE>",
                "<SOURCEFILE>uart.c</SOURCEFILE><SOURCEFILE>my file.c</SOURCEFILE>");
    root.write("my projects/blink demo/blink.aps", project);
    r = run({"build", "blink.aps"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_THAT(r.out, HasSubstr("!E " + realFolder +
                                 "\\my file.c: a source file whose name holds a blank cannot be "
                                 "built; rename it\nBuild failed with 1 errors and 0 warnings..."));
    EXPECT_THAT(r.out, Not(HasSubstr("tazuavr")));

    const std::string savedProject = readFile(folder + "/blink.aps");
    EXPECT_THAT(savedProject, Not(HasSubstr(root.path())));
    EXPECT_THAT(savedProject, Not(HasSubstr("avrtazu\\short")));
}

} // namespace
} // namespace avrtazu
