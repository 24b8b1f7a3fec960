#include "services/dependency_scan.h"

#include "model/configuration.h"
#include "model/project.h"
#include "services/fake_host_support.h"
#include "services/plug_in_utility.h"
#include "services/scratch_drive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using fakes::HubInstallation;
using fakes::RecordingHub;

std::vector<std::string> fullNames(const std::vector<SourceFile>& files) {
    std::vector<std::string> names;
    for (const SourceFile& file : files) {
        names.push_back(file.fullName());
    }
    return names;
}

TEST(DependencyWordsTest, HeadersAreTakenFromTheWords) {
    const std::string out = "C:\\work\\demo\\default\\";
    struct Case {
        const char* name;
        const char* text;
        std::vector<std::string> headers;
    } cases[] = {
        {"relative and absolute",
         "main.o: main.c ..\\inc\\io.h C:\\inc\\uart.H\n",
         {"C:\\work\\demo\\inc\\io.h", "C:\\inc\\uart.H"}},
        {"not headers", "io.hpp io.h, main.c io.hh x.h\n", {out + "x.h"}},
        {"a tab does not separate", "a.h\tmain.c c.h\n", {out + "c.h"}},
        {"the last word needs an end", "a.h\nb.h", {out + "a.h"}},
        {"continuation lines", "main.o: main.c \\\n  a.h \\\n  b.h\n", {out + "a.h", out + "b.h"}},
        {"repeats once", "a.h a.h\nb.o: a.h\n", {out + "a.h"}},
        {"several blanks", "  a.h   b.h  \n\n", {out + "a.h", out + "b.h"}},
        {"nothing", "", {}},
    };
    for (const Case& c : cases) {
        std::vector<SourceFile> result;
        DependencyScan::collectHeaders(c.text, out, result);
        EXPECT_EQ(fullNames(result), c.headers) << c.name;
    }
}

class DependencyScanTest : public ::testing::Test {
protected:
    DependencyScanTest() {
        project.addConfig(Configuration("default", "demo.cof"));
        project.addSrcFile(SourceFile("main.c"));
        project.addSrcFile(SourceFile("src\\uart.c"));
    }

    test::ScratchDrive drive{'C'};
    std::shared_ptr<RecordingHub> hub = std::make_shared<RecordingHub>();
    HubInstallation installation{hub};
    Project project{"demo", "C:\\work\\demo\\"};
};

TEST_F(DependencyScanTest, MissingDependencyFolderIsLoggedAndGivesNothing) {
    EXPECT_TRUE(PlugInUtility::instance().getExternalHeaderFiles(project).empty());
    ASSERT_EQ(hub->logs.size(), 1u);
    EXPECT_EQ(hub->logs[0].level, 3);
    EXPECT_EQ(hub->logs[0].context, "PlugInUtility::getExternalHeaderFiles");
    EXPECT_EQ(hub->logs[0].message, "Dependency directory does not exist");
}

TEST_F(DependencyScanTest, HeadersOfAllSourcesInSourceOrderWithoutProjectHeaders) {
    drive.write("work/demo/default/dep/uart.o.d",
                "uart.o: C:\\work\\demo\\src\\uart.c ..\\uart.h common.h\r\n");
    drive.write("work/demo/default/dep/main.o.d",
                "main.o: C:\\work\\demo\\main.c ..\\main.h C:\\inc\\io.h common.h\r\n");
    drive.write("work/demo/default/dep/other.o.d", "other.o: other.h\n");
    // A project header of the same file name hides a dependency wherever it lies.
    project.addHdrFile(SourceFile("include\\main.h"));

    const std::vector<SourceFile> headers =
        PlugInUtility::instance().getExternalHeaderFiles(project);

    EXPECT_EQ(fullNames(headers),
              (std::vector<std::string>{"C:\\inc\\io.h", "C:\\work\\demo\\default\\common.h",
                                        "C:\\work\\demo\\uart.h"}));
    EXPECT_TRUE(hub->logs.empty());
}

TEST_F(DependencyScanTest, OutputDirectoryWithADriveHoldsTheDependencies) {
    test::ScratchDrive other('D');
    other.write("out/dep/main.o.d", "main.o: main.c io.h\n");
    project.setOutputDirectory("D:\\out\\");
    EXPECT_EQ(fullNames(PlugInUtility::instance().getExternalHeaderFiles(project)),
              (std::vector<std::string>{"D:\\out\\io.h"}));
}

TEST_F(DependencyScanTest, NoSourcesOrNoDependencyFilesGiveNothingQuietly) {
    drive.makeFolder("work/demo/default/dep");
    EXPECT_TRUE(PlugInUtility::instance().getExternalHeaderFiles(project).empty());
    Project empty("empty", "C:\\work\\demo\\");
    empty.addConfig(Configuration("default", "empty.cof"));
    EXPECT_TRUE(PlugInUtility::instance().getExternalHeaderFiles(empty).empty());
    EXPECT_TRUE(hub->logs.empty());
}

} // namespace
} // namespace avrtazu
