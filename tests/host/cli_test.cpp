#include "host_test_support.h"

#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "cli/cli_works.h"
#include "lib/current_folder_scope.h"
#include "lib/project_document.h"

#include "platform/dialog_service.h"
#include "platform/drive_map.h"
#include "platform/registry.h"
#include "ui/modal_runner.h"

#include <QDialog>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

namespace avrtazu {
namespace {

namespace fs = std::filesystem;
using S = test::FakePluginScript;

using test::words;

std::string parsed(const std::string& line) {
    std::string error;
    const std::optional<CliOptions> o = CliOptions::parse(words(line), &error);
    if (!o) {
        return "error: " + error;
    }
    std::string text = CliOptions::commandWord(o->command) + " [" + o->project + "]";
    for (const std::string& file : o->files) {
        text += " [" + file + "]";
    }
    using Action = CliOptions::ConfigAction;
    return text + " name=" + o->name + " part=" + o->part + " reg=" + o->registryFile +
           " studio=" + o->studioDirectory + (o->verbose ? " verbose" : "") +
           (o->json ? " json" : "") +
           (o->configAction == Action::Add      ? " add"
            : o->configAction == Action::Remove ? " remove"
                                                : "") +
           (o->seconds ? " seconds=" + std::to_string(*o->seconds) : "") +
           (o->gdbPort ? " gdb=" + std::to_string(*o->gdbPort) : "");
}

TEST(CliOptionsTest, ParsesEveryCommandLineOrSaysWhatIsWrong) {
    test::expectEachLine("cli_options.txt", parsed);
}

// Output lines that make a run fail whatever the plug-in answers.
TEST(CliWorksTest, KnowsTheFailureLines) {
    test::expectEachLine("cli_failure_lines.txt", [](const std::string& line) {
        return std::string(CliWorks::isFailureLine(line) ? "failure" : "-");
    });
}

TEST(CliWorksTest, OutputIsColouredByKindOnATerminal) {
    test::TempFolder folder;
    ProjectDocument document;
    std::string error;
    ASSERT_TRUE(document.load(folder.write("b.aps", test::sampleProject()), &error)) << error;
    std::ostringstream output, messages;
    CliWorks terminal(document, folder.path(), output, messages, true);
    for (long kind : {kOutputPlain, kOutputWarning, kOutputError, kOutputToolLine}) {
        terminal.AddOutputMessage(L"line", kind);
    }
    EXPECT_EQ(output.str(),
              "line\n\033[33mline\033[0m\n\033[31mline\033[0m\n\033[36mline\033[0m\n");
}

// Every file below folder with its bytes; a folder as "name/".
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        files[entry.is_directory() ? name + "/" : name] =
            entry.is_directory() ? "" : test::readFile(entry.path().string());
    }
    return files;
}

// The files a run made, changed or removed, with the bytes of those it wrote unless they are
// the bytes shown last for that name.
std::string changes(const std::map<std::string, std::string>& before,
                    const std::map<std::string, std::string>& after,
                    std::map<std::string, std::string>& shown) {
    std::string text;
    for (const auto& [name, bytes] : after) {
        const auto old = before.find(name);
        if (old == before.end() || old->second != bytes) {
            text += (old == before.end() ? "made " : "changed ") + name;
            text += shown[name] == bytes ? ", as shown before\n" : "\n" + bytes;
            shown[name] = bytes;
        }
    }
    for (const auto& [name, bytes] : before) {
        text += after.count(name) == 0 ? "removed " + name + "\n" : "";
    }
    return text;
}

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

S during(std::function<void(long)> step, std::vector<S::Line> output = {}) {
    S script;
    script.duringCommand = std::move(step);
    script.commandOutput = std::move(output);
    return script;
}

void logRegistry(long) {
    PlugInUtility::instance().logInfo("registry " + Registry::file());
}

void exportAsked(long) {
    DialogService::current().saveFile("Export Makefile", "Makefile", "Z:\\", true);
}

// Nobody answers on the command line: message boxes take their default, dialogs are accepted
// as shown, and a dialog the plug-in keeps reopening is cancelled in the end.
void askEverything(long) {
    PlugInUtility::instance().logInfo(ModalRunner::unattended() ? "unattended" : "attended");
    DialogService::current().messageBox("Unsupported device", "", MessageIcon::Warning,
                                        MessageButtons::Ok);
    DialogService::current().messageBox("Delete the file?", "Delete", MessageIcon::Question,
                                        MessageButtons::YesNo);
    QDialog dialog;
    dialog.setWindowTitle("Project Options");
    for (int shown = 0; ModalRunner::exec(dialog) == QDialog::Accepted && shown < 1000; ++shown) {
    }
}

S drivenAsTheIde() {
    S script;
    script.commandOutput = {{"Build started", 0}, {"tazuavr -c main.c", 3}};
    script.commandLog = {{"Created directory x", 0}, {"Part name differs", 1}, {"detail", 3}};
    script.objectFile = "Z:\\nowhere\\blink.cof";
    return script;
}

struct CliRun {
    const char* arguments;
    S script = {};
};

// Each command line's output, exit status, the plug-in's calls and what became of the files,
// from avrtazu over a fake plug-in, called from a fresh folder each time.
TEST(CliSessionTest, EveryRunTellsItsOutcomeAndLeavesTheFilesAsItSays) {
    ::unsetenv("TAZU_REGISTRY");
    const CliRun runs[] = {
        {"--help"},
        {"--version"},
        {""},
        {"make proj/blink.aps"},
        {"build none.aps"},
        {"build kept"},
        {"build empty.aps"},
        {"build cut.aps"},
        {"build other.aps"},
        {"compile proj/blink.aps none.c"},
        {"add proj/blink.aps none.c"},
        {"--registry none.reg build proj/blink.aps"},
        {"--studio-dir none build proj/blink.aps"},
        {"build ./proj/../proj/blink.aps", drivenAsTheIde()},
        {"--verbose build proj/blink.aps", drivenAsTheIde()},
        {"build noname.aps"},
        {"build proj/blink.aps", plugIn(S_OK, nullptr, "", E_NOTIMPL)},
        {"build proj/blink.aps", plugIn(E_FAIL)},
        {"clean proj/blink.aps", plugIn(E_FAIL, &S::commandLog, "Cannot create")},
        // A rebuild answers E_FAIL whatever happened; its output and log decide.
        {"rebuild proj/blink.aps", plugIn(E_FAIL)},
        {"rebuild proj/blink.aps", plugIn(E_FAIL, &S::commandLog, "No object file")},
        {"compile proj/blink.aps other.c"},
        {"compile proj/blink.aps proj/main.c", during(nullptr, {{"Make succeeded", 0}})},
        {"export-makefile proj/blink.aps out/Makefile", during(exportAsked)},
        {"export-makefile proj/blink.aps out/Makefile"},
        // A file the project names but the disk lacks says nothing about the document.
        {"build proj/blink.aps", plugIn(S_OK, &S::loadLog, "The project file x does not exist.")},
        {"build proj/blink.aps", plugIn(S_OK, &S::loadLog, "corrupt")},
        {"build proj/blink.aps", plugIn(S_OK, &S::saveLog, "not saved")},
        {"build proj/blink.aps", during(askEverything)},
        {"build proj/blink.aps", during(logRegistry)},
        {"--registry my.reg --studio-dir studio build proj/blink.aps", during(logRegistry)},
        {"new made/here blink --part ATtiny2313"},
        {"new made/deeper blink", plugIn(S_OK, &S::loadLog, "\"Return Stack Size\" not valid")},
        {"new kept blink", plugIn(S_OK, &S::loadLog, "failed")},
        {"new proj blink"},
        {"new plain blink"},
        {"build proj/blink.aps"}, // with no plug-in registered
    };
    test::FakePluginInstallation fake;
    std::string transcript;
    std::map<std::string, std::string> shown;
    for (const CliRun& run : runs) {
        if (&run == std::end(runs) - 1) {
            ObjectRegistry::instance().unregisterClass(plugin_registration::kClassId);
        }
        test::TempFolder folder;
        folder.write("proj/blink.aps", test::sampleProject());
        folder.write("proj/main.c", "int main(void) { return 0; }\n");
        folder.write("noname.aps", "<AVRStudio><MANAGEMENT/></AVRStudio>");
        folder.write("cut.aps", "<AVRStudio>\n<MANAGEMENT>\n<ProjectName>x</Proj");
        folder.write("other.aps", "<Project><ProjectName>x</ProjectName></Project>");
        folder.write("my.reg", "Windows Registry Editor Version 5.00\n");
        for (const char* file : {"other.c", "empty.aps"}) {
            folder.write(file, "");
        }
        folder.write("plain", "text");
        for (const char* made : {"kept", "studio", "bin"}) {
            fs::create_directories(folder.file(made));
        }
        const auto before = snapshot(folder.path());
        fake.script() = run.script;
        std::ostringstream out, err;
        int status = -1;
        {
            const CurrentFolderScope caller(folder.path());
            PlugInUtility::resetForTesting();
            status = CliSession::main(words(run.arguments), out, err, false, folder.file("bin"));
        }
        const S& seen = fake.script();
        std::string text = "$ avrtazu " + std::string(run.arguments) + "\n" + out.str() +
                           err.str() + "exit " + std::to_string(status);
        for (const std::string& call : seen.calls) {
            text += (&call == &seen.calls.front() ? "; " : ", ") + call;
        }
        for (const auto& [name, value] : {std::pair("project", seen.projectDirectory),
                                          {"studio", seen.studioDirectory},
                                          {"file", seen.activeFile},
                                          {"part", seen.debuggerPart}}) {
            text += value.empty() ? "" : std::string("; ") + name + " " + value;
        }
        text += "\n" + changes(before, snapshot(folder.path()), shown) + "\n";
        transcript += test::replaced(text, {{DriveMap::toWindows(folder.path()), "@W"},
                                            {folder.path(), "@F"},
                                            {"avrtazu " AVRTAZU_VERSION "\n", "avrtazu @V\n"}});
    }
    EXPECT_FALSE(ModalRunner::unattended());
    EXPECT_EQ(Registry::file().find("my.reg"), std::string::npos);
    test::expectGolden("cli_session.txt", transcript);
}

} // namespace
} // namespace avrtazu
