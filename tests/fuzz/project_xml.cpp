// A host project document, opened and saved as the host and the plug-in do: parsed, the
// plug-in's section made and read into a project, the project written back, the whole saved.

#include "persistence/xml_host_support.h"

#include <cstddef>
#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace avrtazu;
    static const auto hub = std::make_shared<fakes::XmlHub>();
    static const fakes::HubInstallation installation{hub};
    static ProjectXmlHandler handler;
    hub->logs.clear();
    if (!hub->document.load_buffer(data, size, pugi::parse_default | pugi::parse_declaration)) {
        return 0;
    }
    handler.makeStructure();
    Project project;
    if (handler.XMLToProject(project) == S_OK) {
        handler.projectToXML(project);
        std::ostringstream saved;
        hub->document.save(saved, "\t", pugi::format_default, pugi::encoding_utf8);
    }
    return 0;
}
