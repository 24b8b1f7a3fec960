#include "services/plug_in_utility.h"

#include "plugin/options_context.h"

#include "model/project.h"
#include "model/source_file.h"
#include "persistence/project_xml_handler.h"
#include "ui/project_tree.h"

#include <algorithm>
#include <list>
#include <optional>
#include <utility>

namespace avrtazu {

OptionsContext::OptionsContext(Project& project, ProjectXmlHandler& xml, PlugInUtility& utility,
                               TreeSource tree)
    : m_project(project), m_xml(xml), m_utility(utility), m_tree(std::move(tree)) {}

CProjectTree* OptionsContext::tree() const {
    return m_tree ? m_tree() : nullptr;
}

CProjectTree* OptionsContext::treeWithWindow() const {
    CProjectTree* projectTree = tree();
    return projectTree != nullptr && projectTree->rootItem() != nullptr ? projectTree : nullptr;
}

void OptionsContext::saveProject() const {
    m_xml.projectToXML(m_project);
}

void OptionsContext::refreshTree() const {
    if (CProjectTree* projectTree = tree()) {
        projectTree->updateControlDataFromProject();
    }
}

void OptionsContext::addFileToProject(const std::string& path) const {
    if (CProjectTree* projectTree = treeWithWindow()) {
        projectTree->addFileToProject(path);
        return;
    }
    SourceFile record(path);
    if (!m_project.homePath().empty()) {
        record.subtractPath(m_project.homePath());
    }
    switch (CProjectTree::fileKind(path)) {
    case CProjectTree::kSourceFile:
        m_project.addSrcFile(record);
        break;
    case CProjectTree::kHeaderFile:
        m_project.addHdrFile(record);
        break;
    case CProjectTree::kOtherFile:
        m_project.addOtherFile(record);
        break;
    default:
        m_utility.logError("Error adding source file");
        return;
    }
    saveProject();
    m_project.setDirty(true);
}

void OptionsContext::removeFile(const std::string& path) const {
    if (CProjectTree* projectTree = treeWithWindow()) {
        projectTree->removeFile(path);
    }
    const std::string home = m_project.homePath();
    const std::string wanted = SourceFile(path).absoluteName(home);
    const auto listedName = [&](const std::list<SourceFile>& files) -> std::optional<std::string> {
        const auto found = std::find_if(files.begin(), files.end(), [&](const SourceFile& file) {
            return file.absoluteName(home) == wanted;
        });
        return found == files.end() ? std::nullopt : std::optional(found->fullName());
    };
    std::optional<std::string> removed;
    switch (CProjectTree::fileKind(path)) {
    case CProjectTree::kSourceFile:
        if ((removed = listedName(m_project.srcFiles()))) {
            m_project.removeSrcFile(*removed);
        }
        break;
    case CProjectTree::kHeaderFile:
        if ((removed = listedName(m_project.hdrFiles()))) {
            m_project.removeHdrFile(*removed);
        }
        break;
    case CProjectTree::kOtherFile:
        if ((removed = listedName(m_project.otherFiles()))) {
            m_project.removeOtherFile(*removed);
        }
        break;
    default:
        break;
    }
    if (removed) {
        saveProject();
        m_project.setDirty(true);
    }
}

} // namespace avrtazu
