#include "host_test_support.h"

#include "cli/cli_session.h"
#include "plugin/registration.h"

#include "services/object_registry.h"
#include "services/plug_in_utility.h"

#include "platform/dialog_service.h"
#include "platform/drive_map.h"
#include "platform/registry.h"
#include "ui/modal_runner.h"

#include <QDialog>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::readFile;

class CliSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        project = folder.write("proj/blink.aps", test::sampleProject());
        original = readFile(project);
        fs::create_directories(executableFolder);
    }

    // Arguments with "@P" standing for the project file and "@F/" for the test's folder.
    int run(std::vector<std::string> arguments) {
        for (std::string& argument : arguments) {
            if (argument == "@P") {
                argument = project;
            } else if (argument.rfind("@F/", 0) == 0) {
                argument = folder.file(argument.substr(3));
            }
        }
        PlugInUtility::resetForTesting();
        out.str("");
        err.str("");
        return CliSession::main(arguments, out, err, false, executableFolder);
    }

    bool saved() const { return readFile(project).find("<SAVED>yes</SAVED>") != std::string::npos; }

    test::TempFolder folder;
    test::FakePluginInstallation installation;
    std::string project;
    std::string original;
    std::string executableFolder = folder.file("bin");
    std::ostringstream out;
    std::ostringstream err;
};

struct StatusCase {
    const char* name;
    std::vector<std::string> arguments;
    std::function<void(test::FakePluginScript&, test::TempFolder&)> arrange;
    int status;
    // The plug-in saw the project, and the document was written back.
    bool ran;
    const char* stderrHas;
};

class CliSessionStatusTest : public CliSessionTest,
                             public ::testing::WithParamInterface<StatusCase> {};

TEST_P(CliSessionStatusTest, ExitStatus) {
    const StatusCase& c = GetParam();
    if (c.arrange) {
        c.arrange(installation.script(), folder);
        original = readFile(project);
    }
    EXPECT_EQ(run(c.arguments), c.status) << err.str();
    EXPECT_NE(err.str().find(c.stderrHas), std::string::npos) << err.str();
    if (c.ran) {
        EXPECT_TRUE(saved());
    } else {
        EXPECT_EQ(readFile(project), original);
        EXPECT_TRUE(installation.script().calls.empty());
    }
}

const auto none = std::function<void(test::FakePluginScript&, test::TempFolder&)>();

INSTANTIATE_TEST_SUITE_P(
    Runs, CliSessionStatusTest,
    ::testing::Values(
        StatusCase{"NoArguments", {}, none, 2, false, "no command given\nTry 'avrtazu --help'."},
        StatusCase{"UnknownCommand", {"frob", "@P"}, none, 2, false, "unknown command 'frob'"},
        StatusCase{"MissingProject", {"build", "@F/nothing.aps"}, none, 2, false, "cannot read"},
        StatusCase{"CorruptProject",
                   {"build", "@P"},
                   [](test::FakePluginScript&, test::TempFolder& f) {
                       f.write("proj/blink.aps", "<AVRStudio><MANAGEMENT>");
                   },
                   2,
                   false,
                   "is not a readable project file"},
        StatusCase{"NotAProject",
                   {"build", "@P"},
                   [](test::FakePluginScript&, test::TempFolder& f) {
                       f.write("proj/blink.aps", "<html/>");
                   },
                   2,
                   false,
                   "is not an AVR Studio project file"},
        StatusCase{"MissingCompileFile",
                   {"compile", "@P", "@F/proj/none.c"},
                   none,
                   2,
                   false,
                   "cannot find the file"},
        StatusCase{"MissingAddFile",
                   {"add", "@P", "@F/proj/none.c"},
                   none,
                   2,
                   false,
                   "cannot find the file"},
        StatusCase{"MissingRegistry",
                   {"--registry", "@F/none.reg", "build", "@P"},
                   none,
                   2,
                   false,
                   "cannot read the registry file"},
        StatusCase{"MissingStudioFolder",
                   {"--studio-dir", "@F/nowhere", "build", "@P"},
                   none,
                   2,
                   false,
                   "does not exist"},
        StatusCase{"Success", {"build", "@P"}, none, 0, true, ""},
        StatusCase{"CommandFails",
                   {"build", "@P"},
                   [](test::FakePluginScript& s, test::TempFolder&) { s.commandResult = E_FAIL; },
                   1,
                   true,
                   "build failed (0x80004005)"},
        StatusCase{"CommandFailsAndSaysWhy",
                   {"clean", "@P"},
                   [](test::FakePluginScript& s, test::TempFolder&) {
                       s.commandResult = E_FAIL;
                       s.commandLog = {{2, "Error: Could not create directory"}};
                   },
                   1,
                   true,
                   "error: tazu plug-in: Error: Could not create directory"},
        StatusCase{"BuildSummaryFailed",
                   {"build", "@P"},
                   [](test::FakePluginScript& s, test::TempFolder&) {
                       s.commandOutput = {{"Build failed with 1 errors and 0 warnings...", 2}};
                   },
                   1,
                   true,
                   ""},
        StatusCase{"CompilerErrorLine",
                   {"build", "@P"},
                   [](test::FakePluginScript& s, test::TempFolder&) {
                       s.commandOutput = {{"!E main.c(3): 'x' undeclared", 2}};
                   },
                   1,
                   true,
                   ""},
        StatusCase{"WarningsOnly",
                   {"build", "@P"},
                   [](test::FakePluginScript& s, test::TempFolder&) {
                       s.commandOutput = {{"!W main.c(3):[warning] unused", 1},
                                          {"Build succeeded with 1 Warnings...", 0}};
                   },
                   0,
                   true,
                   ""},
        // A rebuild answers E_FAIL whatever happened; its output and log decide.
        StatusCase{"RebuildSucceeds",
                   {"rebuild", "@P"},
                   [](test::FakePluginScript& s, test::TempFolder&) {
                       s.commandResult = E_FAIL;
                       s.commandOutput = {{"Build succeeded with 0 Warnings...", 0}};
                   },
                   0,
                   true,
                   ""},
        StatusCase{"RebuildLogsAnError",
                   {"rebuild", "@P"},
                   [](test::FakePluginScript& s, test::TempFolder&) {
                       s.commandResult = E_FAIL;
                       s.commandLog = {{2, "Error: Object file not found on expected location"}};
                   },
                   1,
                   true,
                   "Object file not found"},
        StatusCase{"SetupMissingIsOnlyAWarning",
                   {"build", "@P"},
                   [](test::FakePluginScript& s, test::TempFolder&) { s.setupResult = E_NOTIMPL; },
                   0,
                   true,
                   "warning: the plug-in has no setup description (0x80004001)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliSessionTest, DrivesThePlugInAsTheIdeDoesAndSavesBeforeClose) {
    ASSERT_EQ(run({"build", "@P"}), 0) << err.str();
    const test::FakePluginScript& seen = installation.script();
    EXPECT_EQ(seen.calls,
              (std::vector<std::string>{"GetSetup", "Init", "HandleEvent 101", "ExecuteCommand 0",
                                        "HandleEvent 12", "Close"}));
    EXPECT_EQ(seen.projectName, "blink");
    EXPECT_EQ(seen.projectDirectory, DriveMap::toWindows(folder.file("proj")) + "\\");
    EXPECT_EQ(seen.studioDirectory, DriveMap::toWindows(executableFolder) + "\\");
    EXPECT_EQ(seen.nameAtClose, "blink");
    // The plug-in's Close dropped the host's sections from memory only.
    const std::string file = readFile(project);
    EXPECT_NE(file.find("<ProjectName>blink</ProjectName>"), std::string::npos) << file;
    EXPECT_NE(file.find("<SaveFolder>C:\\old\\place\\</SaveFolder>"), std::string::npos) << file;
    EXPECT_TRUE(saved());
}

TEST_F(CliSessionTest, CommandsReachThePlugInWithTheirNumbers) {
    const std::pair<const char*, const char*> commands[] = {{"build", "ExecuteCommand 0"},
                                                            {"rebuild", "ExecuteCommand 2"},
                                                            {"clean", "ExecuteCommand 4"}};
    for (const auto& [word, call] : commands) {
        installation.script().calls.clear();
        run({word, "@P"});
        ASSERT_EQ(installation.script().calls.size(), 6u) << word;
        EXPECT_EQ(installation.script().calls[3], call);
    }
}

TEST_F(CliSessionTest, ADamagedSectionIsNeverWrittenBack) {
    installation.script().loadLog = {
        {3, "No HEX node found"},
        {2, "The AVR Studio project file seems to be corrupt. Please restart AVR Studio and try "
            "to create a new project"}};
    EXPECT_EQ(run({"build", "@P"}), 1);
    EXPECT_EQ(readFile(project), original);
    EXPECT_NE(
        err.str().find("error: tazu plug-in: The AVR Studio project file seems to be corrupt"),
        std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find(project + " was left as it was"), std::string::npos) << err.str();
    // The run itself still ends as the IDE's would.
    EXPECT_EQ(installation.script().calls.back(), "Close");
}

TEST_F(CliSessionTest, AProjectWrittenOnlyPartlyIsNeverWrittenBack) {
    installation.script().saveLog = {{2, "Project file data could not be saved"}};
    EXPECT_EQ(run({"build", "@P"}), 1);
    EXPECT_EQ(readFile(project), original);
    EXPECT_NE(err.str().find("could not write the project (Project file data could not be "
                             "saved); " +
                             project + " was left as it was"),
              std::string::npos)
        << err.str();
}

TEST_F(CliSessionTest, AMissingProjectFileDoesNotStopTheSave) {
    installation.script().loadLog = {{2, "The project file Z:\\p\\gone.c does not exist."}};
    EXPECT_EQ(run({"build", "@P"}), 0) << err.str();
    EXPECT_TRUE(saved());
    EXPECT_NE(err.str().find("error: tazu plug-in: The project file Z:\\p\\gone.c does not exist."),
              std::string::npos);
}

TEST_F(CliSessionTest, LogLevelsAreLabelledAndDebugNeedsVerbose) {
    installation.script().commandLog = {
        {0, "Created directory x"}, {1, "Part name differs"}, {3, "detail"}};
    run({"build", "@P"});
    EXPECT_NE(err.str().find("info: tazu plug-in: Created directory x\n"), std::string::npos);
    EXPECT_NE(err.str().find("warning: tazu plug-in: Part name differs\n"), std::string::npos);
    EXPECT_EQ(err.str().find("detail"), std::string::npos) << err.str();

    run({"--verbose", "build", "@P"});
    EXPECT_NE(err.str().find("debug: tazu plug-in: Fake::step() detail\n"), std::string::npos)
        << err.str();
}

TEST_F(CliSessionTest, BuildOutputGoesToStdoutAsSent) {
    installation.script().commandOutput = {{"Build started 5.12.2024 at 10:00:00", 0},
                                           {"tazuavr -c main.c", 3},
                                           {"Build succeeded with 0 Warnings...", 0}};
    installation.script().objectFile = DriveMap::toWindows(folder.file("proj/default/blink.cof"));
    EXPECT_EQ(run({"build", "@P"}), 0);
    EXPECT_EQ(out.str(), "Build started 5.12.2024 at 10:00:00\ntazuavr -c main.c\n"
                         "Build succeeded with 0 Warnings...\n");
    EXPECT_NE(err.str().find("object file: " + folder.file("proj/default/blink.cof") + "\n"),
              std::string::npos)
        << err.str();
}

TEST_F(CliSessionTest, CompileMakesTheFileTheActiveEditorFile) {
    folder.write("proj/main.c", "int main(void) { return 0; }\n");
    installation.script().commandOutput = {{"Make succeeded with 0 Warnings...", 0}};
    const fs::path before = fs::current_path();
    fs::current_path(folder.file("proj"));
    const int status = run({"compile", "@P", "main.c"});
    fs::current_path(before);
    EXPECT_EQ(status, 0) << err.str();
    EXPECT_EQ(installation.script().calls[3], "ExecuteCommand 3");
    EXPECT_EQ(installation.script().activeFile, DriveMap::toWindows(folder.file("proj/main.c")));
}

TEST_F(CliSessionTest, CompilingAFileTheProjectDoesNotHaveSaysSo) {
    const std::string other = folder.write("elsewhere/other.c", "\n");
    EXPECT_EQ(run({"compile", "@P", other}), 1);
    EXPECT_NE(err.str().find(other + " is not a source file of the project; nothing compiled"),
              std::string::npos)
        << err.str();
}

TEST_F(CliSessionTest, ExportAnswersTheSaveDialogWithOut) {
    std::optional<std::string> answer;
    installation.script().duringCommand = [&] {
        answer =
            DialogService::current().saveFile("Export Makefile", "Makefile", "Z:\\proj\\", true);
    };
    EXPECT_EQ(run({"export-makefile", "@P", "@F/out/Makefile"}), 0) << err.str();
    EXPECT_EQ(installation.script().calls[3], "ExecuteCommand 6");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, DriveMap::toWindows(folder.file("out/Makefile")));
    EXPECT_NE(err.str().find("save dialog \"Export Makefile\": answered " + *answer),
              std::string::npos)
        << err.str();
}

TEST_F(CliSessionTest, AnExportThatNeverAskedWhereFails) {
    EXPECT_EQ(run({"export-makefile", "@P", "@F/out/Makefile"}), 1);
    EXPECT_NE(err.str().find("did not ask where to export"), std::string::npos) << err.str();
}

TEST_F(CliSessionTest, MessageBoxesArePrintedAndAnsweredWithTheirDefault) {
    MessageAnswer answer = MessageAnswer::Cancel;
    installation.script().duringCommand = [&] {
        DialogService::current().messageBox("Unsupported device", "", MessageIcon::Warning,
                                            MessageButtons::Ok);
        answer = DialogService::current().messageBox("Delete the file?", "Delete",
                                                     MessageIcon::Question, MessageButtons::YesNo);
    };
    run({"build", "@P"});
    EXPECT_EQ(answer, MessageAnswer::Yes);
    EXPECT_NE(err.str().find("message: Unsupported device\n"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("message (Delete): Delete the file? [answered Yes]\n"),
              std::string::npos)
        << err.str();
}

TEST_F(CliSessionTest, ModalDialogsAreAcceptedAsShown) {
    int result = -1;
    installation.script().duringCommand = [&] {
        QDialog dialog;
        dialog.setWindowTitle("Project Options");
        result = ModalRunner::exec(dialog);
    };
    bool unattended = false;
    installation.script().duringCommand = [&, show = installation.script().duringCommand] {
        unattended = ModalRunner::unattended();
        show();
    };
    run({"build", "@P"});
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(unattended);
    EXPECT_FALSE(ModalRunner::unattended());
    EXPECT_NE(err.str().find("dialog \"Project Options\": accepted as shown"), std::string::npos)
        << err.str();
}

// A plug-in that reopens a dialog until its values pass must not hang when they never do.
TEST_F(CliSessionTest, ADialogReopenedWithoutEndIsCancelled) {
    int runs = 0;
    installation.script().duringCommand = [&] {
        QDialog dialog;
        dialog.setWindowTitle("Project Options");
        while (ModalRunner::exec(dialog) == QDialog::Accepted && runs < 1000) {
            ++runs;
        }
    };
    run({"build", "@P"});
    EXPECT_EQ(runs, 20);
    EXPECT_NE(err.str().find("dialog \"Project Options\" cancelled: the plug-in keeps asking"),
              std::string::npos)
        << err.str();
}

TEST_F(CliSessionTest, RegistryFileIsBesideTheProgramUnlessNamed) {
    if (std::getenv("TAZU_REGISTRY") != nullptr) {
        GTEST_SKIP() << "TAZU_REGISTRY overrides the default registry file";
    }
    std::string during;
    installation.script().duringCommand = [&] { during = Registry::file(); };
    run({"build", "@P"});
    EXPECT_EQ(during, executableFolder + "/avrtazu.reg");

    const std::string named = folder.write("my.reg", "Windows Registry Editor Version 5.00\n");
    run({"--registry", named, "build", "@P"});
    EXPECT_EQ(during, named);
    EXPECT_NE(Registry::file(), named);
}

TEST_F(CliSessionTest, StudioFolderCanBeNamed) {
    fs::create_directories(folder.file("studio"));
    EXPECT_EQ(run({"--studio-dir", "@F/studio", "build", "@P"}), 0);
    EXPECT_EQ(installation.script().studioDirectory,
              DriveMap::toWindows(folder.file("studio")) + "\\");
}

TEST_F(CliSessionTest, WithoutThePlugInNothingIsTouched) {
    ObjectRegistry::instance().unregisterClass(plugin_registration::kClassId);
    EXPECT_EQ(run({"build", "@P"}), 1);
    EXPECT_NE(err.str().find("is not available (0x80040154)"), std::string::npos) << err.str();
    EXPECT_EQ(readFile(project), original);
}

TEST_F(CliSessionTest, HelpAndVersionNeedNoProject) {
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.str().find("Usage: avrtazu [--registry FILE] [--studio-dir DIR] [--verbose] "
                             "COMMAND PROJECT.aps [ARGS]"),
              std::string::npos);
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out.str().rfind("avrtazu ", 0), 0u);
    EXPECT_TRUE(installation.script().calls.empty());
}

} // namespace
} // namespace avrtazu
