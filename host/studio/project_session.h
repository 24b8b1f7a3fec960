#pragma once

#include "lib/current_folder_scope.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

class HostHub;
class IGuiPlugin;
class IGuiWorks;
class ProjectDocument;
class Zuzozuduvuruva;

// One open project: the host's document and the plug-in object that works on it, driven as
// the IDE drives it. Opening loads the document, creates the plug-in from the registry, asks
// for its setup, hands it the host (Init) and sends "project opened" (101), or "new project"
// (56) for a project just created. While the project is open its folder is the process's
// current folder, as in the IDE. Saving sends the save event (12) and writes the document;
// closing ends with the plug-in's Close.
class ProjectSession {
public:
    // Notes of the session for the log: level as the plug-in's log has them.
    using NoteHandler = std::function<void(long level, const std::string& text)>;

    static constexpr long kEventSave = 12;
    static constexpr long kEventNewProject = 56;
    static constexpr long kEventJumpToLine = 57;
    static constexpr long kEventProjectOpened = 101;

    ProjectSession(HostHub& hub, IGuiWorks& works);
    // Closes the plug-in; nothing is saved.
    ~ProjectSession();
    ProjectSession(const ProjectSession&) = delete;
    ProjectSession& operator=(const ProjectSession&) = delete;

    void setNoteHandler(NoteHandler handler) { m_note = std::move(handler); }

    // Opens the project file (a Linux path); false and *error (a sentence) when the document
    // cannot be read or the plug-in does not start. A session must be closed before.
    bool open(const std::string& linuxPath, std::string* error);
    // Creates NAME.aps in a folder (Linux path), has the plug-in set up the new project and
    // writes the file.
    bool create(const std::string& linuxFolder, const std::string& name, std::string* error);
    // Ends the plug-in without saving.
    void close();

    bool isOpen() const { return m_plugin != nullptr; }
    IGuiPlugin* plugin() const { return m_plugin.get(); }
    // The plug-in object itself, when the registry gave this system's plug-in.
    Zuzozuduvuruva* tazu() const;
    ProjectDocument* document() const { return m_document.get(); }

    // Whether the document differs from the file as it was opened or last saved.
    bool isChanged() const;
    // Has the plug-in write its project into the document first (event 12), then tells.
    bool syncAndCheckChanged();
    // Event 12, then the document written over its file.
    bool save(std::string* error);

    // Every line of the plug-in's log passes here: errors while the project is read tell
    // that its section of the document is damaged.
    void noteLog(long level, const std::string& message);
    // Such errors since opening, cleared by a save.
    const std::vector<std::string>& readErrors() const { return m_readErrors; }

private:
    bool start(long event, std::string* error);
    // Takes the document as it now is as the unchanged state.
    void rebaseline();
    void note(long level, const std::string& text);

    HostHub& m_hub;
    IGuiWorks& m_works;
    std::unique_ptr<ProjectDocument> m_document;
    std::shared_ptr<IGuiPlugin> m_plugin;
    std::string m_baseline;
    std::optional<CurrentFolderScope> m_folderScope;
    bool m_reading = false;
    std::vector<std::string> m_readErrors;
    NoteHandler m_note;
};

} // namespace avrtazu
