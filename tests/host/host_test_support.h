#pragma once

#include "services/gui_plugin.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu::test {

// A fresh folder for one test, removed with its content at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    // Writes a file below the folder (folders made as needed); returns its path.
    std::string write(const std::string& relative, const std::string& content) const;
    std::string file(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

// The whole file, or "<missing>".
std::string readFile(const std::string& path);
// Names of the entries of a folder, sorted.
std::vector<std::string> folderEntries(const std::string& path);

// A project document the way the IDE leaves one, with a plug-in section that the fake reads.
std::string sampleProject(const std::string& name = "blink");

// What the fake plug-in does when driven, and what it saw. Every step goes through the
// PlugInUtility and the hub, as the real plug-in's do.
struct FakePluginScript {
    struct Line {
        std::string text;
        long kind = 0;
    };
    struct LogLine {
        long level = 0;
        std::string message;
    };

    HRESULT setupResult = 0;
    HRESULT commandResult = 0;
    std::vector<LogLine> loadLog;
    std::vector<LogLine> commandLog;
    std::vector<LogLine> saveLog;
    std::vector<Line> commandOutput;
    // Sent with event 51 during the command when not empty.
    std::string objectFile;
    // Run during the command, after the lines above.
    std::function<void()> duringCommand;

    // Seen.
    std::vector<std::string> calls;
    std::string projectName;
    std::string projectDirectory;
    std::string studioDirectory;
    std::string activeFile;
    // MANAGEMENT/ProjectName as the document holds it at Close (the plug-in then removes it).
    std::string nameAtClose;
};

// Registers a fake plug-in under the plug-in's class id for the test's lifetime, and starts
// and ends without a PlugInUtility. The script outlives every plug-in object made.
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

} // namespace avrtazu::test
