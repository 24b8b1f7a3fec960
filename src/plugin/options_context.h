#pragma once

#include <functional>
#include <string>

namespace avrtazu {

class CProjectTree;
class PlugInUtility;
class Project;
class ProjectXmlHandler;

// What the options change and the new-project set-up work on: the plug-in object's project,
// its section of the host document, its tree and the log channel. The tree is asked for anew
// each time, because the window set-up creates its window and the host may destroy it.
class OptionsContext {
public:
    using TreeSource = std::function<CProjectTree*()>;

    OptionsContext(Project& project, ProjectXmlHandler& xml, PlugInUtility& utility,
                   TreeSource tree);

    Project& project() const { return m_project; }
    ProjectXmlHandler& xml() const { return m_xml; }
    PlugInUtility& utility() const { return m_utility; }
    // Null when there is no tree.
    CProjectTree* tree() const;

    // Writes the project into the host document.
    void saveProject() const;
    // Rebuilds the tree's items from the project, when there is a tree.
    void refreshTree() const;
    // Adds a file to the project and to the tree group of its kind. Before the tree has its
    // window the file goes straight into the project's list of its kind.
    void addFileToProject(const std::string& path) const;
    // Takes a file out of the tree and the project. A file that the tree does not show is
    // still taken out of the project, so that no stale record stays behind.
    void removeFile(const std::string& path) const;

private:
    // The tree once its window is set up: only then does it have its groups.
    CProjectTree* treeWithWindow() const;

    Project& m_project;
    ProjectXmlHandler& m_xml;
    PlugInUtility& m_utility;
    TreeSource m_tree;
};

} // namespace avrtazu
