#pragma once

#include "model/configuration.h"
#include "model/project.h"
#include "persistence/project_xml_handler.h"
#include "services/fake_host_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace avrtazu::fakes {

// A recording hub that owns the host's project document: it hands it out as "XMLPROJECT" and
// answers GetProjectValue from it, as the real host does.
class XmlHub : public RecordingHub {
public:
    XmlHub();

    HRESULT GetProjectValue(const Bstr& section, const Bstr& key, Bstr* value) override;

    // Whether a line of this level, context and message was written.
    bool logged(long level, const std::string& context, const std::string& message) const;

    pugi::xml_document document;
};

// The host document of a project "blink" in C:\work\blink\, without the plug-in's section.
extern const char* const kHostDocument;

// Names of the element children, in order.
std::vector<std::string> childNames(pugi::xml_node node);
// Texts of the element children, in order.
std::vector<std::string> childTexts(pugi::xml_node node);
pugi::xml_node selectNode(const pugi::xml_document& document, const std::string& path);

// A project whose every setting differs from its default: five configurations in which each
// text setting carries its own name and each switch its own on/off pattern, so that a value
// stored under the wrong element cannot read back right. Files of the three kinds, both
// per-file options, the four lists and every project-level value are set.
Project richProject();

} // namespace avrtazu::fakes
