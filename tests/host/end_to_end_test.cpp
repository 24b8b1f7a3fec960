#include "host_test_support.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::readFile;

// avrtazu itself, with its registry file and the toolchain of the build tree, on a copy of the
// example project: what a user gets from the README's first command.
class EndToEndTest : public ::testing::Test {
protected:
    struct Result {
        int status = -1;
        std::string out;
        std::string err;
    };

    void SetUp() override {
        const fs::path executable(AVRTAZU_EXECUTABLE);
        if (!fs::exists(executable.parent_path().parent_path() / "tazu" / "bin" / "tazuavr.exe")) {
            GTEST_SKIP() << "the toolchain is not built";
        }
        if (QStandardPaths::findExecutable("avr-gcc").isEmpty()) {
            GTEST_SKIP() << "avr-gcc is not installed (scripts/setup installs it)";
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(AVRTAZU_EXAMPLE_DIR)) {
            if (entry.is_regular_file()) {
                fs::copy_file(entry.path(), fs::path(project.path()) / entry.path().filename());
            }
        }
        aps = project.file("blink.aps");
    }

    Result avrtazu(const std::vector<std::string>& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("TAZU_REGISTRY");
        environment.remove("TAZU_DRIVES");
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QString::fromStdString(project.path()));
        QStringList list;
        for (const std::string& argument : arguments) {
            list << QString::fromStdString(argument);
        }
        process.start(AVRTAZU_EXECUTABLE, list);
        Result result;
        if (!process.waitForFinished(120000)) {
            process.kill();
            ADD_FAILURE() << "avrtazu did not finish";
            return result;
        }
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput().toStdString();
        result.err = process.readAllStandardError().toStdString();
        return result;
    }

    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    test::TempFolder project;
    std::string aps;
};

TEST_F(EndToEndTest, BuildsTheExampleIntoFirmware) {
    const Result built = avrtazu({"build", aps});
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    EXPECT_TRUE(has(built.out, "Build succeeded with 0 Warnings...")) << built.out;
    EXPECT_TRUE(fs::exists(project.file("default/blink.cof")));
    EXPECT_TRUE(fs::exists(project.file("default/blink.hex")));
    EXPECT_TRUE(has(built.err, "object file: " + project.file("default/blink.cof"))) << built.err;
    // Without a terminal there is no colour.
    EXPECT_FALSE(has(built.out, "\033[")) << built.out;

    const std::string saved = readFile(aps);
    EXPECT_TRUE(has(saved, "<OTHERFILE>default\\blink.lis</OTHERFILE>")) << saved;
    EXPECT_FALSE(has(saved, project.path())) << "the project folder is no part of the file";

    const Result cleaned = avrtazu({"clean", aps});
    EXPECT_EQ(cleaned.status, 0) << cleaned.out << cleaned.err;
    EXPECT_TRUE(has(cleaned.out, "Successfully cleaned the project")) << cleaned.out;
    EXPECT_FALSE(fs::exists(project.file("default/blink.cof")));
}

TEST_F(EndToEndTest, CompilerErrorsFailTheRun) {
    project.write("uart.c", readFile(project.file("uart.c")) + "\nint broken(void) { return }\n");
    const Result built = avrtazu({"build", aps});
    EXPECT_EQ(built.status, 1) << built.out << built.err;
    EXPECT_TRUE(std::regex_search(built.out, std::regex(R"(!E [^\n]*uart\.c\()"))) << built.out;
    EXPECT_TRUE(has(built.out, "Build failed with")) << built.out;
}

TEST_F(EndToEndTest, AddedFilesAreBuiltAndCompiledAlone) {
    project.write("extra.c", "int twice(int x) { return 2 * x; }\n");
    const Result added = avrtazu({"add", aps, "extra.c"});
    ASSERT_EQ(added.status, 0) << added.out << added.err;
    EXPECT_TRUE(has(readFile(aps), "<SOURCEFILE>extra.c</SOURCEFILE>"));

    const Result compiled = avrtazu({"compile", aps, "extra.c"});
    EXPECT_EQ(compiled.status, 0) << compiled.out << compiled.err;
    EXPECT_TRUE(has(compiled.out, "extra.c")) << compiled.out;
    EXPECT_TRUE(fs::exists(project.file("default/extra.o")));

    const Result again = avrtazu({"add", aps, "extra.c"});
    EXPECT_EQ(again.status, 1) << "a file already in the project is refused";
    EXPECT_TRUE(has(again.err, "error: tazu plug-in: Error adding source file")) << again.err;
}

TEST_F(EndToEndTest, ExportsTheMakefileWhereAsked) {
    const Result exported = avrtazu({"export-makefile", aps, "out.mk"});
    ASSERT_EQ(exported.status, 0) << exported.out << exported.err;
    const std::string makefile = readFile(project.file("out.mk"));
    EXPECT_TRUE(has(makefile, "FILES = main.o uart.o")) << makefile;
    EXPECT_TRUE(has(makefile, "-DATMega16")) << makefile;
}

TEST_F(EndToEndTest, ADamagedProjectIsLeftAsItWas) {
    std::string text = readFile(aps);
    text.erase(text.find("<HEX>1</HEX>"), std::string("<HEX>1</HEX>").size());
    project.write("blink.aps", text);
    const Result built = avrtazu({"build", aps});
    EXPECT_EQ(built.status, 1) << built.out << built.err;
    EXPECT_TRUE(has(built.err, "seems to be corrupt")) << built.err;
    EXPECT_TRUE(has(built.err, aps + " was left as it was")) << built.err;
    EXPECT_EQ(readFile(aps), text);
}

} // namespace
} // namespace avrtazu
