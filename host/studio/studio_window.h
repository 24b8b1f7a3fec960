#pragma once

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QDockWidget;
class QLabel;
class QTimer;

namespace avrtazu {

class EditorArea;
class HelpViewer;
class HostHub;
class LogPane;
class OutputPane;
class ProjectSession;
class SimulatorPane;
class StudioWorks;

// The desktop studio's main window: the plug-in's project tree in the left dock it asks for,
// editor tabs in the middle, the build output, the log, the simulator and the help below and
// beside, menus and shortcuts for every plug-in command, and a status bar with the device, the
// object file and the last build's summary. One project is open at a time; closing it (or the
// window) with unsaved changes asks whether to save them.
//
// One window per process: the plug-in's PlugInUtility keeps the hub of the first window it
// meets for the rest of the process.
class StudioWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr const char* kApplicationName = "AVR TAZU Studio";

    // studioFolder (a Linux path) holds AvrStudioPlugin/. The process's dialog service and
    // the registry file must be in place; the window installs the hub and the message pump.
    explicit StudioWindow(const std::string& studioFolder, QWidget* parent = nullptr);
    ~StudioWindow() override;

    // Closes the open project (asking about unsaved changes) and opens a project file (a
    // Linux path); false when the project stays closed.
    bool openProject(const std::string& linuxPath);
    // File > Open Project: the file comes from the dialog service.
    void openProjectFromDialog();
    // File > New Project: the file's place from the dialog service, an initial file on
    // request, then the plug-in's set-up of the new project.
    void newProject();
    // File > Save: the modified editors, then the project (event 12 and the document).
    bool saveAll();
    // Closes the project, asking whether to save unsaved changes; false when it stays open.
    bool closeProject();
    // Closes the project without asking or saving.
    void discardProject();

    // Runs a plug-in command as its menu entry does.
    void runCommand(long command);
    // Build > Stop Build: ends the running tool, and its whole process group, through the tool
    // runner; later runs of the same menu command stop too (a rebuild's build after its clean).
    void stopBuild();
    // Build > Run in Simulator: builds when the firmware is out of date, then runs it in the
    // simulator pane until it ends or is stopped.
    void runInSimulator();
    void stopSimulator();
    // Project > Export compile_commands.json: copies the one the last build wrote to a place
    // the dialog service names.
    void exportCompileCommands();
    // Hands files (Linux paths) to the project as a drop on the window does.
    void dropFiles(const std::vector<std::string>& linuxPaths);

    // A command runs: one the window started, or one the plug-in's own window started (the
    // plug-in then keeps the window alive through the message pump).
    bool isBusy() const { return m_busy > 0 || m_pumping > 0; }
    QAction* commandAction(long command) const;
    QAction* fileAction(const char* name) const;
    // Enabled only while a build runs.
    QAction* stopBuildAction() const { return m_stopAction; }

    EditorArea& editors() const { return *m_editors; }
    OutputPane& output() const { return *m_output; }
    LogPane& log() const { return *m_log; }
    HelpViewer& help() const { return *m_help; }
    SimulatorPane& simulator() const { return *m_simulator; }
    StudioWorks& works() const { return *m_works; }
    ProjectSession& session() const { return *m_session; }
    HostHub& hub() const { return *m_hub; }
    QDockWidget* helpDock() const { return m_helpDock; }

    // What the status bar shows: the device, the object file and the last summary.
    QString partText() const;
    QString objectFileText() const;
    QString summaryText() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class SaveOutcome { Saved, Declined, Failed };
    class BusyScope;

    // Where the window was last, or a size the screen has room for.
    void placeOnScreen();
    void createPanes();
    void createMenus();
    void createStatusBar();
    void connectHost();
    QDockWidget* addPane(const QString& title, QWidget* pane, Qt::DockWidgetArea area);

    SaveOutcome saveEverything();
    void onLog(long level, const std::string& prefix, const std::string& context,
               const std::string& message);
    void note(long level, const std::string& text);
    void report(const std::string& text);
    void afterProjectChange();
    void refreshStatus();
    void updateActions();
    void updateTitle();
    std::string startFolder() const;
    void rememberFolder(const std::string& linuxPath);

    std::string m_studioFolder;
    std::shared_ptr<HostHub> m_hub;
    EditorArea* m_editors = nullptr;
    OutputPane* m_output = nullptr;
    LogPane* m_log = nullptr;
    HelpViewer* m_help = nullptr;
    QDockWidget* m_outputDock = nullptr;
    QDockWidget* m_logDock = nullptr;
    QDockWidget* m_helpDock = nullptr;
    SimulatorPane* m_simulator = nullptr;
    QDockWidget* m_simulatorDock = nullptr;
    std::unique_ptr<StudioWorks> m_works;
    std::unique_ptr<ProjectSession> m_session;
    std::map<long, QAction*> m_commandActions;
    QAction* m_showDebugAction = nullptr;
    QAction* m_stopAction = nullptr;
    // Stop Build was chosen while the current menu command runs.
    bool m_stopRequested = false;
    QLabel* m_partLabel = nullptr;
    QLabel* m_objectLabel = nullptr;
    QLabel* m_summaryLabel = nullptr;
    QLabel* m_cursorLabel = nullptr;
    QTimer* m_changeWatch = nullptr;
    std::string m_lastFolder;
    // The reason the plug-in logged last, for the error that follows it.
    std::string m_lastReason;
    int m_busy = 0;
    int m_pumping = 0;
};

} // namespace avrtazu
