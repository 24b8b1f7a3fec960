#include "build/build_driver_fixture.h"

#include "platform/registry.h"
#include "services/plug_in_utility.h"
#include "services/toolchain_locator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr long kInfo = 0;
constexpr long kError = 2;
constexpr long kDebug = 3;

std::string demoBatch(const std::string& buildDirectory, const std::string& makeLine) {
    return "@ECHO OFF\r\n"
           "REM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT*********\r\n"
           "PATH=C:\\tools\\bin;C:\\tools\\bin;%PATH%\r\n"
           "pushd " +
           buildDirectory +
           "\r\n"
           "mode con codepage select=850 > NUL\r\n" +
           makeLine + "\r\n";
}

class BuildDriverTest : public test::BuildDriverFixture {};

TEST_F(BuildDriverTest, BuildRunsTheMakeToolAndReportsTheDebugObject) {
    drive.makeFolder("work/demo/default");
    project.setDirty(true);

    EXPECT_EQ(driver.BuildProject(), S_OK);

    const std::vector<std::string> texts = outputTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_TRUE(std::regex_match(
        texts[0], std::regex(R"(Build started [1-9]\d?\.[1-9]\d?\.\d{4} at \d\d:\d\d:\d\d)")))
        << texts[0];
    EXPECT_EQ(works.output[0].kind, 0);
    EXPECT_EQ(texts[1], "tazuavr -c main.c");
    EXPECT_EQ(works.output[1].kind, 3);
    EXPECT_EQ(texts[2], "Build succeeded with 0 Warnings...");
    EXPECT_EQ(works.clearOutputCalls, 1);

    EXPECT_THAT(makeCalls(), ElementsAre(drive.linuxPath("work/demo/default") + "|"));
    EXPECT_EQ(drive.read("work/demo/default/build.bat"),
              demoBatch("C:\\work\\demo\\default\\", "tazumake "));
    EXPECT_NE(drive.read("work/demo/default/Makefile").find("\r\nclean:\r\n"), std::string::npos);
    EXPECT_TRUE(drive.exists("work/demo/default/demo.lk"));

    EXPECT_THAT(hub->partNamesSet, ElementsAre("Custom"));
    ASSERT_EQ(hub->events.size(), 1u);
    EXPECT_EQ(hub->events[0].number, 51);
    EXPECT_EQ(hub->events[0].text, "C:\\work\\demo\\default\\demo.cof");
    EXPECT_EQ(logCount(kDebug, ": Finished building project"), 1);

    std::vector<std::string> others;
    for (const SourceFile& file : project.otherFiles()) {
        others.push_back(file.fullName());
    }
    EXPECT_THAT(others, ElementsAre("default\\demo.lis", "default\\demo.mp"));
    EXPECT_TRUE(project.list());
    EXPECT_TRUE(project.map());
    EXPECT_FALSE(project.isDirty());
}

TEST_F(BuildDriverTest, BuildAnnouncesHeadersThenSourcesWithFullPaths) {
    project.addSrcFile(SourceFile("D:\\lib\\extra.c"));
    driver.publishProjectFiles();
    EXPECT_THAT(works.addedSourceFiles,
                ElementsAre("C:\\work\\demo\\main.h", "C:\\work\\demo\\main.c",
                            "C:\\work\\demo\\src\\uart.c", "D:\\lib\\extra.c"));
    EXPECT_THAT(hub->sourceFileLists, ElementsAre("C:\\work\\demo\\main.h,C:\\work\\demo\\main.c,"
                                                  "C:\\work\\demo\\src\\uart.c,D:\\lib\\extra.c"));
}

TEST_F(BuildDriverTest, CompilerErrorsFailTheSummaryButNotTheCommand) {
    makePrints("!E main.c(3): expected ';'\n");
    makeCreates("demo.lis");
    project.setDirty(true);
    test::RecordingTree tree;
    driver.setTree(&tree);

    EXPECT_EQ(driver.BuildProject(), S_OK);

    ASSERT_FALSE(works.output.empty());
    EXPECT_EQ(works.output.back().text, "Build failed with 1 errors and 0 warnings...");
    EXPECT_TRUE(hub->events.empty());
    // The listing exists and is added; the missing map is dropped with a note.
    EXPECT_THAT(tree.added, ElementsAre("C:\\work\\demo\\default\\demo.lis"));
    EXPECT_EQ(logCount(kDebug, "\"C:\\work\\demo\\default\\demo.mp\" Does not exist."), 1);
    EXPECT_TRUE(project.list());
    EXPECT_FALSE(project.map());
    EXPECT_FALSE(project.isDirty());
}

TEST_F(BuildDriverTest, MissingDebugObjectFailsTheBuildAndKeepsItDirty) {
    struct Case {
        bool external;
        const char* message;
    } cases[] = {
        {false,
         "Error: Object file not found on expected location C:\\work\\demo\\default\\demo.elf"},
        {true, "Error: Object file not found on expected location C:\\work\\demo\\demo.o\n"
               "Make sure your makefile specifies the output .o file as demo.elf"},
    };
    drive.write("work/demo/Makefile", "all:\n");
    for (const Case& c : cases) {
        hub->logs.clear();
        project.setOutputFileName("demo.elf");
        project.setUsesExtMakefile(c.external);
        project.setExtMakefile("Makefile");
        project.setDirty(true);
        makeCreates("demo.elf");

        EXPECT_EQ(driver.BuildProject(), E_FAIL);

        EXPECT_EQ(logCount(kError, c.message), 1) << c.message;
        EXPECT_TRUE(hub->events.empty());
        EXPECT_TRUE(project.isDirty());
        EXPECT_TRUE(project.otherFiles().empty());
    }
}

TEST_F(BuildDriverTest, DirtyProjectWithAMakefileIsCleanedBeforeTheBuild) {
    drive.write("work/demo/default/Makefile", "old\n");
    project.setDirty(true);

    EXPECT_EQ(driver.BuildProject(), S_OK);

    const std::string folder = drive.linuxPath("work/demo/default");
    EXPECT_THAT(makeCalls(), ElementsAre(folder + "|clean", folder + "|"));
    EXPECT_EQ(works.clearOutputCalls, 2);
    // The clean cleared the window: no "Build started" line is left.
    EXPECT_THAT(outputTexts(),
                ElementsAre("tazuavr -c main.c", "Successfully cleaned the project",
                            "tazuavr -c main.c", "Build succeeded with 0 Warnings..."));
}

TEST_F(BuildDriverTest, OnlyADirtyProjectWithAMakefileIsCleanedFirst) {
    struct Case {
        bool dirty;
        bool makefile;
        std::size_t makeRuns;
    } cases[] = {{true, true, 2}, {true, false, 1}, {false, true, 1}, {false, false, 1}};
    for (const Case& c : cases) {
        std::filesystem::remove(drive.linuxPath("make-calls.txt"));
        std::filesystem::remove(drive.linuxPath("work/demo/default/Makefile"));
        if (c.makefile) {
            drive.write("work/demo/default/Makefile", "old\n");
        }
        project.setDirty(c.dirty);
        EXPECT_EQ(driver.BuildProject(), S_OK);
        EXPECT_EQ(makeCalls().size(), c.makeRuns) << c.dirty << " " << c.makefile;
        EXPECT_FALSE(project.isDirty());
    }
}

TEST_F(BuildDriverTest, MissingOutputDirectoryIsCreatedAndReportedOnce) {
    EXPECT_EQ(driver.BuildProject(), S_OK);
    EXPECT_EQ(logCount(kInfo, "Output directory C:\\work\\demo\\default\\ does not exist"), 1);
    EXPECT_EQ(logCount(kInfo, "Created directory C:\\work\\demo\\default\\"), 1);
    EXPECT_TRUE(drive.exists("work/demo/default/build.bat"));
}

TEST_F(BuildDriverTest, UncreatableOutputDirectoryStopsTheBuild) {
    project.setOutputDirectory("gone\\deeper\\");

    EXPECT_EQ(driver.BuildProject(), E_FAIL);

    // createMakefile and writeBuildBat each try once.
    const std::string directory = "C:\\work\\demo\\gone\\deeper\\";
    EXPECT_EQ(logCount(kInfo, "Output directory " + directory + " does not exist"), 2);
    EXPECT_EQ(
        logCount(kError, "Error: Could not create directory " + directory + ", bailing out.."), 2);
    EXPECT_FALSE(drive.exists("work/demo/gone"));
    EXPECT_THAT(makeCalls(), IsEmpty());
}

TEST_F(BuildDriverTest, OutputDirectoryWithADriveIsUsedAsItIs) {
    test::ScratchDrive other('D');
    other.makeFolder("out");
    project.setOutputDirectory("D:\\out\\");

    EXPECT_EQ(driver.BuildProject(), S_OK);

    EXPECT_TRUE(other.exists("out/Makefile"));
    EXPECT_TRUE(other.exists("out/demo.lk"));
    EXPECT_EQ(other.read("out/build.bat"), demoBatch("D:\\out\\", "tazumake "));
    EXPECT_FALSE(drive.exists("work/demo/default"));
    ASSERT_EQ(hub->events.size(), 1u);
    EXPECT_EQ(hub->events[0].text, "D:\\out\\demo.cof");
}

TEST_F(BuildDriverTest, ExternalMakefileBuildsInItsOwnFolder) {
    struct Case {
        const char* extMakefile;
        const char* folder; // below the drive root
        const char* buildDirectory;
        const char* makeLine;
    } cases[] = {
        {"C:\\ext\\prj\\Makefile", "ext/prj", "C:\\ext\\prj\\", "tazumake "},
        {"sub\\Makefile", "work/demo/sub", "C:\\work\\demo\\sub\\", "tazumake "},
        {"C:\\ext\\prj\\project.mk", "ext/prj", "C:\\ext\\prj\\", "tazumake -f project.mk "},
    };
    project.setUsesExtMakefile(true);
    for (const Case& c : cases) {
        std::filesystem::remove(drive.linuxPath("make-calls.txt"));
        const std::string name = SourceFile(c.extMakefile).name();
        drive.write(std::string(c.folder) + "/" + name, "all:\n");
        project.setExtMakefile(c.extMakefile);
        hub->events.clear();
        hub->partNamesSet.clear();

        EXPECT_EQ(driver.BuildProject(), S_OK) << c.extMakefile;

        EXPECT_EQ(drive.read(std::string(c.folder) + "/build.bat"),
                  demoBatch(c.buildDirectory, c.makeLine));
        EXPECT_THAT(makeCalls(), ElementsAre(drive.linuxPath(c.folder) + "|" +
                                             (name == "Makefile" ? "" : "-f " + name)));
        ASSERT_EQ(hub->events.size(), 1u);
        EXPECT_EQ(hub->events[0].text, std::string(c.buildDirectory) + "demo.cof");
        EXPECT_THAT(hub->partNamesSet, IsEmpty());
    }
    // The generated Makefile and the output files are left alone.
    EXPECT_FALSE(drive.exists("work/demo/default"));
    EXPECT_TRUE(project.otherFiles().empty());
}

TEST_F(BuildDriverTest, MissingExternalMakefileIsReported) {
    project.setUsesExtMakefile(true);
    project.setExtMakefile("C:\\ext\\prj\\Makefile");

    EXPECT_EQ(driver.BuildProject(), E_FAIL);
    EXPECT_EQ(
        logCount(kError,
                 "External makefile does not exist at given location: C:\\ext\\prj\\Makefile"),
        1);
    EXPECT_THAT(makeCalls(), IsEmpty());
}

TEST_F(BuildDriverTest, BatchFileNamesTheTarget) {
    struct Case {
        const char* target;
        const char* makeLine;
    } cases[] = {{"", "tazumake "}, {"clean", "tazumake clean"}, {"uart.o", "tazumake uart.o"}};
    for (const Case& c : cases) {
        EXPECT_EQ(driver.writeBuildBat(c.target), "C:\\work\\demo\\default\\");
        EXPECT_EQ(drive.read("work/demo/default/build.bat"),
                  demoBatch("C:\\work\\demo\\default\\", c.makeLine));
    }
}

TEST_F(BuildDriverTest, CleanRunsTheCleanTargetAndClearsTheDirtyFlag) {
    project.setDirty(true);
    EXPECT_EQ(driver.cleanProject(), S_OK);
    EXPECT_THAT(makeCalls(), ElementsAre(drive.linuxPath("work/demo/default") + "|clean"));
    EXPECT_THAT(outputTexts(),
                ElementsAre("tazuavr -c main.c", "Successfully cleaned the project"));
    EXPECT_FALSE(project.isDirty());
    // A clean writes no Makefile.
    EXPECT_FALSE(drive.exists("work/demo/default/Makefile"));
}

TEST_F(BuildDriverTest, CommandsWithoutBuildToolsSayWhyAndStop) {
    struct Case {
        const char* name;
        std::function<HRESULT(BuildDriver&)> command;
        const char* message;
        HRESULT result;
    } cases[] = {
        {"build", [](BuildDriver& d) { return d.BuildProject(); },
         "Build failed... No build tools defined.", E_FAIL},
        {"clean", [](BuildDriver& d) { return d.cleanProject(); },
         "Clean failed... No make/compiler defined.", E_FAIL},
        {"compile", [](BuildDriver& d) { return d.compileFile(); },
         "Compile failed... No build tools defined.", E_FAIL},
        {"make",
         [](BuildDriver& d) {
             d.makeTarget("main.o");
             return S_OK;
         },
         "Build failed... No build tools defined.", S_OK},
    };
    project.setMakeLocation("C:\\nowhere");
    works.activeFile = "C:\\work\\demo\\main.c";
    for (const Case& c : cases) {
        works.output.clear();
        EXPECT_EQ(c.command(driver), c.result) << c.name;
        ASSERT_FALSE(works.output.empty()) << c.name;
        EXPECT_EQ(works.output.back().text, c.message);
        EXPECT_EQ(works.output.back().kind, 2);
    }
    EXPECT_THAT(makeCalls(), IsEmpty());
}

TEST_F(BuildDriverTest, BuildToolsCheck) {
    struct Case {
        const char* name;
        bool usesTazuAvr;
        const char* tazuLocation;
        const char* makeLocation;
        bool expected;
        const char* tazuAfter;
        const char* makeAfter;
    } cases[] = {
        {"custom tools present", false, "C:\\tools\\bin", "C:\\tools\\bin", true, "C:\\tools\\bin",
         "C:\\tools\\bin"},
        {"custom make tool missing", false, "C:\\tools\\bin", "C:\\tools", false, "C:\\tools\\bin",
         "C:\\tools"},
        {"custom compiler missing", false, "C:\\tools", "C:\\tools\\bin", false, "C:\\tools",
         "C:\\tools\\bin"},
        {"custom tools empty", false, "", "", false, "", ""},
        // The installed toolchain is not looked at on disk.
        {"installed, locations kept", true, "C:\\elsewhere", "C:\\elsewhere", true, "C:\\elsewhere",
         "C:\\elsewhere"},
        {"installed, locations found", true, "", "C:\\old", true, "C:\\TC\\bin", "C:\\TC\\bin"},
    };
    drive.write("tazu.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software]\r\n\"DAZAZ7EVE\"=\"C:\\\\TC\"\r\n");
    Registry::setFile(drive.linuxPath("tazu.reg"));
    PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
    for (const Case& c : cases) {
        project.setUsesTazuAvr(c.usesTazuAvr);
        project.setTazuLocation(c.tazuLocation);
        project.setMakeLocation(c.makeLocation);
        EXPECT_EQ(driver.haveBuildTools(), c.expected) << c.name;
        EXPECT_EQ(project.tazuLocation(), c.tazuAfter) << c.name;
        EXPECT_EQ(project.makeLocation(), c.makeAfter) << c.name;
    }
}

TEST_F(BuildDriverTest, CompileMakesTheObjectOfTheActiveProjectSource) {
    struct Case {
        const char* activeFile;
        HRESULT activeResult;
        HRESULT result;
        const char* target; // empty: the make tool is not run
    } cases[] = {
        {"C:\\work\\demo\\src\\uart.c", S_OK, S_OK, "uart.o"},
        {"C:\\WORK\\Demo\\main.c", S_OK, S_OK, "main.o"},
        {"C:\\other\\uart2.c", S_OK, S_OK, ""},
        {"C:\\work\\demo\\main.h", S_OK, S_OK, ""},
        {"", S_OK, S_OK, ""},
        {"C:\\work\\demo\\main.c", E_FAIL, E_FAIL, ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(drive.linuxPath("make-calls.txt"));
        hub->logs.clear();
        works.output.clear();
        works.activeFile = c.activeFile;
        works.activeFileResult = c.activeResult;

        EXPECT_EQ(driver.compileFile(), c.result) << c.activeFile;

        if (*c.target != '\0') {
            EXPECT_THAT(makeCalls(),
                        ElementsAre(drive.linuxPath("work/demo/default") + "|" + c.target));
            EXPECT_EQ(works.output.back().text, "Make succeeded with 0 Warnings...");
        } else {
            EXPECT_THAT(makeCalls(), IsEmpty()) << c.activeFile;
        }
        EXPECT_EQ(logCount(kError, "Could not get the file to compile"),
                  FAILED(c.activeResult) ? 1 : 0);
    }
}

TEST_F(BuildDriverTest, MakeTargetCleansADirtyProjectAndWarnsAboutExternalMakefiles) {
    project.setDirty(true);
    driver.makeTarget("main.o");
    const std::string folder = drive.linuxPath("work/demo/default");
    EXPECT_THAT(makeCalls(), ElementsAre(folder + "|clean", folder + "|main.o"));
    EXPECT_FALSE(project.isDirty());
    EXPECT_EQ(works.output.back().text, "Make succeeded with 0 Warnings...");
    EXPECT_EQ(logCount(kInfo, "Making arbitrary targets when using external makefile may fail"), 0);

    drive.write("work/demo/Makefile", "all:\n");
    project.setUsesExtMakefile(true);
    project.setExtMakefile("Makefile");
    driver.makeTarget("main.o");
    EXPECT_EQ(logCount(kInfo, "Making arbitrary targets when using external makefile may fail"), 1);
    EXPECT_EQ(makeCalls().back(), drive.linuxPath("work/demo") + "|main.o");
}

TEST_F(BuildDriverTest, MakeOfATargetWithErrorsSaysSo) {
    makePrints("!W main.c(1):[warning] w\n!E main.c(2): e\n!E main.c(3): e\n");
    driver.makeTarget("main.o");
    EXPECT_EQ(works.output.back().text, "Make failed with 2 errors and 1 warnings...");
}

TEST_F(BuildDriverTest, ExportWritesTheChosenFile) {
    dialogs.queueSaveFile(std::string("C:\\exports\\Makefile.demo"));
    drive.makeFolder("exports");

    EXPECT_EQ(driver.exportMakefile(), S_OK);

    ASSERT_EQ(dialogs.dialogs().size(), 1u);
    const auto& request = dialogs.dialogs()[0];
    EXPECT_EQ(request.kind, ScriptedDialogService::DialogKind::SaveFile);
    EXPECT_EQ(request.title, "Export Makefile");
    EXPECT_EQ(request.initialName, "Makefile");
    EXPECT_EQ(request.startFolder, "C:\\work\\demo\\");
    EXPECT_TRUE(request.overwritePrompt);
    const std::string written = drive.read("exports/Makefile.demo");
    EXPECT_EQ(written.rfind("CC = tazuavr\r\n", 0), 0u) << written;
    EXPECT_EQ(logCount(kInfo, "Exported makefile to C:\\exports\\Makefile.demo"), 1);
    // Export neither creates the output directory nor writes build.bat.
    EXPECT_FALSE(drive.exists("work/demo/default/build.bat"));
}

TEST_F(BuildDriverTest, ExportFailuresAreLoggedAndCancelIsNotOne) {
    struct Case {
        const char* name;
        std::optional<std::string> chosen;
        bool dropConfiguration;
        HRESULT result;
        std::vector<std::string> errors;
    } cases[] = {
        {"cancelled", std::nullopt, false, S_OK, {}},
        {"unwritable",
         std::string("C:\\missing\\Makefile"),
         false,
         E_FAIL,
         {"Failed opening file C:\\missing\\Makefile for writing"}},
        {"no active configuration",
         std::string("C:\\Makefile.x"),
         true,
         E_FAIL,
         {"Project::outputDir(): Invalid active configuration"}},
    };
    for (const Case& c : cases) {
        hub->logs.clear();
        dialogs.queueSaveFile(c.chosen);
        Project broken("demo", "C:\\work\\demo\\");
        BuildDriver driverOfBroken(broken, nullptr);
        BuildDriver& subject = c.dropConfiguration ? driverOfBroken : driver;
        EXPECT_EQ(subject.exportMakefile(), c.result) << c.name;
        EXPECT_EQ(logMessages(kError), c.errors) << c.name;
    }
}

TEST_F(BuildDriverTest, OutputFilesJoinTheOtherFilesThroughTheTree) {
    struct Case {
        const char* name;
        const char* path;
        bool exists;
        bool shownBefore;
        std::vector<std::string> added;
        std::vector<std::string> removed;
        bool list;
        bool map;
        bool missingNote;
    } cases[] = {
        {"new listing",
         "C:\\work\\demo\\default\\demo.lis",
         true,
         false,
         {"C:\\work\\demo\\default\\demo.lis"},
         {},
         true,
         false,
         false},
        {"map already shown",
         "C:\\work\\demo\\default\\demo.mp",
         true,
         true,
         {},
         {},
         false,
         true,
         false},
        {"missing and shown",
         "C:\\work\\demo\\default\\demo.mp",
         false,
         true,
         {},
         {"C:\\work\\demo\\default\\demo.mp"},
         false,
         false,
         true},
        {"missing, not shown",
         "C:\\work\\demo\\default\\demo.lis",
         false,
         false,
         {},
         {},
         false,
         false,
         true},
        {"empty path", "", false, false, {}, {}, false, false, true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(drive.linuxPath("work/demo/default"));
        if (c.exists) {
            drive.write("work/demo/default/" + SourceFile(c.path).name(), "x");
        }
        test::RecordingTree tree;
        if (c.shownBefore) {
            tree.shown.push_back(c.path);
        }
        hub->logs.clear();
        project.setList(false);
        project.setMap(false);
        driver.setTree(&tree);

        driver.insertOtherItemsIntoProject(c.path);

        EXPECT_EQ(tree.added, c.added) << c.name;
        EXPECT_EQ(tree.removed, c.removed) << c.name;
        EXPECT_EQ(project.list(), c.list) << c.name;
        EXPECT_EQ(project.map(), c.map) << c.name;
        const std::string note = "\"" + std::string(c.path) + "\" Does not exist.";
        EXPECT_EQ(logCount(kDebug, note), c.missingNote ? 1 : 0) << c.name;
        if (c.missingNote) {
            EXPECT_EQ(hub->logs.back().context, "Zuzozuduvuruva::insertOtherItemsIntoProject");
        }
    }
    driver.setTree(nullptr);
}

TEST_F(BuildDriverTest, WithoutATreeOutputFilesGoStraightIntoTheProject) {
    drive.write("work/demo/default/demo.lis", "x");
    driver.insertOtherItemsIntoProject("C:\\work\\demo\\default\\demo.lis");
    driver.insertOtherItemsIntoProject("C:\\work\\demo\\default\\demo.lis");
    ASSERT_EQ(project.otherFiles().size(), 1u);
    EXPECT_EQ(project.otherFiles().front().fullName(), "default\\demo.lis");

    std::filesystem::remove(drive.linuxPath("work/demo/default/demo.lis"));
    driver.insertOtherItemsIntoProject("C:\\work\\demo\\default\\demo.lis");
    EXPECT_TRUE(project.otherFiles().empty());
}

} // namespace
} // namespace avrtazu
