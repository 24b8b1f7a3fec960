#pragma once

#include "platform/scripted_dialog_service.h"
#include "services/gui_plugin.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace avrtazu {
class StudioWindow;
}

namespace avrtazu::test {

// A fresh folder for one test, removed with its content at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    // Writes a file below the folder (folders made as needed); returns its Linux path.
    std::string write(const std::string& relative, const std::string& content) const;
    std::string file(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

// The whole file, or "<missing>".
std::string readFile(const std::string& path);
// A project file with the host's sections and an empty plug-in section.
std::string plainProject(const std::string& name);

// What the fake plug-in saw and does. It writes `state` into its section on event 12, so a
// test changes the project by changing `state`.
struct FakePluginScript {
    std::vector<std::string> calls;
    int state = 0;
    // Whether the hub gave the project document while the object was made.
    bool documentAtCreation = false;
    // GetInitialFileName's answer at the last event 56.
    std::string initialFile;
    // Logged as an error while the project is read (event 101).
    std::string errorWhileReading;
    // Runs inside ExecuteCommand.
    std::function<void(long command)> onCommand;
    IGuiWorks* host = nullptr;
};

// Registers the fake plug-in under the plug-in's class id for one test, with no toolchain
// discovery; the real plug-in is registered again at the end.
class FakePluginInstallation {
public:
    FakePluginInstallation();
    ~FakePluginInstallation();
    FakePluginInstallation(const FakePluginInstallation&) = delete;
    FakePluginInstallation& operator=(const FakePluginInstallation&) = delete;

    FakePluginScript& script() { return *m_script; }

private:
    std::shared_ptr<FakePluginScript> m_script = std::make_shared<FakePluginScript>();
};

// The process-wide state a studio window needs, for one test: a fresh PlugInUtility, the
// build tree's registry file (the real toolchain), the real plug-in, scripted dialogs and a
// modal hook that presses OK and records the dialogs' titles.
class StudioEnvironment {
public:
    StudioEnvironment();
    ~StudioEnvironment();
    StudioEnvironment(const StudioEnvironment&) = delete;
    StudioEnvironment& operator=(const StudioEnvironment&) = delete;

    // The folder of the build tree's programs, registry file and AvrStudioPlugin/.
    static std::string binFolder();
    static std::string sourceFolder();

    ScriptedDialogService dialogs;
    std::vector<std::string> modalTitles;
    std::vector<std::string> modalClasses;
};

// Copies the example project blink into a folder; gives the path of its blink.aps.
std::string copyBlinkExample(const std::string& folder);

} // namespace avrtazu::test
