#pragma once

#include "services/gui_works.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QDockWidget;
class QMainWindow;
class QWidget;

namespace avrtazu {

class EditorArea;
class HelpViewer;
class OutputPane;
class ProjectDocument;

// The IDE's services to the plug-in in the desktop studio: editor tabs, the build output, the
// help pane, docked windows of the main window and the project's directories.
class StudioWorks : public IGuiWorks {
public:
    // What the studio knows of the debug object file: its path from event 51, whether a later
    // event 58 made it out of date, and whether the plug-in had it loaded.
    struct ObjectFile {
        std::string path;
        bool upToDate = false;
        bool loaded = false;
    };
    // What changed, for the window to show.
    enum class Change { CommandState, ObjectFile, Help, OutputCleared };
    using ChangeHandler = std::function<void(Change)>;
    // A note of the studio's own for the log: level as the plug-in's log has them.
    using NoteHandler = std::function<void(long level, const std::string& text)>;

    // studioFolder is a Linux path: the folder that holds AvrStudioPlugin/.
    StudioWorks(QMainWindow& window, EditorArea& editors, OutputPane& output, HelpViewer& help,
                const std::string& studioFolder);
    ~StudioWorks() override;
    StudioWorks(const StudioWorks&) = delete;
    StudioWorks& operator=(const StudioWorks&) = delete;

    void setChangeHandler(ChangeHandler handler) { m_changed = std::move(handler); }
    void setNoteHandler(NoteHandler handler) { m_note = std::move(handler); }

    // Where the open project's document is found; it gives null when none is open.
    void setDocumentSource(std::function<const ProjectDocument*()> source) {
        m_documentSource = std::move(source);
    }
    // The file GetInitialFileName gives (a Windows path); empty for none.
    void setInitialFileName(const std::string& path) { m_initialFile = path; }

    // Event 51: the build wrote this object file (a Windows path).
    void objectFileBuilt(const std::string& path);
    // Event 58: the object file no longer matches the project.
    void objectFileDirty();
    void forgetObjectFile();
    const ObjectFile& objectFile() const { return m_objectFile; }
    // The object file's state in a few words for the status bar; empty when there is none.
    std::string objectFileText() const;

    // The state SetCommandState gave last for a command; -1 when it gave none.
    long commandState(long command) const;
    // The docked windows made for the plug-in that still exist.
    std::vector<QDockWidget*> docks() const;
    // Deletes them: the plug-in has let go of them.
    void removeDocks();

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
    // The Linux path of a Windows path from the plug-in; empty when it names no mapped drive.
    static std::string linuxPath(const Bstr& windowsPath);
    void changed(Change change);
    // Marks the source line an "!E" or "!W" line of the build names.
    void markDiagnostic(const std::string& line);
    void note(long level, const std::string& text);

    QMainWindow& m_window;
    EditorArea& m_editors;
    OutputPane& m_output;
    HelpViewer& m_help;
    std::string m_studioDirectory;
    std::function<const ProjectDocument*()> m_documentSource;
    std::string m_initialFile;
    ObjectFile m_objectFile;
    std::map<long, long> m_commandStates;
    std::vector<QPointer<QDockWidget>> m_docks;
    ChangeHandler m_changed;
    NoteHandler m_note;
};

} // namespace avrtazu
