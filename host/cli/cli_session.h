#pragma once

#include "cli/cli_options.h"
#include "lib/simulator_run.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace avrtazu {

class CliDialogService;
class CliOptionsEdit;
class CliWorks;
class FileStatusMemo;
class HostHub;
class IGuiPlugin;
class ProjectDocument;
class Zuzozuduvuruva;

// One run of avrtazu: loads the project document (or, for new, creates it), drives the plug-in
// as the IDE would (setup, Init, project opened or new project, the command, save event, Close),
// saves the document before the plug-in's Close drops the host's sections, and turns what happened
// into an exit status: 0 only for real success, 128 + the signal after SIGINT or SIGTERM. Build
// output goes to `output`; the log, messages and avrtazu's own notes to `messages`.
class CliSession {
public:
    static constexpr int kExitSuccess = 0;
    static constexpr int kExitFailure = 1;
    static constexpr int kExitUsage = 2;

    CliSession(std::ostream& output, std::ostream& messages, bool colour);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // The whole program after the application object exists: parses the arguments (without the
    // program name), runs, and gives the exit status. executableFolder (a Linux path) holds
    // the default registry file and is the default studio folder.
    static int main(const std::vector<std::string>& arguments, std::ostream& output,
                    std::ostream& messages, bool colour, const std::string& executableFolder);

    int run(const CliOptions& options, const std::string& executableFolder);

private:
    enum class Phase { Starting, Loading, Running, Saving, Closing };

    int prepare(const CliOptions& options, const std::string& executableFolder);
    int prepareNewProject(const CliOptions& options);
    int drive(const CliOptions& options);
    long runCommand(const CliOptions& options, IGuiPlugin& plugin, CliWorks& works);
    long prepareSimulation(const CliOptions& options, Zuzozuduvuruva& plugin);
    int judge(const CliOptions& options, long result);
    void onLog(long level, const std::string& prefix, const std::string& context,
               const std::string& message);
    void note(const std::string& text);
    // Takes back the folders that new made, when they are still empty.
    void removeMadeFolders();

    std::ostream& m_output;
    std::ostream& m_messages;
    bool m_colour;
    bool m_verbose = false;
    std::string m_studioFolder;
    std::filesystem::path m_callerFolder;
    std::unique_ptr<ProjectDocument> m_document;
    // From reading the project file until the plug-in has opened it: both look at the project's
    // folder and files, which nothing changes meanwhile.
    std::unique_ptr<FileStatusMemo> m_opening;
    std::shared_ptr<HostHub> m_hub;
    std::unique_ptr<CliDialogService> m_dialogs;
    Phase m_phase = Phase::Starting;
    // Errors the plug-in logged while reading the project that mean its section is damaged.
    std::vector<std::string> m_damage;
    // Errors the plug-in logged while writing the project into the document.
    std::vector<std::string> m_saveErrors;
    int m_commandErrors = 0;
    // Dialogs run through the modal hook so far.
    int m_modalRuns = 0;
    // The folders that new made for its project, deepest first; removed again when the project
    // is not created.
    std::vector<std::filesystem::path> m_madeFolders;
    // set and config: the changes the options sheet receives.
    std::unique_ptr<CliOptionsEdit> m_edit;
    // A command that was refused and said why itself.
    bool m_refusalTold = false;
    // run: the firmware to simulate once the plug-in is closed.
    std::optional<SimulatorRun::Target> m_simulation;
};

} // namespace avrtazu
