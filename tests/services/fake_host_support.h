#pragma once

#include "services/gui_works.h"
#include "services/plugin_hub.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu::fakes {

// A hub that records every call in 8-bit text and answers from fields the test fills in.
class RecordingHub : public IPluginHub {
public:
    struct LogLine {
        long level;
        std::string prefix;
        std::string context;
        std::string message;
    };
    struct Event {
        long number;
        std::string text;
    };

    HRESULT GetSharedObject(const Bstr& name, const std::string& interfaceId,
                            void** object) override;
    HRESULT SendEvent(long event, const Bstr& text) override;
    HRESULT Log(long level, const Bstr& prefix, const Bstr& context, const Bstr& message) override;
    HRESULT SetPartName(const Bstr& part) override;
    HRESULT GetPartName(Bstr* part) override;
    HRESULT RegisterPlugin(const Bstr& name, long flags) override;
    HRESULT GetProjectValue(const Bstr& section, const Bstr& key, Bstr* value) override;
    HRESULT SetSourceFiles(const Bstr& list) override;

    // Recorded calls.
    std::vector<LogLine> logs;
    std::vector<Event> events;
    std::vector<std::pair<std::string, long>> registrations;
    std::vector<std::string> partNamesSet;
    std::vector<std::string> sourceFileLists;
    std::vector<std::pair<std::string, std::string>> sharedObjectRequests;

    // Answers: shared objects by name (any interface id), the debugging part. Every project
    // value is empty text.
    std::map<std::string, void*> sharedObjects;
    std::string debugPartName;
};

// Works that record every call and answer from fields the test fills in.
class RecordingWorks : public IGuiWorks {
public:
    struct OutputLine {
        std::string text;
        long kind;
    };
    struct DockRequest {
        std::string title;
        std::string anchor;
        std::string side;
        long flags;
        long iconResourceId;
        void* moduleInstance;
    };
    struct OpenedAt {
        std::string path;
        long line;
        long flags;
    };

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

    // Recorded calls.
    std::vector<std::string> closedFiles;
    std::vector<std::string> addedSourceFiles;
    std::vector<DockRequest> dockRequests;
    std::vector<OpenedAt> openedAtLine;
    std::vector<std::pair<std::string, long>> openedFiles;
    std::vector<OutputLine> output;
    std::vector<std::string> helpRequests;
    std::vector<std::pair<long, long>> commandStates;
    int clearOutputCalls = 0;
    int loadObjectFileCalls = 0;

    // Answers. OpenFile fails with openFileResult; GetActiveFile with activeFileResult.
    std::string activeFile;
    HRESULT activeFileResult = S_OK;
    std::string projectDirectory;
    std::string initialFileName;
    HRESULT initialFileNameResult = S_OK;
    std::string studioDirectory;
    HRESULT openFileResult = S_OK;
    std::int16_t objectFileState = 0;
    std::set<std::string> openInEditor;
    WindowHandle dockWindow = nullptr;
    HRESULT dockWindowResult = S_OK;
};

// Makes hub the host's hub for the test's lifetime: registers it in the ObjectRegistry under
// the hub's class id, clears the toolchain locator and starts and ends with no PlugInUtility.
// A null hub leaves the class unregistered, as on a machine without the host.
class HubInstallation {
public:
    explicit HubInstallation(std::shared_ptr<RecordingHub> hub);
    ~HubInstallation();
    HubInstallation(const HubInstallation&) = delete;
    HubInstallation& operator=(const HubInstallation&) = delete;

    // How often the ObjectRegistry was asked for the hub.
    int creations() const { return *m_creations; }

private:
    std::shared_ptr<int> m_creations = std::make_shared<int>(0);
};

} // namespace avrtazu::fakes
