#include "ui/folder_browser.h"

#include "platform/dialog_service.h"
#include "platform/file_system.h"
#include "ui/qt_dialog_service.h"

namespace avrtazu {

std::string FolderBrowser::browse() {
    return browse(std::string());
}

std::string FolderBrowser::browse(const std::string& initialFolder) {
    const std::string start = initialFolder.empty() ? FileSystem::currentFolder() : initialFolder;
    const QtDialogService::OwnerScope owner(m_owner);
    std::string folder = DialogService::current().browseFolder(std::string(), start);
    // Every caller relies on the backslash; a service that leaves it out must not break them.
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
    return folder;
}

} // namespace avrtazu
