#pragma once

#include <functional>
#include <string>
#include <vector>

namespace avrtazu {

class CProjectTree;
class SourceFile;

// The file commands of the project tree: adding existing files, creating new ones, dropping,
// removing, renaming, deleting, compiling, and the property dialogs. Each runs to its end or to
// its first error, which it reports on the log channel; none lets an error escape.
class ProjectTreeFlows {
public:
    explicit ProjectTreeFlows(CProjectTree& tree);

    // "Add existing header file(s)..." and "Add existing source file(s)...": every chosen file
    // goes to that group whatever its extension; the first error stops the rest.
    void addHeaderFiles();
    void addSourceFiles();
    // "Add existing file..." and the Insert key: each file to the group of its kind; an error
    // skips only that file. A single file is opened in the editor.
    void addProjectFiles();

    // "Create new header file...", "Create new source file..." and "Create new file...".
    void createHeaderFile();
    void createSourceFile();
    void createProjectFile();

    // Files dropped on the tree, as Windows paths.
    void dropFiles(const std::vector<std::string>& paths);

    // The commands on the selected item.
    void removeSelectedFile();
    void renameSelectedFile();
    void deleteSelectedFile();
    void compileSelectedFile();
    void showFileProperties();
    void showProjectProperties();

private:
    enum class CreateVariant { Header, Source, Project };

    // Runs one flow; an error is logged at the debug level with the context, then as an error
    // with the text that userText makes of the error's message.
    void guarded(const char* context,
                 const std::function<std::string(const std::string&)>& userText,
                 const std::function<void()>& flow);
    void addExistingFiles(bool headers);
    void createFile(CreateVariant variant);
    // The selected item's record; throws "Failed getting selected item" without one.
    SourceFile& selectedFile();
    void openInEditor(const std::string& path);

    CProjectTree& m_tree;
};

} // namespace avrtazu
