#include "lib/host_hub.h"

#include "lib/project_document.h"

#include "services/object_registry.h"

#include <algorithm>

namespace avrtazu {

HostHub::HostHub(ProjectDocument* document) : m_document(document) {}

void HostHub::install(const std::shared_ptr<HostHub>& hub) {
    ObjectRegistry::instance().registerClass<IPluginHub>(
        kPluginHubClassId, kPluginHubInterfaceId,
        std::function<std::shared_ptr<IPluginHub>()>([hub] { return hub; }));
}

void HostHub::setEventHandler(long event, EventHandler handler) {
    if (handler) {
        m_eventHandlers[event] = std::move(handler);
    } else {
        m_eventHandlers.erase(event);
    }
}

void HostHub::detach() {
    m_document = nullptr;
    m_logHandler = nullptr;
    m_eventHandlers.clear();
}

HRESULT HostHub::GetSharedObject(const Bstr& name, const std::string& interfaceId, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (toNarrow(name) != kXmlProjectObjectName) {
        return E_INVALIDARG;
    }
    if (!ObjectRegistry::sameId(interfaceId, kXmlDomDocumentInterfaceId)) {
        return E_NOINTERFACE;
    }
    if (m_document == nullptr || !m_document->isOpen()) {
        return E_FAIL;
    }
    *object = &m_document->xml();
    return S_OK;
}

HRESULT HostHub::SendEvent(long event, const Bstr& text) {
    const auto handler = m_eventHandlers.find(event);
    if (handler != m_eventHandlers.end()) {
        // A copy: the handler may replace itself.
        const EventHandler call = handler->second;
        call(event, toNarrow(text));
    }
    return S_OK;
}

HRESULT HostHub::Log(long level, const Bstr& prefix, const Bstr& context, const Bstr& message) {
    if (m_logHandler) {
        m_logHandler(level, toNarrow(prefix), toNarrow(context), toNarrow(message));
    }
    return S_OK;
}

HRESULT HostHub::SetPartName(const Bstr& part) {
    m_partName = toNarrow(part);
    return S_OK;
}

HRESULT HostHub::GetPartName(Bstr* part) {
    if (part == nullptr) {
        return E_POINTER;
    }
    *part = toWide(m_debugPartName);
    return S_OK;
}

HRESULT HostHub::RegisterPlugin(const Bstr& name, long flags) {
    m_plugins.emplace_back(toNarrow(name), flags);
    return S_OK;
}

HRESULT HostHub::GetProjectValue(const Bstr& section, const Bstr& key, Bstr* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    value->clear();
    if (m_document != nullptr && m_document->isOpen()) {
        *value = toWide(m_document->value(toNarrow(section), toNarrow(key)));
    }
    return S_OK;
}

HRESULT HostHub::SetSourceFiles(const Bstr& list) {
    m_sourceFiles.clear();
    const std::string text = toNarrow(list);
    m_sourceFiles.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), ',')) + 1);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        if (end > start) {
            m_sourceFiles.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return S_OK;
}

} // namespace avrtazu
