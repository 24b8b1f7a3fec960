#pragma once

#include "services/plugin_hub.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace avrtazu {

class ProjectDocument;

// The host's hub: hands out the project document, answers project values, passes log lines
// and events on to the host's handlers, and keeps the part names and file list it is told.
// Texts reach the handlers as 8-bit text.
class HostHub : public IPluginHub {
public:
    using LogHandler = std::function<void(long level, const std::string& prefix,
                                          const std::string& context, const std::string& message)>;
    using EventHandler = std::function<void(long event, const std::string& text)>;

    explicit HostHub(ProjectDocument* document = nullptr);

    // Registers the factory that gives this hub under the hub's class id, so that the
    // plug-in's PlugInUtility finds it.
    static void install(const std::shared_ptr<HostHub>& hub);

    // The document handed out as "XMLPROJECT"; null hands out nothing.
    void setDocument(ProjectDocument* document) { m_document = document; }
    void setLogHandler(LogHandler handler) { m_logHandler = std::move(handler); }
    // The host's handler of one broadcast event (51, 58, ...); an empty one removes it.
    void setEventHandler(long event, EventHandler handler);
    // Forgets the document and every handler, so that nothing reaches a host that has gone.
    void detach();

    // The part the plug-in published last.
    const std::string& partName() const { return m_partName; }
    // The part the host's debugger uses, given to GetPartName.
    void setDebugPartName(const std::string& part) { m_debugPartName = part; }
    // The project files of the last SetSourceFiles, in order.
    const std::vector<std::string>& sourceFiles() const { return m_sourceFiles; }
    // Names of the registered plug-ins, with their flags.
    const std::vector<std::pair<std::string, long>>& plugins() const { return m_plugins; }

    HRESULT GetSharedObject(const Bstr& name, const std::string& interfaceId,
                            void** object) override;
    HRESULT SendEvent(long event, const Bstr& text) override;
    HRESULT Log(long level, const Bstr& prefix, const Bstr& context, const Bstr& message) override;
    HRESULT SetPartName(const Bstr& part) override;
    HRESULT GetPartName(Bstr* part) override;
    HRESULT RegisterPlugin(const Bstr& name, long flags) override;
    HRESULT GetProjectValue(const Bstr& section, const Bstr& key, Bstr* value) override;
    HRESULT SetSourceFiles(const Bstr& list) override;

private:
    ProjectDocument* m_document;
    LogHandler m_logHandler;
    std::map<long, EventHandler> m_eventHandlers;
    std::string m_partName;
    std::string m_debugPartName;
    std::vector<std::string> m_sourceFiles;
    std::vector<std::pair<std::string, long>> m_plugins;
};

} // namespace avrtazu
