#include "host_test_support.h"

#include "cli/cli_session.h"
#include "lib/current_folder_scope.h"
#include "plugin/registration.h"

#include "services/object_registry.h"
#include "services/plug_in_utility.h"

#include "platform/dialog_service.h"
#include "platform/drive_map.h"
#include "platform/registry.h"
#include "ui/modal_runner.h"

#include <QDialog>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using ::testing::HasSubstr;

class CliSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        project = folder.write("proj/blink.aps", test::sampleProject());
        folder.write("proj/main.c", "int main(void) { return 0; }\n");
        folder.write("other.c", "\n");
        original = readFile(project);
        fs::create_directories(executableFolder);
    }

    // Arguments split at spaces, with "@P" standing for the project file and "@F/" for the
    // test's folder.
    int run(const std::string& line) {
        std::vector<std::string> arguments;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            arguments.push_back(word == "@P"                ? project
                                : word.rfind("@F/", 0) == 0 ? folder.file(word.substr(3))
                                                            : word);
        }
        PlugInUtility::resetForTesting();
        out.str("");
        err.str("");
        return CliSession::main(arguments, out, err, false, executableFolder);
    }

    test::FakePluginScript& script() { return installation.script(); }

    test::TempFolder folder;
    test::FakePluginInstallation installation;
    std::string project;
    std::string original;
    std::string executableFolder = folder.file("bin");
    std::ostringstream out;
    std::ostringstream err;
};

// What became of the project file.
enum Outcome {
    Untouched,  // the plug-in never ran and the file stays as it was
    Saved,      // the document went back into the file
    LeftAsItWas // the plug-in ran and closed, but the file stays as it was
};

using S = test::FakePluginScript;

// A plug-in whose command answers result and that sends line (a log line of level 2 or a line
// of output of kind 2) while it reads, runs or saves the project, as phase says.
S plugIn(HRESULT result, std::vector<S::Line> S::*phase = nullptr, const char* line = "",
         HRESULT setupResult = S_OK) {
    S script;
    script.commandResult = result;
    script.setupResult = setupResult;
    if (phase != nullptr) {
        (script.*phase).push_back({line, 2});
    }
    return script;
}

struct StatusCase {
    const char* name;
    const char* arguments;
    int status;
    Outcome outcome;
    // Something standard output or standard error says.
    const char* says;
    S script = {};
    bool plugInRegistered = true;
};

const StatusCase kStatusCases[] = {
    {"Help", "--help", 0, Untouched, "Usage: avrtazu [--registry FILE] [--studio-dir DIR]"},
    {"Version", "--version", 0, Untouched, "avrtazu "},
    {"BadUsage", "", 2, Untouched, "no command given\nTry 'avrtazu --help'."},
    {"MissingProject", "build @F/none.aps", 2, Untouched, "cannot read"},
    {"MissingCompileFile", "compile @P @F/none.c", 2, Untouched, "cannot find the file"},
    {"MissingAddFile", "add @P @F/none.c", 2, Untouched, "cannot find the file"},
    {"MissingRegistry", "--registry @F/none.reg build @P", 2, Untouched,
     "cannot read the registry"},
    {"MissingStudioFolder", "--studio-dir @F/none build @P", 2, Untouched, "the studio folder"},
    {"NoPlugIn", "build @P", 1, Untouched, "is not available (0x80040154)", {}, false},
    {"Success", "build @P", 0, Saved, ""},
    {"NoSetup", "build @P", 0, Saved, "warning: the plug-in has no setup description (0x80004001)",
     plugIn(S_OK, nullptr, "", E_NOTIMPL)},
    {"CommandFails", "build @P", 1, Saved, "build failed (0x80004005)", plugIn(E_FAIL)},
    {"FailsAndSaysWhy", "clean @P", 1, Saved, "error: tazu plug-in: Cannot create",
     plugIn(E_FAIL, &S::commandLog, "Cannot create")},
    {"OutputSaysFailed", "build @P", 1, Saved, "",
     plugIn(S_OK, &S::commandOutput, "Build failed with 1 errors and 0 warnings...")},
    // A rebuild answers E_FAIL whatever happened; its output and log decide.
    {"RebuildSucceeds", "rebuild @P", 0, Saved, "", plugIn(E_FAIL)},
    {"RebuildLogsAnError", "rebuild @P", 1, Saved, "error: tazu plug-in: No object file",
     plugIn(E_FAIL, &S::commandLog, "No object file")},
    {"CompileOutsideTheProject", "compile @P @F/other.c", 1, Saved,
     "other.c is not a source file of the project; nothing compiled"},
    {"ExportNeverAskedWhere", "export-makefile @P @F/M", 1, Saved, "did not ask where to export"},
    // A file the project names but the disk lacks says nothing about the document.
    {"MissingSourceFile", "build @P", 0, Saved, "error: tazu plug-in: The project file x does not",
     plugIn(S_OK, &S::loadLog, "The project file x does not exist.")},
    {"DamagedSection", "build @P", 1, LeftAsItWas, "plug-in section could not be read (corrupt)",
     plugIn(S_OK, &S::loadLog, "corrupt")},
    {"WrittenOnlyPartly", "build @P", 1, LeftAsItWas, "could not write the project (not saved)",
     plugIn(S_OK, &S::saveLog, "not saved")},
};

void PrintTo(const StatusCase& c, std::ostream* out) {
    *out << c.name;
}

class CliSessionStatusTest : public CliSessionTest,
                             public ::testing::WithParamInterface<StatusCase> {};

TEST_P(CliSessionStatusTest, ExitStatus) {
    const StatusCase& c = GetParam();
    script() = c.script;
    if (!c.plugInRegistered) {
        ObjectRegistry::instance().unregisterClass(plugin_registration::kClassId);
    }
    EXPECT_EQ(run(c.arguments), c.status) << err.str();
    EXPECT_THAT(out.str() + err.str(), HasSubstr(c.says));
    if (c.outcome == Saved) {
        EXPECT_THAT(readFile(project), HasSubstr("<STATE>0</STATE>"));
    } else {
        EXPECT_EQ(readFile(project), original);
        EXPECT_EQ(script().calls.empty(), c.outcome == Untouched);
    }
    if (c.outcome == LeftAsItWas) {
        EXPECT_THAT(err.str(), HasSubstr(project + " was left as it was"));
        EXPECT_EQ(script().calls.back(), "Close");
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, CliSessionStatusTest, ::testing::ValuesIn(kStatusCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliSessionTest, DrivesThePlugInAsTheIdeDoesAndSavesBeforeClose) {
    script().commandOutput = {{"Build started", 0}, {"tazuavr -c main.c", 3}};
    script().commandLog = {{"Created directory x", 0}, {"Part name differs", 1}, {"detail", 3}};
    script().objectFile = DriveMap::toWindows(folder.file("proj/default/blink.cof"));
    ASSERT_EQ(run("build @P"), 0) << err.str();
    EXPECT_EQ(script().calls, (std::vector<std::string>{"GetSetup", "Init", "Event 101",
                                                        "Command 0", "Event 12", "Close"}));
    EXPECT_EQ(script().projectDirectory, DriveMap::toWindows(folder.file("proj")) + "\\");
    EXPECT_EQ(script().studioDirectory, DriveMap::toWindows(executableFolder) + "\\");
    EXPECT_EQ(out.str(), "Build started\ntazuavr -c main.c\n");
    EXPECT_THAT(err.str(),
                HasSubstr("object file: " + folder.file("proj/default/blink.cof") + "\n"));
    // The plug-in's Close dropped the host's sections from memory only.
    const std::string file = readFile(project);
    EXPECT_THAT(file, HasSubstr("<ProjectName>blink</ProjectName>"));
    EXPECT_THAT(file, HasSubstr("<SaveFolder>C:\\old\\place\\</SaveFolder>"));
    // Log lines go to standard error by level; debug lines only with --verbose.
    EXPECT_THAT(err.str(), HasSubstr("info: tazu plug-in: Created directory x\n"
                                     "warning: tazu plug-in: Part name differs\n"));
    EXPECT_THAT(err.str(), ::testing::Not(HasSubstr("detail")));
    run("--verbose build @P");
    EXPECT_THAT(err.str(), HasSubstr("debug: tazu plug-in: Fake::step() detail\n"));
}

// Names on the command line belong to the folder avrtazu was called from.
TEST_F(CliSessionTest, EachCommandReachesThePlugInWithItsNumberAndItsFile) {
    struct Case {
        std::string arguments;
        std::string call;
        std::string activeFile;
        std::string exportedTo;
    };
    const Case cases[] = {
        {"build @P", "Command 0", "", ""},
        {"rebuild @P", "Command 2", "", ""},
        {"clean @P", "Command 4", "", ""},
        {"compile @P proj/main.c", "Command 3", "proj/main.c", ""},
        {"export-makefile @P out/Makefile", "Command 6", "", "out/Makefile"},
    };
    std::optional<std::string> exported;
    script().commandOutput = {{"Make succeeded with 0 Warnings...", 0}};
    script().duringCommand = [&](long) {
        exported = DialogService::current().saveFile("Export Makefile", "Makefile", "Z:\\", true);
    };
    const CurrentFolderScope caller(folder.path());
    const auto windows = [&](const std::string& relative) {
        return relative.empty() ? "" : DriveMap::toWindows(folder.file(relative));
    };
    for (const Case& c : cases) {
        script().calls.clear();
        EXPECT_EQ(run(c.arguments), 0) << c.call << err.str();
        ASSERT_EQ(script().calls.size(), 6u) << c.call;
        EXPECT_EQ(script().calls[3], c.call);
        EXPECT_EQ(script().activeFile, windows(c.activeFile)) << c.call;
        EXPECT_EQ(exported.value_or(""), windows(c.exportedTo)) << c.call;
    }
    EXPECT_THAT(err.str(), HasSubstr("save dialog \"Export Makefile\": answered " + *exported));
}

// Nobody answers on the command line: message boxes take their default, dialogs are accepted
// as shown, and a dialog the plug-in keeps reopening is cancelled in the end.
TEST_F(CliSessionTest, DialogsAreAnsweredUnattended) {
    MessageAnswer answer = MessageAnswer::Cancel;
    int accepted = 0;
    bool unattended = false;
    script().duringCommand = [&](long) {
        unattended = ModalRunner::unattended();
        DialogService::current().messageBox("Unsupported device", "", MessageIcon::Warning,
                                            MessageButtons::Ok);
        answer = DialogService::current().messageBox("Delete the file?", "Delete",
                                                     MessageIcon::Question, MessageButtons::YesNo);
        QDialog dialog;
        dialog.setWindowTitle("Project Options");
        while (ModalRunner::exec(dialog) == QDialog::Accepted && accepted < 1000) {
            ++accepted;
        }
    };
    run("build @P");
    EXPECT_TRUE(unattended);
    EXPECT_FALSE(ModalRunner::unattended());
    EXPECT_EQ(answer, MessageAnswer::Yes);
    EXPECT_EQ(accepted, 20);
    EXPECT_THAT(err.str(), HasSubstr("message: Unsupported device\n"
                                     "message (Delete): Delete the file? [answered Yes]\n"
                                     "dialog \"Project Options\": accepted as shown\n"));
    EXPECT_THAT(err.str(),
                HasSubstr("dialog \"Project Options\" cancelled: the plug-in keeps asking"));
}

TEST_F(CliSessionTest, RegistryFileAndStudioFolderAreBesideTheProgramUnlessNamed) {
    if (std::getenv("TAZU_REGISTRY") != nullptr) {
        GTEST_SKIP() << "TAZU_REGISTRY overrides the default registry file";
    }
    std::string during;
    script().duringCommand = [&](long) { during = Registry::file(); };
    run("build @P");
    EXPECT_EQ(during, executableFolder + "/avrtazu.reg");

    const std::string named = folder.write("my.reg", "Windows Registry Editor Version 5.00\n");
    fs::create_directories(folder.file("studio"));
    EXPECT_EQ(run("--registry @F/my.reg --studio-dir @F/studio build @P"), 0);
    EXPECT_EQ(during, named);
    EXPECT_NE(Registry::file(), named);
    EXPECT_EQ(script().studioDirectory, DriveMap::toWindows(folder.file("studio")) + "\\");
}

} // namespace
} // namespace avrtazu
