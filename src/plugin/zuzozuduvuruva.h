#pragma once

#include "services/plug_in_utility.h"

#include "build/build_driver.h"
#include "model/project.h"
#include "persistence/project_xml_handler.h"
#include "services/bstr.h"
#include "services/gui_plugin.h"
#include "ui/project_tree.h"
#include "ui/tree_commands.h"

#include <QPointer>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <string>

namespace avrtazu {

class IGuiWorks;
class OptionsContext;
class IPluginHub;

// The compiler plug-in object the host creates: it owns the project, the project tree and the
// handler of the plug-in's section of the host document, turns host commands into builds and
// host events into loads, saves and checks. No exception leaves any of its methods.
class Zuzozuduvuruva : public IGuiPlugin, public TreeCommands {
public:
    static constexpr const char* kName = "AvrTazu Plugin";
    static constexpr const char* kSetupFileName = "avrtazuplugin.xml";
    static constexpr const char* kSetupRegistryKey =
        "HKEY_LOCAL_MACHINE\\Software\\Atmel\\AvrTools";
    static constexpr const char* kSetupRegistryValue = "AvrToolsPluginPath";
    // The registry value is read into a buffer of this many bytes, terminator included.
    static constexpr std::size_t kSetupPathBuffer = 250;

    // Commands of the setup file.
    enum Command : long {
        kBuild = 0,
        kBuildAndLoad = 1,
        kRebuild = 2,
        kCompileFile = 3,
        kClean = 4,
        kOptions = 5,
        kExportMakefile = 6,
        kHelp = 7,
        kLibraryHelp = 8
    };
    // Events of the host.
    enum Event : long {
        kDebugPartSelected = 6,
        kSaveProject = 12,
        kSaveProjectAndClearOutput = 26,
        kSaveProjectAndClearOutputLate = 102,
        kNewProject = 56,
        kJumpToSourceLine = 57,
        kObjectFileDirty = 58,
        kShowHelp = 59,
        kProjectOpened = 101
    };
    // States of the library-help command.
    static constexpr long kCommandDisabled = 0;
    static constexpr long kCommandEnabled = 4;
    // The docked window the tree lives in.
    static constexpr const char* kDockTitle = "AVR TAZU";
    static constexpr const char* kDockAnchor = "I/O View";
    static constexpr const char* kDockSide = "left";
    static constexpr long kDockFlags = 1;

    // Builds the project, the XML handler (which takes PlugInUtility and the host document)
    // and the build operations. The tree follows in Init.
    Zuzozuduvuruva();
    ~Zuzozuduvuruva() override;
    Zuzozuduvuruva(const Zuzozuduvuruva&) = delete;
    Zuzozuduvuruva& operator=(const Zuzozuduvuruva&) = delete;

    // IGuiPlugin.
    HRESULT GetSetup(Bstr* setup) override;
    // Also TreeCommands: the tree's menu runs the host's commands through here.
    HRESULT ExecuteCommand(long command) override;
    HRESULT HandleEvent(long event, const Bstr& text) override;
    HRESULT Init(IGuiWorks* host) override;
    HRESULT SaveFile(const Bstr& fileName, long* ok) override;
    HRESULT Close() override;

    // TreeCommands.
    void makeTarget(const std::string& target) override;
    void saveProject() override;

    // Commits a change of the project's options through the options sheet.
    HRESULT changeOptions();
    // Event 56: prepares a project the host has just created, ending in changeOptions.
    void newProjectSetup();

    // Adds a file to the project and the tree group of its kind, as dropping it on the tree
    // does, and writes the project into the host document. Errors are logged, not thrown.
    void addFileToProject(const std::string& path);

    // Creates the docked window and the tree in it, once; S_OK at once when they exist.
    HRESULT setupWindows();
    // Event 101: reads the project from the host document and sets it up.
    void projectOpened();
    // Logs every header and source file of the project that does not exist.
    void checkProjectFiles();
    // Whether no source or header file is newer than the debug object file of the project.
    bool objectFileUpToDate() const;
    // Where the active configuration's build writes its object file.
    std::string objectFilePath() const;
    // Event 57: opens the project file a build-output line names at its line.
    void jumpToSourceLine(const std::string& text);

    const Bstr& name() const { return m_name; }
    Project& project() { return m_project; }
    const Project& project() const { return m_project; }
    // Null before Init and after Close (or when the host destroyed the window).
    CProjectTree* tree() const { return m_tree.data(); }
    bool windowsCreated() const { return m_windowsCreated; }
    // The host's docked window the tree fills; null until the window set-up.
    QWidget* dockWindow() const { return m_dockWindow.data(); }
    ProjectXmlHandler& xml() { return m_xml; }
    BuildDriver& buildDriver();

private:
    // Runs an operation; an error is written with logError and gives `failure`.
    HRESULT guarded(HRESULT failure, const std::function<HRESULT()>& operation);
    HRESULT runCommand(long command);
    void runEvent(long event, const std::string& text);
    // Refreshes the tree after a command, when it shows the project.
    void refreshTree();
    void showHelp(const std::string& topic);
    void openLibraryHelp();
    void compareDebugPart(const std::string& debugPart);
    void createTree();
    void destroyWindows();

    PlugInUtility& utility();
    // What the options change, the new-project set-up and file additions work on.
    OptionsContext optionsContext();
    IGuiWorks* host() const { return m_host; }
    IPluginHub* hub();

    IGuiWorks* m_host = nullptr;
    IPluginHub* m_hub = nullptr;
    PlugInUtility* m_utility = nullptr;
    Bstr m_name;
    Project m_project;
    bool m_windowsCreated = false;
    QPointer<QWidget> m_dockWindow;
    // The object deletes the tree at Close; the pointer clears itself should the host destroy
    // the docked window with the tree first.
    QPointer<CProjectTree> m_tree;
    ProjectXmlHandler m_xml;
    BuildDriver m_driver;
};

} // namespace avrtazu
