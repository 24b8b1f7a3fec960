#include "services/fake_host_support.h"

#include "services/object_registry.h"
#include "services/plug_in_utility.h"

namespace avrtazu::fakes {

HRESULT RecordingHub::GetSharedObject(const Bstr& name, const std::string& interfaceId,
                                      void** object) {
    sharedObjectRequests.emplace_back(toNarrow(name), interfaceId);
    if (object == nullptr) {
        return E_POINTER;
    }
    const auto it = sharedObjects.find(toNarrow(name));
    if (it == sharedObjects.end()) {
        return E_FAIL;
    }
    *object = it->second;
    return S_OK;
}

HRESULT RecordingHub::SendEvent(long event, const Bstr& text) {
    events.push_back(Event{event, toNarrow(text)});
    return S_OK;
}

HRESULT RecordingHub::Log(long level, const Bstr& prefix, const Bstr& context,
                          const Bstr& message) {
    logs.push_back(LogLine{level, toNarrow(prefix), toNarrow(context), toNarrow(message)});
    return S_OK;
}

HRESULT RecordingHub::SetPartName(const Bstr& part) {
    partNamesSet.push_back(toNarrow(part));
    return S_OK;
}

HRESULT RecordingHub::GetPartName(Bstr* part) {
    if (part == nullptr) {
        return E_POINTER;
    }
    *part = toWide(debugPartName);
    return S_OK;
}

HRESULT RecordingHub::RegisterPlugin(const Bstr& name, long flags) {
    registrations.emplace_back(toNarrow(name), flags);
    return S_OK;
}

HRESULT RecordingHub::GetProjectValue(const Bstr&, const Bstr&, Bstr* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    value->clear();
    return S_OK;
}

HRESULT RecordingHub::SetSourceFiles(const Bstr& list) {
    sourceFileLists.push_back(toNarrow(list));
    return S_OK;
}

HRESULT RecordingWorks::CloseFile(const Bstr& path) {
    closedFiles.push_back(toNarrow(path));
    return S_OK;
}

HRESULT RecordingWorks::GetActiveFile(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    if (SUCCEEDED(activeFileResult)) {
        *path = toWide(activeFile);
    }
    return activeFileResult;
}

HRESULT RecordingWorks::AddSourceFile(const Bstr& path, long* result) {
    addedSourceFiles.push_back(toNarrow(path));
    if (result != nullptr) {
        *result = 0;
    }
    return S_OK;
}

HRESULT RecordingWorks::CreateDockWindow(const Bstr& title, const Bstr& anchor, const Bstr& side,
                                         long flags, long iconResourceId, void* moduleInstance,
                                         WindowHandle* window) {
    dockRequests.push_back(DockRequest{toNarrow(title), toNarrow(anchor), toNarrow(side), flags,
                                       iconResourceId, moduleInstance});
    if (window == nullptr) {
        return E_POINTER;
    }
    if (SUCCEEDED(dockWindowResult)) {
        *window = dockWindow;
    }
    return dockWindowResult;
}

HRESULT RecordingWorks::GetProjectDirectory(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    *path = toWide(projectDirectory);
    return S_OK;
}

HRESULT RecordingWorks::GetInitialFileName(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    if (SUCCEEDED(initialFileNameResult)) {
        *path = toWide(initialFileName);
    }
    return initialFileNameResult;
}

HRESULT RecordingWorks::OpenFileAtLine(const Bstr& path, long line, long flags) {
    openedAtLine.push_back(OpenedAt{toNarrow(path), line, flags});
    return S_OK;
}

HRESULT RecordingWorks::OpenFile(const Bstr& path, long flags) {
    openedFiles.emplace_back(toNarrow(path), flags);
    if (openFileResult == S_OK) {
        openInEditor.insert(toNarrow(path));
    }
    return openFileResult;
}

HRESULT RecordingWorks::AddOutputMessage(const Bstr& text, long kind) {
    output.push_back(OutputLine{toNarrow(text), kind});
    return S_OK;
}

HRESULT RecordingWorks::GetObjectFileState(std::int16_t* state) {
    if (state == nullptr) {
        return E_POINTER;
    }
    *state = objectFileState;
    return S_OK;
}

HRESULT RecordingWorks::ShowHelp(const Bstr& request) {
    helpRequests.push_back(toNarrow(request));
    return S_OK;
}

HRESULT RecordingWorks::SetCommandState(long command, long state) {
    commandStates.emplace_back(command, state);
    return S_OK;
}

HRESULT RecordingWorks::GetStudioDirectory(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    *path = toWide(studioDirectory);
    return S_OK;
}

HRESULT RecordingWorks::ClearOutput() {
    ++clearOutputCalls;
    return S_OK;
}

HRESULT RecordingWorks::LoadObjectFile() {
    ++loadObjectFileCalls;
    return S_OK;
}

HRESULT RecordingWorks::IsFileOpen(const Bstr& path, std::int16_t* open) {
    if (open == nullptr) {
        return E_POINTER;
    }
    *open = openInEditor.count(toNarrow(path)) != 0 ? 1 : 0;
    return S_OK;
}

HubInstallation::HubInstallation(std::shared_ptr<RecordingHub> hub) {
    PlugInUtility::resetForTesting();
    PlugInUtility::setToolchainLocator(nullptr);
    ObjectRegistry::instance().unregisterClass(kPluginHubClassId);
    if (hub) {
        ObjectRegistry::instance().registerClass<IPluginHub>(
            kPluginHubClassId, kPluginHubInterfaceId,
            [hub, count = m_creations]() -> std::shared_ptr<IPluginHub> {
                ++*count;
                return hub;
            });
    }
}

HubInstallation::~HubInstallation() {
    PlugInUtility::resetForTesting();
    PlugInUtility::setToolchainLocator(nullptr);
    ObjectRegistry::instance().unregisterClass(kPluginHubClassId);
}

} // namespace avrtazu::fakes
