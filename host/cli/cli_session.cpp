#include "cli/cli_session.h"

#include "plugin/registration.h"
#include "plugin/zuzozuduvuruva.h"

#include "cli/cli_dialog_service.h"
#include "cli/cli_interrupt.h"
#include "cli/cli_options_edit.h"
#include "cli/cli_project_view.h"
#include "cli/cli_simulation.h"
#include "cli/cli_works.h"
#include "lib/current_folder_scope.h"
#include "lib/host_hub.h"
#include "lib/project_document.h"

#include "build/redirect.h"
#include "services/gui_plugin.h"
#include "services/object_registry.h"

#include "platform/dialog_service.h"
#include "platform/drive_map.h"
#include "platform/file_status_memo.h"
#include "platform/message_pump.h"
#include "platform/registry.h"
#include "platform/utf8_text.h"
#include "ui/modal_runner.h"

#include <QCoreApplication>
#include <QDialog>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>

#ifndef AVRTAZU_VERSION
#define AVRTAZU_VERSION "0"
#endif

namespace avrtazu {

namespace {

namespace fs = std::filesystem;

// A run in which the plug-in keeps reopening dialogs that nobody can answer has to stop.
constexpr int kModalLimit = 20;

std::string hex(long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value) & 0xFFFFFFFFul);
    return text;
}

std::string absolute(const std::string& linuxPath) {
    std::error_code ignored;
    return fs::absolute(linuxPath, ignored).lexically_normal().string();
}

// Errors of reading a project that concern the files on disk or the windows, not the document:
// the section is whole and may be written back.
bool isDocumentDamage(const std::string& message) {
    const std::string missingStart = "The project file ";
    const std::string missingEnd = " does not exist.";
    const bool missingFile =
        message.rfind(missingStart, 0) == 0 &&
        message.size() >= missingStart.size() + missingEnd.size() &&
        message.compare(message.size() - missingEnd.size(), missingEnd.size(), missingEnd) == 0;
    return !missingFile && message != "Failed to set up plug-in windows";
}

std::string signalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    default:
        return "signal " + std::to_string(signal);
    }
}

const char* levelLabel(long level) {
    switch (level) {
    case 0:
        return "info: ";
    case 1:
        return "warning: ";
    case 2:
        return "error: ";
    case 3:
        return "debug: ";
    default:
        return "log: ";
    }
}

// Puts the process-wide hooks back however the run ends.
struct GlobalsRestorer {
    bool registryFileSet = false;
    ~GlobalsRestorer() {
        ModalRunner::setHook({});
        ModalRunner::setUnattended(false);
        MessagePump::install({});
        DialogService::install(nullptr);
        if (registryFileSet) {
            Registry::setFile("");
        }
    }
};

} // namespace

CliSession::CliSession(std::ostream& output, std::ostream& messages, bool colour)
    : m_output(output), m_messages(messages), m_colour(colour) {}

CliSession::~CliSession() {
    if (m_hub) {
        m_hub->detach();
    }
}

int CliSession::main(const std::vector<std::string>& arguments, std::ostream& output,
                     std::ostream& messages, bool colour, const std::string& executableFolder) {
    std::string error;
    const std::optional<CliOptions> options = CliOptions::parse(arguments, &error);
    if (!options) {
        messages << "avrtazu: " << error << "\nTry 'avrtazu --help'.\n";
        return kExitUsage;
    }
    if (options->command == CliOptions::Command::Help) {
        output << CliOptions::usage();
        return kExitSuccess;
    }
    if (options->command == CliOptions::Command::Version) {
        output << "avrtazu " << AVRTAZU_VERSION << '\n';
        return kExitSuccess;
    }
    if (options->command == CliOptions::Command::SetHelp) {
        output << CliOptionsEdit::help();
        return kExitSuccess;
    }
    if (options->command == CliOptions::Command::Devices) {
        CliProjectView::printDevices(output);
        return kExitSuccess;
    }
    CliSession session(output, messages, colour);
    return session.run(*options, executableFolder);
}

void CliSession::note(const std::string& text) {
    m_messages << "avrtazu: " << text << '\n';
    m_messages.flush();
}

int CliSession::run(const CliOptions& options, const std::string& executableFolder) {
    GlobalsRestorer restorer;
    m_verbose = options.verbose;
    if (!options.registryFile.empty()) {
        if (!fs::is_regular_file(options.registryFile)) {
            note("cannot read the registry file " + options.registryFile);
            return kExitUsage;
        }
        Registry::setFile(absolute(options.registryFile));
        restorer.registryFileSet = true;
    } else {
        Registry::setDefaultFile((fs::path(executableFolder) / "avrtazu.reg").string());
    }
    const int prepared = prepare(options, executableFolder);
    if (prepared != kExitSuccess) {
        return prepared;
    }
    try {
        const int status = drive(options);
        if (status != kExitSuccess || !m_simulation) {
            return status;
        }
        return CliSimulation::run(*m_simulation,
                                  (fs::path(executableFolder) / SimulatorRun::kHelperName).string(),
                                  options.seconds, m_output, m_messages);
    } catch (const std::exception& error) {
        note(std::string("stopped by an unexpected error: ") + error.what() +
             "; the project file was not written");
        return kExitFailure;
    }
}

// Everything that can be found wrong before the plug-in runs: status 2, nothing touched.
int CliSession::prepare(const CliOptions& options, const std::string& executableFolder) {
    m_studioFolder = options.studioDirectory.empty() ? executableFolder : options.studioDirectory;
    if (!options.studioDirectory.empty() && !fs::is_directory(options.studioDirectory)) {
        note("the studio folder " + options.studioDirectory + " does not exist");
        return kExitUsage;
    }
    m_studioFolder = absolute(m_studioFolder);
    if (options.command == CliOptions::Command::Compile ||
        options.command == CliOptions::Command::Add) {
        for (const std::string& file : options.files) {
            if (!fs::is_regular_file(file)) {
                note("cannot find the file " + file);
                return kExitUsage;
            }
            if (!Utf8Text::isValid(file)) {
                note("the name " + Utf8Text::shown(file) +
                     " is not valid UTF-8, so the project cannot hold it; nothing was changed");
                return kExitUsage;
            }
        }
    }
    if (const auto unknown = CliOptionsEdit::unknownKey(options.files);
        unknown && (options.command == CliOptions::Command::Set ||
                    options.command == CliOptions::Command::Config)) {
        note(*unknown);
        return kExitUsage;
    }
    m_document = std::make_unique<ProjectDocument>();
    if (options.command == CliOptions::Command::New) {
        return prepareNewProject(options);
    }
    std::string error;
    // Another run on the project is waited for a while: two quick commands both get done.
    const ProjectDocument::Waiting waiting{
        std::chrono::seconds(30),
        [&] { note("waiting for " + options.project + ", which another program has open"); }};
    m_opening = std::make_unique<FileStatusMemo>();
    if (!m_document->load(options.project, &error, waiting)) {
        note(error);
        return kExitUsage;
    }
    return kExitSuccess;
}

// A new project's folder is made when missing; an existing project is never replaced.
int CliSession::prepareNewProject(const CliOptions& options) {
    const fs::path aps =
        fs::path(options.project) / (options.name + ProjectDocument::kFileExtension);
    std::error_code failure;
    if (fs::exists(aps, failure)) {
        note(aps.string() + " already exists; nothing was changed");
        return kExitUsage;
    }
    if (fs::exists(options.project, failure) && !fs::is_directory(options.project, failure)) {
        note(options.project + " is not a folder; nothing was changed");
        return kExitUsage;
    }
    // The folders that are made here, deepest first, so that a failed run can take them back.
    std::vector<fs::path> missing;
    for (fs::path folder = absolute(options.project); !folder.empty() && !fs::exists(folder);
         folder = folder.parent_path()) {
        missing.push_back(folder);
    }
    if (!missing.empty() && !fs::create_directories(options.project, failure)) {
        note("cannot make the folder " + options.project + " (" + failure.message() + ")");
        return kExitUsage;
    }
    m_madeFolders = std::move(missing);
    m_document->create(options.project, options.name);
    return kExitSuccess;
}

int CliSession::drive(const CliOptions& options) {
    m_hub = std::make_shared<HostHub>(m_document.get());
    // The debugger's device, which the plug-in takes for a new project.
    m_hub->setDebugPartName(options.part);
    m_hub->setLogHandler(
        [this](long level, const std::string& prefix, const std::string& context,
               const std::string& message) { onLog(level, prefix, context, message); });
    m_hub->setEventHandler(kEventObjectFile, [this](long, const std::string& path) {
        const std::string linuxPath = DriveMap::toLinux(path);
        m_messages << "object file: " << (linuxPath.empty() ? path : linuxPath) << '\n';
        m_messages.flush();
    });
    m_hub->setEventHandler(AVREVENT_OBJECTFILE_DIRTY, [this](long, const std::string&) {
        if (m_verbose) {
            m_messages << "debug: the object file is out of date\n";
        }
    });
    HostHub::install(m_hub);

    m_dialogs = std::make_unique<CliDialogService>(m_messages);
    DialogService::install(m_dialogs.get());
    ModalRunner::setHook([this](QDialog& dialog) {
        if (m_edit) {
            return m_edit->answer(dialog);
        }
        if (++m_modalRuns > kModalLimit) {
            note("dialog \"" + dialog.windowTitle().toStdString() +
                 "\" cancelled: the plug-in keeps asking");
            return static_cast<int>(QDialog::Rejected);
        }
        // Pressing OK on the dialog as it opened; its own checks still run.
        dialog.accept();
        m_messages << "dialog \"" << dialog.windowTitle().toStdString() << "\": "
                   << (dialog.result() == QDialog::Accepted ? "accepted as shown" : "not accepted")
                   << '\n';
        return dialog.result();
    });
    // Nobody answers here: flows that would ask again after a refused answer end instead.
    ModalRunner::setUnattended(true);
    MessagePump::install([this] {
        // What the tools said so far is out before the run waits for more.
        m_output.flush();
        QCoreApplication::processEvents();
        // The tool runner pumps while its child runs: an interrupt ends the child there.
        if (CliInterrupt::signal() != 0) {
            if (CRedirect* running = CRedirect::running()) {
                running->cancel();
            }
        }
    });

    // The firmware's serial output alone goes to standard output of run.
    const bool running = options.command == CliOptions::Command::Run;
    CliWorks works(*m_document, m_studioFolder, running ? m_messages : m_output, m_messages,
                   m_colour);
    HRESULT created = S_OK;
    std::shared_ptr<IGuiPlugin> plugin = ObjectRegistry::instance().create<IGuiPlugin>(
        plugin_registration::kClassId, plugin_registration::kGuiPluginInterfaceId, &created);
    if (!plugin) {
        note("the compiler plug-in " + std::string(plugin_registration::kClassId) +
             " is not available (" + hex(created) + ")");
        return kExitFailure;
    }

    Bstr setup;
    const HRESULT setupResult = plugin->GetSetup(&setup);
    if (FAILED(setupResult)) {
        note("warning: the plug-in has no setup description (" + hex(setupResult) +
             "); check the registry value AvrToolsPluginPath and avrtazuplugin.xml");
    }
    const HRESULT initResult = plugin->Init(&works);
    if (FAILED(initResult)) {
        note("the plug-in did not start (" + hex(initResult) + ")");
        plugin->Close();
        return kExitFailure;
    }

    const CurrentFolderScope projectFolder(m_document->folder());
    m_callerFolder = projectFolder.previous();
    m_phase = Phase::Loading;
    if (options.command != CliOptions::Command::New) {
        plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr());
    }
    m_opening.reset();

    // Interrupted before the command: nothing ran, so nothing is saved either.
    if (const int interrupt = CliInterrupt::signal(); interrupt != 0) {
        note("stopped by " + signalName(interrupt) + " before " +
             CliOptions::commandWord(options.command) + " ran; " + m_document->path() +
             (options.command == CliOptions::Command::New ? " was not created"
                                                          : " was left as it was"));
        removeMadeFolders();
        m_phase = Phase::Closing;
        plugin->Close();
        return CliInterrupt::exitStatus(interrupt);
    }

    m_phase = Phase::Running;
    works.resetOutputWatch();
    const long result = runCommand(options, *plugin, works);
    int status = judge(options, result);
    // A compile of a file the project does not build says nothing; the user asked for something.
    if (status == kExitSuccess && options.command == CliOptions::Command::Compile &&
        works.outputLineCount() == 0) {
        note(options.files.front() + " is not a source file of the project; nothing compiled");
        status = kExitFailure;
    }
    if (works.outputReportsFailure()) {
        status = kExitFailure;
    }
    // The command has ended its current step; the project is saved as after any other end.
    if (const int interrupt = CliInterrupt::signal(); interrupt != 0) {
        note(CliOptions::commandWord(options.command) + " stopped by " + signalName(interrupt));
        status = CliInterrupt::exitStatus(interrupt);
    }

    m_phase = Phase::Saving;
    plugin->HandleEvent(Zuzozuduvuruva::kSaveProject, Bstr());
    m_phase = Phase::Closing;
    // A section that was not read whole, or not written whole, would lose the project.
    if (!m_damage.empty() || !m_saveErrors.empty()) {
        const std::string reason =
            m_damage.empty()
                ? "the plug-in could not write the project (" + m_saveErrors.front() + ")"
                : "the project's plug-in section could not be read (" + m_damage.front() + ")";
        note(reason + "; " + m_document->path() + " was left as it was");
        status = m_damage.empty() ? kExitFailure : kExitUsage;
    } else if (options.command == CliOptions::Command::New && status != kExitSuccess) {
        // Half a project helps nobody: nothing is left behind.
        note(m_document->path() + " was not created");
        removeMadeFolders();
    } else if (options.command == CliOptions::Command::Show) {
        // Reading never writes.
    } else if (m_edit && status != kExitSuccess) {
        note("nothing was changed; " + m_document->path() + " was left as it was");
    } else {
        std::string error;
        if (!m_document->save(&error)) {
            note(error);
            status = kExitFailure;
        }
    }
    plugin->Close();
    plugin.reset();
    // One that came while the project was saved: the file was written whole all the same.
    if (const int interrupt = CliInterrupt::signal(); interrupt != 0) {
        status = CliInterrupt::exitStatus(interrupt);
    }
    return status;
}

void CliSession::removeMadeFolders() {
    // Only empty folders go: whatever else came into them stays.
    for (const fs::path& folder : m_madeFolders) {
        std::error_code ignored;
        fs::remove(folder, ignored);
    }
    m_madeFolders.clear();
}

long CliSession::runCommand(const CliOptions& options, IGuiPlugin& plugin, CliWorks& works) {
    using Command = CliOptions::Command;
    // Names on the command line belong to the folder the user called from.
    const auto windowsPath = [this](const std::string& linuxPath) {
        return DriveMap::toWindows((m_callerFolder / linuxPath).lexically_normal().string());
    };
    switch (options.command) {
    case Command::Build:
        return plugin.ExecuteCommand(Zuzozuduvuruva::kBuild);
    case Command::Rebuild:
        return plugin.ExecuteCommand(Zuzozuduvuruva::kRebuild);
    case Command::Clean:
        return plugin.ExecuteCommand(Zuzozuduvuruva::kClean);
    case Command::Compile:
        works.setActiveFile(windowsPath(options.files.front()));
        return plugin.ExecuteCommand(Zuzozuduvuruva::kCompileFile);
    case Command::ExportMakefile: {
        m_dialogs->queueSaveFile(windowsPath(options.files.front()));
        const HRESULT result = plugin.ExecuteCommand(Zuzozuduvuruva::kExportMakefile);
        const auto& asked = m_dialogs->dialogs();
        const bool answered = std::any_of(asked.begin(), asked.end(), [](const auto& request) {
            return request.kind == ScriptedDialogService::DialogKind::SaveFile;
        });
        if (SUCCEEDED(result) && !answered) {
            note("the plug-in did not ask where to export the Makefile");
            return E_FAIL;
        }
        return result;
    }
    case Command::Add: {
        // Adding files is no host command; the plug-in object offers it as its tree does.
        auto* tazu = dynamic_cast<Zuzozuduvuruva*>(&plugin);
        if (tazu == nullptr) {
            note("this plug-in offers no way to add files");
            return E_NOTIMPL;
        }
        for (const std::string& file : options.files) {
            const int errorsBefore = m_commandErrors;
            tazu->addFileToProject(windowsPath(file));
            // The plug-in's message does not say which file it refused.
            if (m_commandErrors > errorsBefore) {
                note(file + " was not added");
            }
        }
        return m_commandErrors > 0 ? E_FAIL : S_OK;
    }
    case Command::Show:
    case Command::Run: {
        auto* tazu = dynamic_cast<Zuzozuduvuruva*>(&plugin);
        if (tazu == nullptr) {
            note("this plug-in does not show its project");
            return E_NOTIMPL;
        }
        if (options.command == Command::Show) {
            CliProjectView::print(tazu->project(), absolute(m_document->path()), options.json,
                                  m_output);
            return S_OK;
        }
        return prepareSimulation(options, *tazu);
    }
    case Command::Set:
    case Command::Config: {
        m_edit = std::make_unique<CliOptionsEdit>(options, *m_dialogs, m_messages,
                                                  m_callerFolder.string());
        const HRESULT result = plugin.ExecuteCommand(Zuzozuduvuruva::kOptions);
        m_refusalTold = m_edit->refused();
        return m_refusalTold ? E_FAIL : result;
    }
    case Command::New:
        // The host's new-project event: the plug-in sets the project up and shows its options,
        // which the modal hook accepts as shown.
        plugin.HandleEvent(Zuzozuduvuruva::kNewProject, Bstr());
        return m_commandErrors > 0 ? E_FAIL : S_OK;
    case Command::Help:
    case Command::Version:
    case Command::SetHelp:
    case Command::Devices:
        break;
    }
    return S_OK;
}

// run: builds when the firmware is older than a source or the options changed since the last
// build, then names the firmware to simulate.
long CliSession::prepareSimulation(const CliOptions& options, Zuzozuduvuruva& plugin) {
    std::string reason;
    m_simulation = SimulatorRun::targetOf(plugin.project(),
                                          SimulatorRun::firmwareOf(plugin.project()), &reason);
    if (!m_simulation) {
        note(reason);
        m_refusalTold = true;
        return E_FAIL;
    }
    m_simulation->gdbPort = options.gdbPort.value_or(0);
    if (plugin.project().isDirty() || !plugin.objectFileUpToDate()) {
        const long built = plugin.ExecuteCommand(Zuzozuduvuruva::kBuild);
        if (FAILED(built)) {
            m_simulation.reset();
        }
        return built;
    }
    return S_OK;
}

int CliSession::judge(const CliOptions& options, long result) {
    // A rebuild always answers E_FAIL; what it did shows in its output and its log.
    if (options.command == CliOptions::Command::Rebuild) {
        return m_commandErrors > 0 ? kExitFailure : kExitSuccess;
    }
    if (FAILED(result)) {
        // A refused change or run has said why.
        if (m_commandErrors == 0 && !m_refusalTold) {
            note(CliOptions::commandWord(options.command) + " failed (" + hex(result) + ")");
        }
        return kExitFailure;
    }
    return kExitSuccess;
}

void CliSession::onLog(long level, const std::string& prefix, const std::string& context,
                       const std::string& message) {
    if (level == 2) {
        if (m_phase == Phase::Loading && isDocumentDamage(message)) {
            m_damage.push_back(message);
        } else if (m_phase == Phase::Running) {
            ++m_commandErrors;
        } else if (m_phase == Phase::Saving) {
            m_saveErrors.push_back(message);
        }
    }
    if (level == 3 && !m_verbose) {
        return;
    }
    std::string line;
    for (const std::string* part : {&prefix, &context, &message}) {
        if (!part->empty()) {
            line += (line.empty() ? "" : " ") + *part;
        }
    }
    m_messages << levelLabel(level) << line << '\n';
    m_messages.flush();
}

} // namespace avrtazu
