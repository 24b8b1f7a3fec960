#include "ui/project_tree_flows.h"

#include "model/project.h"
#include "model/source_file.h"
#include "platform/dialog_service.h"
#include "platform/file_system.h"
#include "platform/system_error_text.h"
#include "services/bstr.h"
#include "services/gui_works.h"
#include "services/plug_in_utility.h"
#include "ui/new_project_file_dialog.h"
#include "ui/project_properties_dialog.h"
#include "ui/project_tree.h"
#include "ui/project_tree_item.h"
#include "ui/properties_dialog.h"
#include "ui/rename_file_dialog.h"
#include "ui/tree_commands.h"

#include <QDialog>

#include <cstdint>
#include <stdexcept>

namespace avrtazu {

namespace {

// The system's description of a failed rename is cut to this many characters.
constexpr std::size_t kRenameErrorLength = 255;

const char* const kUnknownParent = "Error removing item, Parent item is of unknown type";

std::string fixedText(const char* text) {
    return text;
}

std::string sameText(const std::string& message) {
    return message;
}

} // namespace

ProjectTreeFlows::ProjectTreeFlows(CProjectTree& tree) : m_tree(tree) {}

void ProjectTreeFlows::guarded(const char* context,
                               const std::function<std::string(const std::string&)>& userText,
                               const std::function<void()>& flow) {
    try {
        flow();
    } catch (const std::exception& error) {
        m_tree.utility().logDebug(context, error.what());
        m_tree.utility().logError(userText(error.what()));
    }
}

SourceFile& ProjectTreeFlows::selectedFile() {
    SourceFile* file = ProjectTreeItem::fileOf(m_tree.currentItem());
    if (file == nullptr) {
        throw std::runtime_error("Failed getting selected item");
    }
    return *file;
}

void ProjectTreeFlows::openInEditor(const std::string& path) {
    if (IGuiWorks* host = m_tree.host()) {
        host->OpenFile(toWide(path), 0);
    }
}

void ProjectTreeFlows::addHeaderFiles() {
    addExistingFiles(true);
}

void ProjectTreeFlows::addSourceFiles() {
    addExistingFiles(false);
}

void ProjectTreeFlows::addExistingFiles(bool headers) {
    const char* context =
        headers ? "CProjectTree::OnAddHeaderFile()" : "CProjectTree::OnAddSourceFile()";
    const char* failure = headers ? "Error adding header file" : "Error adding source file";
    guarded(
        context, [failure](const std::string&) { return fixedText(failure); },
        [&] {
            const std::vector<std::string> paths =
                headers ? DialogService::current().openFiles(
                              "Add header file to project",
                              "Header File (*.h)|*.h;|All Files(*.*)|*.*|",
                              m_tree.project().homePath(), true)
                        : DialogService::current().openFiles(
                              "Add source file", "Source File (*.c)|*.c;|All Files(*.*)|*.*|",
                              m_tree.project().homePath(), true);
            if (!headers) {
                // Marked even when nothing was chosen.
                m_tree.project().setDirty(true);
            }
            QTreeWidgetItem* group = headers ? m_tree.headerGroup() : m_tree.sourceGroup();
            for (const std::string& path : paths) {
                m_tree.insertFileItem(path, group, true);
            }
        });
}

void ProjectTreeFlows::addProjectFiles() {
    const std::vector<std::string> paths = DialogService::current().openFiles(
        "Add Project file", "All files(*.*)|*.*|", m_tree.project().homePath(), true);
    bool endedNormally = true;
    for (const std::string& path : paths) {
        if (path.empty()) {
            endedNormally = false;
            break;
        }
        m_tree.addFileToProject(path);
    }
    if (endedNormally && paths.size() == 1) {
        openInEditor(paths.front());
    }
}

void ProjectTreeFlows::createHeaderFile() {
    createFile(CreateVariant::Header);
}

void ProjectTreeFlows::createSourceFile() {
    createFile(CreateVariant::Source);
}

void ProjectTreeFlows::createProjectFile() {
    createFile(CreateVariant::Project);
}

void ProjectTreeFlows::createFile(CreateVariant variant) {
    const char* context = "CProjectTree::OnCreateProjectFile()";
    const char* failure = "Error adding source file";
    if (variant == CreateVariant::Header) {
        context = "CProjectTree::OnCreateheaderFile()";
        failure = "Error creating header file";
    } else if (variant == CreateVariant::Source) {
        context = "CProjectTree::OnCreateSourceFile()";
        failure = "Error creating source file";
    }
    guarded(
        context, [failure](const std::string&) { return fixedText(failure); },
        [&] {
            CNewProjectFileDialog dialog(m_tree.project(), &m_tree);
            if (dialog.DoModal() != QDialog::Accepted) {
                return;
            }
            const std::string path = dialog.newFilePath();
            const int kind = CProjectTree::fileKind(path);
            if (variant == CreateVariant::Header && kind != CProjectTree::kHeaderFile) {
                m_tree.utility().logInfo("Did not add file " + path + ": Not a header file");
                return;
            }
            if (variant == CreateVariant::Source && kind != CProjectTree::kSourceFile) {
                m_tree.utility().logInfo("Did not add file " + path + ": Not a source file");
                return;
            }
            m_tree.insertFileItem(path, m_tree.groupOfKind(kind), true);
            m_tree.project().setDirty(true);
            m_tree.utility().logInfo("Created and added " + path + " to the project");
            openInEditor(path);
        });
}

void ProjectTreeFlows::dropFiles(const std::vector<std::string>& paths) {
    guarded(
        "CProjectTree::OnDropFiles()",
        [](const std::string& message) {
            return "Could not add project files to project tree: " + message;
        },
        [&] {
            if (paths.size() > static_cast<std::size_t>(CProjectTree::kMaxDroppedFiles)) {
                throw std::runtime_error("Only " + std::to_string(CProjectTree::kMaxDroppedFiles) +
                                         " number of files can be dropped onto the source tree");
            }
            for (const std::string& path : paths) {
                m_tree.insertFileItem(path, m_tree.groupOfKind(CProjectTree::fileKind(path)), true);
            }
        });
}

void ProjectTreeFlows::removeSelectedFile() {
    guarded(
        "CProjectTree::OnFileRemove()",
        [](const std::string&) { return fixedText("Failed to remove source file"); },
        [&] {
            QTreeWidgetItem* item = m_tree.currentItem();
            if (item == nullptr) {
                throw std::runtime_error("Failed getting selected item");
            }
            QTreeWidgetItem* parent = item->parent();
            if (parent == nullptr) {
                throw std::runtime_error("Failed getting parent of selected item");
            }
            const SourceFile* file = ProjectTreeItem::fileOf(item);
            if (file == nullptr) {
                throw std::runtime_error(kUnknownParent);
            }
            // The project destroys its record below; keep what is needed of it.
            const std::string fullName = file->fullName();
            const std::string path = m_tree.absolutePath(*file);
            IGuiWorks* host = m_tree.host();
            if (host != nullptr) {
                host->CloseFile(toWide(path));
            }
            Project& project = m_tree.project();
            if (parent == m_tree.sourceGroup()) {
                project.removeSrcFile(fullName);
                project.setDirty(true);
            } else if (parent == m_tree.headerGroup()) {
                project.removeHdrFile(fullName);
                project.setDirty(true);
            } else if (parent == m_tree.otherGroup()) {
                project.removeOtherFile(fullName);
            } else {
                throw std::runtime_error(kUnknownParent);
            }
            delete item;
            m_tree.plugin().saveProject();
            project.setDirty(true);
            m_tree.updateControlDataFromProject();
            if (host != nullptr) {
                host->CloseFile(toWide(path));
            }
            m_tree.utility().logDebug("CProjectTree::OnFileRemove()",
                                      "Removed file " + path + " from project");
        });
}

void ProjectTreeFlows::renameSelectedFile() {
    guarded("CProjectTree::OnFileRename()", sameText, [&] {
        SourceFile& file = selectedFile();
        const std::string oldName = file.name();
        const std::string oldPath = m_tree.absolutePath(file);
        const std::string directory = file.path();

        CRenameFileDialog dialog(file, &m_tree, m_tree.project().homePath());
        if (dialog.DoModal() != QDialog::Accepted) {
            return;
        }
        const std::string newName = dialog.newName();
        const std::string newPath = m_tree.absolutePath(SourceFile(directory + newName));

        IGuiWorks* host = m_tree.host();
        std::int16_t open = 0;
        if (host != nullptr && SUCCEEDED(host->IsFileOpen(toWide(oldPath), &open)) && open != 0) {
            host->CloseFile(toWide(oldPath));
        }
        if (!FileSystem::renameFile(oldPath, newPath)) {
            const std::string reason = SystemError::text(SystemError::code());
            throw std::runtime_error("Failed Renaming file, " +
                                     reason.substr(0, kRenameErrorLength));
        }
        if (host != nullptr && open != 0) {
            host->OpenFile(toWide(newPath), 0);
        }
        file.setName(newName);
        m_tree.project().setDirty(true);
        m_tree.plugin().saveProject();
        m_tree.updateControlDataFromProject();
        m_tree.utility().logInfo("Renamed file from " + oldName + " to " + newName);
    });
}

void ProjectTreeFlows::deleteSelectedFile() {
    guarded("CProjectTree::OnFileDelete()", sameText, [&] {
        const SourceFile& file = selectedFile();
        const std::string fullName = file.fullName();
        const MessageAnswer answer = DialogService::current().messageBox(
            "Really delete the project file " + fullName + " ?", "Delete project file?",
            MessageIcon::Question, MessageButtons::YesNo);
        if (answer != MessageAnswer::Yes) {
            return;
        }
        const std::string path = m_tree.absolutePath(SourceFile(fullName));
        removeSelectedFile();
        if (!FileSystem::deleteFile(path)) {
            throw std::runtime_error("Failed to delete file, " + SystemError::lastErrorMessage());
        }
        m_tree.utility().logInfo("Deleted file " + path);
    });
}

void ProjectTreeFlows::compileSelectedFile() {
    guarded("CProjectTree::OnCompileFile()", sameText, [&] {
        const std::string target = selectedFile().stem() + ".o";
        m_tree.plugin().makeTarget(target);
        m_tree.updateControlDataFromProject();
    });
}

void ProjectTreeFlows::showFileProperties() {
    try {
        const std::string path = m_tree.absolutePath(selectedFile());
        CPropertiesDialog dialog(m_tree.project(), path, &m_tree);
        dialog.DoModal();
    } catch (const std::exception& error) {
        m_tree.utility().logError(error.what());
    }
}

void ProjectTreeFlows::showProjectProperties() {
    guarded("CProjectTree::OnProjectProperties()", sameText, [&] {
        CProjectPropertiesDialog dialog(m_tree.project(), &m_tree);
        dialog.DoModal();
    });
}

} // namespace avrtazu
