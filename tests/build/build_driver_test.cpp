#include "build/build_driver.h"
#include "build/build_tree_view.h"

#include "model/configuration.h"
#include "model/project.h"
#include "platform/registry.h"
#include "platform/scripted_dialog_service.h"
#include "platform/win_path.h"
#include "scoped_variable.h"
#include "services/fake_host_support.h"
#include "services/plug_in_utility.h"
#include "services/scratch_drive.h"
#include "services/toolchain_locator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace avrtazu {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using Texts = std::vector<std::string>;

constexpr long kInfo = 0;
constexpr long kError = 2;
constexpr long kDebug = 3;

// Works whose output window empties on ClearOutput, as the host's does.
class ClearingWorks : public fakes::RecordingWorks {
public:
    HRESULT ClearOutput() override {
        output.clear();
        return RecordingWorks::ClearOutput();
    }
};

// A project tree that only records what the driver asks of it.
class RecordingTree : public BuildTreeView {
public:
    bool containsFile(const std::string& path) override {
        return std::find(shown.begin(), shown.end(), path) != shown.end();
    }
    void removeFile(const std::string& path) override {
        removed.push_back(path);
        std::erase(shown, path);
    }
    void addFileToProject(const std::string& path) override {
        added.push_back(path);
        shown.push_back(path);
    }
    Texts shown, removed, added;
};

template <class Items, class Text> Texts texts(const Items& items, Text text) {
    Texts result;
    for (const auto& item : items) {
        result.push_back(std::invoke(text, item));
    }
    return result;
}

std::string demoBatch(const std::string& buildDirectory, const std::string& makeLine) {
    return "@ECHO OFF\r\n"
           "REM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT*********\r\n"
           "PATH=C:\\tools\\bin;C:\\tools\\bin;%PATH%\r\n"
           "pushd " +
           buildDirectory + "\r\nmode con codepage select=850 > NUL\r\n" + makeLine + "\r\n";
}

// The project C:\work\demo\ ("demo", configuration "default" writing demo.cof to default\,
// sources main.c and src\uart.c, header main.h) on a scratch drive, with a recording host and
// hub and custom tools in C:\tools\bin. The stand-in tazumake.exe records each call as
// "<Linux folder>|<arguments>", prints a tool line and C:\make-output.txt, and creates the
// files named in C:\make-creates.txt.
class BuildDriverTest : public ::testing::Test {
protected:
    BuildDriverTest() {
        Registry::setFile(drive.linuxPath("empty.reg"));
        PlugInUtility::instance().setHost(&works);
        DialogService::install(&dialogs);
        project.addConfig(Configuration("default", "demo.cof"));
        project.setUsesTazuAvr(false);
        project.setTazuLocation("C:\\tools\\bin");
        project.setMakeLocation("C:\\tools\\bin");
        project.addSrcFile(SourceFile("main.c"));
        project.addSrcFile(SourceFile("src\\uart.c"));
        project.addHdrFile(SourceFile("main.h"));
        drive.makeFolder("work/demo");
        drive.write("tools/bin/tazuavr.exe", "#!/bin/sh\n", true);
        drive.write("tools/bin/tazumake.exe",
                    "#!/bin/sh\nR='" + drive.root() +
                        "'\n"
                        "echo \"$PWD|$*\" >> \"$R/make-calls.txt\"\n"
                        "echo 'tazuavr -c main.c'\n"
                        "cat \"$R/make-output.txt\" 2>/dev/null\n"
                        "for f in $(cat \"$R/make-creates.txt\"); do : > \"$f\"; done\n",
                    true);
        makeCreates("demo.cof demo.lis demo.mp");
    }
    ~BuildDriverTest() override {
        DialogService::install(nullptr);
        Registry::setFile("");
    }

    void makePrints(const std::string& text) { drive.write("make-output.txt", text); }
    void makeCreates(const std::string& names) { drive.write("make-creates.txt", names); }
    void forgetMakeCalls() const { std::filesystem::remove(drive.linuxPath("make-calls.txt")); }
    Texts makeCalls() const {
        std::istringstream lines(drive.read("make-calls.txt"));
        Texts calls;
        for (std::string line; std::getline(lines, line);) {
            calls.push_back(line);
        }
        return calls;
    }
    Texts outputTexts() const {
        return texts(works.output, &fakes::RecordingWorks::OutputLine::text);
    }
    Texts otherFiles() const { return texts(project.otherFiles(), &SourceFile::fullName); }
    // The hub's log messages of one level.
    Texts logs(long level) const {
        Texts messages;
        for (const auto& line : hub->logs) {
            if (line.level == level) {
                messages.push_back(line.message);
            }
        }
        return messages;
    }

    test::ScratchDrive drive{'C'};
    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
    ClearingWorks works;
    ScriptedDialogService dialogs;
    Project project{"demo", "C:\\work\\demo\\"};
    BuildDriver driver{project, nullptr};
    const std::string defaultFolder = drive.linuxPath("work/demo/default");
};

TEST_F(BuildDriverTest, BuildWritesTheFilesRunsMakeAndReportsTheDebugObject) {
    project.setDirty(true);

    EXPECT_EQ(driver.BuildProject(), S_OK);

    const Texts output = outputTexts();
    ASSERT_EQ(output.size(), 3u);
    EXPECT_TRUE(std::regex_match(
        output[0], std::regex(R"(Build started [1-9]\d?\.[1-9]\d?\.\d{4} at \d\d:\d\d:\d\d)")))
        << output[0];
    EXPECT_EQ(output[1], "tazuavr -c main.c");
    EXPECT_EQ(output[2], "Build succeeded with 0 Warnings...");
    EXPECT_EQ(works.output[0].kind, kOutputPlain);
    EXPECT_EQ(works.output[1].kind, kOutputToolLine);
    EXPECT_EQ(works.clearOutputCalls, 1);
    EXPECT_THAT(logs(kInfo),
                ElementsAre("Output directory C:\\work\\demo\\default\\ does not exist",
                            "Created directory C:\\work\\demo\\default\\"));

    EXPECT_THAT(makeCalls(), ElementsAre(defaultFolder + "|"));
    EXPECT_EQ(drive.read("work/demo/default/build.bat"),
              demoBatch("C:\\work\\demo\\default\\", "tazumake "));
    EXPECT_THAT(drive.read("work/demo/default/Makefile"), HasSubstr("\r\nclean:\r\n"));
    EXPECT_TRUE(drive.exists("work/demo/default/demo.lk"));

    // Headers first, then sources, with full paths.
    EXPECT_THAT(works.addedSourceFiles,
                ElementsAre("C:\\work\\demo\\main.h", "C:\\work\\demo\\main.c",
                            "C:\\work\\demo\\src\\uart.c"));
    EXPECT_THAT(hub->sourceFileLists, ElementsAre("C:\\work\\demo\\main.h,C:\\work\\demo\\main.c,"
                                                  "C:\\work\\demo\\src\\uart.c"));
    EXPECT_THAT(hub->partNamesSet, ElementsAre("Custom"));
    ASSERT_EQ(hub->events.size(), 1u);
    EXPECT_EQ(hub->events[0].number, kEventObjectFile);
    EXPECT_EQ(hub->events[0].text, "C:\\work\\demo\\default\\demo.cof");
    EXPECT_THAT(logs(kDebug), Contains(": Finished building project"));

    EXPECT_THAT(otherFiles(), ElementsAre("default\\demo.lis", "default\\demo.mp"));
    EXPECT_TRUE(project.list());
    EXPECT_TRUE(project.map());
    EXPECT_FALSE(project.isDirty());
}

TEST_F(BuildDriverTest, CompilerErrorsFailTheSummaryButNotTheCommand) {
    makePrints("!E main.c(3): expected ';'\n");
    makeCreates("demo.lis");
    project.addOtherFile(SourceFile("default\\demo.mp"));
    project.setDirty(true);

    EXPECT_EQ(driver.BuildProject(), S_OK);

    EXPECT_EQ(outputTexts().back(), "Build failed with 1 errors and 0 warnings...");
    EXPECT_TRUE(hub->events.empty());
    // Without the tree, the listing joins the project and the missing map leaves it.
    EXPECT_THAT(otherFiles(), ElementsAre("default\\demo.lis"));
    EXPECT_THAT(logs(kDebug), Contains("\"C:\\work\\demo\\default\\demo.mp\" Does not exist."));
    EXPECT_FALSE(project.isDirty());
}

TEST_F(BuildDriverTest, MissingDebugObjectFailsTheBuildAndKeepsItDirty) {
    drive.write("work/demo/Makefile", "all:\n");
    makeCreates("demo.elf");
    project.setOutputFileName("demo.elf");
    project.setExtMakefile("Makefile");
    for (const bool external : {false, true}) {
        hub->logs.clear();
        project.setUsesExtMakefile(external);
        project.setDirty(true);
        EXPECT_EQ(driver.BuildProject(), E_FAIL);
        EXPECT_THAT(logs(kError),
                    ElementsAre(external ? "Error: Object file not found on expected location "
                                           "C:\\work\\demo\\demo.o\nMake sure your makefile "
                                           "specifies the output .o file as demo.elf"
                                         : "Error: Object file not found on expected location "
                                           "C:\\work\\demo\\default\\demo.elf"));
        EXPECT_TRUE(hub->events.empty());
        EXPECT_TRUE(project.isDirty());
        EXPECT_TRUE(project.otherFiles().empty());
    }
}

TEST_F(BuildDriverTest, OnlyADirtyProjectWithAMakefileIsCleanedFirst) {
    for (const auto& [dirty, makefile] : {std::pair{true, true}, {true, false}, {false, true}}) {
        SCOPED_TRACE(::testing::Message() << "dirty " << dirty << ", Makefile " << makefile);
        forgetMakeCalls();
        std::filesystem::remove(drive.linuxPath("work/demo/default/Makefile"));
        if (makefile) {
            drive.write("work/demo/default/Makefile", "old\n");
        }
        project.setDirty(dirty);

        EXPECT_EQ(driver.BuildProject(), S_OK);

        if (dirty && makefile) {
            EXPECT_THAT(makeCalls(), ElementsAre(defaultFolder + "|clean", defaultFolder + "|"));
            // The clean cleared the window: no "Build started" line is left.
            EXPECT_THAT(outputTexts(),
                        ElementsAre("tazuavr -c main.c", "Successfully cleaned the project",
                                    "tazuavr -c main.c", "Build succeeded with 0 Warnings..."));
        } else {
            EXPECT_THAT(makeCalls(), ElementsAre(defaultFolder + "|"));
        }
        EXPECT_FALSE(project.isDirty());
    }
}

TEST_F(BuildDriverTest, OutputDirectoryIsCreatedOneLevelDeepOrUsedWithItsDrive) {
    project.setOutputDirectory("gone\\deeper\\");
    EXPECT_EQ(driver.BuildProject(), E_FAIL);
    // createMakefile and writeBuildBat each try once.
    const std::string gone = "C:\\work\\demo\\gone\\deeper\\";
    const std::string missing = "Output directory " + gone + " does not exist";
    const std::string failed = "Error: Could not create directory " + gone + ", bailing out..";
    EXPECT_THAT(logs(kInfo), ElementsAre(missing, missing));
    EXPECT_THAT(logs(kError), ElementsAre(failed, failed));
    EXPECT_FALSE(drive.exists("work/demo/gone"));
    EXPECT_THAT(makeCalls(), IsEmpty());

    test::ScratchDrive other('D');
    other.makeFolder("out");
    project.setOutputDirectory("D:\\out\\");
    EXPECT_EQ(driver.BuildProject(), S_OK);
    EXPECT_EQ(other.read("out/build.bat"), demoBatch("D:\\out\\", "tazumake "));
    ASSERT_EQ(hub->events.size(), 1u);
    EXPECT_EQ(hub->events[0].text, "D:\\out\\demo.cof");
    EXPECT_FALSE(drive.exists("work/demo/default"));
}

TEST_F(BuildDriverTest, ExternalMakefileBuildsInItsOwnFolder) {
    const struct {
        const char* extMakefile;
        const char* folder; // below the drive root
        const char* makeArguments;
        const char* received; // by the make tool
    } cases[] = {
        {"C:\\ext\\prj\\project.mk", "ext/prj", "-f project.mk ", "-f project.mk"},
        {"sub\\Makefile", "work/demo/sub", "", ""},
        {"C:\\ext\\my prj\\my build.mk", "ext/my prj", "-f \"my build.mk\" ", "-f my build.mk"},
    };
    project.setUsesExtMakefile(true);
    const test::ScopedVariable cache("XDG_CACHE_HOME", drive.linuxPath("cache"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extMakefile);
        forgetMakeCalls();
        hub->events.clear();
        drive.write(std::string(c.folder) + "/" + SourceFile(c.extMakefile).name(), "all:\n");
        project.setExtMakefile(c.extMakefile);

        EXPECT_EQ(driver.BuildProject(), S_OK);

        const std::string directory = drive.windowsPath(c.folder) + "\\";
        // make runs in the folder's blank-free short form.
        EXPECT_EQ(drive.read(std::string(c.folder) + "/build.bat"),
                  demoBatch(*WinPath::shortPathName(directory),
                            std::string("tazumake ") + c.makeArguments));
        EXPECT_THAT(makeCalls(), ElementsAre(drive.linuxPath(c.folder) + "|" + c.received));
        ASSERT_EQ(hub->events.size(), 1u);
        EXPECT_EQ(hub->events[0].text, directory + "demo.cof");
    }
    // The generated Makefile, the part and the output files are left alone.
    EXPECT_THAT(hub->partNamesSet, IsEmpty());
    EXPECT_FALSE(drive.exists("work/demo/default"));
    EXPECT_TRUE(project.otherFiles().empty());

    project.setExtMakefile("C:\\ext\\none\\Makefile");
    EXPECT_EQ(driver.BuildProject(), E_FAIL);
    EXPECT_THAT(logs(kError), ElementsAre("External makefile does not exist at given location: "
                                          "C:\\ext\\none\\Makefile"));
}

TEST_F(BuildDriverTest, CommandsWithoutBuildToolsSayWhyAndStop) {
    const struct {
        std::function<HRESULT(BuildDriver&)> command;
        const char* message;
        HRESULT result;
    } cases[] = {
        {&BuildDriver::BuildProject, "Build failed... No build tools defined.", E_FAIL},
        {&BuildDriver::cleanProject, "Clean failed... No make/compiler defined.", E_FAIL},
        {&BuildDriver::compileFile, "Compile failed... No build tools defined.", E_FAIL},
        {[](BuildDriver& d) { return d.makeTarget("main.o"), S_OK; },
         "Build failed... No build tools defined.", S_OK},
    };
    project.setMakeLocation("C:\\nowhere");
    works.activeFile = "C:\\work\\demo\\main.c";
    for (const auto& c : cases) {
        works.output.clear();
        EXPECT_EQ(c.command(driver), c.result) << c.message;
        ASSERT_FALSE(works.output.empty()) << c.message;
        EXPECT_EQ(works.output.back().text, c.message);
        EXPECT_EQ(works.output.back().kind, kOutputError);
    }
    EXPECT_THAT(makeCalls(), IsEmpty());
}

TEST_F(BuildDriverTest, BuildToolsCheck) {
    const struct {
        bool usesTazuAvr;
        const char* tazuLocation;
        const char* makeLocation;
        bool expected;
        const char* tazuAfter;
        const char* makeAfter;
    } cases[] = {
        // clang-format off
        {false, "C:\\tools\\bin", "C:\\tools\\bin", true, "C:\\tools\\bin", "C:\\tools\\bin"},
        {false, "C:\\tools\\bin", "C:\\tools", false, "C:\\tools\\bin", "C:\\tools"},
        {false, "C:\\tools", "C:\\tools\\bin", false, "C:\\tools", "C:\\tools\\bin"},
        // The installed toolchain is not looked at on disk.
        {true, "C:\\elsewhere", "C:\\elsewhere", true, "C:\\elsewhere", "C:\\elsewhere"},
        {true, "", "C:\\old", true, "C:\\TC\\bin", "C:\\TC\\bin"},
        // clang-format on
    };
    drive.write("tazu.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software]\r\n\"DAZAZ7EVE\"=\"C:\\\\TC\"\r\n");
    Registry::setFile(drive.linuxPath("tazu.reg"));
    PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.usesTazuAvr << " " << c.tazuLocation << " " << c.makeLocation);
        project.setUsesTazuAvr(c.usesTazuAvr);
        project.setTazuLocation(c.tazuLocation);
        project.setMakeLocation(c.makeLocation);
        EXPECT_EQ(driver.haveBuildTools(), c.expected);
        EXPECT_EQ(project.tazuLocation(), c.tazuAfter);
        EXPECT_EQ(project.makeLocation(), c.makeAfter);
    }
}

TEST_F(BuildDriverTest, CompileMakesTheObjectOfTheActiveProjectSource) {
    const struct {
        const char* activeFile;
        HRESULT activeResult;
        const char* target; // empty: the make tool is not run
    } cases[] = {
        {"C:\\work\\demo\\src\\uart.c", S_OK, "uart.o"},
        {"C:\\other\\uart2.c", S_OK, ""},
        {"C:\\work\\demo\\main.h", S_OK, ""},
        {"", S_OK, ""},
        {"C:\\work\\demo\\main.c", E_FAIL, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.activeFile);
        forgetMakeCalls();
        hub->logs.clear();
        works.activeFile = c.activeFile;
        works.activeFileResult = c.activeResult;

        EXPECT_EQ(driver.compileFile(), c.activeResult);

        if (*c.target != '\0') {
            EXPECT_THAT(makeCalls(), ElementsAre(defaultFolder + "|" + c.target));
            EXPECT_EQ(outputTexts().back(), "Make succeeded with 0 Warnings...");
        } else {
            EXPECT_THAT(makeCalls(), IsEmpty());
        }
        EXPECT_EQ(logs(kError),
                  FAILED(c.activeResult) ? Texts{"Could not get the file to compile"} : Texts{});
    }
}

TEST_F(BuildDriverTest, MakeTargetCleansADirtyProjectAndWarnsAboutExternalMakefiles) {
    project.setDirty(true);
    driver.makeTarget("main.o");
    EXPECT_THAT(makeCalls(), ElementsAre(defaultFolder + "|clean", defaultFolder + "|main.o"));
    EXPECT_FALSE(project.isDirty());
    const std::string warning = "Making arbitrary targets when using external makefile may fail";
    EXPECT_THAT(logs(kInfo), Not(Contains(warning)));

    drive.write("work/demo/Makefile", "all:\n");
    project.setUsesExtMakefile(true);
    project.setExtMakefile("Makefile");
    driver.makeTarget("main.o");
    EXPECT_THAT(logs(kInfo), Contains(warning));
    EXPECT_EQ(makeCalls().back(), drive.linuxPath("work/demo") + "|main.o");
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
    EXPECT_EQ(drive.read("exports/Makefile.demo").rfind("CC = tazuavr\r\n", 0), 0u);
    EXPECT_THAT(logs(kInfo), ElementsAre("Exported makefile to C:\\exports\\Makefile.demo"));
    // Export neither creates the output directory nor writes build.bat.
    EXPECT_FALSE(drive.exists("work/demo/default/build.bat"));
}

TEST_F(BuildDriverTest, ExportFailuresAreLoggedAndCancelIsNotOne) {
    Project unconfigured("demo", "C:\\work\\demo\\");
    BuildDriver driverOfUnconfigured(unconfigured, nullptr);
    const struct {
        std::optional<std::string> chosen;
        BuildDriver& driver;
        HRESULT result;
        Texts errors;
    } cases[] = {
        {std::nullopt, driver, S_OK, {}},
        {"C:\\missing\\Makefile",
         driver,
         E_FAIL,
         {"Failed opening file C:\\missing\\Makefile for writing"}},
        {"C:\\Makefile.x",
         driverOfUnconfigured,
         E_FAIL,
         {"Project::outputDir(): Invalid active configuration"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.value_or("cancelled"));
        hub->logs.clear();
        dialogs.queueSaveFile(c.chosen);
        EXPECT_EQ(c.driver.exportMakefile(), c.result);
        EXPECT_EQ(logs(kError), c.errors);
    }
}

TEST_F(BuildDriverTest, OutputFilesJoinTheOtherFilesThroughTheTree) {
    const struct {
        const char* name;
        bool exists;
        bool shownBefore;
    } cases[] = {{"demo.lis", true, false}, // added
                 {"demo.mp", true, true},   // left as it is
                 {"demo.mp", false, true},  // removed
                 {"demo.lis", false, false}};
    for (const auto& c : cases) {
        const std::string path = std::string("C:\\work\\demo\\default\\") + c.name;
        SCOPED_TRACE(::testing::Message()
                     << path << " exists " << c.exists << ", shown " << c.shownBefore);
        std::filesystem::remove_all(defaultFolder);
        if (c.exists) {
            drive.write(std::string("work/demo/default/") + c.name, "x");
        }
        RecordingTree tree;
        if (c.shownBefore) {
            tree.shown.push_back(path);
        }
        hub->logs.clear();
        project.setList(false);
        project.setMap(false);
        driver.setTree(&tree);

        driver.insertOtherItemsIntoProject(path);

        EXPECT_EQ(tree.added, c.exists && !c.shownBefore ? Texts{path} : Texts{});
        EXPECT_EQ(tree.removed, !c.exists && c.shownBefore ? Texts{path} : Texts{});
        EXPECT_EQ(project.list(), c.exists && std::string(c.name) == "demo.lis");
        EXPECT_EQ(project.map(), c.exists && std::string(c.name) == "demo.mp");
        EXPECT_EQ(logs(kDebug), c.exists ? Texts{} : Texts{"\"" + path + "\" Does not exist."});
        if (!c.exists) {
            EXPECT_EQ(hub->logs.back().context, "Zuzozuduvuruva::insertOtherItemsIntoProject");
        }
        EXPECT_TRUE(project.otherFiles().empty());
    }
    driver.setTree(nullptr);
}

// The driver over the real toolchain of the build tree: the registry file names the toolchain
// root, discovery finds tazumake and tazuavr there, and a build leaves firmware.
class BuildDriverToolchainTest : public BuildDriverTest {
protected:
    void SetUp() override {
        const std::string registryFile = std::string(AVRTAZU_TEST_BIN_DIR) + "/tazu.reg";
        if (!std::filesystem::exists(registryFile)) {
            GTEST_SKIP() << "no toolchain in this build tree: " << registryFile;
        }
        Registry::setFile(registryFile);
        PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
        project.setUsesTazuAvr(true);
        project.setTazuLocation("");
        project.setMakeLocation("");
        project.setPart("ATMega16");
        project.setProgramMemory("16384");
        project.setDataMemory("1024");
        project.setUseLongCallJmp(true);
        project.setEnhancedCore(true);
        drive.write("work/demo/main.c",
                    "#include <avr/io.h>\n#include \"inc/board.h\"\n"
                    "#include \"main.h\"\n"
                    "int main(void) { DDRB = LED; uart_init(); for (;;) {} }\n");
        drive.write("work/demo/src/uart.c", "#include <avr/io.h>\n#include \"../main.h\"\n"
                                            "void uart_init(void) { UCSRB = (1 << TXEN); }\n");
        drive.write("work/demo/main.h", "void uart_init(void);\n");
        drive.write("work/demo/inc/board.h", "#define LED 1\n");
    }

    std::string allOutput() const { return ::testing::PrintToString(outputTexts()); }
    int count(long kind) const {
        return static_cast<int>(std::count_if(works.output.begin(), works.output.end(),
                                              [kind](auto& line) { return line.kind == kind; }));
    }
};

TEST_F(BuildDriverToolchainTest, CompileBuildAndAFailedBuild) {
    works.activeFile = "C:\\work\\demo\\src\\uart.c";
    EXPECT_EQ(driver.compileFile(), S_OK);
    EXPECT_EQ(works.output.back().text, "Make succeeded with 0 Warnings...") << allOutput();
    EXPECT_THAT(project.tazuLocation(), HasSubstr("tazu\\bin"));
    EXPECT_EQ(project.makeLocation(), project.tazuLocation());
    EXPECT_TRUE(drive.exists("work/demo/default/uart.o"));
    EXPECT_FALSE(drive.exists("work/demo/default/main.o"));
    EXPECT_FALSE(drive.exists("work/demo/default/demo.cof"));

    project.setDirty(true);
    ASSERT_EQ(driver.BuildProject(), S_OK) << allOutput();
    // The make tool echoes each compiler command: tool lines.
    EXPECT_GE(count(kOutputToolLine), 3) << allOutput();
    EXPECT_EQ(count(kOutputError), 0) << allOutput();
    EXPECT_EQ(works.output.back().text, "Build succeeded with 0 Warnings...");
    ASSERT_EQ(hub->events.size(), 1u);
    EXPECT_EQ(hub->events[0].text, "C:\\work\\demo\\default\\demo.cof");
    EXPECT_TRUE(drive.exists("work/demo/default/demo.hex"));
    EXPECT_THAT(otherFiles(), ElementsAre("default\\demo.lis", "default\\demo.mp"));
    // The compiler's dependency files name the included headers; project headers are left out.
    Texts external;
    for (const SourceFile& header : PlugInUtility::instance().getExternalHeaderFiles(project)) {
        external.push_back(header.fullName());
    }
    EXPECT_THAT(external, ElementsAre("C:\\work\\demo\\inc\\board.h"));

    drive.write("work/demo/main.c", "int main(void) {\n    return undeclared_value;\n}\n");
    project.setDirty(true);
    EXPECT_EQ(driver.BuildProject(), S_OK);
    EXPECT_EQ(works.output.back().text, "Build failed with 1 errors and 0 warnings...")
        << allOutput();
    // Dirty with a Makefile, the project was cleaned first.
    EXPECT_THAT(outputTexts(), Contains("Successfully cleaned the project"));
    EXPECT_FALSE(drive.exists("work/demo/default/demo.cof"));
    EXPECT_EQ(hub->events.size(), 1u);
    // Nothing was linked: the listing and the map leave the project.
    EXPECT_TRUE(project.otherFiles().empty());
    EXPECT_FALSE(project.isDirty());
}

} // namespace
} // namespace avrtazu
