#pragma once

#include "services/bstr.h"
#include "services/hresult.h"

#include <string>
#include <string_view>

namespace avrtazu {

// Where the host's hub is found in the ObjectRegistry, and the interface asked of it.
inline constexpr std::string_view kPluginHubClassId = "{B283E0E3-4C78-4369-B7D8-8A5C1EDA344B}";
inline constexpr std::string_view kPluginHubInterfaceId = "{12787098-07F0-44F7-87C6-77AC4C87CEDC}";

// The interface id under which GetSharedObject hands out the host's project document. On this
// platform the object given is a pugi::xml_document*, owned by the host.
inline constexpr std::string_view kXmlDomDocumentInterfaceId =
    "{2933BF81-7B36-11D2-B20E-00C04F983E60}";
// The shared object name of the host's project document.
inline constexpr std::string_view kXmlProjectObjectName = "XMLPROJECT";

// Events the plug-in broadcasts through SendEvent: the debug object file's path after a build,
// and the object file being out of date (no text).
inline constexpr long kEventObjectFile = 51;
inline constexpr long AVREVENT_OBJECTFILE_DIRTY = 58;

// The host's hub: log, events to other plug-ins, the shared project document and part names.
class IPluginHub {
public:
    virtual ~IPluginHub() = default;

    // *object receives a pointer the host keeps owning, or stays untouched on failure.
    virtual HRESULT GetSharedObject(const Bstr& name, const std::string& interfaceId,
                                    void** object) = 0;
    virtual HRESULT SendEvent(long event, const Bstr& text) = 0;
    virtual HRESULT Log(long level, const Bstr& prefix, const Bstr& context,
                        const Bstr& message) = 0;
    virtual HRESULT SetPartName(const Bstr& part) = 0;
    // Gives the part selected for debugging, or empty text.
    virtual HRESULT GetPartName(Bstr* part) = 0;
    virtual HRESULT RegisterPlugin(const Bstr& name, long flags) = 0;
    // Gives the text of element key under element section of the project document; empty text
    // when it is missing.
    virtual HRESULT GetProjectValue(const Bstr& section, const Bstr& key, Bstr* value) = 0;
    // All project files, full paths joined by ",".
    virtual HRESULT SetSourceFiles(const Bstr& list) = 0;
};

} // namespace avrtazu
