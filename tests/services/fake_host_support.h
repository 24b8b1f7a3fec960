#pragma once

#include "services/gui_works.h"
#include "services/object_registry.h"
#include "services/plug_in_utility.h"
#include "services/plugin_hub.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu::fakes {

// Keeps a recorded call; the call succeeds.
template <class List, class Item> HRESULT record(List& list, Item item) {
    list.push_back(std::move(item));
    return S_OK;
}

// Hands out an answer unless the call is to fail or there is nowhere to put it.
template <class Out, class Value>
HRESULT answer(Out* out, const Value& value, HRESULT result = S_OK) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (SUCCEEDED(result)) {
        *out = value;
    }
    return result;
}

// A hub that records every call in 8-bit text and answers from fields the test fills in.
class RecordingHub : public IPluginHub {
public:
    struct LogLine {
        long level;
        std::string prefix, context, message;
    };
    struct Event {
        long number;
        std::string text;
    };

    HRESULT GetSharedObject(const Bstr& name, const std::string& interfaceId,
                            void** object) override {
        sharedObjectRequests.emplace_back(toNarrow(name), interfaceId);
        const auto it = sharedObjects.find(toNarrow(name));
        const bool found = it != sharedObjects.end();
        return answer(object, found ? it->second : nullptr, found ? S_OK : E_FAIL);
    }
    HRESULT SendEvent(long event, const Bstr& text) override {
        return record(events, Event{event, toNarrow(text)});
    }
    HRESULT Log(long level, const Bstr& prefix, const Bstr& context, const Bstr& message) override {
        return record(logs, LogLine{level, toNarrow(prefix), toNarrow(context), toNarrow(message)});
    }
    HRESULT SetPartName(const Bstr& part) override { return record(partNamesSet, toNarrow(part)); }
    HRESULT GetPartName(Bstr* part) override { return answer(part, toWide(debugPartName)); }
    HRESULT RegisterPlugin(const Bstr& name, long flags) override {
        return record(registrations, std::pair(toNarrow(name), flags));
    }
    HRESULT GetProjectValue(const Bstr&, const Bstr&, Bstr* value) override {
        return answer(value, Bstr());
    }
    HRESULT SetSourceFiles(const Bstr& list) override {
        return record(sourceFileLists, toNarrow(list));
    }

    // Recorded calls.
    std::vector<LogLine> logs;
    std::vector<Event> events;
    std::vector<std::pair<std::string, long>> registrations;
    std::vector<std::string> partNamesSet, sourceFileLists;
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
        std::string title, anchor, side;
        long flags, iconResourceId;
        void* moduleInstance;
    };
    struct OpenedAt {
        std::string path;
        long line, flags;
    };

    HRESULT CloseFile(const Bstr& path) override { return record(closedFiles, toNarrow(path)); }
    HRESULT GetActiveFile(Bstr* path) override {
        return answer(path, toWide(activeFile), activeFileResult);
    }
    HRESULT AddSourceFile(const Bstr& path, long* result) override {
        answer(result, 0L);
        return record(addedSourceFiles, toNarrow(path));
    }
    HRESULT CreateDockWindow(const Bstr& title, const Bstr& anchor, const Bstr& side, long flags,
                             long iconResourceId, void* moduleInstance,
                             WindowHandle* window) override {
        dockRequests.push_back(DockRequest{toNarrow(title), toNarrow(anchor), toNarrow(side), flags,
                                           iconResourceId, moduleInstance});
        return answer(window, dockWindow, dockWindowResult);
    }
    HRESULT GetProjectDirectory(Bstr* path) override {
        return answer(path, toWide(projectDirectory));
    }
    HRESULT GetInitialFileName(Bstr* path) override {
        return answer(path, toWide(initialFileName), initialFileNameResult);
    }
    HRESULT OpenFileAtLine(const Bstr& path, long line, long flags) override {
        return record(openedAtLine, OpenedAt{toNarrow(path), line, flags});
    }
    HRESULT OpenFile(const Bstr& path, long flags) override {
        openedFiles.emplace_back(toNarrow(path), flags);
        if (openFileResult == S_OK) {
            openInEditor.insert(toNarrow(path));
        }
        return openFileResult;
    }
    HRESULT AddOutputMessage(const Bstr& text, long kind) override {
        return record(output, OutputLine{toNarrow(text), kind});
    }
    HRESULT GetObjectFileState(std::int16_t* state) override {
        return answer(state, objectFileState);
    }
    HRESULT ShowHelp(const Bstr& request) override {
        return record(helpRequests, toNarrow(request));
    }
    HRESULT SetCommandState(long command, long state) override {
        return record(commandStates, std::pair(command, state));
    }
    HRESULT GetStudioDirectory(Bstr* path) override {
        return answer(path, toWide(studioDirectory));
    }
    HRESULT ClearOutput() override { return ++clearOutputCalls, S_OK; }
    HRESULT LoadObjectFile() override { return ++loadObjectFileCalls, S_OK; }
    HRESULT IsFileOpen(const Bstr& path, std::int16_t* open) override {
        return answer(open, std::int16_t(openInEditor.count(toNarrow(path)) != 0 ? 1 : 0));
    }

    // Recorded calls.
    std::vector<std::string> closedFiles, addedSourceFiles, helpRequests;
    std::vector<DockRequest> dockRequests;
    std::vector<OpenedAt> openedAtLine;
    std::vector<std::pair<std::string, long>> openedFiles;
    std::vector<OutputLine> output;
    std::vector<std::pair<long, long>> commandStates;
    int clearOutputCalls = 0, loadObjectFileCalls = 0;

    // Answers. OpenFile fails with openFileResult; GetActiveFile with activeFileResult.
    std::string activeFile, projectDirectory, initialFileName, studioDirectory;
    HRESULT activeFileResult = S_OK, initialFileNameResult = S_OK, openFileResult = S_OK;
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
    explicit HubInstallation(std::shared_ptr<RecordingHub> hub) {
        startClean();
        if (hub) {
            ObjectRegistry::instance().registerClass<IPluginHub>(
                kPluginHubClassId, kPluginHubInterfaceId,
                [hub, count = m_creations]() -> std::shared_ptr<IPluginHub> {
                    ++*count;
                    return hub;
                });
        }
    }
    ~HubInstallation() { startClean(); }
    HubInstallation(const HubInstallation&) = delete;
    HubInstallation& operator=(const HubInstallation&) = delete;

    // How often the ObjectRegistry was asked for the hub.
    int creations() const { return *m_creations; }

private:
    static void startClean() {
        PlugInUtility::resetForTesting();
        PlugInUtility::setToolchainLocator(nullptr);
        ObjectRegistry::instance().unregisterClass(kPluginHubClassId);
    }
    std::shared_ptr<int> m_creations = std::make_shared<int>(0);
};

} // namespace avrtazu::fakes
