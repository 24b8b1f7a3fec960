#pragma once

#include "services/gui_works.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace avrtazu {

class ProjectDocument;

// The IDE's editor, output window and docked window for a run on the command line. Build
// output goes to one stream as it arrives, coloured by kind when asked to; there is no editor,
// so opened files are only recorded; docked windows are real widgets that nobody sees, so the
// plug-in's tree lives and refreshes as in the IDE.
class CliWorks : public IGuiWorks {
public:
    // Which files the plug-in asked to open; line 0 for OpenFile.
    struct OpenedFile {
        std::string path;
        long line = 0;
    };

    // studioFolder is a Linux path: the folder that holds AvrStudioPlugin/.
    CliWorks(const ProjectDocument& document, const std::string& studioFolder, std::ostream& output,
             std::ostream& messages, bool colour);
    ~CliWorks() override;
    CliWorks(const CliWorks&) = delete;
    CliWorks& operator=(const CliWorks&) = delete;

    // The editor's active file (a Windows path) that GetActiveFile gives.
    void setActiveFile(const std::string& path) { m_activeFile = path; }
    void setObjectFileState(std::int16_t state) { m_objectFileState = state; }

    // What the build output said since the last reset or since the plug-in last cleared it:
    // a summary of a failed run, a line with the compiler's error marker, make's Error or Stop
    // line, or the word that a tool could not be started.
    bool outputReportsFailure() const { return m_failureSeen; }
    std::size_t outputLineCount() const { return m_outputLines; }
    void resetOutputWatch();

    const std::vector<OpenedFile>& openedFiles() const { return m_openedFiles; }
    const std::map<long, long>& commandStates() const { return m_commandStates; }
    int loadObjectFileCalls() const { return m_loadObjectFileCalls; }
    // The client areas handed out by CreateDockWindow that still exist.
    std::vector<QWidget*> dockWindows() const;

    // Whether a build-output line tells of a failed run.
    static bool isFailureLine(const std::string& line);

    HRESULT CloseFile(const Bstr& path) override;
    HRESULT GetActiveFile(Bstr* path) override;
    HRESULT AddSourceFile(const Bstr& path, long* result) override;
    HRESULT CreateDockWindow(const Bstr& title, const Bstr& anchor, const Bstr& side, long flags,
                             long iconResourceId, void* moduleInstance,
                             WindowHandle* window) override;
    HRESULT GetProjectDirectory(Bstr* path) override;
    HRESULT GetInitialFileName(Bstr* path) override;
    HRESULT OpenFileAtLine(const Bstr& path, long line, long flags) override;
    HRESULT OpenFile(const Bstr& path, long flags) override;
    HRESULT AddOutputMessage(const Bstr& text, long kind) override;
    HRESULT GetObjectFileState(std::int16_t* state) override;
    HRESULT ShowHelp(const Bstr& request) override;
    HRESULT SetCommandState(long command, long state) override;
    HRESULT GetStudioDirectory(Bstr* path) override;
    HRESULT ClearOutput() override;
    HRESULT LoadObjectFile() override;
    HRESULT IsFileOpen(const Bstr& path, std::int16_t* open) override;

private:
    const ProjectDocument& m_document;
    std::string m_studioDirectory;
    std::ostream& m_output;
    std::ostream& m_messages;
    bool m_colour;
    std::string m_activeFile;
    std::int16_t m_objectFileState = 0;
    bool m_failureSeen = false;
    std::size_t m_outputLines = 0;
    std::vector<OpenedFile> m_openedFiles;
    std::map<long, long> m_commandStates;
    int m_loadObjectFileCalls = 0;
    std::vector<QPointer<QWidget>> m_docks;
};

} // namespace avrtazu
