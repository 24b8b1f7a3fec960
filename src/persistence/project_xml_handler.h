#pragma once

#include "model/configuration.h"
#include "model/project.h"
#include "services/hresult.h"

#include <optional>
#include <pugixml.hpp>
#include <string>

namespace avrtazu {

class IPluginHub;
class PlugInUtility;

// Reads and writes the plug-in's section "AVRTAZUPLUGIN" of the host's project document. The
// host owns the document and saves it; the handler only edits it in memory.
//
// The handler keeps no element handles between calls: the host may rebuild its document, so
// every operation looks its elements up again by path.
//
// Without a document (the hub did not give one) every document operation writes one debug line
// and changes nothing.
class ProjectXmlHandler {
public:
    // Takes the hub from PlugInUtility and asks it for the shared "XMLPROJECT" document.
    ProjectXmlHandler();
    ProjectXmlHandler(const ProjectXmlHandler&) = delete;
    ProjectXmlHandler& operator=(const ProjectXmlHandler&) = delete;

    bool hasDocument() const { return m_document != nullptr; }

    // Ensures AVRTAZUPLUGIN, FILES and CONFIGS and, when there is no configuration yet, writes
    // the configuration "default" named after the host's project and makes it LASTCONFIG.
    HRESULT makeStructure();

    // Replaces the section's content with the whole project. Failures are logged; a save that
    // fails part-way leaves what was written.
    HRESULT projectToXML(const Project& project);

    // Appends one CONFIG with its 47 children to CONFIGS. Throws std::runtime_error.
    void projectDataToXML(const Configuration& config);

    // Adds the section's files and configurations to the project and takes its project-level
    // values; E_FAIL (after logging) when the section is corrupt.
    HRESULT XMLToProject(Project& project);

    // Drops the host's and the plug-in's sections from the document when the plug-in closes.
    void removeSections();

    // Element operations. Text given as std::nullopt means "no text".
    //
    // Finds or creates element `name` under `parent`. Whether it exists is decided by the path of
    // `parent` in the whole document. Throws std::runtime_error on failure.
    void insertNode(const std::string& name, pugi::xml_node parent, pugi::xml_node* node,
                    const std::optional<std::string>& text, bool unique);
    // Appends a new CONFIG element to CONFIGS.
    HRESULT insertConfigNode(pugi::xml_node* node);
    // Appends a new element `name` to `parent`.
    HRESULT insertConfigSubNode(const std::string& name, const std::optional<std::string>& text,
                                pugi::xml_node parent, pugi::xml_node* node);
    // insertNode under the element at `parentPath` (such as "/AVRStudio").
    HRESULT insertNodeAtPath(const std::string& parentPath, const std::string& name,
                             pugi::xml_node* node, const std::optional<std::string>& text,
                             bool unique);

    // The element's text, or the empty text (logged) for a missing element.
    std::string getNodeText(pugi::xml_node node);

    // "/AVRStudio/AVRTAZUPLUGIN" for the section: the base names from the document down.
    static std::string nodePath(pugi::xml_node node);

private:
    bool documentMissing(const char* context);
    // Looks the section and its two containers up again; null handles when they are missing.
    void locateSection();
    // makeStructure's first step: the section and its containers, created when missing. False
    // (logged) when the document has no root to hold the section.
    bool ensureSection();
    void writeProject(const Project& project);
    void writeFiles(const Project& project);
    Configuration readConfiguration(pugi::xml_node configNode);
    void writeSubNode(pugi::xml_node parent, const std::string& name,
                      const std::optional<std::string>& text, pugi::xml_node* node = nullptr);
    std::string projectValue(const char* section, const char* key);

    IPluginHub* m_hub = nullptr;
    PlugInUtility* m_utility = nullptr;
    pugi::xml_document* m_document = nullptr;
    pugi::xml_node m_section;
    pugi::xml_node m_files;
    pugi::xml_node m_configs;
};

} // namespace avrtazu
