#include "studio/studio_window.h"

// Before Qt's headers come in through the plug-in's: the log channel's names stay clear of
#include "services/plug_in_utility.h"

#include "plugin/zuzozuduvuruva.h"

#include "studio/compile_commands_export.h"
#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/help_viewer.h"
#include "studio/log_pane.h"
#include "studio/output_pane.h"
#include "studio/project_session.h"
#include "studio/simulator_pane.h"
#include "studio/studio_commands.h"
#include "studio/studio_works.h"

#include "build/redirect.h"
#include "lib/host_hub.h"
#include "lib/project_document.h"
#include "lib/simulator_run.h"
#include "platform/dialog_service.h"
#include "platform/drive_map.h"
#include "platform/message_pump.h"
#include "services/gui_plugin.h"
#include "ui/file_name_rule.h"
#include "ui/project_tree_flows.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <optional>

#ifndef AVRTAZU_VERSION
#define AVRTAZU_VERSION "0"
#endif

namespace avrtazu {

namespace {

namespace fs = std::filesystem;

constexpr int kStatusMessageTime = 6000;
constexpr int kErrorMessageTime = 15000;
// The size the window opens at the first time, where the screen has room for it.
constexpr QSize kFirstSize(1100, 720);
// Where the window's place is remembered between runs.
const QString kSettingsOwner = QStringLiteral("avrtazu");
const QString kSettingsName = QStringLiteral("avrtazu-studio");
constexpr int kOutputHeight = 200;
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kLayoutKey = QStringLiteral("window/layout");
// How often the title checks whether the project has unsaved changes.
constexpr int kChangeWatchInterval = 1000;

QString fromLocal(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string toLocal(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

// Marks the window busy while a plug-in command runs: the message pump lets the user reach
// the window meanwhile, but no second command, project change or close may start.
class StudioWindow::BusyScope {
public:
    explicit BusyScope(StudioWindow& window) : m_window(window) {
        ++m_window.m_busy;
        m_window.updateActions();
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~BusyScope() {
        QApplication::restoreOverrideCursor();
        --m_window.m_busy;
        m_window.updateActions();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    StudioWindow& m_window;
};

StudioWindow::StudioWindow(const std::string& studioFolder, QWidget* parent)
    : QMainWindow(parent), m_studioFolder(studioFolder), m_hub(std::make_shared<HostHub>()) {
    setObjectName(QStringLiteral("studio-window"));
    setAcceptDrops(true);
    setDockNestingEnabled(true);
    HostHub::install(m_hub);
    // A build runs inside the command; the window stays alive meanwhile, but takes no second
    // command, project change or close.
    MessagePump::install([this] {
        ++m_pumping;
        // The tool runner pumps while its child runs: only then is there a build to stop.
        CRedirect* running = CRedirect::running();
        if (running != nullptr && m_stopRequested) {
            running->cancel();
        }
        if (m_stopAction != nullptr) {
            m_stopAction->setEnabled(running != nullptr && !m_stopRequested);
        }
        QCoreApplication::processEvents();
        --m_pumping;
    });

    createPanes();
    m_works = std::make_unique<StudioWorks>(*this, *m_editors, *m_output, *m_help, studioFolder);
    m_session = std::make_unique<ProjectSession>(*m_hub, *m_works);
    m_works->setDocumentSource([this] { return m_session->document(); });
    connectHost();
    createMenus();
    createStatusBar();

    m_changeWatch = new QTimer(this);
    m_changeWatch->setInterval(kChangeWatchInterval);
    connect(m_changeWatch, &QTimer::timeout, this, [this] { updateTitle(); });

    placeOnScreen();
    afterProjectChange();
}

void StudioWindow::placeOnScreen() {
    const QSettings stored(kSettingsOwner, kSettingsName);
    // Qt puts a remembered window back within the screens there are now.
    if (!restoreGeometry(stored.value(kGeometryKey).toByteArray())) {
        const QRect room = screen()->availableGeometry();
        // Room for the frame the window manager adds.
        const QSize frame(16, 40);
        resize(kFirstSize.boundedTo(room.size() - frame).expandedTo(minimumSizeHint()));
        move(room.center() - QPoint(width() / 2, (height() + frame.height()) / 2));
    }
    // The panes as the user left them; the first time, the build output takes at most a
    // quarter of a small window and the editor the rest.
    if (!restoreState(stored.value(kLayoutKey).toByteArray())) {
        resizeDocks({m_outputDock}, {std::min(kOutputHeight, height() / 4)}, Qt::Vertical);
    }
}

StudioWindow::~StudioWindow() {
    m_changeWatch->stop();
    // The plug-in may still log while it closes; the handlers need the session until then.
    m_session->close();
    m_hub->detach();
    m_session.reset();
    m_works->removeDocks();
    MessagePump::install({});
}

QDockWidget* StudioWindow::addPane(const QString& title, QWidget* pane, Qt::DockWidgetArea area) {
    auto* dock = new QDockWidget(title, this);
    dock->setObjectName(QStringLiteral("pane:") + title);
    dock->setWidget(pane);
    addDockWidget(area, dock);
    return dock;
}

void StudioWindow::createPanes() {
    m_editors = new EditorArea(this);
    setCentralWidget(m_editors);
    m_output = new OutputPane(this);
    m_log = new LogPane(this);
    m_help = new HelpViewer(this);
    m_outputDock = addPane(QStringLiteral("Build"), m_output, Qt::BottomDockWidgetArea);
    m_logDock = addPane(QStringLiteral("Log"), m_log, Qt::BottomDockWidgetArea);
    m_simulator = new SimulatorPane(this);
    m_simulatorDock = addPane(QStringLiteral("Simulator"), m_simulator, Qt::BottomDockWidgetArea);
    tabifyDockWidget(m_outputDock, m_logDock);
    tabifyDockWidget(m_logDock, m_simulatorDock);
    m_outputDock->raise();
    m_helpDock = addPane(QStringLiteral("Help"), m_help, Qt::RightDockWidgetArea);
    m_helpDock->hide();

    connect(m_output, &OutputPane::lineActivated, this, [this](const QString& line) {
        if (IGuiPlugin* plugin = m_session->plugin()) {
            plugin->HandleEvent(ProjectSession::kEventJumpToLine,
                                toWide(line.toLocal8Bit().toStdString()));
        }
    });
    connect(m_simulator, &SimulatorPane::runningChanged, this, [this] { updateActions(); });
    connect(m_simulator, &SimulatorPane::ended, this, [this](const QString& problem) {
        if (!problem.isEmpty()) {
            statusBar()->showMessage(QStringLiteral("Simulator: ") + problem, kErrorMessageTime);
        }
    });
    connect(m_output, &OutputPane::summaryChanged, this, [this] { refreshStatus(); });
    connect(m_editors, &EditorArea::cursorPlaceChanged, this, [this] {
        const FileEditor* editor = m_editors->currentEditor();
        m_cursorLabel->setText(editor == nullptr ? QString()
                                                 : QStringLiteral("Ln %1, Col %2")
                                                       .arg(editor->currentLine())
                                                       .arg(editor->currentColumn()));
    });
}

void StudioWindow::connectHost() {
    m_hub->setLogHandler(
        [this](long level, const std::string& prefix, const std::string& context,
               const std::string& message) { onLog(level, prefix, context, message); });
    m_hub->setEventHandler(kEventObjectFile, [this](long, const std::string& path) {
        m_works->objectFileBuilt(path);
    });
    m_hub->setEventHandler(AVREVENT_OBJECTFILE_DIRTY,
                           [this](long, const std::string&) { m_works->objectFileDirty(); });
    m_works->setNoteHandler([this](long level, const std::string& text) { note(level, text); });
    m_session->setNoteHandler([this](long level, const std::string& text) { note(level, text); });
    m_works->setChangeHandler([this](StudioWorks::Change change) {
        switch (change) {
        case StudioWorks::Change::CommandState:
            updateActions();
            break;
        case StudioWorks::Change::ObjectFile:
            refreshStatus();
            break;
        case StudioWorks::Change::Help:
            m_helpDock->show();
            m_helpDock->raise();
            break;
        case StudioWorks::Change::OutputCleared:
            // Every build, make and clean starts so, also those the plug-in's own window
            // starts: the tools read the files from disk.
            if (std::string error; !m_editors->saveAll(&error)) {
                note(LogPane::kError, error);
            }
            break;
        }
    });
}

void StudioWindow::createMenus() {
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    const auto addFileAction = [&](const char* name, const QString& text,
                                   const QKeySequence& shortcut, auto slot) {
        QAction* action = fileMenu->addAction(text, this, slot);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        return action;
    };
    addFileAction("action-new", QStringLiteral("&New Project..."), QKeySequence::New,
                  [this] { newProject(); });
    addFileAction("action-open", QStringLiteral("&Open Project..."), QKeySequence::Open,
                  [this] { openProjectFromDialog(); });
    addFileAction("action-save", QStringLiteral("&Save"), QKeySequence::Save,
                  [this] { saveAll(); });
    addFileAction("action-close", QStringLiteral("&Close Project"), QKeySequence(),
                  [this] { closeProject(); });
    fileMenu->addSeparator();
    addFileAction("action-quit", QStringLiteral("&Quit"), QKeySequence::Quit, [this] { close(); });

    QMenu* projectMenu = menuBar()->addMenu(QStringLiteral("&Project"));
    QMenu* buildMenu = menuBar()->addMenu(QStringLiteral("&Build"));
    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    for (const StudioCommand& command : kStudioCommands) {
        QMenu* menu = command.menu == StudioCommand::Menu::Build     ? buildMenu
                      : command.menu == StudioCommand::Menu::Project ? projectMenu
                                                                     : helpMenu;
        QAction* action = menu->addAction(QString::fromLatin1(command.text), this,
                                          [this, id = command.id] { runCommand(id); });
        action->setObjectName(QStringLiteral("command-%1").arg(command.id));
        action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
        m_commandActions[command.id] = action;
    }

    buildMenu->addSeparator();
    m_stopAction =
        buildMenu->addAction(style()->standardIcon(QStyle::SP_BrowserStop),
                             QStringLiteral("&Stop Build"), this, [this] { stopBuild(); });
    m_stopAction->setObjectName(QStringLiteral("action-stop-build"));
    // Ctrl+Break: the Break key is Pause with Ctrl held.
    m_stopAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Pause));
    m_stopAction->setEnabled(false);
    QToolBar* buildBar = addToolBar(QStringLiteral("Build"));
    buildBar->setObjectName(QStringLiteral("toolbar-build"));
    buildBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    buildBar->addAction(commandAction(0));
    buildBar->addAction(m_stopAction);

    buildMenu->addSeparator();
    const auto addSimulatorAction = [&](const char* name, QStyle::StandardPixmap icon,
                                        const QString& text, const QKeySequence& shortcut,
                                        auto slot) {
        QAction* action = buildMenu->addAction(style()->standardIcon(icon), text, this, slot);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(shortcut);
        buildBar->addAction(action);
    };
    addSimulatorAction("action-run-simulator", QStyle::SP_MediaPlay,
                       QStringLiteral("Run in Si&mulator"), QKeySequence(Qt::CTRL | Qt::Key_F5),
                       [this] { runInSimulator(); });
    addSimulatorAction("action-stop-simulator", QStyle::SP_MediaStop,
                       QStringLiteral("Stop Simula&tor"), QKeySequence(Qt::SHIFT | Qt::Key_F5),
                       [this] { stopSimulator(); });
    projectMenu->addSeparator();
    projectMenu
        ->addAction(QStringLiteral("Export &compile_commands.json..."), this,
                    [this] { exportCompileCommands(); })
        ->setObjectName(QStringLiteral("action-export-compile-commands"));

    m_showDebugAction = new QAction(QStringLiteral("Show &Debug Messages"), this);
    m_showDebugAction->setCheckable(true);
    connect(m_showDebugAction, &QAction::toggled, m_log, &LogPane::setShowDebug);
    // The plug-in's windows come and go with projects; the menu lists those there are.
    connect(viewMenu, &QMenu::aboutToShow, this, [this, viewMenu] {
        viewMenu->clear();
        for (QDockWidget* dock : findChildren<QDockWidget*>()) {
            viewMenu->addAction(dock->toggleViewAction());
        }
        viewMenu->addSeparator();
        viewMenu->addAction(m_showDebugAction);
    });

    helpMenu->addSeparator();
    helpMenu->addAction(QStringLiteral("&About AVR TAZU Studio"), this, [] {
        DialogService::current().messageBox(
            std::string(kApplicationName) + " " + AVRTAZU_VERSION +
                "\n\nBuilds C projects for AVR microcontrollers with the AVR TAZU compiler "
                "plug-in and the TAZU toolchain.",
            std::string("About ") + kApplicationName, MessageIcon::Information, MessageButtons::Ok);
    });
}

void StudioWindow::createStatusBar() {
    m_cursorLabel = new QLabel(this);
    m_partLabel = new QLabel(this);
    m_objectLabel = new QLabel(this);
    m_summaryLabel = new QLabel(this);
    statusBar()->addPermanentWidget(m_cursorLabel);
    statusBar()->addPermanentWidget(m_summaryLabel);
    statusBar()->addPermanentWidget(m_objectLabel);
    statusBar()->addPermanentWidget(m_partLabel);
}

QAction* StudioWindow::commandAction(long command) const {
    const auto action = m_commandActions.find(command);
    return action == m_commandActions.end() ? nullptr : action->second;
}

QAction* StudioWindow::fileAction(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

QString StudioWindow::partText() const {
    return m_partLabel->text();
}

QString StudioWindow::objectFileText() const {
    return m_objectLabel->text();
}

QString StudioWindow::summaryText() const {
    return m_summaryLabel->text();
}

void StudioWindow::note(long level, const std::string& text) {
    m_log->addEntry(level, QStringLiteral("studio:"), QString(), QString::fromLocal8Bit(text));
}

void StudioWindow::report(const std::string& text) {
    DialogService::current().messageBox(text, kApplicationName, MessageIcon::Error,
                                        MessageButtons::Ok);
}

void StudioWindow::onLog(long level, const std::string& prefix, const std::string& context,
                         const std::string& message) {
    m_log->addEntry(level, QString::fromLocal8Bit(prefix), QString::fromLocal8Bit(context),
                    QString::fromLocal8Bit(message));
    m_session->noteLog(level, message);
    if (level == LogPane::kDebug) {
        // The plug-in tells why something failed at debug level, right before the failure.
        m_lastReason = message;
        return;
    }
    if (level == LogPane::kError) {
        std::string notice = message;
        if (!m_lastReason.empty() && message.find(m_lastReason) == std::string::npos) {
            notice += ": " + m_lastReason;
        }
        statusBar()->showMessage(QStringLiteral("Error: ") + QString::fromLocal8Bit(notice),
                                 kErrorMessageTime);
    }
    m_lastReason.clear();
}

std::string StudioWindow::startFolder() const {
    if (!m_lastFolder.empty()) {
        return m_lastFolder;
    }
    return DriveMap::toWindows(toLocal(QDir::homePath())) + "\\";
}

void StudioWindow::rememberFolder(const std::string& linuxPath) {
    m_lastFolder = DriveMap::toWindows(fs::path(linuxPath).parent_path().string()) + "\\";
}

bool StudioWindow::openProject(const std::string& linuxPath) {
    if (isBusy() || !closeProject()) {
        return false;
    }
    std::string error;
    const bool opened = m_session->open(linuxPath, &error);
    if (!opened) {
        report(error);
    } else {
        rememberFolder(m_session->document()->path());
    }
    afterProjectChange();
    return opened;
}

void StudioWindow::openProjectFromDialog() {
    if (isBusy()) {
        return;
    }
    const std::vector<std::string> chosen = DialogService::current().openFiles(
        "Open Project", "AVR Studio Project Files (*.aps)|*.aps|All Files (*.*)|*.*|",
        startFolder(), false);
    if (chosen.empty()) {
        return;
    }
    const std::string linuxPath = DriveMap::toLinux(chosen.front());
    if (linuxPath.empty()) {
        report("Cannot open " + chosen.front() + ": it is on no drive of this system.");
        return;
    }
    openProject(linuxPath);
}

void StudioWindow::newProject() {
    if (isBusy()) {
        return;
    }
    const std::optional<std::string> chosen =
        DialogService::current().saveFile("New Project", "project.aps", startFolder(), true);
    if (!chosen) {
        return;
    }
    fs::path path = DriveMap::toLinux(*chosen);
    if (path.empty()) {
        report("Cannot create " + *chosen + ": it is on no drive of this system.");
        return;
    }
    if (path.extension() != ProjectDocument::kFileExtension) {
        path += ProjectDocument::kFileExtension;
    }
    const std::string name = path.stem().string();
    if (name.empty()) {
        report("A project needs a name.");
        return;
    }
    if (const std::optional<std::string> refusal = FileNameRule::refusal(name)) {
        // The name becomes the name of the build's output files.
        report("\"" + name + "\" cannot be the name of a project.\n" + *refusal);
        return;
    }
    if (!closeProject()) {
        return;
    }
    const fs::path initialFile = path.parent_path() / (name + ".c");
    const MessageAnswer initial = DialogService::current().messageBox(
        "Create the initial file " + initialFile.filename().string() + "?", "New Project",
        MessageIcon::Question, MessageButtons::YesNo);
    m_works->setInitialFileName(
        initial == MessageAnswer::Yes ? DriveMap::toWindows(initialFile.string()) : std::string());
    std::string error;
    const bool created = m_session->create(path.parent_path().string(), name, &error);
    m_works->setInitialFileName({});
    if (!created) {
        report(error);
    } else {
        rememberFolder(path.string());
    }
    afterProjectChange();
}

StudioWindow::SaveOutcome StudioWindow::saveEverything() {
    std::string error;
    if (!m_editors->saveAll(&error)) {
        report(error);
        return SaveOutcome::Failed;
    }
    if (!m_session->isOpen()) {
        return SaveOutcome::Saved;
    }
    if (!m_session->readErrors().empty()) {
        const MessageAnswer answer = DialogService::current().messageBox(
            "When " + m_session->document()->path() +
                " was opened, the plug-in could not read its part of it:\n\n" +
                m_session->readErrors().front() +
                "\n\nSaving replaces that part with the project as the plug-in now holds it. "
                "Save anyway?",
            kApplicationName, MessageIcon::Warning, MessageButtons::YesNo);
        if (answer != MessageAnswer::Yes) {
            return SaveOutcome::Declined;
        }
    }
    if (!m_session->save(&error)) {
        report(error);
        return SaveOutcome::Failed;
    }
    statusBar()->showMessage(QStringLiteral("Saved ") + fromLocal(m_session->document()->path()),
                             kStatusMessageTime);
    updateTitle();
    return SaveOutcome::Saved;
}

bool StudioWindow::saveAll() {
    if (isBusy()) {
        return false;
    }
    return saveEverything() == SaveOutcome::Saved;
}

bool StudioWindow::closeProject() {
    if (isBusy()) {
        statusBar()->showMessage(QStringLiteral("Wait for the running command to end."),
                                 kStatusMessageTime);
        return false;
    }
    const bool projectChanged = m_session->syncAndCheckChanged();
    const std::vector<FileEditor*> modified = m_editors->modifiedEditors();
    if (projectChanged || !modified.empty()) {
        std::string question =
            m_session->isOpen() ? "Save the changes to the project " +
                                      m_session->document()->projectName() + " before closing it?"
                                : std::string("Save the changes to the open files?");
        if (!modified.empty()) {
            question += "\n\nFiles with unsaved changes:";
            for (const FileEditor* editor : modified) {
                question += "\n" + editor->path();
            }
        }
        const MessageAnswer answer = DialogService::current().messageBox(
            question, kApplicationName, MessageIcon::Question, MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Cancel) {
            return false;
        }
        // A failed save keeps everything open, so that nothing is lost.
        if (answer == MessageAnswer::Yes && saveEverything() == SaveOutcome::Failed) {
            return false;
        }
    }
    discardProject();
    return true;
}

void StudioWindow::discardProject() {
    // The firmware belongs to the project.
    m_simulator->stop();
    m_session->close();
    m_editors->closeAll();
    m_works->removeDocks();
    m_works->forgetObjectFile();
    m_output->clearLines();
    m_output->clearSummary();
    afterProjectChange();
}

void StudioWindow::runCommand(long command) {
    IGuiPlugin* plugin = m_session->plugin();
    if (plugin == nullptr || isBusy()) {
        return;
    }
    const auto entry = std::find_if(kStudioCommands.begin(), kStudioCommands.end(),
                                    [command](const StudioCommand& c) { return c.id == command; });
    if (entry != kStudioCommands.end() && entry->builds) {
        if (command == kCompileFileCommand && m_editors->currentEditor() == nullptr) {
            statusBar()->showMessage(
                QStringLiteral("Open a source file of the project to compile it."),
                kStatusMessageTime);
            return;
        }
        // The build reads the files from disk.
        std::string error;
        if (!m_editors->saveAll(&error)) {
            report(error);
            return;
        }
        // Whatever the build leaves, the object file seen so far no longer stands for it.
        if (!m_works->objectFile().path.empty()) {
            m_works->objectFileDirty();
        }
        m_outputDock->show();
        m_outputDock->raise();
    }
    {
        BusyScope busy(*this);
        plugin->ExecuteCommand(command);
        // A stop ends with the command it stopped.
        m_stopRequested = false;
    }
    refreshStatus();
    updateTitle();
}

void StudioWindow::stopBuild() {
    CRedirect* running = CRedirect::running();
    if (running == nullptr) {
        return;
    }
    running->cancel();
    // A command of the plug-in's own window has no end the window sees: only its current run
    // stops.
    m_stopRequested = m_busy > 0;
    m_stopAction->setEnabled(false);
    statusBar()->showMessage(QStringLiteral("Build stopped."), kStatusMessageTime);
}

void StudioWindow::runInSimulator() {
    Zuzozuduvuruva* tazu = m_session->tazu();
    if (tazu == nullptr || isBusy()) {
        return;
    }
    std::string reason;
    std::optional<SimulatorRun::Target> target;
    try {
        target = SimulatorRun::targetOf(tazu->project(), SimulatorRun::firmwareOf(tazu->project()),
                                        &reason);
    } catch (const std::exception& error) {
        reason = error.what();
    }
    if (!target) {
        report(reason);
        return;
    }
    if (tazu->project().isDirty() || !tazu->objectFileUpToDate()) {
        runCommand(Zuzozuduvuruva::kBuild);
        if (!m_output->lastSummary().startsWith(QLatin1String("Build succeeded"))) {
            statusBar()->showMessage(QStringLiteral("The build failed: nothing to run."),
                                     kErrorMessageTime);
            return;
        }
    }
    m_simulatorDock->show();
    m_simulatorDock->raise();
    m_simulator->start(*target, (fs::path(m_studioFolder) / SimulatorRun::kHelperName).string());
}

void StudioWindow::stopSimulator() {
    m_simulator->stop();
}

void StudioWindow::exportCompileCommands() {
    const Zuzozuduvuruva* tazu = m_session->tazu();
    if (tazu == nullptr || isBusy()) {
        return;
    }
    std::string problem;
    if (const std::optional<std::string> written =
            CompileCommandsExport::run(tazu->project(), &problem)) {
        statusBar()->showMessage(QStringLiteral("Exported ") + fromLocal(*written),
                                 kStatusMessageTime);
    } else if (!problem.empty()) {
        report(problem);
    }
}

void StudioWindow::dropFiles(const std::vector<std::string>& linuxPaths) {
    if (isBusy()) {
        return;
    }
    for (const std::string& path : linuxPaths) {
        if (fs::path(path).extension() == ProjectDocument::kFileExtension) {
            openProject(path);
            return;
        }
    }
    Zuzozuduvuruva* tazu = m_session->tazu();
    if (tazu == nullptr) {
        statusBar()->showMessage(QStringLiteral("Open or create a project to add files to it."),
                                 kStatusMessageTime);
        return;
    }
    std::vector<std::string> windowsPaths;
    for (const std::string& path : linuxPaths) {
        windowsPaths.push_back(DriveMap::toWindows(path));
    }
    // The tree takes the files as if they had been dropped on it.
    if (CProjectTree* tree = tazu->tree()) {
        tree->flows().dropFiles(windowsPaths);
    } else {
        for (const std::string& path : windowsPaths) {
            tazu->addFileToProject(path);
        }
    }
    updateTitle();
}

void StudioWindow::closeEvent(QCloseEvent* event) {
    if (closeProject()) {
        // The window's own panes; the plug-in's windows went with the project and come back
        // with the next one where the plug-in puts them.
        QSettings stored(kSettingsOwner, kSettingsName);
        stored.setValue(kGeometryKey, saveGeometry());
        stored.setValue(kLayoutKey, saveState());
        event->accept();
    } else {
        event->ignore();
    }
}

void StudioWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    const bool localFiles =
        !urls.isEmpty() &&
        std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
    if (localFiles && !isBusy()) {
        event->acceptProposedAction();
    }
}

void StudioWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(toLocal(url.toLocalFile()));
        }
    }
    event->acceptProposedAction();
    // After the drop has ended: opening a project may ask questions.
    QTimer::singleShot(0, this, [this, paths] { dropFiles(paths); });
}

void StudioWindow::afterProjectChange() {
    if (m_session->isOpen()) {
        m_changeWatch->start();
    } else {
        m_changeWatch->stop();
    }
    refreshStatus();
    updateActions();
    updateTitle();
}

void StudioWindow::refreshStatus() {
    QString part;
    if (const Zuzozuduvuruva* tazu = m_session->tazu()) {
        try {
            part = QString::fromLocal8Bit(tazu->project().part());
        } catch (const std::exception&) {
            // A project without an active configuration has no device to show.
        }
    } else if (m_session->isOpen()) {
        part = QString::fromLocal8Bit(m_hub->partName());
    }
    m_partLabel->setText(part.isEmpty() ? QString() : QStringLiteral("Device: ") + part);
    m_objectLabel->setText(QString::fromLocal8Bit(m_works->objectFileText()));
    m_summaryLabel->setText(m_output->lastSummary());
}

void StudioWindow::updateActions() {
    const bool open = m_session->isOpen();
    const bool idle = !isBusy();
    fileAction("action-new")->setEnabled(idle);
    fileAction("action-open")->setEnabled(idle);
    fileAction("action-save")->setEnabled(open && idle);
    fileAction("action-close")->setEnabled(open && idle);
    for (const auto& [id, action] : m_commandActions) {
        // State 0 disables a command; the plug-in names no other state that would.
        action->setEnabled(open && idle && m_works->commandState(id) != 0);
    }
    m_stopAction->setEnabled(CRedirect::running() != nullptr && !m_stopRequested);
    fileAction("action-run-simulator")->setEnabled(m_session->tazu() != nullptr && idle);
    fileAction("action-stop-simulator")->setEnabled(m_simulator->isRunning());
    fileAction("action-export-compile-commands")->setEnabled(m_session->tazu() != nullptr && idle);
    // The plug-in's own windows run commands too; not while one runs.
    for (QDockWidget* dock : m_works->docks()) {
        if (QWidget* client = dock->widget()) {
            client->setEnabled(idle);
        }
    }
}

void StudioWindow::updateTitle() {
    if (!m_session->isOpen()) {
        setWindowTitle(QString::fromLatin1(kApplicationName));
        setWindowModified(false);
        return;
    }
    setWindowTitle(QString::fromLocal8Bit(m_session->document()->projectName()) +
                   QStringLiteral("[*] - ") + QString::fromLatin1(kApplicationName));
    setWindowModified(m_session->isChanged() || !m_editors->modifiedEditors().empty());
}

} // namespace avrtazu
